#include "controls/ExGridSettings.h"

// ---------------------------------------------------------------------------------------------------
// TSearchFooter

TSearchFooter::TSearchFooter(QObject* /*AOwner*/, bool InitDesign) {
    if (!InitDesign) return;
    v_.fFindNextCaption = QStringLiteral("Find &next");
    v_.fFindPrevCaption = QStringLiteral("Find &previous");
    v_.fMatchCaseCaption = QStringLiteral("Match case");
    v_.fHighLightCaption = QStringLiteral("Highlight");
    v_.fHintClose = QStringLiteral("Close");
    v_.fHintFindNext = QStringLiteral("Find next occurrence");
    v_.fHintFindPrev = QStringLiteral("Find previous occurrence");
    v_.fHintHighlight = QStringLiteral("Highlight occurrences");
}

void TSearchFooter::changed() {
    if (OnChange) OnChange(this);
}

#define EX_SF_SET_ALWAYS(T, Name, Default)          \
    void TSearchFooter::Set##Name(const T& Value) { \
        v_.f##Name = Value;                         \
        changed();                                  \
    }
EX_SEARCHFOOTER_NOTIFY_ALWAYS(EX_SF_SET_ALWAYS)
#undef EX_SF_SET_ALWAYS

#define EX_SF_SET_ON_CHANGE(T, Name, Default)       \
    void TSearchFooter::Set##Name(const T& Value) { \
        if (v_.f##Name == Value) return;            \
        v_.f##Name = Value;                         \
        changed();                                  \
    }
EX_SEARCHFOOTER_NOTIFY_ON_CHANGE(EX_SF_SET_ON_CHANGE)
#undef EX_SF_SET_ON_CHANGE

void TSearchFooter::SetFont(const QFont& Value) {
    v_.fFont = Value;
    changed();
}

void TSearchFooter::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TSearchFooter*>(Source);
    if (!src || src == this) return;
    const Values kept = v_;
    v_ = src->v_;
    v_.fAutoSearch = kept.fAutoSearch;
    v_.fSearchFixedCells = kept.fSearchFixedCells;
    v_.fAutoThemeAdapt = kept.fAutoThemeAdapt;
    v_.fLastSearch = kept.fLastSearch;
}

// ---------------------------------------------------------------------------------------------------
// TNavigation

void TNavigation::SetAdvanceInsert(bool Value) {
    if (v_.fAdvanceInsert == Value) return;
    v_.fAdvanceInsert = Value;
    if (OnChange) OnChange(this);
}

void TNavigation::SetAdvanceAuto(bool Value) {
    if (v_.fAdvanceAuto == Value) return;
    v_.fAdvanceAuto = Value;
    if (Value) v_.fAdvanceOnEnter = true;
}

void TNavigation::SetAdvanceDirection(TAdvanceDirection Value) {
    if (v_.fAdvanceDirection == Value) return;
    v_.fAdvanceDirection = Value;
    if (OnChange) OnChange(this);
}

void TNavigation::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TNavigation*>(Source);
    if (!src || src == this) return;
    const bool keepScroll = v_.fKeepScrollOnSort;
    v_ = src->v_;
    v_.fKeepScrollOnSort = keepScroll;
}

// ---------------------------------------------------------------------------------------------------
// TMouseActions

TMouseActions::TMouseActions(QObject* /*AOwner*/) {}

bool TMouseActions::designing() {
    bool answer = false;
    if (OnIsDesigning) OnIsDesigning(this, answer);
    return answer;
}

void TMouseActions::SetDisjunctRowSelect(bool Value) {
    v_.fDisjunctRowSelect = Value;
    if (Value && designing()) {
        v_.fDisjunctColSelect = false;
        v_.fDisjunctCellSelect = false;
    }
}

void TMouseActions::SetDisjunctColSelect(bool Value) {
    v_.fDisjunctColSelect = Value;
    if (Value && designing()) {
        v_.fDisjunctRowSelect = false;
        v_.fDisjunctCellSelect = false;
    }
}

void TMouseActions::SetDisjunctCellSelect(bool Value) {
    v_.fDisjunctCellSelect = Value;
    if (Value && designing()) {
        v_.fDisjunctRowSelect = false;
        v_.fDisjunctColSelect = false;
    }
}

void TMouseActions::SetHotmailRowSelect(bool Value) {
    v_.fHotmailRowSelect = Value;
    if (Value) {
        v_.fDisjunctRowSelect = true;
        v_.fCheckAllCheck = true;
    }
    if (OnInvalidate) OnInvalidate(this);
}

void TMouseActions::SetEditOnDblClickOnly(bool Value) {
    v_.fEditOnDblClickOnly = Value;
    if (Value && OnDisableEdit) OnDisableEdit(this);
}

void TMouseActions::SetWheelAction(TWheelAction Value) {
    if (v_.fWheelAction == Value) return;
    v_.fWheelAction = Value;
    if (OnChange) OnChange(this);
}

void TMouseActions::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TMouseActions*>(Source);
    if (!src || src == this) return;
    Values kept = v_;
    v_ = src->v_;
    v_.fSizeFixedRow = kept.fSizeFixedRow;
    v_.fHotmailRowSelect = kept.fHotmailRowSelect;
    v_.fEditOnDblClickOnly = kept.fEditOnDblClickOnly;
    v_.fFixedComboValues = std::move(kept.fFixedComboValues);
}

// ---------------------------------------------------------------------------------------------------
// TSyncGrid

TSyncGrid::TSyncGrid(plat::TStringGrid* AOwner) : owner_(AOwner) {}

void TSyncGrid::SetGrid(plat::TStringGrid* Value) {
    if (Value && Value == owner_) return;
    grid_ = Value;
}

void TSyncGrid::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TSyncGrid*>(Source);
    if (!src || src == this) return;
    SetGrid(src->grid_);
    v_ = src->v_;
}

// ---------------------------------------------------------------------------------------------------
// TBands

void TBands::SetActive(bool Value) {
    if (v_.fActive == Value) return;
    v_.fActive = Value;
    if (OnChange) OnChange(this);
}

void TBands::setColor(TColor& field, TColor Value) {
    if (field == Value) return;
    field = Value;
    if (v_.fActive && OnChange) OnChange(this);
}

void TBands::setLength(int32_t& field, int32_t Value) {
    if (field == Value) return;
    field = Value;
    v_.fTotalLength = sumLengths();
    if (v_.fActive && OnChange) OnChange(this);
}

void TBands::SetPrimaryColor(TColor Value) {
    setColor(v_.fPrimaryColor, Value);
}
void TBands::SetSecondaryColor(TColor Value) {
    setColor(v_.fSecondaryColor, Value);
}
void TBands::SetPrimaryLength(int32_t Value) {
    setLength(v_.fPrimaryLength, Value);
}
void TBands::SetSecondaryLength(int32_t Value) {
    setLength(v_.fSecondaryLength, Value);
}

void TBands::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TBands*>(Source);
    if (!src || src == this) return;
    v_ = src->v_;
    v_.fTotalLength = sumLengths();
}

// ---------------------------------------------------------------------------------------------------
// TFocusHelper

TFocusHelper::TFocusHelper(QObject* /*AOwner*/) {}

void TFocusHelper::Assign(const QObject* Source) {
    const auto* src = dynamic_cast<const TFocusHelper*>(Source);
    if (!src) return;
    enabled_ = src->enabled_;
}
