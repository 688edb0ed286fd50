#pragma once
// The full string grid: the base grid's owner-drawn cells with the string grid's settings objects,
// owned helpers, property catalogue, events and lifecycle. The cell accessors take a real column
// and a display row; Col, Row, TopRow, LeftCol, Selection and the sizes by position are display
// indexes.
//
// There is no form streaming: a window sets what its form stores (the values every configurator
// form stores come from SetConfiguratorFormValues), then calls Loaded(). The window is created at
// the first show and again after each re-parenting (CreateWnd).
#include "controls/BaseGrid.h"
#include "controls/ExGridLists.h"
#include "controls/ExGridSettings.h"
#include "controls/ExStyleIF.h"
#include "grid/ExGridGraphics.h"
#include "grid/ExGridLook.h"
#include "grid/ExGridParts.h"
#include "grid/ExGridUnit.h"
#include "platform/EnumSet.h"
#include "platform/Timer.h"

#include <QCursor>
#include <QEvent>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <random>
#include <type_traits>

class TArrowWindow;
class TExInplaceEdit;
class TGridCombo;
class TGridSpin;
class TGridCheckBox;
class TGridButton;
class TGridFocusWindow;
class TExStringGridCheck;
class TEditLink;
class TEditBalloonTip;
class TExRichEdit;
class TControlEdit;
class TControlCombo;
namespace ctl {
class TSgComboBox;
}
class TPictureContainer;
class QScrollBar;
class QPrinter;
struct TPrintLayout;
class TGridPrinter;
namespace plat {
class TImageList;
class TDateTimePicker;
class TPopupMenu;
}  // namespace plat

// The selection listener another component registers with a grid.
class ITExStringGridSelect {
public:
    virtual ~ITExStringGridSelect() = default;
    virtual void CellSelected(int ACol, int ARow) = 0;
};

// A component told of every block of changed cells of the grids it is registered with.
class TGridChangeNotifier : public QObject {
public:
    using QObject::QObject;
    // The changed cells (real columns, display rows): descendants act on them; the base only
    // passes them to OnCellsChanged when one is assigned.
    virtual void NotifyCellsChanged(const plat::TGridRect& R) {
        if (OnCellsChanged) OnCellsChanged(this, R);
    }
    // The grid's call.
    void CellsChanged(const plat::TGridRect& R) { NotifyCellsChanged(R); }
    std::function<void(QObject* Sender, const plat::TGridRect& R)> OnCellsChanged;
};

enum TGridLook : uint8_t {
    glStandard, glSoft, glClassic, glVEZ, glXP, glListView, glVista, glWin7, glOffice2007, glCustom
};
enum THoverFixedCells : uint8_t { hfNone, hfAll, hfFixedRows, hfFixedColumns };
enum THintPos : uint8_t { hpCell };
enum TFilterDropDownColumns : uint8_t { fdNormal, fdAll };
enum TInvalidEntryIcon : uint8_t { ieNone, ieInfo, ieWarning, ieError };
enum TScrollType : uint8_t { ssNormal, ssFlat, ssEncarta, ssMetro };
enum TScrollBarAlways : uint8_t { saNone, saVert, saHorz, saBoth };
enum TScrollHintType : uint8_t { shNone, shVertical, shHorizontal, shBoth };
enum TIntelliPan : uint8_t { ipVertical, ipHorizontal, ipBoth, ipNone };
enum TMouseSelectMode : uint8_t { msNormal, msColumn, msRow, msAll, msURL, msResize };

// The grid's own clipboard format and the two private event types of the grid unit.
inline constexpr const char* kGridClipboardFormat = "TExStringGrid Cells";
int GridEditDoneEventType();
int DTPShiftFocusEventType();
// The notice an ended edit posts to its grid: the real column and the row.
class TGridEditDone : public QEvent {
public:
    TGridEditDone(int ACol, int ARow) : QEvent(QEvent::Type(GridEditDoneEventType())), Col(ACol), Row(ARow) {}
    int Col, Row;
};

// ---- events beyond the shared signatures ----
using TComboChangeEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t AItemIndex, const QString& ASelection)>;
using TCellValidateEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value, bool& Valid)>;
using TCellIOEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value)>;
using TCellsChangedEvent = std::function<void(QObject* Sender, const plat::TGridRect& R)>;
using TEditCellDoneEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow)>;
using TGridRowColEvent = std::function<void(QObject* Sender, int32_t Index)>;
using TMovedEvent = std::function<void(QObject* Sender, int32_t FromIndex, int32_t ToIndex)>;
using TClipboardEvent = std::function<void(QObject* Sender, bool& Allow)>;
using TClipboardBeforePasteEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value, bool& Allow)>;
using TClipboardAfterPasteEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, const QString& Value)>;
// Search footer actions and the cell-query events the grid asks last.
enum TSearchAction : uint8_t { saFindFirst, saFindPrevious, saFindNext };
enum TExGridStyle : uint8_t {
    gsOffice2003Blue, gsOffice2003Silver, gsOffice2003Olive, gsOffice2003Classic, gsOffice2007Luna,
    gsOffice2007Obsidian, gsWindowsXP, gsWhidbey, gsCustom, gsOffice2007Silver, gsWindowsVista, gsWindows7,
    gsTerminal, gsOffice2010Blue, gsOffice2010Silver, gsOffice2010Black
};
enum TXPColorScheme : uint8_t { xpNone, xpBlue, xpGreen, xpGray, vistaAero };
// Progress notices of exports (and searches) and imports.
enum TGridExportState : uint8_t { esExportStart, esExportNewRow, esExportDone, esExportSelRow, esExportFail };
enum TGridImportState : uint8_t { isImportStart, isImportNewRow, isImportDone, isImportFail };
enum TDragOverState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
enum TDragScrollDirection : uint8_t { dsdUp, dsdDown, dsdLeft, dsdRight };
using TDragScrollDirections = plat::TEnumSet<TDragScrollDirection>;
using TDragScrollEvent = std::function<void(QObject* Sender, int32_t TopRow, int32_t LeftCol,
                                            TDragScrollDirections& Direction, bool& CanScroll)>;
using TScrollCellEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t ScrollMax, int32_t ScrollMin,
                       int32_t ScrollPos)>;
using TSearchFooterActionEvent =
    std::function<void(QObject* Sender, const QString& Value, int32_t ACol, int32_t ARow, TSearchAction SearchAction)>;
using TRowColBoolEvent = std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, bool& Value)>;
using TColRowBoolEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, bool& Value)>;
using TGetCheckTextEvent = std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, QString& Value)>;
using TGetColumnFilterEvent = std::function<void(QObject* Sender, int32_t Column, QStringList& Filter)>;
using TGetCellCursorEvent =
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t X, int32_t Y, QCursor& ACursor)>;
using TPrintStartEvent = std::function<void(QObject* Sender, int32_t NrOfPages, int32_t& FromPage, int32_t& ToPage)>;

// Plain settings in the catalogue's groups: type, name, start value. Writing them only stores;
// the Part behind each reads them.
#define EX_GRID_STORED(X)                                      \
    /* dimensions and structure */                             \
    X(bool, FixedRowAlways, false)                             \
    X(bool, FixedColAlways, false)                             \
    X(int32_t, FixedRightCols, 0)                              \
    X(int32_t, MinRowHeight, 0)                                \
    X(int32_t, MaxRowHeight, 0)                                \
    X(int32_t, MinColWidth, 0)                                 \
    X(int32_t, MaxColWidth, 0)                                 \
    X(bool, SizeGrowOnly, false)                               \
    X(bool, SizeWithForm, false)                               \
    X(bool, EnhRowColMove, true)                               \
    X(int32_t, ZoomFactor, 0)                                  \
    X(bool, FitCellsInGrid, true)                              \
    /* cell text and content */                                \
    X(TAlignment, DefaultAlignment, taLeftJustify)             \
    X(bool, Multilinecells, false)                             \
    X(bool, XYOffsetTopLeftOnly, false)                        \
    X(bool, EnhTextSize, false)                                \
    X(QString, FloatFormat, QStringLiteral("%.2f"))            \
    X(bool, AutoNumAlign, false)                               \
    X(bool, ExcelStyleDecimalSeparator, false)                 \
    X(bool, ShowNullDates, true)                               \
    X(QChar, PasswordChar, QChar(u'*'))                        \
    X(bool, OemConvert, false)                                 \
    X(bool, EnableHTML, true)                                  \
    X(bool, EnableBlink, false)                                \
    X(bool, URLUnderlineOnHover, false)                        \
    X(bool, URLEdit, false)                                    \
    X(bool, AnchorHint, false)                                 \
    X(bool, NoImageAndText, false)                             \
    /* look and colours */                                     \
    X(bool, FixedAsButtons, false)                             \
    X(bool, HideFocusRect, false)                              \
    X(bool, Hovering, false)                                   \
    X(THoverFixedCells, HoverFixedCells, hfNone)               \
    X(TColor, DisabledFontColor, 0xC0C0C0)                     \
    X(bool, UseDisabledFont, true)                             \
    X(TColor, SelectionRectangleColor, 0)                      \
    X(bool, SelectionRTFKeep, false)                           \
    X(bool, NoDefaultDraw, false)                              \
    /* hints */                                                \
    X(TColor, HintColor, plat::clInfoBk)                       \
    X(bool, HintShowCells, false)                              \
    X(bool, HintShowLargeText, false)                          \
    X(THintPos, HintShowLargeTextPos, hpCell)                  \
    X(bool, HintShowSizing, false)                             \
    X(bool, HTMLHint, false)                                   \
    X(bool, UseInternalHintClass, true)                        \
    /* editing */                                              \
    X(TEditorType, DefaultEditor, edNormal)                    \
    X(QString, EditMask, QString())                            \
    X(bool, EditWithTags, false)                               \
    X(int32_t, MaxComboLength, 0)                              \
    X(QString, ValidChars, QString())                          \
    X(QString, ValidCharSet, QString())                        \
    X(bool, Lookup, false)                                     \
    X(bool, LookupCaseSensitive, false)                        \
    X(bool, LookupHistory, false)                              \
    X(bool, AlwaysValidate, false)                             \
    X(QString, InvalidEntryTitle, QString())                   \
    X(QString, InvalidEntryText, QString())                    \
    X(TInvalidEntryIcon, InvalidEntryIcon, ieWarning)          \
    X(QString, OriginalCellValue, QString())                   \
    /* selection */                                            \
    X(bool, Modified, false)                                   \
    /* scrolling */                                            \
    X(TScrollBarAlways, ScrollBarAlways, saNone)               \
    X(bool, ScrollSynch, false)                                \
    X(TScrollHintType, ScrollHints, shNone)                    \
    X(bool, EnableWheel, true)                                 \
    X(TIntelliPan, IntelliPan, ipVertical)                     \
    X(bool, IntelliZoom, true)                                 \
    /* sorting, filtering, grouping, nodes */                  \
    X(QString, FilterDropDownClear, QStringLiteral("(All)"))   \
    X(bool, FilterDropDownCheck, false)                        \
    X(TFilterDropDownColumns, FilterDropDownColumns, fdNormal) \
    X(bool, FilterIncremental, false)                          \
    X(bool, FilterNormalCellsOnly, true)                       \
    X(bool, AutoFilterUpdate, true)                            \
    X(TSortDirection, AutoNumberDirection, sdAscending)        \
    X(int32_t, AutoNumberOffset, 0)                            \
    X(int32_t, AutoNumberStart, 0)                             \
    /* search and footers */                                   \
    X(int32_t, FindCol, 0)                                     \
    X(int32_t, FindRow, 0)                                     \
    X(bool, FindBusy, false)                                   \
    X(QString, IncrSearchText, QString())                      \
    /* files, clipboard, drag and drop, printing */            \
    X(QChar, Delimiter, QChar(0))                              \
    X(bool, JavaCSV, false)                                    \
    X(bool, QuoteEmptyCells, true)                             \
    X(bool, AlwaysQuotes, false)                               \
    X(bool, SaveFixedCells, true)                              \
    X(bool, SaveFixedCols, false)                              \
    X(bool, SaveFixedRows, false)                              \
    X(bool, SaveHiddenCells, false)                            \
    X(bool, SaveVirtCells, true)                               \
    X(bool, SaveWithHTML, true)                                \
    X(bool, SaveWithRTF, false)                                \
    X(bool, LoadFirstRow, true)                                \
    X(QString, XMLEncoding, QStringLiteral("ISO-8859-1"))      \
    X(bool, ExcelClipboardFormat, false)                       \
    X(bool, ClearTextOnly, false)                              \
    X(bool, FastPrint, false)                                  \
    X(bool, PrinterDriverFix, false)                           \
    X(QRect, PrintPageRect, QRect())                           \
    X(int32_t, PrintPageWidth, 0)                              \
    X(int32_t, PrintColStart, 0)                               \
    X(int32_t, PrintColEnd, 0)                                 \
    X(int32_t, PrintNrOfPages, 0)                              \
    X(bool, IsPrintPreview, false)

// Settings whose writers do more than store (a repaint, a clamp, a hand-over to an owned object):
// the field and its reader come from here, each writer is written out.
#define EX_GRID_WRITTEN(X)                                     \
    X(bool, UseHTMLHints, false)                               \
    X(TVAlignment, VAlignment, vtaTop)                         \
    X(QPoint, XYOffset, QPoint(2, 2))                          \
    X(TPictureContainer*, PictureContainer, nullptr)           \
    X(plat::TImageList*, GridImages, nullptr)                  \
    X(bool, Flat, false)                                       \
    X(plat::TPopupMenu*, FixedDropDownMenu, nullptr)           \
    X(bool, ActiveCellShow, false)                             \
    X(TColor, ActiveCellColor, 0x808080)                       \
    X(TColor, ActiveCellColorTo, plat::clNone)                 \
    X(TColor, SelectionColor, 0xEACAB6)                        \
    X(TColor, SelectionColorTo, plat::clNone)                  \
    X(bool, SelectionColorMixer, false)                        \
    X(int32_t, SelectionColorMixerFactor, 50)                  \
    X(TColor, SelectionMirrorColor, plat::clNone)              \
    X(TColor, SelectionMirrorColorTo, plat::clNone)            \
    X(TColor, SelectionTextColor, 0)                           \
    X(bool, SelectionRectangle, false)                         \
    X(bool, SelectionResizer, false)                           \
    X(bool, ShowSelection, true)                               \
    X(bool, ShowDesignHelper, true)                            \
    X(TColor, ArrowColor, plat::clNone)                        \
    X(int32_t, MaxEditLength, 0)                               \
    X(bool, SpreadSheet, false)                                \
    X(TExStringGridCheck*, CellChecker, nullptr)               \
    X(TColor, HighlightColor, plat::clHighlight)               \
    X(TColor, HighlightTextColor, plat::clHighlightText)       \
    X(bool, FilterDropDownAuto, false)                         \
    X(int32_t, FilterDropDownRow, 0)                           \
    X(bool, IntegralHeight, false)

// The glVEZ look's gradient colours; the control look's fixed-gradient writers feed them.
#define EX_GRID_VEZ(X)              \
    X(From, 0xFFFFFF)               \
    X(To, plat::clNone)             \
    X(MirrorFrom, plat::clNone)     \
    X(MirrorTo, plat::clNone)       \
    X(HoverFrom, plat::clNone)      \
    X(HoverTo, plat::clNone)        \
    X(HoverMirrorFrom, plat::clNone) \
    X(HoverMirrorTo, plat::clNone)  \
    X(HoverBorder, plat::clNone)    \
    X(DownFrom, plat::clNone)       \
    X(DownTo, plat::clNone)         \
    X(DownMirrorFrom, plat::clNone) \
    X(DownMirrorTo, plat::clNone)   \
    X(DownBorder, plat::clNone)

struct TCellPaintContext;
class QScrollBar;

class TExStringGrid : public TBaseGrid {
public:
    // Real columns from this one on are never hidden.
    static constexpr int kMaxHideCol = 512;
    // Space left and right of a cell's text with the default XYOffset and grid line:
    // AutoSizeCol leaves text + 2 * kCellMargin.
    static constexpr int kCellMargin = 4;
    static constexpr int kDefaultColWidth = 64;
    static constexpr int kDefaultRowHeight = 22;

