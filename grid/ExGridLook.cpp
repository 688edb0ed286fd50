#include "grid/ExGridLook.h"

#include "grid/ExGrid.h"

// ---------------------------------------------------------------- TControlLook

TControlLook::TControlLook(TExStringGrid* AOwner)
    : FOwner(AOwner), FDropDownHeader(AOwner), FDropDownFooter(AOwner) {
    // The hover and pressed mirrors go through their writers, so the grid starts with them unset.
    SetFixedGradientHoverMirrorFrom(plat::clNone);
    SetFixedGradientHoverMirrorTo(plat::clNone);
    SetFixedGradientDownMirrorFrom(plat::clNone);
    SetFixedGradientDownMirrorTo(plat::clNone);
}

void TControlLook::repaint() {
    if (FOwner) FOwner->RepaintGrid();
}

#define EX_REPAINT_SET(T, Name, Default)          \
    void TControlLook::Set##Name(T Value) {       \
        F##Name = Value;                          \
        repaint();                                \
    }
EX_CONTROLLOOK_REPAINT(EX_REPAINT_SET)
#undef EX_REPAINT_SET

#define EX_GRADIENT_SET(Suffix, Default)                                              \
    void TControlLook::SetFixedGradient##Suffix(TColor Value) {                       \
        FFixedGradient##Suffix = Value;                                               \
        if (FOwner && Value != plat::clNone) FOwner->SetVEZGradient##Suffix(Value);   \
    }
EX_CONTROLLOOK_GRADIENT(EX_GRADIENT_SET)
#undef EX_GRADIENT_SET
#define EX_MIRROR_SET(Suffix, Default)                                \
    void TControlLook::SetFixedGradient##Suffix(TColor Value) {       \
        FFixedGradient##Suffix = Value;                               \
        if (FOwner) FOwner->SetVEZGradient##Suffix(Value);            \
    }
EX_CONTROLLOOK_MIRROR(EX_MIRROR_SET)
#undef EX_MIRROR_SET

void TControlLook::SetCheckedGlyph(const plat::TBitmap& Value) {
    FCheckedGlyph.Assign(Value);
    repaint();
}
void TControlLook::SetUnCheckedGlyph(const plat::TBitmap& Value) {
    FUnCheckedGlyph.Assign(Value);
    repaint();
}
void TControlLook::SetRadioOnGlyph(const plat::TBitmap& Value) {
    FRadioOnGlyph.Assign(Value);
    repaint();
}
void TControlLook::SetRadioOffGlyph(const plat::TBitmap& Value) {
    FRadioOffGlyph.Assign(Value);
    repaint();
}

void TControlLook::Init() {
#define EX_INIT(Suffix, Default) FFixedGradient##Suffix = Default;
    EX_CONTROLLOOK_GRADIENT(EX_INIT)
    EX_CONTROLLOOK_MIRROR(EX_INIT)
#undef EX_INIT
    FColor = plat::clBlack;
    FCommentColor = plat::clRed;
    FProgressBorderColor = plat::clGray;
}

void TControlLook::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TControlLook*>(Source);
    if (!s) return;
    FCheckSize = s->FCheckSize;
    FRadioSize = s->FRadioSize;
    FControlStyle = s->FControlStyle;
    FCheckedGlyph.Assign(s->FCheckedGlyph);
    FUnCheckedGlyph.Assign(s->FUnCheckedGlyph);
    FRadioOnGlyph.Assign(s->FRadioOnGlyph);
    FRadioOffGlyph.Assign(s->FRadioOffGlyph);
    FProgressMarginX = s->FProgressMarginX;
    FProgressMarginY = s->FProgressMarginY;
    FCommentColor = s->FCommentColor;
    FColor = s->FColor;
    FProgressBorderColor = s->FProgressBorderColor;
    FCheckAlwaysActive = s->FCheckAlwaysActive;
    FRadioAlwaysActive = s->FRadioAlwaysActive;
#define EX_COPY(Suffix, Default) FFixedGradient##Suffix = s->FFixedGradient##Suffix;
    EX_CONTROLLOOK_GRADIENT(EX_COPY)
    EX_CONTROLLOOK_MIRROR(EX_COPY)
#undef EX_COPY
    FDropDownAlwaysVisible = s->FDropDownAlwaysVisible;
    FSpinButtonsAlwaysVisible = s->FSpinButtonsAlwaysVisible;
    FDropDownCount = s->FDropDownCount;
    FDropDownFooter.Assign(&s->FDropDownFooter);
    FDropDownHeader.Assign(&s->FDropDownHeader);
    FHintMaxWidth = s->FHintMaxWidth;
}

