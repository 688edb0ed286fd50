#pragma once
// The grid's groups of settings: the search bar, keyboard navigation, mouse actions, a grid kept in
// step, row bands and the focus frame. Each holds its values, applies the few couplings between
// them, tells its owner grid through events and copies itself from another object of its class.
// Plain settings without a coupling are listed once per class and expanded into fields, getters and
// setters; the defaults in those lists are the ones the grids' stored descriptions leave out.
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "controls/ExGridTypes.h"
#include "platform/Colors.h"
#include "platform/Events.h"

namespace plat {
class TStringGrid;
}

// Field, getter and setter of a setting that is only stored.
#define EX_SETTING_FIELD(T, Name, Default) T f##Name = Default;
#define EX_SETTING_ACCESS(T, Name, Default) \
    T Name() const {                        \
        return v_.f##Name;                  \
    }                                       \
    void Set##Name(T Value) {               \
        v_.f##Name = Value;                 \
    }

// ---------------------------------------------------------------------------------------------------
// The search bar at the bottom of a grid.

// Settings whose every write notifies the owner, changed or not.
#define EX_SEARCHFOOTER_NOTIFY_ALWAYS(X)    \
    X(TColor, Color, plat::clWhite)         \
    X(TColor, ColorTo, plat::clBtnFace)     \
    X(QString, FindNextCaption, QString())  \
    X(QString, FindPrevCaption, QString())  \
    X(QString, MatchCaseCaption, QString()) \
    X(QString, HighLightCaption, QString()) \
    X(QString, HintClose, QString())        \
    X(QString, HintFindNext, QString())     \
    X(QString, HintFindPrev, QString())     \
    X(QString, HintHighlight, QString())    \
    X(bool, ShowClose, true)                \
    X(bool, AutoThemeAdapt, false)
// Settings that notify only when they change.
#define EX_SEARCHFOOTER_NOTIFY_ON_CHANGE(X) \
    X(bool, Visible, false)                 \
    X(bool, ShowFindNext, true)             \
    X(bool, ShowFindPrev, true)             \
    X(bool, ShowHighLight, true)            \
    X(bool, ShowMatchCase, true)
#define EX_SEARCHFOOTER_PLAIN(X)                      \
    X(bool, AutoSearch, true)                         \
    X(bool, AlwaysHighLight, false)                   \
    X(int32_t, SearchColumn, -1)                      \
    X(bool, SearchActiveColumnOnly, false)            \
    X(bool, SearchMatchStart, false)                  \
    X(bool, SearchFixedCells, false)                  \
    X(bool, SearchHiddenRows, false)                  \
    X(TSearchDirection, SearchDirection, sdTopBottom) \
    X(QString, LastSearch, QString())

class TSearchFooter : public QObject {
public:
    // With InitDesign the captions and hints get their English texts (a grid placed on a form);
    // otherwise they stay empty until the form description fills them.
    TSearchFooter(QObject* AOwner, bool InitDesign);

#define EX_SF_NOTIFY_ACCESS(T, Name, Default) \
    T Name() const {                          \
        return v_.f##Name;                    \
    }                                         \
    void Set##Name(const T& Value);
    EX_SEARCHFOOTER_NOTIFY_ALWAYS(EX_SF_NOTIFY_ACCESS)
    EX_SEARCHFOOTER_NOTIFY_ON_CHANGE(EX_SF_NOTIFY_ACCESS)
#undef EX_SF_NOTIFY_ACCESS
    EX_SEARCHFOOTER_PLAIN(EX_SETTING_ACCESS)

    const QFont& Font() const {
        return v_.fFont;
    }
    void SetFont(const QFont& Value);

    // Copies from another search bar's settings; anything else is ignored. The search state
    // (`AutoSearch`, `SearchFixedCells`, `LastSearch`) and `AutoThemeAdapt` stay.
    void Assign(const QObject* Source);

    plat::TNotifyEvent OnChange;

private:
    void changed();
    struct Values {
        EX_SEARCHFOOTER_NOTIFY_ALWAYS(EX_SETTING_FIELD)
        EX_SEARCHFOOTER_NOTIFY_ON_CHANGE(EX_SETTING_FIELD)
        EX_SEARCHFOOTER_PLAIN(EX_SETTING_FIELD)
        QFont fFont;
    } v_;
};

// ---------------------------------------------------------------------------------------------------
// Keyboard, editing-advance and clipboard options.