    // Input entry points of the dialogs' grids (row first, display column); the mouse handling ends
    // here, so tests drive them directly. ClickCell and DblClickCell fire their events;
    // CellHint answers the tooltip of a cell: the grid's own hint or, with HintShowCells, a normal
    // cell's text without tags, which OnGridHint may replace.
    void ClickCell(int ARow, int ACol);
    void DblClickCell(int ARow, int ACol);
    QString CellHint(int ARow, int ACol);
    // One character typed in the grid, through the grid's key-press step (OnKeyPress first);
    // true when it was consumed there.
    bool KeyPress(QChar Key);
    // A choice in a drop-down cell's list, or an edit typed in one (index -1); real column.
    void ComboChange(int ACol, int ARow, int ItemIndex, const QString& Text);
    // The check box of a cell was clicked: OnCheckBoxClick with its state, nothing for a cell without one.
    void CheckBoxClick(int ACol, int ARow);
    // The row-select option: a click or a move selects the current cell's whole row.
    void SetRowSelect(bool On);
    bool RowSelect() const;

    // Return-value forms of the cell queries (real column): what the in/out forms answer. A fixed
    // cell or one outside the grid is never editable.
    QString GetCheckTrue(int ACol, int ARow);
    QString GetCheckFalse(int ACol, int ARow);
    TEditorType GetCellEditor(int ACol, int ARow);
    bool CanEditCell(int ACol, int ARow);
    // Rows the drop-down list of a cell shows before it scrolls (a column item's count).
    int GetDropDownCount(int ACol, int ARow);
    // Most characters a cell's editor takes, 0 for no limit: the grid's MaxEditLength.
    virtual int GetEditLength(int ACol, int ARow);

    // ---- painting (ExGridPaint.cpp): one cell's layers, the glyph painters, around the cells ----
    virtual void DrawCellText(TCellPaintContext& C);
    virtual void DrawCellBorders(int ACol, int ARow, plat::TRect R, TCellPaintContext& C);
    virtual void DrawCellGraphic(plat::TRect R, TCellGraphic* Graphic, TVAlignment VAlign, TCellPaintContext& C);
    // One check box; with TriStateMode the state is TriStateValue (0, 1, 2 grayed).
    void DrawCheck(plat::TCanvas& Canvas, plat::TRect R, bool Checked, int TriStateValue, bool TriStateMode,
                   TControlStyle Style, bool Grayed, bool Enabled);
    // Count options of Options; option i is on for i = Index + 1, or with Index -1 when its text is the cell's.
    void DrawRadioGroup(plat::TCanvas& Canvas, const plat::TRect& R, bool Reverse, int Scale, TControlStyle Style,
                        int ARow, int ACol, bool Selected, const QStringList& Options, bool Disabled, bool Horizontal,
                        int Index, int Count);
    // The sort glyph of a column centred at (X, Y).
    void DrawSortIndicator(plat::TCanvas& Canvas, int ACol, int Y, int X);
    void DrawRichTextCell(int ACol, int ARow, const plat::TRect& R, plat::TCanvas& Canvas);
    void DrawCellPictureFixed(const plat::TRect& Area, TCellPaintContext& C);
    void DrawCellPictureTiled(const plat::TRect& Area, TCellPaintContext& C);
    void DrawCellBackgroundGradient(const plat::TRect& Area, TCellPaintContext& C);
    // The grid's frame border: what PaintNCBorder has drawn, by pen colour and path (grid pixels).
    struct TNCBorderLine {
        TColor Color;
        QList<QPoint> Path;
    };
    std::vector<TNCBorderLine> NCBorderLines() const;
    void PaintNCBorder();
    // Sizing lines: a second call at the same place takes the line away again.
    void DrawColSizeLine(int X);
    void DrawRowSizeLine(int Y);
    // The picture or gradient where no cell is; false when nothing was painted.
    bool PaintBackgroundOutsideCells();
    // What the balloon window shows for a client point: false without Balloon.Enable.
    bool GetBalloonText(QPoint ClientPt, QString& Title, QString& Text, int& Icon);
    QPoint LastBalloonPos() const { return FLastBalloonPos; }
    // The design-time helper panel (only while designing): -1 none, 1 "Allow edit", 2 "Column
    // numbers", 3 the look, 4 the close box.
    virtual void PaintDesignHelper();
    int DesignHelperHitTest(int X, int Y);
    // The designer's hit test: marks the item under the point, true for an item.
    bool DesignHitTest(int X, int Y);
    virtual void DesignHelperClick(int X, int Y);
    bool ShowColNrs() const { return FShowColNrs; }
    // Picks a look command (look + 1) for the helper; the pop-up menu when unset.
    std::function<int(TGridLook Current)> FDesignLookChooser;
    // Fixed-cell hover and press state, as the mouse handling keeps it.
    void SetHoverFixedCell(int X, int Y) { FHoverFixedX = X, FHoverFixedY = Y; }
    void SetFixedMouseDown(bool Down, bool DropDownDown) { FMouseDownMove = Down, FDropDownDown = DropDownDown; }
    void SetHoverButton(QPoint Cell) { FHoverButton = Cell; }

private:
    void paintFrame();
    void paintSizeLine(plat::TCanvas& Canvas, bool Vertical, int Pos);
    bool filterButtonShown(int RealCol);
    uint8_t cellButtonKind() const;
    QScrollBar* paintScrollBar();
    void drawInterfaced(TCellPaintContext& C, const plat::TRect& R);
    void drawFixedLook(TCellPaintContext& C, TColor ColorTo, TColor Mirror, TColor MirrorTo);
    void fixedDropDownSeparator(TCellPaintContext& C, bool Pressed);
    void drawFixedEdges(TCellPaintContext& C, bool Ctl3D);
    void drawTreeLines(TCellPaintContext& C);
    bool sortGlyphDue(int RealCol, int ARow);
    int sortGlyphY(const plat::TRect& T) const;
    void drawPlainText(TCellPaintContext& C, plat::TRect T, QString Text, bool SortDue, int ErrPos, int ErrLen);
    void drawSelectionRectangle(TCellPaintContext& C, const plat::TRect& T);
    void drawRotatedCell(TCellPaintContext& C, const plat::TRect& R, TCellGraphic* Graphic);
    void drawNodeGlyph(TCellPaintContext& C, const plat::TRect& R, TCellGraphic* Graphic);
    void drawProgressCell(TCellPaintContext& C, const plat::TRect& R, TCellGraphic* Graphic, TControlStyle Style);
    void drawStyledProgressCell(TCellPaintContext& C, const plat::TRect& R, TCellGraphic* Graphic);
    void drawButtonCell(TCellPaintContext& C, const plat::TRect& R, const plat::TRect& P, TCellGraphic* Graphic);
    int designLineHeight();
    plat::TRect designHelperRect();
    int chooseLookByMenu();
    std::vector<int> FColSizeLines, FRowSizeLines;
    QPointer<QScrollBar> FPaintScrollBar;
    bool FMouseDownMove = false, FDropDownDown = false;
    int FMoveCell = -1, FLastDesignChoice = -1;
    QPoint FHoverButton{-1, -1}, FLastBalloonPos{-1, -1};
    TVAlignment FVAlign = vtaTop;

public:
    explicit TExStringGrid(QWidget* AOwner = nullptr);
    ~TExStringGrid() override;

    // The first window among the control and its parents; nullptr when none is.
    static QWidget* FindOwnerForm(QWidget* Control);

    // ---- lifecycle ----
    // From another string grid only (anything else changes nothing): look, settings objects,
    // dimensions, options, sizes, headers, scrolling, then the cells.
    virtual void Assign(const QObject* Source);
    // The cells of another string grid: texts and cell properties replace this grid's.
    virtual void AssignCells(const QObject* Source);
    // After the window has set what its form stores.
    void Loaded() override;
    bool IsLoaded() const { return FLoaded; }
    // Whole-grid repaint and the footer strip's; skipped once right after the grid switched
    // goEditing itself.
    void Invalidate();
    // Geometry with the integral-height snap; then the border repaint.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    // Shows, hides, enables and disables the scroll bars after ScrollBarAlways.
    void ApplyScrollBarAlways(bool HideUnneeded);

    // ---- window, focus, timer and sizing (ExGridWindow.cpp) ----
    // The widths the proportional sizing scales, taken at the end of loading with the grid's width.
    void InitOrigColSizes();
    int OldSize() const { return FOldSize; }
    // Ticks of the grid timer so far; the blink phase the painter hands to blinking text.
    uint32_t TimerTicks() const { return FTimerTicks; }
    bool GridBlink() const { return FGridBlink; }
    // Whether Tab reaches the grid.
    bool TabStop() const { return (focusPolicy() & Qt::TabFocus) != 0; }
    // The application style's colours: there are no application styles here, so nothing is taken.
    void ApplyVCLStyleColors();
    void HandleStyleChanged() { ApplyVCLStyleColors(); }
    // The owner form's resize, as the grid's hook on the form runs it: the grid follows the form
    // (SizeWithForm), then the form's own handling (what it raises is dropped), then the stretch.
    void FormResized(QWidget* Sender, const std::function<void()>& FormHandler = {});
    // The canvas of the floating footer's panel.
    plat::TCanvas& FooterCanvas();
    // The fixed-sizing flags cleared and a hovered fixed cell (HoverFixedCells) painted plain again.
    void ResetFixedCellHighlight();
    // The mouse's select mode, which picks the grid's cursor over the cells.
    TMouseSelectMode MouseSelectMode() const { return FMouseSelectMode; }
    void SetMouseSelectMode(TMouseSelectMode Value) { FMouseSelectMode = Value; }
    bool CellSelectorMode() const { return FCellSelectorMode; }
    void SetCellSelectorMode(bool Value) { FCellSelectorMode = Value; }
    // The cursor step for a client point of the cells (a select mode's own cursor, else the
    // cell's), then the split cursors over a fixed border that sizes.
    void UpdateCellCursor(int X, int Y);
    // Set while the grid refuses to lose the focus (a special edit ending) or to take it.
    bool BlockKill() const { return FBlockKill; }
    void SetBlockKill(bool Value) { FBlockKill = Value; }
    bool BlockFocus() const { return FBlockFocus; }
    void SetBlockFocus(bool Value) { FBlockFocus = Value; }

    // ---- keyboard (ExGridKeys.cpp): display columns and rows ----
    // Tab stops: with goEditing an editable cell (real column), else a cell that is not fixed;
    // OnSelectCell has the last word.
    bool IsTabStopCell(int ACol, int ARow);
    // The first and last tab stop of a row, -1 when it has none.
    int FirstTabStopCol(int ARow);
    int LastTabStopCol(int ARow);
    // FixedCols, or 1 when column 0 of a grid without fixed columns holds the node glyphs.
    int FirstNavigableCol() const { return firstNavigableCol(); }
    // The right fixed columns that are not hidden.
    int VisibleFixedRightCols() const;
    // The current row is the last above the fixed footers (and the floating footer's row).
    bool IsLastNormalRow() const;
    virtual void GotoFirstRow();
    // One row more at the end, asked of OnCanAddRow; a shown floating footer's row stays last.
    void AppendRowAtEnd();
    // Set when a key inserted or deleted a row.
    bool GridModified() const { return FGridModified; }
    void SetGridModified(bool Value) { FGridModified = Value; }
    // The current cell when the last key went down.
    plat::TGridCoord LastKeyCell() const { return FLastKeyCell; }
    // While the search footer shows, the top row rises until the last row is clear of its panel.
    void KeepLastRowAboveSearchFooter();
    // The row hooks the keys ask; each fires its event.
    virtual void CanAddRow(bool& CanAdd);
    virtual void CanInsertRow(int ARow, bool& CanInsert);
    // The clipboard operations the clipboard shortcuts run; the copy and paste formats fill them
    // in, and nothing is copied before they do.
    virtual void CutSelectionToClipboard() {}
    virtual void CopySelectionToClipboard() {}
    virtual void PasteSelectionFromClipboard() {}
    QString GetEditMask(int ACol, int ARow) override;

    // ---- update lock: nested; no redraw and no repaint work while above 0 ----
    // Every block is counted; only the redraw switch depends on the grid being visible. The end of
    // the outermost block (and an end with none open) drops a pending selection change and repaints.
    void BeginUpdate();
    void EndUpdate();
    // A block that never touches the window, and the count back to 0 without a repaint.
    void StartUpdate() { ++FUpdateCount; }
    void ResetUpdate() { FUpdateCount = 0; }
    int UpdateCount() const { return FUpdateCount; }
    bool LockUpdate() const { return FUpdateCount > 0; }
    void SetLockUpdate(bool Value) { Value ? BeginUpdate() : EndUpdate(); }
    // Repaints the whole grid unless updates are locked.
    void RepaintGrid();
    void RepaintRow(int ARow);