// ---------------------------------------------------------------- TGridProgressAppearance

void TGridProgressAppearance::changed() {
    if (OnChange) OnChange(this);
}
#define EX_PROGRESS_SET(T, Name, Default)                 \
    void TGridProgressAppearance::Set##Name(T Value) {    \
        if (F##Name == Value) return;                     \
        F##Name = Value;                                  \
        changed();                                        \
    }
EX_PROGRESS_FIELDS(EX_PROGRESS_SET)
#undef EX_PROGRESS_SET

void TGridProgressAppearance::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TGridProgressAppearance*>(Source);
    if (!s) return;
#define EX_COPY(T, Name, Default) F##Name = s->F##Name;
    EX_PROGRESS_FIELDS(EX_COPY)
#undef EX_COPY
    changed();
}

// ---------------------------------------------------------------- TBackGround

TBackGround::TBackGround(TExStringGrid* AGrid) : FGrid(AGrid) {}
void TBackGround::repaint() {
    if (FGrid) FGrid->RepaintGrid();
}
#define EX_BACKGROUND_SET(T, Name, Default)   \
    void TBackGround::Set##Name(T Value) {    \
        F##Name = Value;                      \
        repaint();                            \
    }
EX_BACKGROUND_FIELDS(EX_BACKGROUND_SET)
#undef EX_BACKGROUND_SET
void TBackGround::SetBitmap(const plat::TBitmap& Value) {
    FBitmap.Assign(Value);
    repaint();
}
void TBackGround::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TBackGround*>(Source);
    if (!s || s == this) return;
#define EX_BACKGROUND_COPY(T, Name, Default) F##Name = s->F##Name;
    EX_BACKGROUND_FIELDS(EX_BACKGROUND_COPY)
#undef EX_BACKGROUND_COPY
    FBitmap.Assign(s->FBitmap);
}

// ---------------------------------------------------------------- TShowModified, TBalloonSettings, TGrouping

void TShowModified::SetColor(TColor Value) {
    FColor = Value;
    if (OnChange) OnChange(this);
}
void TShowModified::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TShowModified*>(Source);
    if (!s) return;
    FColor = s->FColor;
    FEnabled = s->FEnabled;
}

void TBalloonSettings::SetEnable(bool Value) {
    FEnable = Value;
    if (OnEnableChange) OnEnableChange(this);
}
void TBalloonSettings::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TBalloonSettings*>(Source);
    if (!s) return;
    FTextColor = s->FTextColor;
    FBackgroundColor = s->FBackgroundColor;
    FInitialDelay = s->FInitialDelay;
    FAutoHideDelay = s->FAutoHideDelay;
    FReshowDelay = s->FReshowDelay;
    FEnable = s->FEnable;
}

void TGrouping::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TGrouping*>(Source);
    if (!s) return;
    FGroupCountFormat = s->FGroupCountFormat;
    FHeaderColor = s->FHeaderColor;
    FHeaderColorTo = s->FHeaderColorTo;
    FHeaderTextColor = s->FHeaderTextColor;
    FHeaderUnderline = s->FHeaderUnderline;
    FMergeHeader = s->FMergeHeader;
    FMergeSummary = s->FMergeSummary;
    FShowGroupCount = s->FShowGroupCount;
    FSummaryColor = s->FSummaryColor;
    FSummaryColorTo = s->FSummaryColorTo;
    FSummaryTextColor = s->FSummaryTextColor;
    FSummaryLine = s->FSummaryLine;
    FAutoCheckGroup = s->FAutoCheckGroup;
    FAutoSelectGroup = s->FAutoSelectGroup;
}

// ---------------------------------------------------------------- TSortSettings

TSortSettings::TSortSettings(TExStringGrid* AGrid) : FGrid(AGrid) {}

void TSortSettings::repaintHeader() {
    if (FGrid && FGrid->FixedRows() > 0) FGrid->RepaintRow(FGrid->FixedRows() - 1);
}

#define EX_SORT_HEADER_SET(T, Name, Default)    \
    void TSortSettings::Set##Name(T Value) {    \
        if (F##Name == Value) return;           \
        F##Name = Value;                        \
        repaintHeader();                        \
    }