#define EX_NAVIGATION_PLAIN(X)                                \
    X(bool, AllowInsertRow, false)                            \
    X(bool, AllowDeleteRow, false)                            \
    X(bool, AlwaysEdit, false)                                \
    X(bool, AdvanceOnEnter, false)                            \
    X(bool, AutoGotoIncremental, false)                       \
    X(bool, AutoComboDropSize, false)                         \
    X(bool, AllowClipboardShortCuts, false)                   \
    X(bool, AllowSmartClipboard, false)                       \
    X(bool, AllowRTFClipboard, false)                         \
    X(bool, AllowFmtClipboard, false)                         \
    X(bool, AllowClipboardAlways, false)                      \
    X(bool, AppendOnArrowDown, false)                         \
    X(bool, CursorWalkEditor, false)                          \
    X(bool, CursorMoveRows, false)                            \
    X(bool, MoveRowOnSort, false)                             \
    X(bool, KeepScrollOnSort, false)                          \
    X(bool, MoveScrollOnly, false)                            \
    X(bool, ImproveMaskSel, false)                            \
    X(bool, KeepHorizScroll, false)                           \
    X(bool, LineFeedOnEnter, false)                           \
    X(bool, TabToNextAtEnd, false)                            \
    X(bool, AdvanceOnEnterLoop, true)                         \
    X(bool, AdvanceAutoEdit, true)                            \
    X(bool, AdvanceSkipReadOnlyCells, true)                   \
    X(bool, AllowCtrlEnter, true)                             \
    X(bool, AllowClipboardRowGrow, true)                      \
    X(bool, AllowClipboardColGrow, true)                      \
    X(bool, EditSelectAll, true)                              \
    X(bool, ComboGetUpDown, true)                             \
    X(bool, CursorWalkAlwaysEdit, true)                       \
    X(bool, LeftRightRowSelect, true)                         \
    X(bool, CopyHTMLTagsToClipboard, true)                    \
    X(bool, SkipFixedCells, true)                             \
    X(bool, SkipDisabledRows, true)                           \
    X(bool, AutoGotoWhenSorted, false)                        \
    X(TAdvanceDirection, TabAdvanceDirection, adLeftRight)    \
    X(TInsertPosition, InsertPosition, pInsertBefore)         \
    X(TClipboardPasteAction, ClipboardPasteAction, paReplace) \
    X(TCursorAdvance, CursorAdvance, caDefault)               \
    X(THomeEndAction, HomeEndKey, heFirstLastColumn)

class TNavigation : public QObject {
public:
    TNavigation() = default;

    EX_NAVIGATION_PLAIN(EX_SETTING_ACCESS)
    bool AdvanceInsert() const { return v_.fAdvanceInsert; }
    void SetAdvanceInsert(bool Value);  // notifies on a change
    // Automatic advance needs advancing on Enter, so switching it on switches that on too.
    bool AdvanceAuto() const { return v_.fAdvanceAuto; }
    void SetAdvanceAuto(bool Value);
    TAdvanceDirection AdvanceDirection() const { return v_.fAdvanceDirection; }
    void SetAdvanceDirection(TAdvanceDirection Value);  // notifies on a change

    // Copies every setting but `KeepScrollOnSort` from another navigation; anything else is ignored.
    void Assign(const QObject* Source);

    plat::TNotifyEvent OnChange;

private:
    struct Values {
        EX_NAVIGATION_PLAIN(EX_SETTING_FIELD)
        bool fAdvanceInsert = false;
        bool fAdvanceAuto = false;
        TAdvanceDirection fAdvanceDirection = adLeftRight;
    } v_;
};

// ---------------------------------------------------------------------------------------------------
// Mouse selection, editing and sizing options.

#define EX_MOUSEACTIONS_PLAIN(X)                      \
    X(bool, AutoSizeColOnDblClick, true)              \
    X(bool, PreciseNodeClick, true)                   \
    X(bool, AllColumnSize, false)                     \
    X(bool, AllRowSize, false)                        \
    X(bool, AllSelect, false)                         \
    X(bool, CaretPositioning, false)                  \
    X(bool, CheckAllCheck, false)                     \
    X(bool, ColSelect, false)                         \
    X(bool, DirectComboClose, false)                  \
    X(bool, DirectComboDrop, false)                   \
    X(bool, DirectDateClose, false)                   \
    X(bool, DirectDateDrop, false)                    \
    X(bool, DirectEdit, false)                        \
    X(bool, DisjunctRowSelectNoCtrl, false)           \
    X(bool, MoveRowOnNodeClick, false)                \
    X(bool, NoAutoRangeScroll, false)                 \
    X(bool, NodeAllExpandContract, false)             \
    X(bool, NoScrollOnPartialRow, false)              \
    X(bool, PreciseCheckBoxCheck, false)              \
    X(bool, RangeSelectAndEdit, false)                \
    X(bool, RowSelect, false)                         \
    X(bool, RowSelectPersistent, false)               \
    X(bool, SelectOnRightClick, false)                \
    X(bool, SizeFixedCol, false)                      \
    X(bool, SizeFixedRow, false)                      \
    X(TGridFixedCellEdit, FixedRowsEdit, fceNone)     \
    X(TGridFixedCellEdit, FixedColsEdit, fceNone)     \
    X(TGridFixedCellEditor, FixedRowsEditor, fceEdit) \
    X(TGridFixedCellEditor, FixedColsEditor, fceEdit) \
    X(int32_t, WheelIncrement, 0)

class TMouseActions : public QObject {
public:
    explicit TMouseActions(QObject* AOwner = nullptr);

    EX_MOUSEACTIONS_PLAIN(EX_SETTING_ACCESS)