    // ---- cells: real column, display row; outside the grid std::out_of_range ----
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, QString Value);
    int TotalColCount() const override;

    // ---- hidden columns: cells stay at their real column, only the display shrinks ----
    // Real columns 512 and above are never hidden, nor the last display column.
    void HideColumn(int ColIndex) { HideColumns(ColIndex, ColIndex); }
    void HideColumns(int FromCol, int ToCol);
    void UnHideColumn(int ColIndex) { UnHideColumns(ColIndex, ColIndex); }
    void UnHideColumns(int FromCol, int ToCol);
    void UnHideColumnsAll() { UnHideColumns(0, ColCount() + NumHiddenColumns()); }
    bool IsHiddenColumn(int ColIndex) const;
    // Display <-> real; a hidden real column maps to the display place it would take. Both are
    // table look-ups kept in step with every hide and unhide.
    int RealColIndex(int ACol) const;
    int DisplColIndex(int ACol) const override;
    int RealCol() const { return RealColIndex(Col()); }
    int GetRealCol() const { return RealCol(); }
    // The width of a real column, kept while it is hidden; writing a shown column sizes it.
    int AllColWidths(int ACol) const;
    void SetAllColWidths(int ACol, int Value);
    int NumHiddenColumns() const { return FNumHidden; }
    int NumHiddenRows() const { return FGridItems.Count(); }
    int TotalRowCount() const { return RowCount() + NumHiddenRows(); }
    int AllColCount() const { return ColCount() + FNumHidden; }
    int AllRowCount() const { return RowCount() + NumHiddenRows(); }

    // ---- dimensions ----
    // The row count; with FixedRowAlways the fixed rows asked for come back once there is room, and a
    // shown floating footer's row stays last.
    // A fixed column 0 numbers the rows a larger count adds.
    void SetRowCount(int Value);
    // Columns cut off by a lower count lose their cells.
    virtual void SetColCount(int Value);
    // With FixedRowAlways (FixedColAlways) a count of 0 reads 1, and a count at or above the rows
    // (columns) is cut to leave one normal row (column).
    int FixedRows() const;
    void SetFixedRows(int Value);
    int FixedCols() const;
    void SetFixedCols(int Value);
    bool WordWrap() const { return FWordWrapEx; }
    void SetWordWrap(bool Value);
    void SetDefaultRowHeight(int Value);
    int FixedRowHeight() const { return FFixedRowHeight; }
    void SetFixedRowHeight(int Value);
    int FixedColWidth() const { return ColCount() > 0 ? ColWidths(0) : 0; }
    void SetFixedColWidth(int Value);
    int FixedFooters() const { return FFixedFooters; }
    void SetFixedFooters(int Value);
    bool AutoSize() const { return FAutoSize; }
    // Switched on (outside Loaded), the columns are sized to their content at once.
    void SetAutoSize(bool Value);
    // Fills the client width with one column (-1: the last); "Stretch column index out of range"
    // for a column at or beyond ColCount.
    void StretchColumnToFit(int ACol);
    void StretchRightColumn() { StretchColumnToFit(ColCount() - 1); }

    // ---- hidden rows: a hidden row's record leaves the store for an item and comes back whole ----
    void HideRow(int ARow) { HideRows(ARow, ARow); }
    // Hides the still visible rows of a range of real rows.
    void HideRows(int FromRow, int ToRow);
    // Hides a range of real rows through the row removal, each with its height.
    void HideRowsEx(int FromRow, int ToRow);
    // Hides the listed display rows (ascending) as one filter level.
    void HideRowList(const std::vector<int>& RowList);
    // Shows the rows of the top filter level again at their places; rows hidden otherwise stay.
    void UnHideRowList();
    int FilterLevel() const { return FFilterLevel; }
    void SetFilterLevel(int Value) { FFilterLevel = std::max(0, Value); }
    // Shows one hidden row at its place among the visible ones; a visible row changes nothing.
    void UnHideRow(int ARow);
    // Shows the hidden rows of a range; nothing unless FromRow itself is hidden.
    void UnHideRows(int FromRow, int ToRow);
    void UnHideRowsAll();
    bool IsHiddenRow(int ARow) const;
    // Display <-> real rows by binary search over the sorted hidden indexes.
    int RealRowIndex(int ARow) const;
    int DisplRowIndex(int ARow) const;
    int RealRow() const { return RealRowIndex(Row()); }
    int GetRealRow() const { return RealRow(); }
    // The text of a cell by real row, a hidden row's read from its item.
    QString GetCellsEx(int ACol, int ARealRow) const;
    // The object kept with a cell by real row, a hidden row's read from its item; 0 when none.
    uintptr_t GetCellObjectReal(int ACol, int ARealRow) const;
    // The cell text without its HTML tags.
    QString GetStrippedCell(int ACol, int ARow) const;

    // ---- ranges and hit tests ----
    // The rectangle of the non-empty cells (real columns, display rows); all 0 when every cell is empty.
    plat::TGridRect UsedCells() const;
    // The cell range file export writes.
    int SaveStartCol() const;
    int SaveEndCol() const;
    int SaveColCount() const;
    int SaveStartRow() const;
    int SaveEndRow() const;
    int SaveRowCount() const;
    // The cell under a screen point; -1, -1 outside the cells.
    void ScreenToCell(QPoint Pt, int& ACol, int& ARow) const;
    // Whether a client point lies on a border the user may drag: within 4 pixels of a column border in
    // the header rows (goColSizing) or of a row border in the fixed columns (goRowSizing).
    bool IsOnSizingBorder(int X, int Y) const;

    // ---- headers ----
    const QStringList& ColumnHeaders() const { return FColumnHeaders; }
    void SetColumnHeaders(const QStringList& Value);
    const QStringList& RowHeaders() const { return FRowHeaders; }
    void SetRowHeaders(const QStringList& Value);
    const QStringList& LookupItems() const { return FLookupItems; }
    void SetLookupItems(const QStringList& Value) { FLookupItems = Value; }
    void ShowColumnHeaders();
    void ShowRowHeaders();
    void ClearColumnHeaders();
    void ClearRowHeaders();

    // ---- typed accessors (real column; display row, or real row for the All forms) ----
    // Empty or "-" read 0; HTML tags are removed first except by the All forms.
    void SetInts(int ACol, int ARow, int Value);
    int GetInts(int ACol, int ARow) const;
    void SetAllInts(int ACol, int ARow, int Value);
    int GetAllInts(int ACol, int ARow) const;
    // Formatted with GetFloatFormat (the All form with FloatFormat itself); a format that does not
    // take one floating-point number raises the formatter's error and leaves the cell.
    void SetFloats(int ACol, int ARow, double Value);
    void SetAllFloats(int ACol, int ARow, double Value);
    virtual QString GetFloatFormat(int ACol, int ARow) const { return FFloatFormat; }
    double GetFloats(int ACol, int ARow) const;
    double GetAllFloats(int ACol, int ARow) const;
    // Dates and times as the locale writes them (days since 30 December 1899 and a fraction of a
    // day); day 0 is written while ShowNullDates is on, else the cell is emptied. A text that is no
    // date or time raises the conversion error.
    void SetDates(int ACol, int ARow, double Value);
    double GetDates(int ACol, int ARow) const;
    void SetTimes(int ACol, int ARow, double Value);
    double GetTimes(int ACol, int ARow) const;
    // The text of a cell by real row, a hidden row's written into its item.
    void SetCellsEx(int ACol, int ARealRow, const QString& Value);
    // Print width and offset of a column, 0..511.
    int GetPrintColWidth(int ACol) const;
    int GetPrintColOffset(int ACol) const;

    // ---- navigation and selection (display indexes) ----
    // The current row; OnRowChanged reports a change from the row it last reported.
    void SetRow(int Value);
    // Ignored outside FixedRows .. RowCount - 1.
    void SetTopRow(int Value);
    bool IsIgnoredColumn(int ACol) const {
        return std::find(FIgnoreColumns.begin(), FIgnoreColumns.end(), ACol) != FIgnoreColumns.end();
    }
    void SetIgnoreColumns(std::vector<int> Value) { FIgnoreColumns = std::move(Value); }
    void GotoCell(int ACol, int ARow);
    void FocusCell(int ACol, int ARow);
    // Exchanges the stored texts and cell objects of two cells, raw.
    void SwapCells(plat::TGridCoord FromCell, plat::TGridCoord ToCell);
    void SelectRange(int FromCol, int ToCol, int FromRow, int ToRow);
    bool GetRowSelect(int ARow);
    void SetRowSelect(int ARow, bool Value);
    void SelectRows(int RowIndex, int RCount);
    void UnSelectRows(int RowIndex, int RCount);
    void ClearRowSelect();
    int RowSelectCount() const;
    // The row (column) marks follow the selection: rows inside it marked, with All the others cleared.
    void SyncRowSelectWithSelection(bool All);
    void SyncColSelectWithSelection(bool All);
    // Repaints the cells of a block; the whole grid when a corner is off screen.
    void RepaintRect(const plat::TGridRect& R);
    int SelectedRowCount() const { return FSelectedRows->Count(); }
    int SelectedRow(int i) const { return FSelectedRows->Items(i); }
    bool GetColSelect(int ACol);
    void SetColSelect(int ACol, bool Value);
    void SelectCols(int ColIndex, int CCount);
    void UnSelectCols(int ColIndex, int CCount);
    void ClearColSelect();
    int ColSelectCount() const;
    bool GetRowModified(int ARow) const;
    void SetRowModified(int ARow, bool Value);
    int ModifiedRowCount() const;
    bool GetRowEnabled(int ARow) const;
    void SetRowEnabled(int ARow, bool Value);
    void RepaintCol(int ACol);

    // ---- column order ----
    void SetColumnOrder();
    const std::vector<int>& ColumnOrder() const { return FColumnOrder; }
    // Shows every hidden column, then moves each column back to the place the order gives.
    void ResetColumnOrder();

    // ---- columns and rows moved, inserted and removed (display indexes unless said) ----
    // A column's cells, width, hidden flag and order entry move together.
    void HandleColumnMoved(int FromIndex, int ToIndex);
    // A row's record (texts, objects, height) moves.
    void HandleRowMoved(int FromIndex, int ToIndex);
    // Indexes outside the grid change nothing.
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    void MoveRows(int FromIndex, int ToIndex, int Count);
    // Empty columns in at a real column, and real columns out, with widths and hidden flags.
    virtual void InsertCols(int ColIndex, int CCount);
    virtual void RemoveCols(int ColIndex, int CCount);
    // Scrolls a cell into view, centring it (and making it current) where it lay outside.
    void ScrollInView(int ACol, int ARow);
    void HideSelection();
    void UnHideSelection();
    bool SelHidden() const { return FSelHidden; }
    // Runs the selection hook for the current cell again.
    void UpdateEditMode() { SelectCell(Col(), Row()); }

    // ---- grouping ----
    int32_t GroupColumn() const { return FGroupColumn; }
    // -1 ungroups, a column above 0 groups on it, anything else does nothing.
    void SetGroupColumn(int32_t Value);
    bool IsGrouping() const { return FIsGrouping; }
    virtual void SubGroup(int ACol);
    virtual void SubUnGroup(int ACol);
    virtual void Group(int ACol);
    virtual void UnGroup();
    // One aggregate per expanded group, into its summary row (with Grouping.Summary) or its header.
    void GroupCalc(int ACol, int Method);
    void GroupSum(int ACol) { GroupCalc(ACol, 1); }
    void GroupAvg(int ACol) { GroupCalc(ACol, 2); }
    void GroupMin(int ACol) { GroupCalc(ACol, 3); }
    void GroupMax(int ACol) { GroupCalc(ACol, 4); }
    void GroupCount(int ACol) { GroupCalc(ACol, 5); }
    void GroupCustomCalc(int ACol) { GroupCalc(ACol, 6); }
    void GroupDistinct(int ACol) { GroupCalc(ACol, 7); }
    void GroupStdDev(int ACol) { GroupCalc(ACol, 8); }
    std::function<void(QObject* Sender, int32_t ACol, int32_t FromRow, int32_t ToRow, double& Res)> OnGroupCalc;
    double GroupCustomValue(int ACol, int FromRow, int ToRow);

    // ---- column statistics: -1 for either row means the normal rows; a range past the display
    // rows reads real rows ----
    double ColumnSum(int ACol, int FromRow, int ToRow);
    double ColumnAvg(int ACol, int FromRow, int ToRow);
    // "Cell does not contain a float value" when the cell at FromRow is no number.
    double ColumnMin(int ACol, int FromRow, int ToRow);
    double ColumnMax(int ACol, int FromRow, int ToRow);
    double ColumnStdDev(int ACol, int FromRow, int ToRow);
    int ColumnDistinct(int ACol, int FromRow, int ToRow);

    // ---- row and cell colours; clNone clears ----
    void SetRowColor(int ARow, TColor AColor);
    void SetRowColorTo(int ARow, TColor AColor);
    void SetRowFontColor(int ARow, TColor AColor);
    void SetColors(int ACol, int ARow, TColor AColor);
    void SetColorsTo(int ACol, int ARow, TColor AColor);
    void SetFontColors(int ACol, int ARow, TColor AColor);

    // ---- filtering ----
    virtual bool MatchFilter(int ARow);
    void FilterRow(int ARow);
    void ApplyFilter();
    bool FilterActive() const { return FFilterActive; }
    void SetFilterActive(bool Value);
    bool RemoveLastFilter();
    void RemoveAllFilters();
    void NarrowDown(const QString& ACondition, int AColumn);
    const QString& LastFilter() const { return FLastFilter; }
    // The column whose filter drop-down is open (-1 none), as the drop-down sets it.
    int FilterCol() const { return FFilterCol; }
    void SetFilterCol(int Value) { FFilterCol = Value; }
    virtual void FilterSelect(int ItemIndex);
    virtual void FilterCheck();
    std::function<void(QObject* Sender, int32_t ARow, bool& AcceptRow)> OnCustomFilter;
    std::function<void(QObject* Sender, uint16_t Progress)> OnFilterProgress;
    std::function<void(QObject* Sender, int32_t Column, int32_t ItemIndex, const QString& FriendlyName,
                       QString& FilterCondition)>
        OnFilterSelect;
    std::function<void(QObject* Sender, int32_t Column, int32_t ItemIndex, const QString& FriendlyName,
                       QString& FilterCondition, TDropCheckList* CheckList)>
        OnFilterCheck;

    // ---- highlighting and marking ("hi" and "e" tags) ----
    static QString HilightText(bool DoCase, const QString& S, const QString& Text);
    static QString UnHilightText(const QString& S);
    static QString MarkText(bool DoCase, const QString& S, const QString& Text);
    static QString UnMarkText(const QString& S);
    void HilightInCell(bool DoCase, int Col, int Row, const QString& HiText);
    void HilightInCol(bool DoFixed, bool DoCase, int Col, const QString& HiText);
    void HilightInRow(bool DoFixed, bool DoCase, int Row, const QString& HiText);
    void HilightInGrid(bool DoFixed, bool DoCase, const QString& HiText);
    void UnHilightInCell(int Col, int Row);
    void UnHilightInCol(bool DoFixed, int Col);
    void UnHilightInRow(bool DoFixed, int Row);
    void UnHilightInGrid(bool DoFixed);
    void MarkInCell(bool DoCase, int Col, int Row, const QString& HiText);
    void MarkInCol(bool DoFixed, bool DoCase, int Col, const QString& HiText);
    void MarkInRow(bool DoFixed, bool DoCase, int Row, const QString& HiText);
    void MarkInGrid(bool DoFixed, bool DoCase, const QString& HiText);
    void UnMarkInCell(int Col, int Row);
    void UnMarkInCol(bool DoFixed, int Col);
    void UnMarkInRow(bool DoFixed, int Row);
    void UnMarkInGrid(bool DoFixed);

    // ---- cell checks through CellChecker; true when it changed nothing ----
    bool CheckCell(int ACol, int ARow);
    bool CheckCells(int FromCol, int FromRow, int ToCol, int ToRow);
    bool CheckCol(bool DoFixed, int ACol);
    bool CheckRow(bool DoFixed, int ARow);
    bool CheckGrid(bool DoFixed);

    // ---- fills over the normal cells (all with DoFixed), ending with CellsLoaded ----
    void TextFill(bool DoFixed, const QString& Txt);
    // Fmt takes the column and the row; a format that does not fit raises before any cell changes.
    void FormatFill(bool DoFixed, const QString& Fmt);
    // 0 .. Rnd - 1 from the generator (seedable); a limit below 1 writes 0.
    void RandomFill(bool DoFixed, int Rnd);
    void LinearFill(bool DoFixed);
    std::mt19937& RandomGenerator() { return FRandom; }

private:
    void tagInRange(const QString& Text, const QString& Tag, int FromCol, int FromRow, int ToCol, int ToRow,
                    bool DoCase);
    void unTagInRange(const QString& Tag, int FromCol, int FromRow, int ToCol, int ToRow);
    void unTagCol(const QString& Tag, bool DoFixed, int Col);
    void unTagRow(const QString& Tag, bool DoFixed, int Row);
    void unTagGrid(const QString& Tag, bool DoFixed);
    void fillRange(bool DoFixed, const std::function<QString(int, int)>& Value);
    void colourCells(int ACol, int ARow, int Which, TColor AColor);
    // The statistics' rows: whether a row takes part, and its value.
    void statRange(int& FromRow, int& ToRow, bool& Real) const;
    bool statRowCounts(int ACol, int Row, bool Real);
    double statValue(int ACol, int Row, bool Real);
    void colourGroupRow(int ARow, bool Header);
    int32_t FGroupColumn = -1;
    int FGroupWidth = 0;
    QString FGroupCaption, FGroupFooter, FLastFilter;
    bool FIsGrouping = false;
    bool FSelHidden = false;
    bool FFilterActive = false;
    int FFilterFixedRows = 0;
    plat::TGridRect FOldSelection;
    std::mt19937 FRandom{5489u};

public:
    // The conditions ApplyFilter compiled for its run; MatchFilter compiles its own outside one.
    struct TCompiledFilter;

private:
    const TCompiledFilter* FCompiledFilter = nullptr;
    bool matchItems(int ARow, const TCompiledFilter& Compiled);