EX_SORT_HEADER(EX_SORT_HEADER_SET)
#undef EX_SORT_HEADER_SET

void TSortSettings::SetRow(int32_t Value) {
    if (FGrid && Value >= FGrid->FixedRows())
        throw EExGridError(QStringLiteral("Sort row should be smaller than number of fixed rows"));
    FRow = Value;
}

void TSortSettings::SetShow(bool Value) {
    if (FShow == Value) return;
    FShow = Value;
    if (FGrid) FGrid->RepaintGrid();
}

QString TSortSettings::SaveToString() const {
    if (FIndexShow) return QStringLiteral("i;") + (FGrid ? FGrid->SortIndexes().SaveToString() : QString());
    return (FDirection == sdDescending ? QStringLiteral("d") : QStringLiteral("u")) + QString::number(FColumn);
}

void TSortSettings::LoadFromString(const QString& Value) {
    if (Value.isEmpty()) return;
    SetShow(true);
    if (Value.size() < 2) throw EExGridError(QStringLiteral("Invalid sort settings specifier"));
    if (Value.contains(QStringLiteral("i;"))) {
        FIndexShow = true;
        const QString rest = Value.mid(2);
        if (!rest.isEmpty() && FGrid) {
            FGrid->SortIndexes().LoadFromString(rest);
            FGrid->QSortIndexed();
        }
        return;
    }
    FIndexShow = false;
    FDirection = Value.contains(u'u') ? sdAscending : sdDescending;
    bool ok = false;
    const int col = Value.mid(1).toInt(&ok);
    if (!ok) return;
    FColumn = col;
    if (FGrid) FGrid->QSort();
}

void TSortSettings::Remove() {
    FColumn = -1;
    if (FGrid) FGrid->SortIndexes().Clear();
    repaintHeader();
}

void TSortSettings::ToggleDirection() { FDirection = FDirection == sdAscending ? sdDescending : sdAscending; }

void TSortSettings::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TSortSettings*>(Source);
    if (!s) return;
    FAutoSortForGrouping = s->FAutoSortForGrouping;
    FAutoColumnMerge = s->FAutoColumnMerge;
    FColumn = s->FColumn;
    FShow = s->FShow;
    FIndexShow = s->FIndexShow;
    FIndexColor = s->FIndexColor;
    FFull = s->FFull;
    FSingleColumn = s->FSingleColumn;
    FIgnoreBlanks = s->FIgnoreBlanks;
    FBlankPos = s->FBlankPos;
    FAutoFormat = s->FAutoFormat;
    FDirection = s->FDirection;
    FUpGlyph.Assign(s->FUpGlyph);
    FDownGlyph.Assign(s->FDownGlyph);
    FIndexUpGlyph.Assign(s->FIndexUpGlyph);
    FIndexDownGlyph.Assign(s->FIndexDownGlyph);
    FIndexSortKey = s->FIndexSortKey;
    FInitSortDirection = s->FInitSortDirection;
    FFixedCols = s->FFixedCols;
    FNormalCellsOnly = s->FNormalCellsOnly;
    FRow = s->FRow;
    FUndoSort = s->FUndoSort;
#define EX_COPY(T, Name, Default) F##Name = s->F##Name;
    EX_SORT_HEADER(EX_COPY)
#undef EX_COPY
}

// ---------------------------------------------------------------- drag and drop, drag scrolling

void TDragDropSettings::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TDragDropSettings*>(Source);
    if (!s) return;
#define EX_COPY(T, Name, Default) F##Name = s->F##Name;
    EX_DRAGDROP_PLAIN(EX_COPY)
#undef EX_COPY
    FOleDropTarget = s->FOleDropTarget;
    FOleDropRTF = s->FOleDropRTF;
}

void TDragScrollDelays::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TDragScrollDelays*>(Source);
    if (!s) return;
    FInitialDelay = s->FInitialDelay;
    FRepeatDelay = s->FRepeatDelay;
}

void TDragScrollMargins::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TDragScrollMargins*>(Source);
    if (!s) return;
    FTopMargin = s->FTopMargin;
    FBottomMargin = s->FBottomMargin;
    FLeftMargin = s->FLeftMargin;
    FRightMargin = s->FRightMargin;
}

void TDragScrollOptions::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TDragScrollOptions*>(Source);
    if (!s) return;
    FMargins.Assign(&s->FMargins);
    FDelays.Assign(&s->FDelays);
    FActive = s->FActive;
}