    // The three kinds of disjunct selection exclude each other, but only while the grid is being
    // designed: at run time the grid's code may combine them on purpose.
    bool DisjunctRowSelect() const { return v_.fDisjunctRowSelect; }
    void SetDisjunctRowSelect(bool Value);
    bool DisjunctColSelect() const { return v_.fDisjunctColSelect; }
    void SetDisjunctColSelect(bool Value);
    bool DisjunctCellSelect() const { return v_.fDisjunctCellSelect; }
    void SetDisjunctCellSelect(bool Value);
    // The row flag without the exclusion.
    bool DisjunctRowSelectDirect() const { return v_.fDisjunctRowSelect; }
    void SetDisjunctRowSelectDirect(bool Value) { v_.fDisjunctRowSelect = Value; }
    // Mail-style row selection: rows picked by their check boxes.
    bool HotmailRowSelect() const { return v_.fHotmailRowSelect; }
    void SetHotmailRowSelect(bool Value);
    bool EditOnDblClickOnly() const { return v_.fEditOnDblClickOnly; }
    void SetEditOnDblClickOnly(bool Value);
    TWheelAction WheelAction() const { return v_.fWheelAction; }
    void SetWheelAction(TWheelAction Value);  // notifies on a change
    const QStringList& FixedComboValues() const { return v_.fFixedComboValues; }
    void SetFixedComboValues(const QStringList& Value) { v_.fFixedComboValues = Value; }

    // Copies from other mouse actions; `SizeFixedRow`, `HotmailRowSelect`, `EditOnDblClickOnly`
    // and `FixedComboValues` stay. Anything else is ignored.
    void Assign(const QObject* Source);

    plat::TNotifyEvent OnChange, OnInvalidate, OnDisableEdit;
    TIsDesigningEvent OnIsDesigning;

private:
    bool designing();
    struct Values {
        EX_MOUSEACTIONS_PLAIN(EX_SETTING_FIELD)
        bool fDisjunctRowSelect = false;
        bool fDisjunctColSelect = false;
        bool fDisjunctCellSelect = false;
        bool fHotmailRowSelect = false;
        bool fEditOnDblClickOnly = false;
        TWheelAction fWheelAction = waMoveSelection;
        QStringList fFixedComboValues;
    } v_;
};

// ---------------------------------------------------------------------------------------------------
// Another grid kept in step with the owner.

#define EX_SYNCGRID_PLAIN(X)         \
    X(bool, ScrollVertical, false)   \
    X(bool, ScrollHorizontal, false) \
    X(bool, SelectionColumn, false)  \
    X(bool, SelectionRow, false)     \
    X(bool, MoveColumn, false)       \
    X(bool, MoveRow, false)

class TSyncGrid : public QObject {
public:
    explicit TSyncGrid(plat::TStringGrid* AOwner);

    EX_SYNCGRID_PLAIN(EX_SETTING_ACCESS)
    plat::TStringGrid* Grid() const { return grid_; }
    // A grid cannot follow itself: its owner is refused and the previous grid kept.
    void SetGrid(plat::TStringGrid* Value);

    void Assign(const QObject* Source);

private:
    plat::TStringGrid* owner_;
    plat::TStringGrid* grid_ = nullptr;
    struct Values {
        EX_SYNCGRID_PLAIN(EX_SETTING_FIELD)
    } v_;
};

// ---------------------------------------------------------------------------------------------------
// Alternating row colours.

class TBands : public QObject {
public:
    TBands() = default;

    bool Active() const { return v_.fActive; }
    void SetActive(bool Value);
    // Colours and lengths notify only while the bands are shown.
    TColor PrimaryColor() const { return v_.fPrimaryColor; }
    void SetPrimaryColor(TColor Value);
    TColor SecondaryColor() const { return v_.fSecondaryColor; }
    void SetSecondaryColor(TColor Value);
    int32_t PrimaryLength() const { return v_.fPrimaryLength; }
    void SetPrimaryLength(int32_t Value);
    int32_t SecondaryLength() const { return v_.fSecondaryLength; }
    void SetSecondaryLength(int32_t Value);
    int32_t TotalLength() const { return v_.fTotalLength; }
    bool Print() const { return v_.fPrint; }
    void SetPrint(bool Value) { v_.fPrint = Value; }

    void Assign(const QObject* Source);

    plat::TNotifyEvent OnChange;

private:
    void setColor(TColor& field, TColor Value);
    void setLength(int32_t& field, int32_t Value);
    // Wraps like the 32-bit sum it is instead of overflowing.
    int32_t sumLengths() const { return int32_t(uint32_t(v_.fPrimaryLength) + uint32_t(v_.fSecondaryLength)); }
    struct Values {
        bool fActive = false;
        TColor fPrimaryColor = plat::clInfoBk;
        TColor fSecondaryColor = plat::clWindow;
        int32_t fPrimaryLength = 1;
        int32_t fSecondaryLength = 1;
        int32_t fTotalLength = 2;
        bool fPrint = false;
    } v_;
};

// ---------------------------------------------------------------------------------------------------
// The focus frame.

class TFocusHelper : public QObject {
public:
    explicit TFocusHelper(QObject* AOwner = nullptr);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    void Assign(const QObject* Source);

private:
    bool enabled_ = false;
};