public:

    // ---- look ----
    TGridLook Look() const { return FLook; }
    void SetLook(TGridLook Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    bool IsThemed() const { return FIsComCtl6; }
    bool IsWinXP() const { return FIsWinXP; }
    plat::TFont& FixedFont() { return FFixedFont; }
    void SetFixedFont(const plat::TFont& Value) { FFixedFont.Assign(Value); }
    plat::TFont& ActiveCellFont() { return FActiveCellFont; }
    void SetActiveCellFont(const plat::TFont& Value);
    plat::TBitmap& RowIndicator() { return FRowIndicator; }
    void SetRowIndicator(const plat::TBitmap& Value);
    // Ignores what it is given: forms store a version that has no effect.
    QString Version() const;
    void SetVersion(const QString&) {}
    virtual int32_t GetVersionNr() const;
    virtual QString GetVersionString() const;
    int32_t VersionNr() const { return GetVersionNr(); }
    QString VersionString() const { return GetVersionString(); }
    // From, To, MirrorFrom and MirrorTo store the colour as RGB (system colours resolved) and
    // repaint; the others only store.
#define EX_VEZ_ACCESS(Suffix, Default)                                        \
    TColor VEZGradient##Suffix() const { return FVEZGradient##Suffix; }      \
    void SetVEZGradient##Suffix(TColor Value);
    EX_GRID_VEZ(EX_VEZ_ACCESS)
#undef EX_VEZ_ACCESS

#define EX_GRID_ACCESS(T, Name, Default)              \
    const std::type_identity_t<T>& Name() const { return F##Name; } \
    void Set##Name(const std::type_identity_t<T>& Value) { F##Name = Value; }
    EX_GRID_STORED(EX_GRID_ACCESS)
#undef EX_GRID_ACCESS
#define EX_GRID_READ(T, Name, Default) \
    const std::type_identity_t<T>& Name() const { return F##Name; } \
    void Set##Name(const std::type_identity_t<T>& Value);
    EX_GRID_WRITTEN(EX_GRID_READ)
#undef EX_GRID_READ
    QCursor Cursor() const;
    void SetCursor(const QCursor& Value);
    // The last page printed from; the preview starts there.
    int32_t PreviewPage() const { return FPrintPageFrom; }

    // ---- printing, print preview and drawing a page (ExGridPrint.cpp) ----
    // The print operations drive Printer(); previews and draws take any canvas, DisplayRect and
    // DrawRect in its device units.
    void Print();
    void PrintSelection();
    void PrintRect(const plat::TGridRect& GridRect);
    void PrintSelectedRows();
    void PrintSelectedCols();
    void PrintPreview(plat::TCanvas& Canvas, const plat::TRect& DisplayRect);
    void PrintPreviewRect(plat::TCanvas& Canvas, const plat::TRect& DisplayRect, const plat::TGridRect& GridRect);
    void PrintPreviewSelection(plat::TCanvas& Canvas, const plat::TRect& DisplayRect);
    void PrintPreviewSelectedRows(plat::TCanvas& Canvas, const plat::TRect& DisplayRect);
    void PrintPreviewSelectedCols(plat::TCanvas& Canvas, const plat::TRect& DisplayRect);
    void PrintDraw(plat::TCanvas& Canvas, const plat::TRect& DrawRect);
    void PrintDrawRect(plat::TCanvas& Canvas, const plat::TRect& DrawRect, const plat::TGridRect& GridRect);
    // A font height in 0.1 mm for a point size, scaled by Fontscalefactor; and back.
    int MapFontHeight(int PointSize) const;
    static int MapFontSize(int Height);
    // Both ends of the drawn page range.
    void SetPreviewPage(int32_t Value) { FPrintPageFrom = FPrintPageTo = Value; }
    double Fontscalefactor() const { return FFontscalefactor; }
    // The printer the print operations use, made on first use.
    QPrinter& Printer();
    // What the last print, preview or draw laid out (counting passes included).
    const TPrintLayout& PrintLayout() const;
    // The longest line, in characters, of any cell of the column over all rows.
    int MaxColumnTextLength(int ACol);
    // Where text turned by Angle is drawn inside Rect (shrunk by 2 on each side).
    plat::TRect CalcRotatedTextRect(const plat::TRect& Rect, int Angle, TVAlignment VAlign, TAlignment HAlign,
                                    const QString& Text);
    // Repaints the cells from the top-left to the bottom-right cell of GridRect.
    void InvalidateGridRect(const plat::TGridRect& GridRect);
    std::function<void(QObject* Sender, double& ScaleFactor, bool& Allow)> OnFitToPage;
    std::function<void(QObject* Sender, int32_t ACol, int32_t& Width)> OnPrintSetColumnWidth;
    std::function<void(QObject* Sender, int32_t ARow, int32_t& Height)> OnPrintSetRowHeight;
    std::function<void(QObject* Sender, plat::TCanvas& Canvas, int32_t PageNr, int32_t PageXSize, int32_t PageYSize)>
        OnPrintPage;
    std::function<void(QObject* Sender, int32_t ARow, bool& NewPage)> OnPrintNewPage;
    std::function<void(QObject* Sender, plat::TCanvas& Canvas, int32_t LastRow, int32_t LastRowOffset, int32_t LastPage,
                       int32_t PageXSize, int32_t PageYSize)>
        OnPrintPageDone;
    std::function<void(QObject* Sender, int32_t PageNr, bool& Cancel)> OnPrintCancel;
    std::function<void(QObject* Sender, plat::TCanvas& Canvas, int32_t ACol, int32_t ARow, QSize& ASize, bool Printing)>
        OnCustomCellSize;

    // The grid's check texts, public fields as the table dialogs know them; a column grid's columns
    // bring their own.
    QString CheckTrue = QStringLiteral("Y");
    QString CheckFalse = QStringLiteral("N");

    // ---- scroll bars ----
    // The look of the bars: ssFlat and ssEncarta style the grid's own bars flat (ssEncarta
    // hot-tracked), ssMetro swaps them for two thin scroll controls.
    TScrollType ScrollType() const { return FScrollType; }
    void SetScrollType(TScrollType Value);
    // The flat bars' background (clNone: the style's) and thickness.
    TColor ScrollColor() const { return FScrollColor; }
    void SetScrollColor(TColor Value);
    int32_t ScrollWidth() const { return FScrollWidth; }
    void SetScrollWidth(int32_t Value);
    // Bars whose range follows the pixel sizes of the rows and columns.
    bool ScrollProportional() const { return FScrollProportional; }
    void SetScrollProportional(bool Value);
    // Whether the flat styling is applied to the bars.
    bool IsFlat() const { return FIsFlat; }
    void UpdateProportionalVScroll();
    void UpdateProportionalHScroll();
    // Suspends the proportional updates.
    bool ScrollLock() const { return FScrollLock; }
    void SetScrollLock(bool Value) { FScrollLock = Value; }
    // The thin scroll controls of ssMetro; nullptr otherwise.
    TScrollControl* VScrollControl() const { return FVScrlCtrl.get(); }
    TScrollControl* HScrollControl() const { return FHScrlCtrl.get(); }
    // The scroll bar shown inside a cell and that cell (display column, row); the vertical scroll
    // messages it sends move its position by lines of 10 and pages of 100.
    void SetCellScrollBar(QScrollBar* Bar, int ACol, int ARow);
    // Scroll messages as the bars send them (SB_ codes, the 0..127 position).
    void HandleWMHScroll(int ScrollCode, int Pos) { HScrollMessage(ScrollCode, Pos); }
    bool HandleWMVScroll(int ScrollCode, int Pos, QScrollBar* Sender = nullptr);
    // Drag scrolling: every drag-over notice in client pixels.
    void HandleDragOver(TDragOverState State, int X, int Y);
    TDragScrollDirections DragScrollDirection() const { return FDragScrollDirection; }
    // The drag-scroll timer while one runs, else nullptr.
    plat::TTimer* DragScrollTimer() const { return FDragTmr.get(); }
    // The column-size hook: OnUpdateColumnSize may change the width a sizing left.
    virtual void UpdateColumnSize(int ACol, int& AWidth);
    // The same hook asked by auto-sizing.
    virtual void UpdateAutoColumnSize(int ACol, int& AWidth);

    // ---- cell layout and text metrics (ACol a real column unless named DisplayCol) ----
    // The text alignment of a cell: the default, numbers to the right with AutoNumAlign, the cell's
    // own alignment, then the alignment query.
    std::pair<TAlignment, TVAlignment> GetCellAlignment(int ACol, int ARow);
    // The fixed font or the font, with the cell's own font values, then the colour query.
    void GetFontProperties(int ACol, int RCol, int ARow, plat::TGridDrawState& AState, plat::TFont& AFont,
                           plat::TBrush& ABrush, bool Remap);
    // The size a cell's text needs: VS wraps it into the cell's width, SB keeps room for a drop-down
    // button.
    QSize GetCellTextSize(int ACol, int ARow, bool VS, bool SB);
    QSize CalcCellTextSize(int ACol, int DisplayCol, int ARow, bool VS, bool SB);
    // The display text of a numeric cell through OnGetFloatFormat; the cell text otherwise and when
    // the format does not fit the value.
    virtual QString GetFormattedCell(int ACol, int ARow);
    // The cell's graphic (nullptr without) and the room and place it takes beside the text.
    TCellGraphic* CellGraphicLayout(int ACol, int ARow, int& W, int& H, TCellHAlign& HAlign, TCellVAlign& VAlign,
                                    bool& DrawText);
    virtual void SelectionChanged(int ALeft, int ATop, int ARight, int ABottom);
    virtual void AutoInsertRow(int ARow);
    virtual void AutoDeleteRow(int ARow);
    virtual void FilterDone();
    virtual void FixedEdit(int ACol, int ARow, TGridFixedCellEditor& AEditor, QStringList& Values);
    virtual void GetCellTextForCalc(int ACol, int ARow, QString& Value);
    virtual void GetSaveCellText(int ACol, int ARow, QString& Value);
    virtual void SetLoadCellText(int ACol, int ARow, QString Value);
    virtual void ExportNotification(TGridExportState AState, int ARow) {}
    virtual void ImportNotification(TGridImportState AState, int ARow) {}
    bool SelectionChangedFlag() const { return FSelChange; }

    // ---- cell colours, styles and colour tones ----
    void GetVisualProperties(int ACol, int ARow, plat::TGridDrawState& AState, bool Print, bool Select, bool Remap,
                             plat::TBrush& ABrush, TColor& AColorTo, TColor& AMirrorColor, TColor& AMirrorColorTo,
                             plat::TFont& AFont, TAlignment& HA, TVAlignment& VA, bool& WW,
                             TCellGradientDirection& GD) override;
    // Percent of A over B, each RGB channel rounded half to even.
    static TColor MixColors(TColor A, TColor B, int Percent);
    static TColor SelectionMixColor(TColor SelColor, TColor CellColor, bool Mixer, int Factor);
    virtual void SetStyle(TExGridStyle AStyle);
    void SetComponentStyle(TSkinStyle AStyle);
    void SetColorTones(const TColorTones& ATones);
    const TColorTones& ColorTones() const { return FTones; }
    TSkinStyle ComponentStyle() const { return FStyle; }
    void SetTheme(TXPColorScheme Scheme);
    void AdaptToOfficeTheme();
    // On: the grid follows the Office theme now and at each change notice.
    bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
    void SetAutoThemeAdapt(bool Value);
    // The drop-down editors that exist take the style; there are none before the editors do.
    void StyleDropDownEditors(TSkinStyle AStyle) {}
    void SetSyncGrid(const TSyncGrid& Value);
    // The disjunctly selected cells, kept as column and row pairs.
    bool IsSelectedCell(int ACol, int ARow) const;

    // ---- look and URL display ----
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(TColor Value);
    bool URLShow() const { return FURLShow; }
    void SetURLShow(bool Value);
    bool URLShowInText() const { return FURLShowInText; }
    void SetURLShowInText(bool Value);
    bool URLFull() const { return FURLFull; }
    void SetURLFull(bool Value);
    // "glXP" and "Windows XP" for glXP; empty for glCustom.
    static QString LookName(TGridLook Look);
    static QString LookDisplayName(TGridLook Look);
    // The last fixed row's cell in the column and the last fixed column's cell in the row of both
    // current cells.
    void RepaintActiveHeaders(int OldCol, int OldRow, int NewCol, int NewRow);
    bool IsSortIndicatorRow(int ACol, int ARow);

    // ---- owned settings objects and helpers ----
    TSearchFooter& SearchFooter() { return *FSearchFooter; }
    TFloatingFooter& FloatingFooter() { return *FFloatingFooter; }
    TPrintSettings& PrintSettings() { return *FPrintSettings; }
    THTMLSettings& HTMLSettings() { return *FHTMLSettings; }
    TSortSettings& SortSettings() { return *FSortSettings; }
    TDragDropSettings& DragDropSettings() { return *FDragDropSettings; }
    TDragScrollOptions& DragScrollOptions() { return *FDragScrollOptions; }
    TControlLook& ControlLook() { return *FControlLook; }
    TNavigation& Navigation() { return *FNavigation; }
    TColumnSize& ColumnSize() { return *FColumnSize; }
    TCellNode& CellNode() { return *FCellNode; }
    TBands& Bands() { return *FBands; }
    TSizeWhileTyping& SizeWhileTyping() { return *FSizeWhileTyping; }
    TMouseActions& MouseActions() { return *FMouseActions; }
    TGrouping& Grouping() { return *FGrouping; }
    TFilterDropDown& FilterDropDown() { return *FFilterDropDown; }
    TFilter& Filter() { return *FFilter; }
    TGridProgressAppearance& ProgressAppearance() { return *FProgressAppearance; }
    TSyncGrid& SyncGrid() { return *FSyncGrid; }
    TBackGround& BackGround() { return *FBackGround; }
    TBalloonSettings& Balloon() { return *FBalloon; }
    TShowModified& ShowModified() { return *FShowModified; }
    TFocusHelper& FocusHelper() { return *FFocusHelper; }
    TSortIndexList& SortIndexes() { return *FSortIndexes; }
    TIntList& OrigColSizes() { return *FOrigColSizes; }
    const QStringList& FilterList() const { return FFilterList; }
    TFooterPanel* FooterPanel() const { return FFooterPanel.get(); }
    TSearchPanel* SearchPanel() const { return FSearchPanel.get(); }
    TGridItems& GridItems() { return FGridItems; }
    TGridFocusWindow* FocusWindow() const { return FFocusWindow.get(); }
    TGridTransEdit* EditTrans() const { return FEditTrans.get(); }
    TGridTransCombo* ComboTrans() const { return FComboTrans.get(); }
    THTMLHintWindow* ScrollHintWindow() const { return FScrollHintWnd.get(); }
    TDropList* DropList() const { return FDropList.get(); }
    TDropCheckList* DropCheckList() const { return FDropCheckList.get(); }
    // The arrow of a direction, made when first asked for (in the colour set last, if any).
    TArrowWindow* ArrowWindow(TArrowDirection Direction) const;

    // Applies the search footer's settings to the search strip: visibility, height 32 or 0,
    // captions, hints and colours.
    void UpdateSearchPanel();
    // Keeps the footer and search strips along the bottom edge, under the cells.
    void LayoutPanels();

    // ---- focus window: the frame around the cell being edited ----
    // Shows it around the current cell and registers this grid as the one showing it.
    void ShowFocusWindow();
    // The same around R (viewport pixels): a translucent rounded ring, only its 4-pixel frame shown.
    void ShowFocusWindow(const plat::TRect& R);
    // Puts the shown focus window back around the current cell on the screen.
    void MoveFocusWindow();
    void HideFocusWindow();

    // ---- the owner form ----
    QWidget* OwnerForm() const { return FOwnerForm.data(); }
    int PrevSizeX() const { return FPrevSizeX; }
    int PrevSizeY() const { return FPrevSizeY; }
    // Lines the wheel scrolls, from the platform at window creation.
    int WheelScrollLines() const { return FWheelScrollLines; }

    // ---- cell property queries: each takes the caller's start value and returns the final one;
    // the cell's own properties contribute, the event has the last word ----
    virtual void GetCellHint(int ACol, int ARow, QString& AHint, QString& AWideHint);
    virtual void GetCellColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                              plat::TFont& AFont);
    virtual void GetCellPrintColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                                   plat::TFont& AFont);
    virtual void GetCellBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders);
    virtual void GetCellPrintBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders);
    virtual void GetCellAlign(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
    virtual void GetCellFormat(int ACol, TSortStyle& AStyle, QString& APrefix, QString& ASuffix);
    // The grid's editor query; spin buttons ask this one, which a column grid leaves alone.
    virtual void GetGridCellEditor(int ACol, int ARow, TEditorType& AEditor);
    // The editor query a column grid answers from its columns.
    virtual void GetCellEditor(int ACol, int ARow, TEditorType& AEditor);
    virtual bool IsNoEditorCell(int ACol, int ARow);
    virtual void IsFixedCell(int ACol, int ARow, bool& IsFixed);
    virtual void CanEditCell(int ACol, int ARow, bool& CanEdit);
    virtual void DoCanEditCell(int ACol, int ARow, bool& CanEdit);
    virtual void IsPasswordCell(int ACol, int ARow, bool& IsPassword);
    virtual void GetWordWrap(int ACol, int ARow, bool& WordWrap);
    virtual bool HasComboBox(int ACol, int ARow);
    virtual bool HasSpinEdit(int ACol, int ARow);
    virtual void GetCheckTrue(int ACol, int ARow, QString& Value);
    virtual void GetCheckFalse(int ACol, int ARow, QString& Value);
    // A hidden row's cell (real row; a hidden row is a data row): the graphic it shows when it has
    // none of its own (a column's shared box), and its check-true or check-false text.
    virtual TCellGraphic* GetHiddenRowGraphic(int ACol, int ARealRow);
    virtual void GetHiddenRowCheckText(int ACol, int ARealRow, bool State, QString& Value);
    // Fills FilterList with the values offered for a column; true when it holds any.
    virtual bool GetColumnFilter(int Column);
    virtual void GetCellCursor(int ACol, int ARow, int X, int Y);
    void GetCellDefaults(int ACol, int ARow, plat::TFont& AFont, plat::TBrush& ABrush, TColor& ColorTo,
                         TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HA, TVAlignment& VA, bool& WW,
                         TCellGradientDirection& GD) override;
    // A copy, so two callers never share one font: the grid's font, or the cell's name, size,
    // style and colour.
    plat::TFont GetCellFont(int ACol, int ARow) const;
    virtual void SearchFooterAction(const QString& Value, int ACol, int ARow, TSearchAction SearchAction);
    virtual void ButtonClick(int ACol, int ARow);
    virtual void ExpandClick(int ACol, int ARow, bool Expanded);
    virtual void ComboCloseUp(int ACol, int ARow);
    virtual void ComboDropDown(int ACol, int ARow);
    // The date editors' notices, passed on as grid events with the current cell.
    void DateTimeChanged(const QDateTime& ADateTime);
    // The picker's value as text in the current settings: its time for the time kind, else its date.
    void DatePickerChange(const plat::TDateTimePicker& Picker);
    void DatePickerCloseUp();
    void DatePickerDropDown();
    // The cell's read-only flag; false without cell properties.
    bool GetReadOnly(int ACol, int ARow) const;
    bool ReadOnly(int ACol, int ARow) const { return GetReadOnly(ACol, ARow); }
    void SetReadOnly(int ACol, int ARow, bool Value);
    // Editing switched on for cells with properties while goEditing is off (set by the editor).
    bool EditDisable() const { return FEditDisable; }
    void SetEditDisable(bool Value) { FEditDisable = Value; }

    // ---- cell graphics ----
    virtual TCellGraphic* GetCellGraphic(int ACol, int ARow);
    virtual TCellType GetCellType(int ACol, int ARow);
    TCellGraphic* CreateCellGraphic(int ACol, int ARow);
    bool RemoveCellGraphic(int ACol, int ARow);
    bool RemoveCellGraphicOfType(int ACol, int ARow, TCellType CellType);
    void AddBitmap(int ACol, int ARow, plat::TBitmap* ABmp, bool Transparent, int hal, int val);
    plat::TBitmap* CreateBitmap(int ACol, int ARow, bool Transparent, int hal, int val);
    plat::TBitmap* GetBitmap(int ACol, int ARow);
    bool HasBitmap(int ACol, int ARow) { return GetBitmap(ACol, ARow) != nullptr; }
    bool RemoveBitmap(int ACol, int ARow);
    void AddComment(int ACol, int ARow, const QString& Comment);
    void AddColorComment(int ACol, int ARow, const QString& Comment, TColor Color);
    QString GetComment(int ACol, int ARow);
    void SetComment(int ACol, int ARow, const QString& Value);
    bool IsComment(int ACol, int ARow, QString& Comment);
    bool RemoveComment(int ACol, int ARow);
    void AddProgress(int ACol, int ARow, TColor FGColor, TColor BKColor);
    bool HasProgress(int ACol, int ARow);
    bool RemoveProgress(int ACol, int ARow);
    void AddRotated(int ACol, int ARow, int16_t AAngle, const QString& S);
    void SetRotated(int ACol, int ARow, int16_t AAngle);
    bool IsRotated(int ACol, int ARow, int& AAngle);
    bool RemoveRotated(int ACol, int ARow);
    void AddShape(int ACol, int ARow, int Shape, TColor FillColor, TColor LineColor, int hal, int val);
    void SetShapeColor(int ACol, int ARow, TColor FillColor);
    TColor GetShapeColor(int ACol, int ARow);
    bool RemoveShape(int ACol, int ARow);
    void AddScrollBar(int ACol, int ARow, bool AutoRange);
    bool HasScrollBar(int ACol, int ARow);
    void SetScrollPosition(int ACol, int ARow, int Pos);
    int GetScrollPosition(int ACol, int ARow);
    void SetScrollProp(int ACol, int ARow, TScrollProp Prop);
    TScrollProp GetScrollProp(int ACol, int ARow);
    bool RemoveScrollBar(int ACol, int ARow);
    void AddMarker(int ACol, int ARow, int ErrPos, int ErrLen);
    void GetMarker(int ACol, int ARow, int& ErrPos, int& ErrLen);
    void RemoveMarker(int ACol, int ARow);
    void AddExpand(int ACol, int ARow, int ExpandedHeight);
    bool ToggleExpand(int ACol, int ARow);
    bool GetExpandState(int ACol, int ARow);
    int GetExpandHeight(int ACol, int ARow, bool Expanded);
    bool HasExpand(int ACol, int ARow);
    bool RemoveExpand(int ACol, int ARow);
    void AddPicture(int ACol, int ARow, THTMLPicture* APicture, bool Transparent, TStretchMode StretchMode,
                    int Padding, int hal, int val);
    THTMLPicture* CreatePicture(int ACol, int ARow, bool Transparent, TStretchMode StretchMode, int Padding, int hal,
                                int val);
    THTMLPicture* GetPicture(int ACol, int ARow);
    bool HasPicture(int ACol, int ARow) { return GetPicture(ACol, ARow) != nullptr; }
    bool RemovePicture(int ACol, int ARow);
    void AddFilePicture(int ACol, int ARow, TFilePicture* APicture, bool Transparent, TStretchMode StretchMode,
                        int Padding, int hal, int val);
    TFilePicture* CreateFilePicture(int ACol, int ARow, bool Transparent, TStretchMode StretchMode, int Padding,
                                    int hal, int val);
    TFilePicture* GetFilePicture(int ACol, int ARow);
    bool RemoveFilePicture(int ACol, int ARow);
    void AddIcon(int ACol, int ARow, plat::TBitmap* AIcon, int hal, int val);
    plat::TBitmap* CreateIcon(int ACol, int ARow, int hal, int val);
    bool RemoveIcon(int ACol, int ARow);
    virtual plat::TImageList* GetGridImages() const { return FGridImages; }
    void AddImageIdx(int ACol, int ARow, int Aidx, int hal, int val);
    bool GetImageIdx(int ACol, int ARow, int& idx);
    void SetImageIdx(int ACol, int ARow, int Idx);
    bool RemoveImageIdx(int ACol, int ARow);
    void AddDataImage(int ACol, int ARow, int Aidx, int hal, int val);
    bool HasDataImage(int ACol, int ARow);
    bool RemoveDataImage(int ACol, int ARow);
    void AddMultiImage(int ACol, int ARow, int Dir, int hal, int val);
    TIntList* GetCellImages(int ACol, int ARow);
    bool RemoveMultiImage(int ACol, int ARow);
    // The value image cells sort by: the bitmap or icon object, the image index; -1 otherwise.
    intptr_t GetCellImageKey(int ACol, int ARow);
    void AddProgressEx(int ACol, int ARow, TColor FGColor, TColor FGTextColor, TColor BKColor, TColor BKTextColor);
    void AddProgressFormatted(int ACol, int ARow, TColor FGColor, TColor FGTextColor, TColor BKColor,
                              TColor BKTextColor, const QString& Fmt, int Min, int Max);
    void AddExProgress(int ACol, int ARow, int Min, int Max);
    bool RemoveExProgress(int ACol, int ARow);
    void AddProgressPie(int ACol, int ARow, TColor Color, int Value);
    void SetProgressPie(int ACol, int ARow, int Value);
    bool RemoveProgressPie(int ACol, int ARow);
    void AddRangeIndicator(int ACol, int ARow, int Range, TColor NegColor, TColor PosColor, bool ShowValue);
    bool RemoveRangeIndicator(int ACol, int ARow);
    void AddRating(int ACol, int ARow, int Scale, TColor FillColor, TColor EmptyColor);
    bool HasRating(int ACol, int ARow);
    bool RemoveRating(int ACol, int ARow);
    void AddButton(int ACol, int ARow, int bw, int bh, const QString& Caption, int hal, int val);
    void AddBitButton(int ACol, int ARow, int bw, int bh, const QString& Caption, plat::TBitmap* Glyph, int hal,
                      int val);
    plat::TBitmap* CreateBitButton(int ACol, int ARow, int bw, int bh, const QString& Caption, int hal, int val);
    // The button operations by display column.
    void SetButtonText(int ACol, int ARow, const QString& Value);
    QString GetButtonText(int ACol, int ARow);
    void PushButton(int ACol, int ARow, bool Push);
    bool HasButton(int ACol, int ARow);
    bool RemoveButton(int ACol, int ARow);
    bool RemoveBitButton(int ACol, int ARow);
    void RemoveAllButtons();
    void AddInterfacedCell(int ACol, int ARow, QObject* AObject);
    QObject* GetInterfacedCell(int ACol, int ARow);
    bool RemoveInterfacedCell(int ACol, int ARow);
    void RemoveAllComments();
    void RemoveAllMarkers();
    bool HasAutoRangeScrollBar(int ACol, int ARow);
    // Whether the merge base cell's graphic is of one of the kinds.
    bool CellTypeInSet(int ACol, int ARow, std::initializer_list<TCellType> Kinds);
    // Where a button and an expand square were painted (ACol a display column); empty without.
    plat::TRect CellButtonRect(int ACol, int ARow);
    plat::TRect ExpandButtonRect(int ACol, int ARow);
    // Room a graphic needs beside the text, on screen and when printed.
    virtual QPoint GetCellGraphicSize(int ACol, int ARow);
    virtual void CalcCellGraphicRect(int ACol, int ARow, QPoint& Size, int YInset);
    virtual void CalcCellGraphicRectEx(int ACol, int ARow, QPoint& Size, double Scale, int Width, int Height);
    void AddBalloon(int ACol, int ARow, const QString& Title, const QString& Text, int Icon);
    bool IsBalloon(int ACol, int ARow, QString& Title, QString& Text, int& Icon);
    bool HasBalloon(int ACol, int ARow);
    bool RemoveBalloon(int ACol, int ARow);

    // Node and summary rows by the kind of their column-0 graphic; false for negative rows.
    bool IsNode(int ARow);
    bool IsSummary(int ARow);

    // ---- nodes: a row whose column-0 graphic is a node owns the span of rows below it. AddNode,
    // RemoveNode, ExpandNode, ContractNode and the row insertions and removals take a real row ----
    void AddNode(int ARow, int Span);
    void RemoveNode(int ARow);
    void RemoveAllNodes();
    bool GetNodeState(int ARow);
    void SetNodeState(int ARow, bool Value);
    int GetNodeLevel(int ARow);
    int GetNodeSpan(int ARow);
    void SetNodeSpan(int ARow, int Span);
    void UpdateNodeSpan(int ARow, int Delta);
    int GetSubNodeCount(int ARow);
    void UpdateSubNodeCount(int ARow, int Delta);
    void ExpandNode(int ARow);
    void ContractNode(int ARow);
    // Every node at once, in one pass over the rows.
    void ExpandAll();
    void ContractAll();
    int GetParentRow(int ARow);
    // 0 a node row, 1 the last row of a span, 2 a row with rows of its level or deeper below.
    int GetNodeSpanType(int ARow);
    void InsertNormalRow(int ARow);
    void RemoveNormalRow(int ARow);
    void InsertChildRow(int ARow, int InsertAt);
    void RemoveChildRow(int ARow);
    void AddSummary(int ARow);
    bool IsInNodeGlyph(int ARow, int X);
    int RowIndent(int ARow) const override;
    bool HasNodes() const override { return FNodeCount > 0; }
    int NodeCount() const { return FNodeCount; }

    // ---- rows by display index: heights, marks, row selection, hidden-row indexes and embedded
    // controls stay in step (ExGridNodes.cpp, ExGridRows.cpp) ----
    // Empty rows of the default height; with UpdateCellControls the controls below move down.
    virtual void InsertRows(int ARow, int ACount, bool UpdateCellControls = true);
    // Removes rows with everything attached to them: their cell properties and controls, their
    // marks, their row-selection flags; the hidden rows and controls below move up. One
    // CellsChanged. A start outside the rows or a count below 1 changes nothing; the grid keeps
    // one row.
    virtual void RemoveRows(int ARow, int ACount);
    // The fast form: the records go, heights, marks and controls stay by position. Outside the
    // rows it changes nothing.
    virtual void RemoveRowsEx(int ARow, int ACount);
    virtual void RemoveRowsInternal(int ARow, int ACount);
    // Empty rows of the default height at a display row; the rows below move down with their
    // heights and their modified and enabled marks, a shown floating footer's row stays last. With
    // ShiftControls the embedded cell controls below move with them.
    void InsertDisplayRows(int ARow, int ACount, bool ShiftControls);
    // Takes display rows out with their heights and marks, keeping the current and top rows in
    // range; with Shift the rows are removed for good: the hidden rows and the controls beyond
    // them move up.
    void RemoveDisplayRows(int ARow, int ACount, bool Shift);
    // InsertCols (ColCount, 1).
    void AddColumn() { InsertCols(ColCount(), 1); }

    // ---- clearing, trimming and colouring rectangles (ExGridRows.cpp). Columns are real columns
    // (with SaveHiddenCells mapped from display ones), rows display rows ----
    // Texts and, unless ClearTextOnly, cell properties; a clear of the whole grid records that no
    // cell has properties. One CellsChanged.
    virtual void ClearRect(int ACol1, int ARow1, int ACol2, int ARow2);
    // The wrappers: nothing on an empty grid or for a count below 1; the row forms take hidden
    // columns too.
    void ClearRows(int ARow, int ACount);
    void ClearCols(int ColIndex, int CCount);
    void ClearNormalRows(int RowIndex, int RCount);
    void ClearNormalCols(int ColIndex, int CCount);
    void ClearNormalCells();
    // Every cell; Clear also removes the nodes and the incremental search text, ClearAll empties
    // the hidden rows' texts too.
    void Clear();
    void ClearAll();
    // The selected rows, columns or the selection rectangle.
    void ClearSelection();
    // Leading and trailing characters up to the blank go from each text.
    virtual void TrimRect(int ACol1, int ARow1, int ACol2, int ARow2);
    void TrimColumn(int ACol) { TrimRect(ACol, 0, ACol, RowCount() - 1); }
    void TrimRow(int ARow) { TrimRect(0, ARow, ColCount() - 1, ARow); }
    void TrimAll() { TrimRect(0, 0, ColCount() - 1, RowCount() - 1); }
    void ColorRect(int ACol1, int ARow1, int ACol2, int ARow2, TColor AColor);

    // ---- removing and hiding rows by content, check or selection: one pass, one CellsChanged
    // from the first row affected to the old end ----
    // The normal rows whose text in ACol repeats an earlier row's, whatever its case (DoCase
    // changes nothing of that).
    void RemoveDuplicates(int ACol, bool DoCase);
    void RemoveCheckedRows(int CheckBoxColumn, bool RemoveChecked);
    void RemoveSelectedRows();
    void RemoveUnSelectedRows();
    void HideSelectedRows();
    void HideUnSelectedRows();
    void RemoveSelectedCols();
    void RemoveUnSelectedCols();

    // ---- merging, splitting and finding cells ----
    // The trimmed texts of both columns joined into the first; the second goes.
    void MergeCols(int ColIndex1, int ColIndex2, const QString& Separator);
    // Runs of equal neighbouring texts merged; unless MainMerge, their spans across must match.
    void MergeColumnCells(int ColIndex, bool MainMerge);
    void MergeRowCells(int RowIndex, bool MainMerge);
    void SplitColumnCells(int ColIndex);
    void SplitRowCells(int RowIndex);
    void SplitAllCells();
    // The first displayed cell (rows outer) whose stored text is SubStr; ACol and ARow stay
    // without one.
    bool IsCell(const QString& SubStr, int& ACol, int& ARow) const;
    bool IsWideCell(int ACol, int ARow) const { return GridCells(ACol, ARow).startsWith(QStringLiteral("|\\")); }

    // ---- per-cell accessors by real column and real row (ExGridCellAccess.cpp): a hidden row is
    // served from its item ----
    QString AllCells(int ACol, int ARow) const { return GetCellsEx(ACol, ARow); }
    void SetAllCells(int ACol, int ARow, const QString& Value) { SetCellsEx(ACol, ARow, Value); }
    QString AllGridCells(int ACol, int ARow) const;
    void SetAllGridCells(int ACol, int ARow, const QString& Value);
    QString AllWideCells(int ACol, int ARow) const;
    void SetAllWideCells(int ACol, int ARow, const QString& Value);
    uintptr_t AllObjects(int ACol, int ARow) const { return GetCellObjectReal(ACol, ARow); }
    void SetAllObjects(int ACol, int ARow, uintptr_t Value);
    // The cell of a column by its initial index, wherever moves put it.
    QString OriginalCells(int ACol, int ARow) const;
    void SetOriginalCells(int ACol, int ARow, const QString& Value);
    // Merged cells read their base cell; display row.
    QString WideCells(int ACol, int ARow) const;
    void SetWideCells(int ACol, int ARow, const QString& Value);

    // ---- one cell's look by real column and display row: a read of a cell without properties
    // gives the default and creates nothing (WordWraps excepted), a write creates them ----
    TColor Colors(int ACol, int ARow) const;
    TColor ColorsTo(int ACol, int ARow) const;
    TCellGradientDirection Gradients(int ACol, int ARow) const;
    void SetGradients(int ACol, int ARow, TCellGradientDirection Value);
    TColor FontColors(int ACol, int ARow) const;
    plat::TFontStyles FontStyles(int ACol, int ARow) const;
    void SetFontStyles(int ACol, int ARow, plat::TFontStyles Value);
    QString FontNames(int ACol, int ARow) const;
    void SetFontNames(int ACol, int ARow, const QString& Value);
    int FontSizes(int ACol, int ARow) const;
    void SetFontSizes(int ACol, int ARow, int Value);
    void SetFonts(int ACol, int ARow, const plat::TFont& Value);
    TAlignment Alignments(int ACol, int ARow) const;
    void SetAlignments(int ACol, int ARow, TAlignment Value);
    bool WordWraps(int ACol, int ARow);
    void SetWordWraps(int ACol, int ARow, bool Value);
    // 1 + the CRs of the text.
    int LinesInCell(int ACol, int ARow) const;
    // The focus helper's settings copied.
    void SetFocusHelper(const TFocusHelper& Value);

    // ---- controls embedded in cells: the list keeps real columns and real rows, so a control
    // stays over its cell through hidden rows and columns, inserts, removals, moves, swaps and
    // sorts; a control its owner destroys leaves the list ----
    QWidget* CellControls(int ACol, int ARow) const;
    // nullptr takes the cell's control out; a control is placed over the cell widened by one
    // pixel left and top.
    void SetCellControls(int ACol, int ARow, QWidget* AControl);
    int CellControlCount() const { return FControlList->Count(); }
    const TControlList& ControlList() const { return *FControlList; }
    // Places the controls over their cells, hides those outside the view or in hidden rows and
    // columns; with Rebuild the list is made again from the cells.
    void CellControlsUpdate(bool Rebuild);

    // ---- swaps and selection tests (ExGridSwaps.cpp): display columns and rows ----
    // Two columns exchange their cells' records, widths, the sort column and their controls.
    void SwapColumns(int ACol1, int ACol2);
    // Two rows exchange their records, heights and controls.
    void SwapRows(int ARow1, int ARow2);
    // The row exchange of sorting: the cross-reference entries, modified and selection flags, the
    // sorted-on row follow.
    virtual void SortSwapRows(int ARow1, int ARow2);
    int SortSwapCount() const { return FSortSwaps; }
    // The row a sort last stood on; SortSwapRows carries it along.
    int LastSortRow() const { return FLastSortRow; }
    void SetLastSortRow(int Value) { FLastSortRow = Value; }
    void SelectCells(int FromCol, int FromRow, int ToCol, int ToRow) { SetSelection({FromCol, FromRow, ToCol, ToRow}); }
    // A fixed cell never is.
    bool IsSelected(int ACol, int ARow);
    virtual void CellSelectorClick(int ACol, int ARow) {}
    virtual void EditFormulaChanged(bool IsFormula) {}

    // ---- column order by initial index ----
    // -1 for a header no column has (hidden columns included).
    int ColumnByHeader(const QString& AValue) const;
    int ColumnAtPosition(int APos);
    int ColumnPosition(int ACol) const;
    // A cell with an automatic-range scroll bar: the bar's page is the row, its range the text.
    void CellTextChanged(int ACol, int ARow) override;

private:
    // Takes display rows (ascending, no repeats) out for good in one pass: records, heights,
    // marks, row-selection flags, controls, hidden rows beyond them; Row and TopRow by the removal
    // rules. Returns the old row count.
    int removeRowList(std::vector<int> Rows);
    // Hides display rows (ascending) through the hidden-row store, their marks going with them.
    void hideRowList(const std::vector<int>& Rows);
    // Per-row lists after a removal of rows (ascending): the flags at those indexes go; the row
    // numbers in them go, the others move up by the removed ones before them.
    static void dropFlags(std::vector<bool>& Flags, const std::vector<int>& Gone);
    static void dropRowNumbers(TIntList& List, const std::vector<int>& Gone);
    // Whether a display row (with RowSelectPersistent: its real row) is selected.
    bool rowSelected(int ARow);
    // Controls of real rows at or below FromReal move by Delta.
    void shiftControls(int FromReal, int Delta);
    // The controls' entries of removed real rows (ascending) go, those below move up.
    void dropControlRows(const std::vector<int>& GoneReal);
    // Exchanges the controls' entries of two real columns (rows).
    void swapControls(bool Cols, int A, int B);
    // A control went away: its entries go.
    void controlDestroyed(QObject* Gone);
    // The row colour setters: Which 0 brush, 1 brush-to, 2 font.
    void rowColour(int ARow, int Which, TColor AColor);
    // The cell widened by one pixel left and top (display column and row).
    QRect controlRect(int DisplCol, int DisplRow) const;
    int FSortSwaps = 0;
    int FLastSortRow = -1;
    // Set while a sort clears its scratch rows: their objects are only let go.
    bool FNilObjects = false;

public:
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, const QDateTime& ADateTime)> OnDateTimeChange;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, const QString& Value)> OnEditChange;
    TGridHintEvent OnGridWideHint;
    TRowColBoolEvent OnIsFixedCell, OnIsPasswordCell;
    TColRowBoolEvent OnGetWordWrap, OnHasComboBox, OnHasSpinEdit;
    TGetCheckTextEvent OnGetCheckTrue, OnGetCheckFalse;
    TGetColumnFilterEvent OnGetColumnFilter;
    TGetCellCursorEvent OnGetCellCursor;
    TSearchFooterActionEvent OnSearchFooterAction;

