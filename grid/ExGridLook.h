#pragma once
// The string grid's appearance and behaviour settings objects: control look, progress bars,
// background, modified rows, balloons, grouping, sorting, drag and drop, drag scrolling. Each is
// created by its grid, lives as long as it and only stores values; painting, hint, grouping and
// sorting code of the grid reads them. Assign copies from an object of the same class only.
#include "dropdowns/DovUzerAdevAppearances.h"
#include "grid/ExGridUnit.h"
#include "platform/Bitmap.h"
#include "platform/Colors.h"
#include "platform/Events.h"

#include <QObject>
#include <QString>
#include <cstdint>

class TExStringGrid;

#define EX_LOOK_FIELD(T, Name, Default) T F##Name = Default;
#define EX_LOOK_GET(T, Name, Default) \
    T Name() const { return F##Name; }
#define EX_LOOK_PLAIN(T, Name, Default) \
    T Name() const { return F##Name; }  \
    void Set##Name(T Value) { F##Name = Value; }
#define EX_LOOK_DECL_SET(T, Name, Default) \
    T Name() const { return F##Name; }     \
    void Set##Name(T Value);

enum TControlStyle : uint8_t { csClassic, csFlat, csWinXP, csBevel3D, csVEZ, csGlyph, csTheme };

// Writes repaint the grid.
#define EX_CONTROLLOOK_REPAINT(X)                     \
    X(TColor, Color, plat::clBlack)                   \
    X(TColor, CommentColor, plat::clRed)              \
    X(int32_t, CheckSize, 15)                         \
    X(int32_t, RadioSize, 10)                         \
    X(TControlStyle, ControlStyle, csTheme)           \
    X(bool, FlatButton, false)                        \
    X(bool, DropDownAlwaysVisible, false)             \
    X(bool, SpinButtonsAlwaysVisible, false)          \
    X(bool, NoDisabledCheckRadioLook, false)          \
    X(bool, NoDisabledButtonLook, false)              \
    X(int32_t, ProgressMarginX, 2)                    \
    X(int32_t, ProgressMarginY, 2)                    \
    X(bool, ProgressXP, false)
#define EX_CONTROLLOOK_PLAIN(X)                       \
    X(bool, CheckAlwaysActive, false)                 \
    X(bool, RadioAlwaysActive, false)                 \
    X(TColor, ProgressBorderColor, plat::clGray)      \
    X(bool, FixedDropDownButton, false)               \
    X(int32_t, DropDownCount, 8)                      \
    X(int32_t, HintMaxWidth, 0)
// Fixed-cell gradients: a colour other than none goes on to the grid's matching glVEZ colour.
// Fixed-cell gradients by the suffix they share with the grid's glVEZ colours (FixedGradientFrom
// and VEZGradientFrom): a colour other than none goes on to the grid.
#define EX_CONTROLLOOK_GRADIENT(X)      \
    X(From, plat::clNone)               \
    X(To, plat::clNone)                 \
    X(HoverFrom, plat::clGray)          \
    X(HoverTo, plat::clWhite)           \
    X(HoverBorder, plat::clSilver)      \
    X(DownFrom, plat::clGray)           \
    X(DownTo, plat::clSilver)           \
    X(DownBorder, plat::clGray)
// Mirror gradients: every value goes on to the grid.
#define EX_CONTROLLOOK_MIRROR(X)        \
    X(MirrorFrom, plat::clNone)         \
    X(MirrorTo, plat::clNone)           \
    X(HoverMirrorFrom, plat::clNone)    \
    X(HoverMirrorTo, plat::clNone)      \
    X(DownMirrorFrom, plat::clNone)     \
    X(DownMirrorTo, plat::clNone)
#define EX_GRADIENT_ACCESS(Suffix, Default)                                  \
    TColor FixedGradient##Suffix() const { return FFixedGradient##Suffix; } \
    void SetFixedGradient##Suffix(TColor Value);
#define EX_GRADIENT_FIELD(Suffix, Default) TColor FFixedGradient##Suffix = Default;

class TControlLook : public QObject {
public:
    explicit TControlLook(TExStringGrid* AOwner);

    EX_CONTROLLOOK_REPAINT(EX_LOOK_DECL_SET)
    EX_CONTROLLOOK_PLAIN(EX_LOOK_PLAIN)
    EX_CONTROLLOOK_GRADIENT(EX_GRADIENT_ACCESS)
    EX_CONTROLLOOK_MIRROR(EX_GRADIENT_ACCESS)

    // Glyph writes copy the bitmap and repaint.
    const plat::TBitmap& CheckedGlyph() const { return FCheckedGlyph; }
    void SetCheckedGlyph(const plat::TBitmap& Value);
    const plat::TBitmap& UnCheckedGlyph() const { return FUnCheckedGlyph; }
    void SetUnCheckedGlyph(const plat::TBitmap& Value);
    const plat::TBitmap& RadioOnGlyph() const { return FRadioOnGlyph; }
    void SetRadioOnGlyph(const plat::TBitmap& Value);
    const plat::TBitmap& RadioOffGlyph() const { return FRadioOffGlyph; }
    void SetRadioOffGlyph(const plat::TBitmap& Value);

    // The header and footer the grid's drop-down cell editors copy when they open. Writes copy
    // the given appearance into the look's own and repaint nothing.
    const dropdowns::THeaderAppearance& DropDownHeader() const { return FDropDownHeader; }
    dropdowns::THeaderAppearance& DropDownHeader() { return FDropDownHeader; }
    void SetDropDownHeader(const dropdowns::THeaderAppearance& Value) { FDropDownHeader.Assign(&Value); }
    const dropdowns::TFooterAppearance& DropDownFooter() const { return FDropDownFooter; }
    dropdowns::TFooterAppearance& DropDownFooter() { return FDropDownFooter; }
    void SetDropDownFooter(const dropdowns::TFooterAppearance& Value) { FDropDownFooter.Assign(&Value); }

    // The colours back to their start values, stored only (the grid's glVEZ colours stay).
    void Init();
    // Copies the look but not FlatButton, ProgressXP, the two disabled looks or
    // FixedDropDownButton; gradients are stored only; no repaint.
    void Assign(const QObject* Source);

private:
    void repaint();
    TExStringGrid* FOwner;
    EX_CONTROLLOOK_REPAINT(EX_LOOK_FIELD)
    EX_CONTROLLOOK_PLAIN(EX_LOOK_FIELD)
    EX_CONTROLLOOK_GRADIENT(EX_GRADIENT_FIELD)
    EX_CONTROLLOOK_MIRROR(EX_GRADIENT_FIELD)
    plat::TBitmap FCheckedGlyph, FUnCheckedGlyph, FRadioOnGlyph, FRadioOffGlyph;
    dropdowns::THeaderAppearance FDropDownHeader;
    dropdowns::TFooterAppearance FDropDownFooter;
};

enum TProgressStyle : uint8_t { psXP, psClassic };

#define EX_PROGRESS_FIELDS(X)                              \
    X(TColor, CompleteColor, plat::clRed)                  \
    X(TColor, CompleteFontColor, plat::clBlue)             \
    X(TColor, UnCompleteColor, plat::clNone)               \
    X(TColor, UnCompleteFontColor, plat::clWindowText)     \
    X(TColor, Level0Color, plat::clLime)                   \
    X(TColor, Level0ColorTo, 0xE1FFE1)                     \
    X(TColor, Level1Color, plat::clYellow)                 \
    X(TColor, Level1ColorTo, 0xCAFFFF)                     \
    X(TColor, Level2Color, 0x53A9FF)                       \
    X(TColor, Level2ColorTo, 0xA8D3FF)                     \
    X(TColor, Level3Color, plat::clRed)                    \
    X(TColor, Level3ColorTo, 0xCACAFF)                     \
    X(int32_t, Level1Perc, 70)                             \
    X(int32_t, Level2Perc, 90)                             \
    X(TColor, BorderColor, plat::clBlack)                  \
    X(bool, ShowBorder, false)                             \
    X(bool, Stacked, false)                                \
    X(bool, ShowPercentage, true)                          \
    X(bool, CompletionSmooth, true)                        \
    X(bool, ShowGradient, true)                            \
    X(int32_t, Steps, 11)                                  \
    X(TProgressStyle, Style, psXP)

// Progress-bar cells; a write that changes a value fires OnChange.
class TGridProgressAppearance : public QObject {
public:
    EX_PROGRESS_FIELDS(EX_LOOK_DECL_SET)
    // Copies every value, then fires OnChange once.
    void Assign(const QObject* Source);
    plat::TNotifyEvent OnChange;

private:
    void changed();
    EX_PROGRESS_FIELDS(EX_LOOK_FIELD)
};

enum TBackGroundDisplay : uint8_t { bdTile, bdFixed, bdGradientHorz, bdGradientVert };
enum TBackGroundCells : uint8_t { bcNormal, bcFixed, bcAll };

#define EX_BACKGROUND_FIELDS(X)                   \
    X(int32_t, Top, 0)                            \
    X(int32_t, Left, 0)                           \
    X(TBackGroundDisplay, Display, bdTile)        \
    X(TBackGroundCells, Cells, bcNormal)          \
    X(TColor, Color, plat::clWindow)              \
    X(TColor, ColorTo, plat::clBtnFace)

// The picture or gradient behind the cells; every write repaints the grid.
class TBackGround : public QObject {
public:
    explicit TBackGround(TExStringGrid* AGrid);
    EX_BACKGROUND_FIELDS(EX_LOOK_DECL_SET)
    const plat::TBitmap& Bitmap() const { return FBitmap; }
    void SetBitmap(const plat::TBitmap& Value);
    void Assign(const QObject* Source);

private:
    void repaint();
    TExStringGrid* FGrid;
    EX_BACKGROUND_FIELDS(EX_LOOK_FIELD)
    plat::TBitmap FBitmap;
};

// The colour of modified cells.
class TShowModified : public QObject {
public:
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);  // fires OnChange
    void Assign(const QObject* Source);
    plat::TNotifyEvent OnChange;

private:
    bool FEnabled = false;
    TColor FColor = plat::clYellow;
};

#define EX_BALLOON_PLAIN(X)                      \
    X(TColor, TextColor, plat::clNone)           \
    X(TColor, BackgroundColor, plat::clNone)     \
    X(int32_t, InitialDelay, -1)                 \
    X(int32_t, AutoHideDelay, -1)                \
    X(int32_t, ReshowDelay, -1)                  \
    X(uint8_t, Transparency, 0)

// Balloon hints; -1 delays mean the platform's timing.
class TBalloonSettings : public QObject {
public:
    EX_BALLOON_PLAIN(EX_LOOK_PLAIN)
    bool Enable() const { return FEnable; }
    void SetEnable(bool Value);  // fires OnEnableChange
    // Copies everything but Transparency, without an event.
    void Assign(const QObject* Source);
    plat::TNotifyEvent OnEnableChange;

private:
    EX_BALLOON_PLAIN(EX_LOOK_FIELD)
    bool FEnable = false;
};

#define EX_GROUPING_FIELDS(X)                     \
    X(bool, MergeHeader, false)                   \
    X(bool, MergeSummary, false)                  \
    X(TColor, HeaderColor, plat::clNone)          \
    X(TColor, HeaderColorTo, plat::clNone)        \
    X(TColor, HeaderTextColor, plat::clNone)      \
    X(bool, HeaderUnderline, false)               \
    X(TColor, HeaderLineColor, plat::clBlue)      \
    X(int32_t, HeaderLineWidth, 2)                \
    X(bool, Summary, false)                       \
    X(TColor, SummaryColor, plat::clNone)         \
    X(TColor, SummaryColorTo, plat::clNone)       \
    X(TColor, SummaryTextColor, plat::clNone)     \
    X(bool, SummaryLine, false)                   \
    X(TColor, SummaryLineColor, plat::clBlue)     \
    X(int32_t, SummaryLineWidth, 2)               \
    X(bool, ShowGroupCount, false)                \
    X(QString, GroupCountFormat, QString())       \
    X(bool, AutoSelectGroup, false)               \
    X(bool, AutoCheckGroup, false)

// Group header and summary rows.
class TGrouping : public QObject {
public:
    EX_GROUPING_FIELDS(EX_LOOK_PLAIN)
    // Not the line colours and widths, not Summary.
    void Assign(const QObject* Source);

private:
    EX_GROUPING_FIELDS(EX_LOOK_FIELD)
};

// ---------------------------------------------------------------------------------------------------

enum TSortDirection : uint8_t { sdAscending, sdDescending };
enum TSortBlankPosition : uint8_t { blFirst, blLast };
enum TIndexSortKey : uint8_t { ikShift, ikCtrl };

#define EX_SORT_PLAIN(X)                                  \
    X(int32_t, Column, -1)                                \
    X(TSortDirection, Direction, sdAscending)             \
    X(TSortDirection, InitSortDirection, sdAscending)     \
    X(bool, Full, true)                                   \
    X(bool, SingleColumn, false)                          \
    X(bool, IgnoreBlanks, false)                          \
    X(TSortBlankPosition, BlankPos, blFirst)              \
    X(bool, AutoFormat, true)                             \
    X(bool, IgnoreCase, false)                            \
    X(bool, NormalCellsOnly, false)                       \
    X(bool, FixedCols, false)                             \
    X(bool, UndoSort, false)                              \
    X(bool, AutoSortForGrouping, true)                    \
    X(bool, AutoColumnMerge, false)                       \
    X(bool, SortOnVirtualCells, true)                     \
    X(bool, IndexShow, false)                             \
    X(TColor, IndexColor, plat::clYellow)                 \
    X(TIndexSortKey, IndexSortKey, ikShift)
#define EX_SORT_HEADER(X)                          \
    X(TColor, HeaderColor, plat::clNone)           \
    X(TColor, HeaderColorTo, plat::clNone)         \
    X(TColor, HeaderMirrorColor, plat::clNone)     \
    X(TColor, HeaderMirrorColorTo, plat::clNone)

class TSortSettings : public QObject {
public:
    explicit TSortSettings(TExStringGrid* AGrid);

    EX_SORT_PLAIN(EX_LOOK_PLAIN)
    // Header colours repaint the last fixed row on a change.
    EX_SORT_HEADER(EX_LOOK_DECL_SET)
    int32_t Row() const { return FRow; }
    // Only below the grid's fixed rows; else EExGridError and Row stays.
    void SetRow(int32_t Value);
    bool Show() const { return FShow; }
    void SetShow(bool Value);  // repaints on a change
    const plat::TBitmap& UpGlyph() const { return FUpGlyph; }
    void SetUpGlyph(const plat::TBitmap& Value) { FUpGlyph.Assign(Value); }
    const plat::TBitmap& DownGlyph() const { return FDownGlyph; }
    void SetDownGlyph(const plat::TBitmap& Value) { FDownGlyph.Assign(Value); }
    const plat::TBitmap& IndexUpGlyph() const { return FIndexUpGlyph; }
    void SetIndexUpGlyph(const plat::TBitmap& Value) { FIndexUpGlyph.Assign(Value); }
    const plat::TBitmap& IndexDownGlyph() const { return FIndexDownGlyph; }
    void SetIndexDownGlyph(const plat::TBitmap& Value) { FIndexDownGlyph.Assign(Value); }

    // "u3" / "d3" for the sort column, "i;u1;d4" for an index sort.
    QString SaveToString() const;
    // The reverse: sets the sort and runs it. One character: EExGridError; empty: nothing.
    void LoadFromString(const QString& Value);
    void Remove();
    void ToggleDirection();
    // Not IgnoreCase and SortOnVirtualCells; no repaint.
    void Assign(const QObject* Source);

private:
    void repaintHeader();
    TExStringGrid* FGrid;
    EX_SORT_PLAIN(EX_LOOK_FIELD)
    EX_SORT_HEADER(EX_LOOK_FIELD)
    int32_t FRow = 0;
    bool FShow = false;
    plat::TBitmap FUpGlyph, FDownGlyph, FIndexUpGlyph, FIndexDownGlyph;
};

#define EX_DRAGDROP_PLAIN(X)               \
    X(bool, OleDropSource, false)          \
    X(bool, OleAcceptFiles, true)          \
    X(bool, OleAcceptText, true)           \
    X(bool, OleAcceptURLs, true)           \
    X(bool, OleAppendRows, false)          \
    X(bool, OleInsertRows, false)          \
    X(bool, OleRemoveRows, false)          \
    X(bool, OleEntireRows, false)          \
    X(bool, OleCopyAlways, false)          \
    X(bool, OleColumnDragDrop, false)      \
    X(bool, OleColumnsOnly, false)         \
    X(bool, OleColumnReorder, false)       \
    X(bool, ShowCells, true)

// Drag and drop between grids and programs. Registering the grid as a drop target arrives with the
// drag-and-drop handling; until then OleDropTarget and OleDropRTF only store.
class TDragDropSettings : public QObject {
public:
    explicit TDragDropSettings(TExStringGrid* AGrid) : FGrid(AGrid) {}
    EX_DRAGDROP_PLAIN(EX_LOOK_PLAIN)
    bool OleDropTarget() const { return FOleDropTarget; }
    void SetOleDropTarget(bool Value) { FOleDropTarget = Value; }
    bool OleDropRTF() const { return FOleDropRTF; }
    void SetOleDropRTF(bool Value) { FOleDropRTF = Value; }
    void Assign(const QObject* Source);

private:
    TExStringGrid* FGrid;
    EX_DRAGDROP_PLAIN(EX_LOOK_FIELD)
    bool FOleDropTarget = false;
    bool FOleDropRTF = false;
};

class TDragScrollDelays : public QObject {
public:
    EX_LOOK_PLAIN(int32_t, InitialDelay, 1000)
    EX_LOOK_PLAIN(int32_t, RepeatDelay, 250)
    void Assign(const QObject* Source);

private:
    int32_t FInitialDelay = 1000;
    int32_t FRepeatDelay = 250;
};

class TDragScrollMargins : public QObject {
public:
    EX_LOOK_PLAIN(int32_t, TopMargin, 50)
    EX_LOOK_PLAIN(int32_t, BottomMargin, 50)
    EX_LOOK_PLAIN(int32_t, LeftMargin, 50)
    EX_LOOK_PLAIN(int32_t, RightMargin, 50)
    void Assign(const QObject* Source);

private:
    int32_t FTopMargin = 50, FBottomMargin = 50, FLeftMargin = 50, FRightMargin = 50;
};

// Scrolling while something is dragged near the grid's edges.
class TDragScrollOptions : public QObject {
public:
    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    TDragScrollDelays& Delays() { return FDelays; }
    const TDragScrollDelays& Delays() const { return FDelays; }
    TDragScrollMargins& Margins() { return FMargins; }
    const TDragScrollMargins& Margins() const { return FMargins; }
    void Assign(const QObject* Source);

private:
    bool FActive = false;
    TDragScrollDelays FDelays;
    TDragScrollMargins FMargins;
};