private:
    bool FEditDisable = false;
    // The graphic the cell itself holds (never a shared one), else nullptr.
    TCellGraphic* ownGraphic(int ACol, int ARow) const;
    TCellGraphic* graphicOfType(int ACol, int ARow, TCellType CellType);
    int FNodeCount = 0;
    // The row check box column 0 shows for every row under HotmailRowSelect; never in a cell.
    std::unique_ptr<TCellGraphic> FRowCheckBox;
    // Column 0 under HotmailRowSelect, unless the cell holds an object of another class.
    bool showsRowCheckBox(int ACol, int ARow) const;
    QSize pictureSize(const TCellGraphic& G) const;
    TCellGraphic* nodeAt(int ADisplRow);
    // The display row after a span: D + Span, or up to the next node for span 0.
    int spanEnd(int ADisplRow, int Span);
    void expandCore(int ARealRow);
    void changeLevels(int From, int Count, int Delta);
    // Hidden rows at or beyond a real row move by Delta.
    void shiftHidden(int FromReal, int Delta);
    // Hidden rows move up by the removed rows (ascending) before them.
    void shiftHiddenUp(const std::vector<int>& Gone);
    // Hides display rows in one pass, outside any filter level.
    void hideDisplayRows(const std::vector<int>& Rows);

public:
    // ---- the cell editors and what they read and write of the edit (ExGridEditing.cpp) ----
    TExInplaceEdit* NormalEdit() const { return FInplaceEdit; }
    // The length limit of the cell being edited (a column grid: its column item's).
    int EditLimit() { return GetEditLimit(); }
    TGridCheckBox* EditCheck() const { return FEditCheck; }
    TGridButton* GridButton() const { return FGridButton; }
    // Created hidden and disabled on first use.
    TGridSpin* SpinEdit();
    // The text the last validation left: the handler's value.
    const QString& NewCellText() const { return FNewCellText; }
    const QString& OldCellText() const { return FOldCellText; }
    void SetOldCellText(const QString& Value) { FOldCellText = Value; }
    void SetEditing(bool Value) { FEditing = Value; }
    bool Validating() const { return FValidating; }
    void SetValidating(bool Value) { FValidating = Value; }
    bool NoEditChange() const { return FNoEditChange; }
    void SetNoEditChange(bool Value) { FNoEditChange = Value; }
    void SetEditMode(bool Value) { FEditMode = Value; }
    bool LButFlg() const { return FLButFlg; }
    void SetLButFlg(bool Value) { FLButFlg = Value; }
    // Where (in the cells' viewport) the left click that started the edit went down.
    QPoint LButPos() const { return FLButPos; }
    void SetLButPos(QPoint Value) { FLButPos = Value; }
    QChar StartEditChar() const { return FStartEditChar; }
    void SetStartEditChar(QChar Value) { FStartEditChar = Value; }
    bool NoAutoAdvance() const { return FNoAutoAdvance; }
    void SetNoAutoAdvance(bool Value) { FNoAutoAdvance = Value; }
    QString EllipsClick(const QString& Text);
    // Hooks for descendants; nothing here.
    virtual void EditMessage(QEvent*) {}
    virtual void EditKeyDown(uint16_t&, plat::TShiftState) {}
    virtual void EditCaretMoved(const QString&, QPoint, int) {}
    virtual void EditFormulaState(bool) {}
    // The grid's key entry points, as the editors hand keys back.
    void GridKeyDown(uint16_t& Key, plat::TShiftState Shift) { KeyDown(Key, Shift); }
    void GridKeyPress(QChar& Key) { DoKeyPress(Key); }
    void GridKeyUp(uint16_t& Key, plat::TShiftState Shift) { KeyUp(Key, Shift); }
    bool GridSelectCell(int ACol, int ARow) { return SelectCell(ACol, ARow); }
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, double AValue, bool UpDown)> OnFloatSpinClick,
        OnDateSpinClick, OnTimeSpinClick;

    // ---- sizing to the content (ExGridEditing.cpp) ----
    // The column widened to its widest text over the rows ColumnSize.Rows picks; GrowOnly never narrows.
    void CalcColumnFitWidth(int ACol, bool GrowOnly);
    // Display column ACol sized to its content (never narrower with SizeGrowOnly), then widened by
    // Padding, within MinColWidth and MaxColWidth (0: no limit).
    void AutoSizeCol(int ACol, int Padding = 0);
    void AutoSizeRow(int ARow, int Padding = 0);
    void SetRowHeightForLines(int ARow, int Lines, int Extra);
    int MaxLinesInRow(int ARow);
    int GetTotalYOffset() const { return FXYOffsetTopLeftOnly ? FXYOffset.y() : 2 * FXYOffset.y(); }
    unsigned VAlignFlag() const { return FVAlignFlag; }

    // ---- rich-text cells, the rich-text editor and the form controls of HTML cells (ExRichEdit.cpp,
    // ExCellControls.cpp) ----
    // The in-place editor of the edRichEdit cells: made on first use, hidden until an edit.
    TExRichEdit* InplaceRichEdit();
    // The converter that measures and draws RTF cells: made on first use, never shown, of size 0.
    TExRichEdit* RichEdit();
    // A cell's text (real column) into a rich-text control: RTF through the reader, other text as
    // plain text, an empty text clears it.
    void CellToRich(int ACol, int ARow, TExRichEdit* Richeditor);
    // The control's content as RTF into the cell (real column), through the cell writer.
    void RichToCell(int ACol, int ARow, TExRichEdit* Richeditor);
    // The control's content as RTF; empty while the grid is being destroyed.
    QString RichToString(TExRichEdit* Richeditor) const;
    // The editor kind in use for the current cell.
    TEditorType CurrentEditor() const { return FEditControl; }
    // The cell texts of the hidden row with real index Idx; nothing for a row that is not hidden.
    std::optional<QStringList> FindHiddenRowCells(int Idx) const;
    // Per-cell borders are asked of OnGetCellBorder only when it is set.
    bool HasCellBorderEvent() const override { return bool(OnGetCellBorder); }
    // Called before a select-all click sets the selection; nothing here.
    virtual void BeforeSelectAll(const plat::TGridRect& R) { (void)R; }
    // Set while the grid moves the focus itself: an editor losing it then does not end the edit.
    bool InvokedFocusChange() const { return FInvokedFocusChange; }
    plat::TNotifyEvent OnRichEditSelectionChange;
    // The edit over a cell's EDIT form controls (made with the grid) and the combo over its COMBO
    // controls (made for the first one; null before).
    TControlEdit* ControlEdit() const { return FControlEdit; }
    TControlCombo* ControlCombo() const { return FComboControl; }
    // The form control being edited: its cell (display column), identifier and type; empty type
    // while none is.
    QPoint CtrlCell() const { return FCtrlEditCell; }
    const QString& CtrlID() const { return FCtrlID; }
    const QString& CtrlType() const { return FCtrlType; }
    // Ends the form-control edit that is open: its text into the control's VALUE in the cell text.
    void EndCellControlEdit();
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, const QString& CtrlID, const QString& CtrlType,
                       const QString& CtrlVal, QStringList& Values, bool& Edit, int32_t& DropCount)>
        OnControlComboList;
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, const QString& CtrlID, const QString& CtrlType,
                       const QString& CtrlVal)>
        OnControlEditDone;
    std::function<void(QObject* Sender, int32_t ARow, int32_t ACol, const QString& CtrlID, int32_t ItemIndex,
                       const QString& ItemText)>
        OnControlComboSelect;

private:
    friend class TExRichEdit;
    void richRoad(int ACol, int ARow);
    void endRichEdit(int ACol, int ARow);
    // The rich editor asked for a height while the user typed.
    void richEditSizeRequested(int Height);
    TExRichEdit* FInplaceRichEdit = nullptr;
    TExRichEdit* FRichEdit = nullptr;
    TControlEdit* FControlEdit = nullptr;
    TControlCombo* FComboControl = nullptr;
    QPoint FCtrlEditCell{-1, -1};
    QString FCtrlID, FCtrlType;

protected:
    int GetEditLimit() override { return FMaxEditLength; }
    // A character typed to start an edit passes the text editor's filter of the cell's kind.
    bool CanEditAcceptKey(QChar Key) override;

private:
    TExInplaceEdit* FInplaceEdit = nullptr;
    TGridCheckBox* FEditCheck = nullptr;
    TGridButton* FGridButton = nullptr;
    TGridSpin* FSpinEdit = nullptr;
    QString FNewCellText;
    bool FLButFlg = false, FNoAutoAdvance = false;
    QPoint FLButPos;
    unsigned FVAlignFlag = 0;
    QList<QPointer<QObject>> FComboObjects;
    void createEditorControls();
    // The spin, check-box and button rows of the start and end of an edit.
    bool startControlEdit(int ACol, int ARow);
    bool endControlEdit(int ACol, int ARow);
    void placeControl(QWidget* Editor, int ACol, int ARow);

public:
    // ---- footer, listeners, combo list and removal notices (ExGridFooter.cpp) ----
    // The footer row's values, for one real column or all (-1); only while a shown footer keeps
    // the fixed last row and calculates.
    virtual void CalcFooter(int ACol);
    virtual void CalcFooterCells(int ACol);
    // Repaints the footer strip and the footer row.
    void UpdateFooter();
    // One selection listener; unregistering drops whichever is registered.
    void RegisterSelListener(ITExStringGridSelect* Listener) { FISelect = Listener; }
    void UnRegisterSelListener(ITExStringGridSelect*) { FISelect = nullptr; }
    ITExStringGridSelect* SelListener() const { return FISelect; }
    // Tells the listener of a newly selected cell; the selection hook calls it.
    void NotifySelListener(int ACol, int ARow);
    void RegisterNotifier(TGridChangeNotifier* Notifier);
    void UnRegisterNotifier(TGridChangeNotifier* Notifier);
    int NotifierCount() const { return int(FNotifierList.size()); }
    // Changed cells: OnCellsChanged, each notifier, then the footer.
    virtual void CellsChanged(const plat::TGridRect& R);
    // After a fill or a load: the footer follows the new cells.
    virtual void CellsLoaded() { CalcFooter(-1); }
    // The items of the combo editor.
    void ClearComboString();
    void AddComboString(const QString& S);
    void AddComboStringObject(const QString& S, QObject* AObject);
    bool RemoveComboString(const QString& S);
    bool SetComboSelectionString(const QString& S);
    void SetComboSelection(int Idx) { FComboIdx = Idx; }
    int ComboIdx() const { return FComboIdx; }
    int GetComboCount() const;
    // The object kept with an item; nullptr when none.
    QObject* ComboObject(int Index) const;
    // Fill the combo list for the cell through OnGetEditorProp, then write or look up an item.
    void SetComboIndex(int ACol, int ARow, int Idx);
    int GetComboIndex(int ACol, int ARow);
    bool QueryPasswordCell(int ACol, int ARow);
    // A component the grid refers to went away: the references to it are cleared.
    void HandleNotification(QObject* AComponent);
    void IncRowCount() { SetRowCount(RowCount() + 1); }
    void HiddenLastRowChanged() override;
    bool UsesVCLStyles() const override { return FUseVCLStyles; }
    void UpdateXYOffset(int X, int Y) { FXYOffset = QPoint(X, Y); }
    void SetShowModified(const TShowModified& Value);
    void SetBalloon(const TBalloonSettings& Value);
    void SetProgressAppearance(const TGridProgressAppearance& Value);
    void SetDragScrollOptions(const TDragScrollOptions& Value);
    void SetSortSettings(const TSortSettings& Value);
    void SetBackGround(const TBackGround& Value);

private:
    // Watches a referenced component so its going clears the reference.
    void watchComponent(QObject* AComponent);
    ITExStringGridSelect* FISelect = nullptr;
    std::vector<QPointer<TGridChangeNotifier>> FNotifierList;
    bool FUseVCLStyles = false;

public:
    // ---- virtual operations the other parts of the grid fill ----
    virtual void ClickSort(int ACol);
    virtual void EditStartedByF2() {}
    virtual void RecalcFooterColumn(int ACol) { CalcFooter(ACol); }
    virtual void ColumnHeadersChanged() {}
    virtual void NavigationChanged() {}
    virtual void MouseActionsChanged() {}
    virtual void MouseWheelScrolled() {}
    virtual bool IsDesignTime() const { return false; }
    // A stable sort of the normal rows' records by SortSettings.Column in the column's sort style.
    virtual void QSort();
    virtual void QSortIndexed() {}
    virtual void SaveColPositions();
    virtual void LoadColPositions();

    // ---- column grid support, scaling, auto-sizing ----
    // The drop-down list of the editor that opens next; a column grid loads it from the cell's
    // column item when the editor is asked for, before OnGetEditorType may refill it.
    const QStringList& ComboList() const { return FComboList; }
    // Asks the cell's editor, then answers the list.
    QStringList GetComboItems(int ACol, int ARow);
    // Widths, heights and the fonts by M / D; nothing calls it here, Qt scales by itself.
    virtual void ChangeScale(int M, int D) { HandleChangeScale(M, D); }
    void HandleChangeScale(int M, int D);
    // The string grid's own mouse-down handling, which descendants extend.
    void HandleMouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
        TExStringGrid::MouseDown(Button, Shift, X, Y);
    }
    // Every normal column (with DoFixedCols the fixed ones too) to its widest content plus Padding.
    void AutoSizeColumns(bool DoFixedCols, int Padding);

    // ---- check boxes and radio buttons: real column; display row unless said ----
    // "Invalid cell" (std::invalid_argument) outside the grid counting hidden columns and rows.
    void AddCheckBox(int ACol, int ARow, bool State, bool Data);
    void AddCheckBox(int ACol, int ARow, TCheckBoxState State);
    void RemoveCheckBox(int ACol, int ARow);
    void AddCheckBoxColumn(int ACol, bool DefaultState, bool DataCheckBox);
    void AddTriStateCheckBoxColumn(int ACol, TCheckBoxState State);
    void RemoveCheckBoxColumn(int ACol);
    bool HasCheckBox(int ACol, int ARow);
    bool HasDataCheckBox(int ACol, int ARow);
    bool IsCheckOrButtonCell(int ACol, int ARow);
    bool IsDataGraphicCell(int ACol, int ARow);
    // ARow is a real row: the box and the text of that row, hidden or not.
    bool GetCheckBoxState(int ACol, int ARow, bool& State);
    bool GetCheckBoxState(int ACol, int ARow, TCheckBoxState& State);
    // No event; ARow a real row.
    bool SetCheckBoxState(int ACol, int ARow, bool State);
    bool SetCheckBoxState(int ACol, int ARow, TCheckBoxState State);
    bool IsChecked(int ACol, int ARow);
    bool ToggleCheckBox(int ACol, int ARow) { return ToggleCellCheck(ACol, ARow, false); }
    virtual bool ToggleCellCheck(int ACol, int ARow, bool FromMouse);
    // Sets a box and reports a change through CheckBoxChange.
    bool SetCellChecked(int ACol, int ARow, bool State);
    void CheckAll(int ACol);
    void UnCheckAll(int ACol);
    // Whether a click at client XPos, YPos hits the box (anywhere in the cell without
    // PreciseCheckBoxCheck).
    bool IsInCheckBox(int ACol, int ARow, int XPos, int YPos);
    static TCheckBoxState BoolToCheckBoxState(bool bChecked) { return bChecked ? cbChecked : cbUnchecked; }
    void AddRadioButton(int ACol, int ARow, bool State);
    bool RemoveRadioButton(int ACol, int ARow);
    bool HasRadioButton(int ACol, int ARow);
    bool IsRadioButtonChecked(int ACol, int ARow);
    bool SetRadioButtonState(int ACol, int ARow, bool State);
    void AddRadioButtonColumn(int ACol);
    void RemoveRadioButtonColumn(int ACol);
    void SetRadioButtonColumnIndex(int ACol, int Index);
    int GetRadioButtonColumnIndex(int ACol);
    virtual bool ClickRadioButton(int ACol, int ARow, bool FromMouse);
    // A radio group over a copy of the options; DirRadio other than 0 puts them side by side.
    void AddRadio(int ACol, int ARow, int DirRadio, int IdxRadio, const QStringList& sl);
    // A radio group with an empty option list the graphic owns, for the caller to fill.
    QStringList* CreateRadio(int ACol, int ARow, int DirRadio, int IdxRadio);
    bool GetRadioIdx(int ACol, int ARow, int& IdxRadio);
    bool SetRadioIdx(int ACol, int ARow, int IdxRadio);
    QStringList* GetRadioStrings(int ACol, int ARow);
    bool IsRadio(int ACol, int ARow);
    bool RemoveRadio(int ACol, int ARow);
    // Space on a radio group: the next option; false, with nothing changed, for a cell that is no
    // radio group or may not be edited.
    bool CycleCellRadio(TExStringGrid* Grid, int ACol, int ARow, bool FromMouse);
    virtual void CheckBoxChange(int ACol, int ARow, bool State);
    virtual bool RatingChange(int ACol, int ARow, double& NewRate);
    TCheckBoxClickEvent OnCheckBoxChange;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, double& NewRate, bool& Allow)> OnRatingChange;

    // ---- layout persistence ----
    // "N#widths#order#visibility"; reading checks the whole string first and changes nothing when
    // any part does not fit the grid.
    QString ColumnStatesToString();
    void StringToColumnStates(const QString& Value);
    // Widths ("Col" + i) and order ("Pos" + i) in the INI file or per-user store ColumnSize names.
    void SaveColSizes();
    void LoadColSizes();
    // Colours, fonts and styles in a key=value file; "Cannot Create " / "Cannot open file " + name.
    void SaveVisualProps(const QString& FileName);
    void LoadVisualProps(const QString& FileName);
    void SavePrintSettings(const QString& Key, const QString& Section);
    void LoadPrintSettings(const QString& Key, const QString& Section);

    // ---- in-place editing: editor start and end, cell change, advance and keys ----
    // Column arguments are display columns unless called real; rows are display rows.
    bool EditMode() const { return FEditMode; }
    TEditorType EditControl() const { return FEditControl; }
    // The special editor control now shown; nullptr for the default editor.
    QWidget* EditCtrl() const { return FEditCtrl; }
    bool Editing() const { return FEditing; }
    bool LastValidation() const { return FLastValidation; }
    // The text of the cell before the edit began; Esc puts it back.
    const QString& CellCache() const { return FCellCache; }
    // The combo editor of both combo kinds: made on first use, a child of the cells, hidden until used.
    TGridCombo* EditCombo();
    // The same without making it: null while no cell has needed it.
    TGridCombo* EditCombo() const { return FEditCombo; }
    // Editing allowed at all and CheckCellEditable (ACol real).
    bool IsEditable(int ACol, int ARow);
    // The can-edit query of the merge base cell, which must not be fixed.
    bool CheckCellEditable(int ACol, int ARow);
    // Footer rows and right fixed columns are fixed, else the fixed-cell query.
    bool IsFixed(int ACol, int ARow) const override;
    void StartSpecialEdit(int ACol, int ARow);
    void EndSpecialEdit(int ACol, int ARow);
    void HideCellEdit() { EndSpecialEdit(Col(), Row()); }
    // F2 through the key handling.
    void ShowCellEdit();
    bool WantsTabInEditor() const;
    virtual void SetEditTextReal(int ACol, int ARow, const QString& Value);
    virtual void RestoreCellCache();
    virtual void GetEditorProp(int ACol, int ARow, TEditLink* AEditLink);
    // The link that edits the edCustom cells; a column grid puts its column's link here before an
    // edit. A link that is destroyed reads as none.
    TEditLink* EditLink() const;
    void SetEditLink(TEditLink* Value);
    virtual void DisableEditing();
    virtual void CellChanging(int NewCol, int NewRow, bool& Allow);
    // The move after Enter; with AdvanceSkipReadOnlyCells it stops after one pass over the grid.
    void AdvanceAfterEdit(int ACol, int ARow, bool GoOnEditing, bool Recursing, bool Forward, bool AutoEdit,
                          bool Force);
    void FocusNextCellControl(int ACol, int ARow, const QString& ID);
    // Edits one form control of an HTML cell at its rectangle (ACol display).
    void StartCellControlEdit(int ACol, int ARow, const QString& ID, const QString& Type, const QString& Value,
                              const plat::TRect& R);
    // The editing entry points of the other half of the grid, in their least form.
    void ShowInplaceEdit();
    void HideInplaceEdit();
    void DoneInplaceEdit(uint16_t Key, plat::TShiftState Shift);
    // OnEditingDone now, OnEditCellDone when the posted notice arrives (ACol real).
    void PostEditDone(int ACol, int ARow);
    // True at once unless an edit waits for it (or while one runs). A refused value puts the old
    // text (or the handler's) back, reopens the editor on the edited cell and shows the refusal tip.
    // An exception from the checker or a handler reaches the caller after the snapshot is taken again.
    bool ValidateCell(const QString& NewValue);
    // The same for the wide text, without checker, undo entry, tip or base-cell write; the footer
    // column is recalculated before the handler asks, whatever it answers.
    bool ValidateCellWide(const QString& NewValue);
    // The snapshot every edit is compared against (ACol display).
    virtual void RememberOldCell(int ACol, int ARow);
    const QString& OldCellTextWide() const { return FOldCellTextWide; }
    int OldCol() const { return FOldCol; }
    int OldRow() const { return FOldRow; }
    // The refusal tip; nullptr until the first refusal that has a title or text to show.
    TEditBalloonTip* InvalidEntryBalloon() const;
    // Set once the first text editor opened; from then on what is typed reaches the cell at once.
    bool ShowEditProcess() const { return FShowEditProcess; }
    // The grid receives the focus under Navigation.AlwaysEdit: the editor opens on the current cell
    // when it may; true when it did.
    bool AlwaysEditOnFocus();
    // The raw stored text of the current cell's merge base cell (no display hooks); GetCurrentCellText
    // reads the same cell through them.
    QString CurrentCell() const;
    QString GetCurrentCellText() const;
    void SetCurrentCell(const QString& Value);
    void SetCurrentCellText(const QString& Text);
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    // The Tab advance (Shift+Tab backward) that the grid and its editors share: the next tab stop
    // in the walk order, past merged blocks, rows appended or the grid left at its end. False only
    // when the Tab went on to the window's next control.
    bool AdvanceOnTab(bool Backward);
    // One empty row at the end, before a shown floating footer's row.
    void AddRow();
    // The first normal row whose sort-column text, upper-cased, starts with Text; -1 when none.
    int Search(const QString& Text);
    const QString& SearchInc() const { return FSearchInc; }
    plat::TTimer* GridTimerObject() const { return FGridTimer; }

    std::function<void(QObject* Sender, int32_t OldRow, int32_t NewRow, bool& Allow)> OnRowChanging;
    std::function<void(QObject* Sender, int32_t OldCol, int32_t NewCol, bool& Allow)> OnColChanging;
    std::function<void(QObject* Sender, int32_t OldRow, int32_t OldCol, int32_t NewRow, int32_t NewCol, bool& Allow)>
        OnCellChanging;
    std::function<void(QObject* Sender, int32_t OldRow, int32_t OldCol, int32_t& NewRow, int32_t& NewCol, bool& Allow)>
        OnAutoAdvance;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t AItemIndex, const QString& ASelection,
                       QObject* AObject)>
        OnComboObjectChange;
    TCellValidateEvent OnCellValidateWide;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, TEditLink* AEditLink)> OnGetEditorProp;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, TEditLink* AEditLink)> OnGetEditorPropInt;
    // Check, radio and node cells by click and Space (ACol real).
    virtual void CheckBoxClick(int ACol, int ARow, bool State);
    virtual void PrintGetPageNum(int PageNum, int PageColNum, QString& PageNumString);
    // The cell whose scroll bar moved, with that bar's position and range.
    virtual void ScrollCell();
    virtual bool CanShowFixedDropDown(int ACol);
    virtual void StartBlockFocus();
    virtual void EndBlockFocus();
    std::function<void(QObject* Sender, int32_t PageNum, int32_t PageColNum, QString& PageNumString)>
        OnPrintGetPageNum;
    std::function<void(QObject* Sender, int32_t ACol, bool& CanShow)> OnCanShowFixedDropDown;
    plat::TNotifyEvent FOnStartBlockFocus, FOnEndBlockFocus;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, int32_t AIdx)> OnRadioClick;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow)> OnRadioButtonClick;
    std::function<void(QObject* Sender, int32_t ARow, int32_t ARowReal, bool& Allow)> OnBeforeExpandNode,
        OnBeforeContractNode;
    std::function<void(QObject* Sender, int32_t ARow, int32_t ARowReal)> OnExpandNode, OnContractNode;

protected:
    // Decides whether the default editor shows; starts a special editor instead when the kind needs one.
    bool CanEditShow() override;
    bool SelectCell(int ACol, int ARow) override;
    // The click's event, then the snapshot of the current cell.
    void Click() override;
    // The grid's key-down step (the keys before the base grid's): the editors' keys first, then
    // the key table of the grid, which ends with HandleKeyDown.
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void DoKeyPress(QChar& Key) override;
    // The characters typed on the cells: an edit started by typing, the keypad's decimal key.
    void CharTyped(QChar Key) override;
    // Key-up: the lookup text expires on moving keys; the selection notices and the disjunct cells.
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    // The key-down hook under the key table: merged blocks, row moves by Ctrl, wrapping arrows,
    // disabled rows, the partner grid.
    virtual void HandleKeyDown(uint16_t& Key, plat::TShiftState Shift);
    // Makes a cell current as a left click two pixels inside it would, OnMouseDown and OnMouseUp quiet.
    void ClickCellAt(int ACol, int ARow);
    void DblClick() override;
    void TopLeftChanged() override;
    // Cells move on screen with a scroll unless a background picture or gradient, merged blocks,
    // the selection rectangle or the designer's helper paint across them.
    bool CanScrollPixels() const override;
    plat::TInplaceEdit* CreateEditor() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static bool isTextKind(TEditorType Kind);
    // A click (ACol display) on a check box, radio button or node glyph; true when it acted.
    bool cellClick(int ACol, int ARow, int X, int Y);
    bool defaultEditorOpen() const;
    int firstNavigableCol() const;
    void comboRoad(int ACol, int ARow, bool List);
    // The edCustom road through the editor link, and its end (ExEditLink.cpp).
    void linkRoad(int ACol, int ARow);
    void endLinkEdit(int ACol, int ARow);
    // A link on its way out: an edit it has open ends without it.
    void linkGone(TEditLink* Link);
    // A key that comes up to the cells from the link control under the grid's filter: taken, unused.
    bool linkKeyLeft(QObject* Watched, QEvent* Event);
    // A link control under the grid's key filter keeps Tab with goTabs.
    bool focusNextPrevChild(bool next) override;
    void comboChanged();
    void comboClosed();
    void placeSpecialEditor();
    // Esc: the editors close without writing.
    void cancelEditors();
    void defaultEditorHidden();
    // A change in an open editor reaches the cell at once, by the editor kind in use.
    void liveEditChanged();
    // The refused road of both validations: the text back in the cell, the cursor back on it and
    // the editor open again.
    void refuseEdit(int ACol, int ARow, const QString& Value, bool Replaced, bool EarlyClear);
    void showRefusalTip();
    // The snapshot again and the guard off: the last step of a validation, also when it raised.
    void endValidation();
    bool editorKey(QObject* Watched, QEvent* Event);
    // The default editor's text validated before a key takes it anywhere (the least form of its commit).
    bool commitDefaultEditor();
    // One step of the advance; false when the cell stays.
    bool advanceStep(int& ACol, int& ARow, bool Forward);
    void searchTick();
    // The key table (ExGridKeys.cpp); each step answers whether it ended the key.
    void keyTable(uint16_t& Key, plat::TShiftState Shift);
    bool scrollOnlyKey(uint16_t Key);
    void clickableCellKey(uint16_t Key);
    bool homeEndKey(uint16_t Key, plat::TShiftState Shift);
    bool skipFixedKey(uint16_t& Key, plat::TShiftState Shift);
    bool clipboardKey(uint16_t Key, plat::TShiftState Shift);
    void insertRowKey();
    void deleteRowKey();
    void selectAllKey();
    void disjunctKey(uint16_t Key, plat::TShiftState Shift);
    // One move of the Tab advance; false when the grid was left at its end.
    bool tabStep(bool Backward);
    // The cell snaps to its merge base.
    void snapCurrent();
    // Moves the current cell through the selection hook, the anchor with it.
    void moveCurrentTo(int ACol, int ARow);
    // A Tab handed on: the window's next control takes the focus once the key is over.
    void tabToNextControl(bool Backward);
    plat::TGridRect FMoveSelection{};
    plat::TGridCoord FLastKeyCell{-1, -1};
    bool FGridModified = false;
    bool FEditMode = false, FEditing = false, FSpecialEditor = false, FEditActive = false, FEntered = false;
    bool FBlockKill = false, FNoEditChange = false, FShowEditProcess = false, FValidating = false;
    bool FForceSel = false, FDisableChange = false, FInClick = false, FSimClick = false;
    // A double click on a drop-down cell: its list opens when the button comes up.
    bool FListOnRelease = false;
    TEditorType FEditControl = edNormal;
    QWidget* FEditCtrl = nullptr;
    TGridCombo* FEditCombo = nullptr;
    QPointer<TEditLink> FEditLink;
    // The link of the edit that is open: the column asked about last may have put another one
    // into FEditLink meanwhile.
    QPointer<TEditLink> FLinkInEdit;
    // The link control the grid's key filter sits on.
    QPointer<QWidget> FGridControlWndProc;
    QChar FStartEditChar;
    QString FCellCache, FEditText, FOldCellText, FOldCellTextWide, FSearchInc;
    // The text editor opened by the show step for this edit; its hide ends the edit.
    bool FTextEditOpen = false;
    QPointer<TEditBalloonTip> FInvalidEntryBalloon;
    int FOldCol = -1, FOldRow = -1, FAECol = -1, FAERow = -1, FSearchTics = 0;
    bool FOldModified = false;

public:

    // ---- events ----
    TOnResizeEvent OnResize;
    plat::TNotifyEvent OnPainted;
    // cell queries
    TGridColorEvent OnGetCellColor, OnGetCellPrintColor;
    TGridBorderEvent OnGetCellBorder, OnGetCellPrintBorder;
    TGridBorderPropEvent OnGetCellBorderProp;
    TGridGradientEvent OnGetCellGradient;
    TGridAlignEvent OnGetAlignment;
    TGridFormatEvent OnGetFormat;
    TFloatFormatEvent OnGetFloatFormat;
    TGridHintEvent OnGridHint;
    TGetEditorTypeEvent OnGetEditorType;
    TCanEditCellEvent OnCanEditCell;
    // clicks and cursor movement
    TClickCellEvent OnClickCell, OnRightClickCell;
    TDblClickCellEvent OnDblClickCell;
    TCanEditCellEvent OnCanClickCell;
    std::function<void(QObject* Sender, int32_t ALeft, int32_t ATop, int32_t ARight, int32_t ABottom)>
        OnSelectionChanged;
    TScrollHintEvent OnScrollHint;
    TDragScrollEvent OnDragScroll;
    TScrollCellEvent OnScrollCell;
    // editing and editors
    plat::TNotifyEvent OnEditingDone;
    TEditCellDoneEvent OnEditCellDone;
    TCellValidateEvent OnCellValidate;
    TEllipsClickEvent OnEllipsClick;
    TButtonClickEvent OnButtonClick;
    TComboChangeEvent OnComboChange;
    TClickCellEvent OnComboCloseUp, OnComboDropDown, OnDatePickerCloseUp, OnDatePickerDropDown;
    TSpinClickEvent OnSpinClick;
    // check boxes, anchors, balloons
    TCheckBoxClickEvent OnCheckBoxClick;
    TAnchorClickEvent OnAnchorClick;
    TAnchorEvent OnAnchorEnter, OnAnchorExit;
    TAnchorHintEvent OnAnchorHint;
    TGridBalloonEvent OnCellBalloon;
    std::function<void(QObject* Sender, int32_t OldRow, int32_t NewRow)> OnRowChanged;
    std::function<void(QObject* Sender, int32_t ARow, bool AState, bool& Allow)> OnRowDisjunctSelect;
    std::function<void(QObject* Sender, int32_t ARow)> OnRowDisjunctSelected;
    // rows, columns and sizes
    TCanAddRowEvent OnCanAddRow;
    TAutoAddRowEvent OnAutoAddRow;
    TCanInsertRowEvent OnCanInsertRow;
    TAutoInsertRowEvent OnAutoInsertRow;
    TAutoInsertColEvent OnAutoInsertCol;
    TCanDeleteRowEvent OnCanDeleteRow;
    TAutoDeleteRowEvent OnAutoDeleteRow;
    plat::TNotifyEvent OnFilterDone;
    std::function<void(QObject* Sender, int32_t ACol, int32_t ARow, TGridFixedCellEditor& AEditor, QStringList& Values)>
        OnFixedEdit;
    TColumnSizeEvent OnColumnSize;
    TColumnSizingEvent OnColumnSizing;
    TEndColumnSizeEvent OnEndColumnSize;
    TUpdateColumnSizeEvent OnUpdateColumnSize;
    TRowSizeEvent OnRowSize;
    TRowSizingEvent OnRowSizing;
    TEndRowSizeEvent OnEndRowSize;
    TExpandClickEvent OnExpandClick;
    // sorting and filtering
    TClickSortEvent OnClickSort;
    TCanSortEvent OnCanSort;
    TCustomCompareEvent OnCustomCompare;
    TRawCompareEvent OnRawCompare;
    // search and footer
    TSearchEditChangeEvent OnSearchEditChange;
    plat::TNotifyEvent OnSearchFooterClose, OnCreatedFloatingFooter, OnCreatedSearchFooter;
    TCalcFooterEvent OnFooterCalc;
    // painting
    TCustomCellDrawEvent OnCustomCellDraw, OnCustomCellBkgDraw;
    // files, clipboard, printing
    TCellIOEvent OnSaveCell, OnLoadCell;
    TCellsChangedEvent OnCellsChanged;
    TClipboardEvent OnClipboardPaste, OnClipboardCopy, OnClipboardCut;
    TClipboardBeforePasteEvent OnClipboardBeforePasteCell;
    TClipboardAfterPasteEvent OnClipboardAfterPasteCell;
    TPrintStartEvent OnPrintStart;

protected:
    // Runs at the first show and after each re-parenting.
    virtual void CreateWnd();
    // The 500 ms tick of the grid timer: the tick count, the lookup text's expiry, the focus that
    // follows the mouse, the blinking cells.
    virtual void GridTimer();
    // Nothing inside an update block; a grid that is no tab stop updates its proportional bar at
    // its first paint.
    void Paint() override;
    // The cell's text comes from its real column.
    void DrawCellContent(plat::TCanvas& Canvas, int ACol, int ARow, const plat::TRect& ARect,
                         plat::TGridDrawState AState) override;
    bool event(QEvent* e) override;
    // Links the first address and appends the group count.
    void DoGetDisplText(int ACol, int ARow, QString& Value) const override;
    void HScrollMessage(int ScrollCode, int Pos) override;
    void VScrollMessage(int ScrollCode, int Pos) override;
    void UpdateScrollPos() override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void numberNewRows(int OldCount);
    void dropHiddenBeyondEnd();
    // Empties real columns First .. End - 1 in the store.
    void clearColumnsFrom(int First, int End);
    friend class TExColumnGrid;
    friend class TGridPrinter;
    friend class TEditLink;
    QStringList FComboList;
    // The real columns of the move ColumnMoved reports; -1 outside one.
    int FMovedRealFrom = -1, FMovedRealTo = -1;
    TCellGraphic* graphicReal(int ACol, int ARealRow);
    // A covered cell of a merged block hands the current cell to the block's base cell.
    void toBaseCell();
    // The check text of a real row's cell: a shown row is asked at its display row.
    QString checkTextReal(int ACol, int ARealRow, bool State);
    void checkBoxCell(int ACol, int ARow) const;
    // The order entries a load found: a permutation of the columns, else nothing changes.
    void applyColumnOrder(const std::vector<int>& Order);

    // The size step (ExGridWindow.cpp): search panel, proportional widths, the stretched column and
    // the bars; true when the stretching took the size and the inherited handling is not run.
    bool sizeStep(int ClientW);
    void syncFlatBars();
    void repaintBlinking(int ACol, int ARow);
    void hoverTick();
    void blinkTick();
    // The cursor of a select mode, drawn for the grid: 8010 rows, 8011 columns, 8012 all, 8014 cells.
    static QCursor selectModeCursor(int Id);
    bool FGridBlink = false;
    uint32_t FTimerTicks = 0;
    int FPaintCount = 0;
    bool FDisableSize = false;
    bool FBlockFocus = false;
    bool FCellSelectorMode = false;
    bool FFocusFromEditCtrl = false;
    bool FCtrlDown = false;
    bool FInvokedChange = false, FInvokedFocusChange = false;
    QPoint FCtrlCell{-1, -1};
    void checkCell(int ACol, int ARow) const;

    // lifecycle flags
    bool FLoaded = false;
    bool FEditChange = false;
    bool FWndCreated = false;
    bool FRedrawOff = false;
    int FUpdateCount = 0;
    bool FIsColChanging = false;
    bool FColchgFlg = true;
    bool FLastValidation = true;
    bool FWordWrapEx = true;
    bool FShowColNrs = true;

    // system answers
    bool FIsWinXP = true;
    bool FIsWin7 = true;
    bool FIsWinVista = true;
    bool FIsComCtl6 = true;
    int FWheelScrollLines = 0;

    // sizes
    int FFixedRowHeight = 22;
    int FFixedFooters = 0;
    bool FAutoSize = false;
    int FFixedRowsMin = 0, FFixedColsMin = 0;
    int FMaxRowCount = 0, FMaxColCount = 0;
    int FNumHidden = 0;
    int FOldLeftCol = 0, FOldTopRow = 0;
    int FOldSize = -1;
    std::array<bool, 513> FVisibleCol{};
    std::array<int16_t, 513> FAllColWidths{};
    // Display -> real over the visible columns below 512, and real -> display for 0..511.
    std::vector<int> FDisplToReal;
    std::array<int, 512> FRealToDispl{};
    void rebuildColumnMaps();
    // Every item's Idx, sorted (a multiset), and its distinct values, rebuilt when asked after a change.
    std::vector<int> FHiddenIdx;
    mutable std::vector<int> FHiddenUnique;
    mutable bool FHiddenUniqueValid = true;
    const std::vector<int>& hiddenUnique() const;
    // Adds hidden real rows (ascending) to the sorted index in one merge.
    void addHiddenIdx(const std::vector<int>& Rows);
    // Takes the items the predicate picks out of the store of hidden rows and puts their rows back
    // at the places their real indexes give, in one pass.
    void restoreItems(const std::function<bool(const TGridItem&)>& Pick);
    // Appends items for taken rows.
    void keepHidden(std::vector<plat::TGridStore::TRowRecord> Records, const std::vector<int>& Heights,
                    const std::vector<int>& RealRows, const std::vector<int>& Idx, bool Listed, int Level);

    // look
    TGridLook FLook = glXP;
    TSkinStyle FStyle = tsWindowsXP;
    TColor FBorderColor = 0xB99D7F;
    TOfficeTheme FOldOfficeTheme = otUnknown;
    TColorTones FTones;
    bool FAutoThemeAdapt = false;
    TColor FURLColor = 0xFF0000;
    bool FURLShow = false, FURLShowInText = false, FURLFull = false;
    bool FLoading = false;  // Loaded() applies the stored look
    TMouseSelectMode FMouseSelectMode = msNormal;
    plat::TFont FFixedFont, FActiveCellFont;
    plat::TBitmap FRowIndicator;
    QCursor FOldCursor;
    EX_GRID_STORED(EX_UNIT_FIELD)
    EX_GRID_WRITTEN(EX_UNIT_FIELD)
#define EX_VEZ_FIELD(Suffix, Default) TColor FVEZGradient##Suffix = Default;
    EX_GRID_VEZ(EX_VEZ_FIELD)
#undef EX_VEZ_FIELD
    int32_t FPrintPageFrom = 1, FPrintPageTo = 1, FPrintPageNum = 0;
    int FFilterLevel = 0, FFilterCol = -1, FComboIdx = -1, FOldRowSel = -1;
    int FHoverFixedX = -1, FHoverFixedY = -1, FLastTabCol = -1, FLastTabRow = -1;
    int FColclicked = -1, FRowclicked = -1;
    QPoint FPushedCellButton{-1, -1}, FClipTopLeft{-1, -1}, FLastHintPos{-1, -1};

    QStringList FColumnHeaders, FRowHeaders, FLookupItems, FFilterList, FSortlist;
    std::vector<int> FColumnOrder, FIgnoreColumns;

    // owned objects, each with this one owner
    std::unique_ptr<TFooterPanel> FFooterPanel;
    std::unique_ptr<TSearchPanel> FSearchPanel;
    std::unique_ptr<TFocusHelper> FFocusHelper;
    std::unique_ptr<TSearchFooter> FSearchFooter;
    std::unique_ptr<TFloatingFooter> FFloatingFooter;
    std::unique_ptr<TPrintSettings> FPrintSettings;
    std::unique_ptr<THTMLSettings> FHTMLSettings;
    std::unique_ptr<TSortSettings> FSortSettings;
    std::unique_ptr<TDragDropSettings> FDragDropSettings;
    std::unique_ptr<TDragScrollOptions> FDragScrollOptions;
    std::unique_ptr<TControlLook> FControlLook;
    std::unique_ptr<TNavigation> FNavigation;
    std::unique_ptr<TColumnSize> FColumnSize;
    std::unique_ptr<TCellNode> FCellNode;
    std::unique_ptr<TBands> FBands;
    std::unique_ptr<TSizeWhileTyping> FSizeWhileTyping;
    std::unique_ptr<TMouseActions> FMouseActions;
    std::unique_ptr<TGrouping> FGrouping;
    std::unique_ptr<TIntList> FOrigColSizes;
    std::unique_ptr<TSortIndexList> FSortIndexes;
    std::unique_ptr<TIntList> FSortRowXRef, FUnSortRowXRef, FMergedColumns, FSelectedCells, FSelectedRows,
        FModifiedRows, FEnabledRows;
    std::vector<bool> FRowSelect, FColSelect;
    bool FSelChange = false;
    bool FUseEnabledRows = false;
    // Printed widths and left edges of the last pass, as long as its rectangle is wide.
    std::vector<int> FMaxWidths, FIndents;
    plat::TGridRect FPrintRect;
    plat::TRect FPrevRect;
    double FFontscalefactor = 1.0;
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<TPrintLayout> FPrintLayout;
    std::unique_ptr<THTMLHintWindow> FScrollHintWnd;
    std::unique_ptr<TControlList> FControlList;
    std::unique_ptr<TBackGround> FBackGround;
    std::unique_ptr<TBalloonSettings> FBalloon;
    std::unique_ptr<TShowModified> FShowModified;
    std::unique_ptr<TGridProgressAppearance> FProgressAppearance;
    std::unique_ptr<TSyncGrid> FSyncGrid;
    std::unique_ptr<TFilterDropDown> FFilterDropDown;
    std::unique_ptr<TDropList> FDropList;
    std::unique_ptr<TDropCheckList> FDropCheckList;
    TGridItems FGridItems;
    std::unique_ptr<TFilter> FFilter;
    // editor hosts
    std::unique_ptr<TGridFocusWindow> FFocusWindow;
    // Made on first use: most grids never move a column.
    mutable std::array<std::unique_ptr<TArrowWindow>, 4> FArrows;
    bool FArrowColorSet = false;
    std::unique_ptr<TGridTransEdit> FEditTrans;
    std::unique_ptr<TGridTransCombo> FComboTrans;

    // scrolling
    TScrollType FScrollType = ssNormal;
    TColor FScrollColor = plat::clNone;
    int32_t FScrollWidth = 17;
    bool FScrollProportional = false;
    bool FIsFlat = false;
    bool FScrollLock = false;
    bool FScrollHintShow = false;
    QPointer<QScrollBar> FScrollBar;
    int FScrollCol = -1, FScrollRow = -1;
    std::unique_ptr<TScrollControl> FVScrlCtrl, FHScrlCtrl;
    TDragScrollDirections FDragScrollDirection;
    std::unique_ptr<plat::TTimer> FDragTmr;
    bool FColSizeFlg = false, FColSized = false, FRowSized = false;
    int FColclickedsize = -1, FRowclickedsize = -1;
    void InitFlatScrollBars();
    void DoneFlatScrollBars();
    void ApplyFlatScrollSettings();
    void ApplyFlatScrollStyle();
    void layoutScrollControls();
    void makeScrollControls();
    void showScrollHint(const QString& Text);
    void dragScrollTick();
    // A fixed-column (row) sizing scaled every other column (row) by new / old.
    void scaleOthers(bool Cols, int Index, int OldSize);

    plat::TTimer* FGridTimer = nullptr;  // a child of the grid, restarted by each CreateWnd
    QPointer<QWidget> FOwnerForm;
    int FPrevSizeX = 0, FPrevSizeY = 0;
    bool FInFormResize = false;
};

// The values every configurator form stores on its grids: fonts, options, hover cells, the control
// look's fixed gradients, the search-footer captions. A window calls it before Loaded().
void SetConfiguratorFormValues(TExStringGrid& Grid);
