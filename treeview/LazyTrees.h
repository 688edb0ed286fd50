#pragma once
// The lazy tree controls: the node core on a scroll area of its own (no item view), the string tree
// the Scan & Decode window places twice, and the owner-drawn draw tree. The control is the core's
// host: repaints, scroll range, window timers (QBasicTimer by id), focus and text metrics.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <array>
#include <memory>
#include <set>

#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/ImageList.h"
#include "treeview/LazyTreesCore.h"
#include "treeview/LazyTreesHeader.h"
#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTreesDragDrop.h"
#include "treeview/LazyTreesHint.h"

class QAccessibleInterface;
class QCursor;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QHelpEvent;
class QPagedPaintDevice;
class QScrollBar;

enum class TBevelKind : uint8_t { bkNone, bkTile, bkSoft, bkFlat };
enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBevelEdge : uint8_t { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge, uint8_t>;

// ---- Painting ----
// What one PaintTree call paints.
enum class TLTInternalPaintOption : uint8_t {
    poBackground,     // the background picture, when the tree shows one
    poColumnColor,    // cells filled with their column's colour
    poDrawFocusRect,
    poDrawSelection,
    poDrawDropMark,
    poGridLines,
    poMainOnly,       // only the main column
    poSelectedOnly,   // only rows that are selected or lie under a selected node
    poUnbuffered      // straight onto the target, no row picture
};
using TLTInternalPaintOptions = TSet<TLTInternalPaintOption, uint16_t>;
enum class TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft };
// One entry per indentation level of a row.
enum class TLTLineType : uint8_t {
    ltNone,
    ltBottomRight,
    ltTopDown,
    ltTopDownRight,
    ltRight,
    ltTopRight,
    ltLeft,
    ltLeftBottom
};
using TLineImage = std::vector<TLTLineType>;
enum class TItemEraseAction : uint8_t { eaColor, eaDefault, eaNone };
enum class TLTCellPaintMode : uint8_t { cpmPaint, cpmGetContentMargin };
enum class TLTCellContentMarginType : uint8_t { ccmtAllSides, ccmtTopLeftOnly, ccmtBottomRightOnly };
enum TLTImageInfoIndex : uint8_t { iiNormal, iiState, iiCheck, iiOverlay };
struct TLTImageInfo {
    int Index = -1;
    int XPos = 0;
    int YPos = 0;
    bool Ghosted = false;
    const plat::TImageList* Images = nullptr;
};
// The cell being painted: row coordinates (top 0, x in tree coordinates).
struct TLTPaintInfo {
    TCanvas* Canvas = nullptr;
    TLTInternalPaintOptions PaintOptions;
    PLazyNode Node = nullptr;
    TColumnIndex Column = NoColumn;
    TColumnPosition Position = 0;
    plat::TRect CellRect;
    plat::TRect ContentRect;
    int NodeWidth = 0;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TAlignment CaptionAlignment = TAlignment::taLeftJustify;
    TBiDiMode BidiMode = TBiDiMode::bdLeftToRight;
    QPoint BrushOrigin;
    std::array<TLTImageInfo, 4> ImageInfo;
};

// ---- Hit testing ----
enum class THitPosition : uint8_t {
    hiAbove,
    hiBelow,
    hiNowhere,
    hiOnItem,
    hiOnItemButton,
    hiOnItemButtonExact,
    hiOnItemCheckbox,
    hiOnItemIndent,
    hiOnItemLabel,
    hiOnItemLeft,
    hiOnItemRight,
    hiOnNormalIcon,
    hiOnStateIcon,
    hiToLeft,
    hiToRight,
    hiUpperSplitter,
    hiLowerSplitter
};
using THitPositions = TSet<THitPosition, uint32_t>;
struct THitInfo {
    PLazyNode HitNode = nullptr;
    THitPositions HitPositions;
    TColumnIndex HitColumn = NoColumn;
    QPoint HitPoint;
};

// ---- Scrolling ----
enum class TScrollBarStyle : uint8_t { sbmRegular, sbm3D };
enum class TLTScrollBars : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TScrollUpdateOption : uint8_t { suoRepaintHeader, suoRepaintScrollBars, suoScrollClientArea, suoUpdateNCArea };
using TScrollUpdateOptions = TSet<TScrollUpdateOption, uint8_t>;
inline constexpr TScrollUpdateOptions DefaultScrollUpdateFlags{
    TScrollUpdateOption::suoRepaintHeader, TScrollUpdateOption::suoRepaintScrollBars,
    TScrollUpdateOption::suoScrollClientArea, TScrollUpdateOption::suoUpdateNCArea};
enum class TScrollDirection : uint8_t { sdLeft, sdUp, sdRight, sdDown };
using TScrollDirections = TSet<TScrollDirection, uint8_t>;
enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

// Whether a press on a node may always start a drag, or only where OnDragAllowed says so.
enum class TDragMode : uint8_t { dmManual, dmAutomatic };

class TBaseLazyTree;
// The tree's scroll bars: which are shown, whether they stay when there is nothing to scroll, and
// the line steps. Changing what is shown builds the window again.
class TScrollBarOptions {
public:
    explicit TScrollBarOptions(TBaseLazyTree* Owner) : FOwner(Owner) {}
    bool AlwaysVisible() const { return FAlwaysVisible; }
    void SetAlwaysVisible(bool Value);
    TLTScrollBars ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TLTScrollBars Value);
    TScrollBarStyle ScrollBarStyle() const { return FScrollBarStyle; }
    void SetScrollBarStyle(TScrollBarStyle Value) { FScrollBarStyle = Value; }
    int HorizontalIncrement() const { return FIncrementX; }
    void SetHorizontalIncrement(int Value) { FIncrementX = uint16_t(std::clamp(Value, 1, 0xFFFF)); }
    int VerticalIncrement() const { return FIncrementY; }
    void SetVerticalIncrement(int Value) { FIncrementY = uint16_t(std::clamp(Value, 1, 0xFFFF)); }
    void Assign(const TScrollBarOptions& Source);

private:
    bool FAlwaysVisible = false;
    TBaseLazyTree* FOwner;
    TLTScrollBars FScrollBars = TLTScrollBars::ssBoth;
    TScrollBarStyle FScrollBarStyle = TScrollBarStyle::sbmRegular;
    uint16_t FIncrementX = 20;
    uint16_t FIncrementY = 20;
};

class TBaseLazyTree;
// The editor of a cell, as the tree drives it: prepare, begin, end or cancel, and place it. Shared
// by the tree and the editor control; the last holder frees it.
class ILTEditLink {
public:
    virtual ~ILTEditLink() = default;
    // Show the editor and give it the focus; false: the edit does not start.
    virtual bool BeginEdit() = 0;
    // Discard (false: editing goes on).
    virtual bool CancelEdit() = 0;
    // Accept and store (false: editing goes on).
    virtual bool EndEdit() = 0;
    // Bind to the cell and load the value; false refuses.
    virtual bool PrepareEdit(TBaseLazyTree* Tree, PLazyNode Node, TColumnIndex Column) = 0;
    virtual plat::TRect GetBounds() = 0;
    virtual void SetBounds(plat::TRect R) = 0;
};
using PLTEditLink = std::shared_ptr<ILTEditLink>;

using TLTBasePaintEvent = std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas)>;
using TLTBeforeItemPaintEvent = std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                                   const plat::TRect& ItemRect, bool& CustomDraw)>;
using TLTBeforeItemEraseEvent =
    std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, PLazyNode Node, const plat::TRect& ItemRect,
                       plat::TColor& ItemColor, TItemEraseAction& EraseAction)>;
using TLTAfterItemEraseEvent =
    std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, PLazyNode Node, const plat::TRect& ItemRect)>;
using TLTAfterItemPaintEvent = TLTAfterItemEraseEvent;
using TLTBeforeCellPaintEvent =
    std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                       TLTCellPaintMode CellPaintMode, const plat::TRect& CellRect, plat::TRect& ContentRect)>;
using TLTAfterCellPaintEvent = std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                                  TColumnIndex Column, const plat::TRect& CellRect)>;
using TLTBackgroundPaintEvent =
    std::function<void(TBaseLazyTree* Sender, TCanvas* TargetCanvas, const plat::TRect& R, bool& Handled)>;
using TLTGetCellIsEmptyEvent =
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, bool& IsEmpty)>;
using TLTGetImageEvent = std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TLTImageKind Kind,
                                            TColumnIndex Column, bool& Ghosted, int& ImageIndex)>;
using TLTGetImageExEvent =
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TLTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                       int& ImageIndex, const plat::TImageList*& ImageList)>;
using TLTBeforeDrawLineImageEvent =
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, int Level, int& PosX)>;
// Eight rows of 16-bit pattern words replace the dotted pattern when the handler sets Bits.
using TLTGetLineStyleEvent = std::function<void(TBaseLazyTree* Sender, const uint16_t*& Bits)>;
using TLTPrepareButtonImagesEvent =
    std::function<void(TBaseLazyTree* Sender, QImage& APlusBM, QImage& APlusHotBM, QImage& APlusSelectedHotBM,
                       QImage& AMinusBM, QImage& AMinusHotBM, QImage& AMinusSelectedHotBM, QSize& ASize)>;
using TLTScrollEvent = std::function<void(TBaseLazyTree* Sender, int DeltaX, int DeltaY)>;
using TLTScrollBarShowEvent = std::function<void(TBaseLazyTree* Sender, TScrollBarKind Bar, bool Show)>;
// Exports: which nodes, into which format, and the events the walk fires (LazyTrees.Export.cpp).
enum class TVSTTextSourceType : uint8_t { tstAll, tstInitialized, tstSelected, tstCutCopySet, tstVisible, tstChecked };
enum class TLTExportType : uint8_t { etNone, etRTF, etHTML, etText, etExcel, etWord, etCustom };
// False from OnBeforeNodeExport leaves the node out of HTML and RTF.
using TLTNodeExportEvent = std::function<bool(TBaseLazyTree* Sender, TLTExportType aExportType, PLazyNode Node)>;
using TLTColumnExportEvent =
    std::function<void(TBaseLazyTree* Sender, TLTExportType aExportType, TLazyTreeColumn* Column)>;
using TLTTreeExportEvent = std::function<void(TBaseLazyTree* Sender, TLTExportType aExportType)>;

namespace lazytree {
// Gives Target the face, size, style and colour of Source; a face that is already the same is kept,
// so a canvas does not measure its font again for every row.
void TakeFont(plat::TFont& Target, const plat::TFont& Source);
}  // namespace lazytree

// The check pictures of one kind, shared by every tree of the process (nil for ckCustom).
const plat::TImageList* CheckListOfKind(TCheckImageKind Kind);
// The shared utility pictures (picture 4: the mark of a check button).
const plat::TImageList* UtilityImages();
// The index of a node's check picture; ctNone gives -1. With a node its own type, state, enabled
// state and hot state are used; without one the arguments (never hot).
int CheckImageIndexFor(TLazyTreeCore& Tree, PLazyNode Node, TCheckType ImgCheckType, TCheckState ImgCheckState,
                       bool ImgEnabled, bool TreeEnabled);

class TBaseLazyTree : public QAbstractScrollArea, public TLazyTreeCore {
    Q_OBJECT
public:
    explicit TBaseLazyTree(QWidget* parent = nullptr);
    ~TBaseLazyTree() override;

    const char* ClassName() const override { return "TBaseLazyTree"; }

    // bsSingle: a sunken frame; changing it builds the window again.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // A band of this many pixels inside the frame, painted in Colors().BorderColor().
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    // A bevel inside the frame, on the chosen edges, each cut BevelWidth pixels wide; without Ctl3D
    // it is drawn in one colour.
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    // The tree buffers its own painting: always true, writes are ignored.
    bool DoubleBuffered() const { return true; }
    void SetDoubleBuffered(bool) {}
    bool UseRightToLeftReading() const { return layoutDirection() == Qt::RightToLeft; }
    TAlignment GetControlsAlignment() const { return Alignment(); }
    // The canvas the tree measures with (the tree's font).
    plat::TCanvas& Canvas() { return FCanvas; }

    void Assign(const TLazyTreeCore& Source) override;

    // The state message of the worker thread: callable from any thread; the states change on the
    // user-interface thread (masks as lazytree::StatesFromWorkerMask reads them).
    void PostStateChange(uint32_t EnterMask, uint32_t LeaveMask);

    // ---- Scrolling ----
    int64_t OffsetX() const { return FOffsetX; }
    int64_t OffsetY() const { return FOffsetY; }
    void SetOffsetX(int64_t Value) { DoSetOffsetXY(Value, FOffsetY, DefaultScrollUpdateFlags); }
    void SetOffsetY(int64_t Value) { DoSetOffsetXY(FOffsetX, Value, DefaultScrollUpdateFlags); }
    void SetOffsetXY(int64_t X, int64_t Y) { DoSetOffsetXY(X, Y, DefaultScrollUpdateFlags); }
    int64_t EffectiveOffsetX() const { return FEffectiveOffsetX; }
    // Offsets are <= 0: how far the drawing area is moved left and up. Answers whether they changed.
    virtual bool DoSetOffsetXY(int64_t X, int64_t Y, TScrollUpdateOptions Options, const QRect* ClipRect = nullptr);
    TScrollBarOptions& ScrollBarOptions() { return FScrollBarOptions; }
    void SetScrollBarOptions(const TScrollBarOptions& Value) { FScrollBarOptions.Assign(Value); }
    void UpdateScrollBars(bool DoRepaint) override;
    void UpdateVerticalScrollBar(bool DoRepaint);
    void UpdateHorizontalScrollBar(bool DoRepaint);
    void UpdateRanges();
    void UpdateVerticalRange();
    void UpdateHorizontalRange();
    // The right edge of the widest row in view (no columns): the horizontal range.
    virtual int64_t WidestRowRight();
    // Brings the node into view; answers whether the tree scrolled.
    bool ScrollIntoView(PLazyNode Node, bool Center, bool Horizontally = false) override;
    // A column into view; without columns there is none.
    bool ScrollIntoView(TColumnIndex Column, bool Center);
    // The node's row (or its text part) in client coordinates; (0, 0, 0, 0) for a node not shown.
    plat::TRect GetDisplayRect(PLazyNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped = false,
                               bool ApplyCellContentMargin = false);
    PLazyNode TopNode();
    void SetTopNode(PLazyNode Node);
    PLazyNode BottomNode();
    void SetBottomNode(PLazyNode Node);
    // Automatic scrolling near the edges while selecting, dragging or panning.
    virtual bool AutoScrollAllowed() const;
    virtual TScrollDirections DetermineScrollDirections(int X, int Y);
    virtual void DoAutoScroll(int X, int Y);
    void TimerScrollStep();
    TScrollDirections ScrollDirections() const { return FScrollDirections; }
    // Where panning started; auto-scroll measures from here while wheel panning.
    QPoint LastClickPos() const { return FLastClickPos; }
    void SetLastClickPos(QPoint Value) { FLastClickPos = Value; }
    // Where the cursor is, client coordinates; tests replace it.
    std::function<QPoint()> CursorPosSource;
    // The clock the tree's delays are measured on (nullptr: the real one); tests drive their own.
    void SetClock(plat::Clock* Clock) { FClock = Clock; }

    // ---- Drag and drop (LazyTreesDragDrop.cpp) ----
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    // How far the mouse must move before an armed drag starts.
    int DragThreshold() const { return FDragThreshold; }
    // Starts a drag from the last press at once (Immediate) or arms one that the mouse starts beyond
    // Threshold pixels (< 0: the platform's distance); nothing while one is armed or under way.
    virtual void BeginDrag(bool Immediate = false, int Threshold = -1);
    bool Dragging() const;
    // Made on first use: OnCreateDragManager's, else the tree's own.
    ILTDragManager& DragManager();
    void SetDropTargetNode(PLazyNode Node) { FDropTargetNode = Node; }
    TDropMode LastDropMode() const { return FLastDropMode; }
    // The effect the last drag out of this tree ended with.
    int LastDragEffect() const { return FLastDragEffect; }
    // The nodes being dragged out of this tree (tree order, none below another), only during the drag.
    const TNodeArray& DragSelection() const { return FDragSelection; }
    // For OnDragDrop: inserts the dropped nodes at TargetNode; a move within the process moves them and
    // answers Effect none, so the source deletes nothing. Effect is none too unless every node arrived.
    bool ProcessDrop(const QMimeData* DataObject, PLazyNode TargetNode, int& Effect, TLTNodeAttachMode Mode);
    // The platform's drag loop, replaceable (tests drive drags through it): runs the drag of DataObject
    // and answers the drop's effect (none when cancelled). Empty: Qt's drag with the drag picture.
    std::function<int(TBaseLazyTree* Sender, int AllowedEffects, QMimeData* DataObject)> DragDropLoop;
    // The target side, called by the drag manager (screen coordinates); never raises.
    virtual int32_t DragEnter(plat::TShiftState KeyState, QPoint Pt, int& Effect);
    virtual int32_t DragOver(QObject* Source, plat::TShiftState KeyState, TDragState DragState, QPoint Pt,
                             int& Effect);
    virtual void DragLeave();
    virtual int32_t DragDrop(const QMimeData* DataObject, plat::TShiftState KeyState, QPoint Pt, int& Effect);
    // Source: the source tree of a drag within the process, else the widget that started it (nil from
    // outside). Nothing drops unless OnDragOver accepts; points in client coordinates.
    std::function<void(TBaseLazyTree* Sender, QObject* Source, plat::TShiftState Shift, TDragState State, QPoint Pt,
                       TDropMode Mode, int& Effect, bool& Accept)>
        OnDragOver;
    std::function<void(TBaseLazyTree* Sender, QObject* Source, const QMimeData* DataObject, const QStringList& Formats,
                       plat::TShiftState Shift, QPoint Pt, int& Effect, TDropMode Mode)>
        OnDragDrop;
    std::function<void(TBaseLazyTree* Sender, std::unique_ptr<ILTDragManager>& DragManager)> OnCreateDragManager;
    std::function<void(TBaseLazyTree* Sender, std::unique_ptr<QMimeData>& DataObject)> OnCreateDataObject;
    std::function<void(TBaseLazyTree* Sender)> OnStartDrag;
    std::function<void(TBaseLazyTree* Sender, QObject* Target, int X, int Y)> OnEndDrag;
    // Whether a press on Node in Column may start a drag under manual dragging (false by default).
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, bool& Allowed)> OnDragAllowed;
    TLTScrollEvent OnScroll;
    TLTScrollBarShowEvent OnShowScrollBar;

    // ---- Hit testing ----
    // What lies under a point: client coordinates when Relative, else tree coordinates.
    virtual void GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo);
    // Whether the node shows an image of the kind.
    bool HasImage(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column);

    // ---- Mouse ----
    bool IsMouseSelecting() const {
        return FStates.Contains(TLazyTreeState::tsDrawSelPending) || FStates.Contains(TLazyTreeState::tsDrawSelecting);
    }
    std::function<void(TBaseLazyTree* Sender, const THitInfo& HitInfo)> OnNodeClick;
    std::function<void(TBaseLazyTree* Sender, const THitInfo& HitInfo)> OnNodeDblClick;
    std::function<void(TBaseLazyTree* Sender, PLazyNode OldNode, PLazyNode NewNode)> OnHotChange;
    // Row borders that may be dragged: only in a fixed header column, unless the handler allows.
    std::function<void(TBaseLazyTree* Sender, QPoint P, PLazyNode Node, TColumnIndex Column, bool& Allowed)>
        OnCanSplitterResizeNode;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, Qt::KeyboardModifiers Shift,
                       QPoint& TrackPoint, QPoint P, bool& Allowed)>
        OnNodeHeightTracking;
    virtual bool CanTrackNodeHeight(QPoint P, PLazyNode Node, TColumnIndex Column);
    // The cursor over the tree may be changed last.
    std::function<void(TBaseLazyTree* Sender, QCursor& Cursor)> OnGetCursor;

    // The context menu for a node (nil: the tree), asked up the ancestors while AskParent stays set.
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, QPoint P, bool& AskParent,
                       QMenu*& PopupMenu)>
        OnGetPopupMenu;
    virtual QMenu* DoGetPopupMenu(PLazyNode Node, TColumnIndex Column, QPoint Position);
    // Shows the menu of the node at Position (client coordinates); (-1, -1): at the cursor.
    virtual void DoPopupMenu(PLazyNode Node, TColumnIndex Column, QPoint Position);

    // Wheel panning with the middle button: a marker at the origin, the view scrolls by the mouse's
    // distance from it beyond 8 pixels, every 20 ms.
    bool IsPanning() const {
        return FStates.Contains(TLazyTreeState::tsWheelPanning) || FStates.Contains(TLazyTreeState::tsWheelScrolling);
    }
    void StartWheelPanning(QPoint Position);
    void StopWheelPanning();
    void UpdatePanningCursor(int X, int Y);
    // The panning cursor's picture ("LT_MOVE..."), empty while not panning.
    const QString& PanningCursorName() const { return FPanningCursorName; }
    QWidget* PanningWindow() const { return FPanningWindow.get(); }

    // ---- Editing ----
    virtual bool CanEdit(PLazyNode Node, TColumnIndex Column);
    virtual bool EditNode(PLazyNode Node, TColumnIndex Column);
    bool EndEditNode() override;
    bool CancelEditNode() override;
    bool IsEditing() const { return FStates.Contains(TLazyTreeState::tsEditing); }
    TColumnIndex EditColumn() const { return FEditColumn; }
    const PLTEditLink& EditLink() const { return FEditLink; }
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, bool& Allowed)> OnEditing;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, PLTEditLink& EditLink)>
        OnCreateEditor;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column)> OnEdited;
    std::function<void(TBaseLazyTree* Sender, TColumnIndex Column)> OnEditCancelled;
    // Starts the edit of the focused node in the edit column (also when the edit timer fires).
    virtual void DoEdit();
    virtual bool DoEndEdit();
    bool DoCancelEdit() override;
    void AbandonEdit() override;
    void UpdateEditBounds() override;

    // ---- Keyboard ----
    void SetIncrementalSearch(TLTIncrementalSearch Value);
    std::function<void(TBaseLazyTree* Sender, uint16_t& CharCode, Qt::KeyboardModifiers& Shift, bool& DoDefault)>
        OnKeyAction;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, const QString& SearchText, int& Result)>
        OnIncrementalSearch;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, int& HelpContext)>
        OnGetHelpContext;
    // Opens the application's help for a context (F1); replaceable, empty: no help.
    std::function<void(int HelpContext)> HelpHook;
    // The mouse's modifier keys as the tree sees them; tests replace nothing here, Qt's events carry them.

    // ---- Painting ----
    // Renders Window (tree coordinates) onto TargetCanvas with its top-left at Target.
    virtual void PaintTree(TCanvas& TargetCanvas, const plat::TRect& Window, QPoint Target,
                           TLTInternalPaintOptions PaintOptions);
    void MeasureItemHeight(TCanvas* Canvas, PLazyNode Node) override;
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value);
    const plat::TImageList* StateImages() const { return FStateImages; }
    void SetStateImages(const plat::TImageList* Value);
    const plat::TImageList* CustomCheckImages() const { return FCustomCheckImages; }
    void SetCustomCheckImages(const plat::TImageList* Value);
    // CheckImageKind, ButtonStyle, ButtonFillMode and LineStyle are read from the core's fields;
    // these setters also rebuild what depends on them and repaint.
    void SetCheckImageKind(TCheckImageKind Value);
    // The list the check pictures come from now.
    const plat::TImageList* CheckImages() const { return FCheckImages; }
    void SetButtonStyle(TLTButtonStyle Value);
    void SetButtonFillMode(TLTButtonFillMode Value);
    void SetLineStyle(TLTLineStyle Value);
    const QImage& Background() const { return FBackground; }
    void SetBackground(const QImage& Value);
    int BackgroundOffsetX() const { return FBackgroundOffsetX; }
    void SetBackgroundOffsetX(int Value);
    int BackgroundOffsetY() const { return FBackgroundOffsetY; }
    void SetBackgroundOffsetY(int Value);
    // The rubber band in tree coordinates (the selection Parts drive it).
    plat::TRect NewSelRect;
    // The button pictures: plus, hot plus, selected hot plus, then the minus ones.
    const QImage& ButtonBitmap(bool Expanded, bool Hot = false, bool SelectedHot = false) const;
    // Row pictures made by PaintTree since the tree was made (a measurement).
    uint64_t RowBufferAllocations() const { return FRowBufferAllocations; }
    // Builds the line image of a node's row; answers the number of selected ancestors.
    int BuildLineImage(PLazyNode Node, TLineImage& LineImage);
    int CheckImageIndexFor(PLazyNode Node) {
        return ::CheckImageIndexFor(*this, Node, TCheckType::ctNone, TCheckState::csUncheckedNormal, true, isEnabled());
    }
    int CheckImageIndexFor(TCheckType Type, TCheckState State, bool Enabled) {
        return ::CheckImageIndexFor(*this, nullptr, Type, State, Enabled, isEnabled());
    }

    TLTBasePaintEvent OnBeforePaint;
    TLTBasePaintEvent OnAfterPaint;
    TLTBeforeItemPaintEvent OnBeforeItemPaint;
    TLTAfterItemPaintEvent OnAfterItemPaint;
    TLTBeforeItemEraseEvent OnBeforeItemErase;
    TLTAfterItemEraseEvent OnAfterItemErase;
    TLTBeforeCellPaintEvent OnBeforeCellPaint;
    TLTAfterCellPaintEvent OnAfterCellPaint;
    TLTBackgroundPaintEvent OnPaintBackground;
    TLTGetCellIsEmptyEvent OnGetCellIsEmpty;
    TLTGetImageEvent OnGetImageIndex;
    TLTGetImageExEvent OnGetImageIndexEx;
    TLTBeforeDrawLineImageEvent OnBeforeDrawTreeLine;
    TLTGetLineStyleEvent OnGetLineStyle;
    TLTPrepareButtonImagesEvent OnPrepareButtonImages;
    std::function<void(TBaseLazyTree* Sender)> OnMouseEnter;
    std::function<void(TBaseLazyTree* Sender)> OnMouseLeave;

    // Repaint a node's row (answers its rectangle, (-1, -1, -1, -1) inside an update or without a
    // window), everything from its row down, the rows of its children, a column; or paint a row now.
    plat::TRect InvalidateNode(PLazyNode Node) override;
    void InvalidateToBottom(PLazyNode Node) override;
    void InvalidateChildren(PLazyNode Node, bool Recursive);
    void InvalidateColumn(TColumnIndex Column) override;
    void RepaintNode(PLazyNode Node);
    // The whole drawing area: at least the client area.
    plat::TRect GetTreeRect();
    // Prints the tree's picture page by page onto Printer (nothing for nil).
    void Print(QPagedPaintDevice* Printer, bool PrintHeader);

    // The column header; without columns everything works on column -1.
    TLTHeader& Header() { return *FHeader; }
    const TLTHeader& Header() const { return *FHeader; }
    TColumnIndex MainColumn() const override { return FHeader->MainColumn(); }
    TColumnIndex SortColumn() const override { return FHeader->SortColumn(); }
    TSortDirection SortDirection() const override { return FHeader->SortDirection(); }
    const plat::TFont& HeaderFont() const override { return FHeader->Font(); }
    bool ColumnAllowsFocus(TColumnIndex Column) const override {
        return FHeader->UseColumns() ? FHeader->AllowFocus(Column) : Column == NoColumn;
    }
    // The header's place changed (shown, hidden or another height).
    virtual void UpdateHeaderFrame();
    void InvalidateHeader();
    // After a column's width changed: rows measured again, the range, the repaint, OnColumnResize.
    virtual void DoColumnResize(TColumnIndex Column);
    // The widest content of a column over the rows in view (smart) or over every visible row.
    virtual int GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth = false);
    // The widget the header is shown in (nil until the header was shown).
    QWidget* HeaderBar() const;
    void UpdateHeaderCursor(QPoint P);
    // Clicks in the node area on the column the press was in.
    std::function<void(TBaseLazyTree* Sender, TColumnIndex Column, Qt::KeyboardModifiers Shift)> OnColumnClick,
        OnColumnDblClick;

    // The picture of dragged rows; PrepareDragImage renders the selected rows around HotSpot
    // (client coordinates), for the platform's drag when DataObject is given.
    TLTDragImage& DragImage() { return *FDragImage; }
    void PrepareDragImage(QPoint HotSpot, const QMimeData* DataObject = nullptr);
    virtual bool CanShowDragImage() const { return DragImageKind != TLTDragImageKind::diNoImage; }
    // Repaints TreeRect (client coordinates) of this tree while Tree's drag picture is shown.
    virtual void UpdateWindowAndDragImage(TBaseLazyTree* Tree, QRect TreeRect, bool UpdateNCArea,
                                          bool ReshowDragImage);

    // ---- The header's column menu (LTHeaderPopup.cpp) ----
    // A column shown or hidden through the header's automatic column menu.
    std::function<void(TBaseLazyTree* Sender, TColumnIndex Column, bool Visible)> OnColumnVisibilityChanged;
    virtual void DoColumnVisibilityChanged(TColumnIndex Column, bool Visible);
    // Replaces the automatic column menu by a new one and pops it up at P (client coordinates).
    void PopupAutoColumnMenu(QPoint P);
    // The automatic column menu last made (nil before the first).
    QMenu* ColumnPopupMenu() const { return FColumnPopupMenu; }

    // ---- Hints and tooltips (LazyTreesHint.cpp) ----
    // Hints show only with ShowHint; Hint is the control's own ("short|long").
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    // The text before the first "|".
    QString ShortHint() const;
    // The client rectangle of the hint now shown (empty when none); a request inside it is refused.
    const plat::TRect& LastHintRect() const { return FLastHintRect; }
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, TLTHintKind& Kind)> OnGetHintKind;
    std::function<void(TBaseLazyTree* Sender, PLazyNode Node, TColumnIndex Column, plat::TRect& R)> OnGetHintSize;
    std::function<void(TBaseLazyTree* Sender, TCanvas& HintCanvas, PLazyNode Node, const plat::TRect& R,
                       TColumnIndex Column)>
        OnDrawHint;
    // The window the tree's hints show in; the empty class is the platform's plain tool tip.
    virtual THintWindowClass GetHintWindowClass();
    virtual QString DoGetNodeHint(PLazyNode Node, TColumnIndex Column, TLTTooltipLineBreakStyle& LineBreakStyle);
    virtual QString DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column, TLTTooltipLineBreakStyle& LineBreakStyle);
    void DoGetHintKind(PLazyNode Node, TColumnIndex Column, TLTHintKind& Kind);
    virtual TLTHintKind GetDefaultHintKind() const { return TLTHintKind::vhkText; }
    virtual void DoGetHintSize(PLazyNode Node, TColumnIndex Column, plat::TRect& R);
    void DoDrawHint(TCanvas& Canvas, PLazyNode Node, const plat::TRect& R, TColumnIndex Column);
    // HintAnimation, hatSystemDefault read from the platform's tool-tip effects.
    virtual THintAnimationType GetAnimationType();
    // The answer to a hint request: 0 shows a hint as HintInfo now says, anything else none.
    virtual int CMHintShow(TLTHintInfo& HintInfo);
    // A hint request for ClientPos as the platform's tool-tip machinery makes it: asks CMHintShow and
    // shows what it answered.
    void RequestHint(QPoint ClientPos, QPoint GlobalPos);
    // The pause before a hint at P: 0 asks at once, -1 leaves the platform's pause.
    int HintShowPause(QPoint P) const;
    // The hint window while it shows this tree's hint.
    TLazyTreeHintWindow* HintWindow() const;
    void CancelHint() override;

    // ---- Accessibility (LTAccessibilityFactory.cpp) ----
    // The tree's own accessible object and its focused item's, made by the registered providers on
    // the platform's first query; nil without a provider.
    QAccessibleInterface* Accessible = nullptr;
    QAccessibleInterface* AccessibleItem = nullptr;
    // The platform's accessibility query: fills both objects when missing, answers the tree's own.
    QAccessibleInterface* GetAccessibleObject();
    // Raises the notification only while AccessibleItem is assigned.
    void NotifyAccessibleEvent(unsigned Event);

    // ---- Clipboard (LazyTreesClipboard.cpp) ----
    // The formats the tree offers: names registered for its class, none until the application names them.
    TClipboardFormats& ClipboardFormats() { return *FClipboardFormats; }
    void SetClipboardFormats(const QStringList& Value) { FClipboardFormats->Assign(Value); }
    // The selected nodes go to the clipboard, marked; nothing is copied until a consumer reads them.
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    // Inserts (or, for a cut of this process, moves) the clipboard's nodes at the focused node by
    // DefaultPasteMode; true when nodes arrived.
    virtual bool PasteFromClipboard();
    // The clipboard keeps every format rendered now and no longer names the tree.
    void FlushClipboard();
    void CancelCutOrCopy();
    // A pending cut whose nodes were pasted elsewhere: the nodes still marked go.
    void FinishCutOrCopy();
    // Inserts the nodes Data offers at TargetNode (nil: the top level); Source is the source tree when
    // known, Optimized moves its marked nodes instead of copying.
    bool ProcessOLEData(TBaseLazyTree* Source, const QMimeData* Data, PLazyNode TargetNode, TLTNodeAttachMode Mode,
                        bool Optimized);
    uint32_t CutCopyCount();
    // The marked nodes in tree order (Resolve: without those below a listed node); nothing initialised.
    TNodeArray GetSortedCutCopySet(bool Resolve);
    std::function<void(TBaseLazyTree* Sender, TFormatEtcArray& Formats)> OnGetUserClipboardFormats;
    std::function<void(TBaseLazyTree* Sender, const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard,
                       bool& Result)>
        OnRenderOLEData;

    // ---- Export events: fired by the string tree's exports ----
    TLTTreeExportEvent OnBeforeTreeExport, OnAfterTreeExport, OnBeforeHeaderExport, OnAfterHeaderExport;
    TLTColumnExportEvent OnBeforeColumnExport, OnColumnExport, OnAfterColumnExport;
    TLTNodeExportEvent OnBeforeNodeExport, OnNodeExport, OnAfterNodeExport;

protected:
    friend class TLTDataObject;
    friend class TLTExport;
    virtual void DoBeforeTreeExport(TLTExportType Type);
    virtual void DoAfterTreeExport(TLTExportType Type);
    virtual void DoBeforeHeaderExport(TLTExportType Type);
    virtual void DoAfterHeaderExport(TLTExportType Type);
    virtual void DoBeforeColumnExport(TLTExportType Type, TLazyTreeColumn* Column);
    virtual void DoColumnExport(TLTExportType Type, TLazyTreeColumn* Column);
    virtual void DoAfterColumnExport(TLTExportType Type, TLazyTreeColumn* Column);
    // The node events answer true when no handler is assigned.
    virtual bool DoBeforeNodeExport(TLTExportType Type, PLazyNode Node);
    virtual bool DoNodeExport(TLTExportType Type, PLazyNode Node);
    virtual void DoAfterNodeExport(TLTExportType Type, PLazyNode Node);
    virtual void MarkCutCopyNodes();
    virtual TBaseLazyTree* GetTreeFromDataObject(const QMimeData* Data);
    // ProcessOLEData that also tells whether every offered node arrived (none refused, at least one).
    bool ProcessOLEData(TBaseLazyTree* Source, const QMimeData* Data, PLazyNode TargetNode, TLTNodeAttachMode Mode,
                        bool Optimized, bool& AllArrived);
    virtual void GetNativeClipboardFormats(TFormatEtcArray& Formats);
    virtual void DoGetUserClipboardFormats(TFormatEtcArray& Formats);
    // Renders one offered format; false when it cannot.
    virtual bool RenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard);
    virtual bool DoRenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard);
    void EmptyClipboardOfTree() override;

    virtual void DoCanEdit(PLazyNode Node, TColumnIndex Column, bool& Allowed);
    virtual PLTEditLink DoCreateEditor(PLazyNode Node, TColumnIndex Column);
    virtual void HitPositionsLeftToRight(THitInfo& HitInfo, int Offset, TAlignment Alignment, int64_t CellWidth);
    virtual void HitPositionsRightToLeft(THitInfo& HitInfo, int Offset, TAlignment Alignment, int64_t CellWidth);
    // ---- Painting hooks: each fires its event ----
    virtual void DoBeforePaint(TCanvas* Canvas);
    virtual void DoAfterPaint(TCanvas* Canvas);
    virtual bool DoBeforeItemPaint(TCanvas* Canvas, PLazyNode Node, const plat::TRect& ItemRect);
    virtual void DoBeforeItemErase(TCanvas* Canvas, PLazyNode Node, const plat::TRect& ItemRect, plat::TColor& Color,
                                   TItemEraseAction& EraseAction);
    virtual void DoAfterItemErase(TCanvas* Canvas, PLazyNode Node, const plat::TRect& ItemRect);
    virtual void DoAfterItemPaint(TCanvas* Canvas, PLazyNode Node, const plat::TRect& ItemRect);
    virtual void DoBeforeCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, TLTCellPaintMode CellPaintMode,
                                   const plat::TRect& CellRect, plat::TRect& ContentRect);
    virtual void DoAfterCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const plat::TRect& CellRect);
    virtual bool DoPaintBackground(TCanvas* Canvas, const plat::TRect& R);
    virtual bool DoGetCellIsEmpty(PLazyNode Node, TColumnIndex Column);
    virtual int DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
    virtual int DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
    virtual QPoint DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column, TLTCellContentMarginType Type,
                                          TCanvas* Canvas = nullptr);
    virtual void DoPaintNode(TLTPaintInfo& PaintInfo);
    virtual void SpanPaintCell(TLTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty);
    virtual const plat::TImageList* DoGetImageIndex(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column,
                                                    bool& Ghosted, int& Index);
    virtual void DoBeforeDrawLineImage(PLazyNode Node, int Level, int& XPos);
    virtual void DoScroll(int DeltaX, int DeltaY);
    virtual void DoShowScrollBar(TScrollBarKind Bar, bool Show);
    // Each fires its event, then the accessibility notification.
    void DoChecked(PLazyNode Node) override;
    void DoExpanded(PLazyNode Node) override;
    void DoCollapsed(PLazyNode Node) override;
    void DoFocusChange(PLazyNode Node, TColumnIndex Column) override;
    // A tool-tip request for the viewport or the header (positions in the control's coordinates);
    // false for other parts of the control.
    bool HandleHelpEvent(QHelpEvent* Event);
    // The mouse moved over the client or the header without a button held.
    void HintMouseMove(QPoint P, QPoint Global);
    // Whether the tree paints as focused (the selection colours).
    bool PaintFocused() const;

    // ---- Row decorations ----
    void BuildButtonBitmaps() override;
    void BuildButtonBitmaps(bool NeedButtons, bool NeedLines);
    void DrawTreeLines(TLTPaintInfo& PaintInfo, int VAlignment, int IndentSize, const TLineImage& LineImage);
    void DrawLineSegments(TLTPaintInfo& PaintInfo, int X, int Y, int H, int VAlign, TLTLineType Style, bool Reverse);
    void DottedHorzLine(TLTPaintInfo& PaintInfo, int Left, int Right, int Top);
    void DottedVertLine(TLTPaintInfo& PaintInfo, int Top, int Bottom, int Left, bool UseSelectedBkColor = false);
    void DrawNodeButton(TCanvas& Canvas, PLazyNode Node, TColumnIndex Column, const plat::TRect& R, int ButtonX,
                        int ButtonY, TBiDiMode BidiMode);
    void DrawCheckImage(TCanvas& Canvas, const TLTImageInfo& ImageInfo, bool Selected);
    void FetchImageIndex(TLTPaintInfo& PaintInfo, TLTImageKind Kind, TLTImageInfoIndex InfoIndex,
                         const plat::TImageList* DefaultImages);
    void DrawNodeImage(TLTPaintInfo& PaintInfo, TLTImageInfoIndex InfoIndex, bool DoOverlay);
    void PaintCellFrame(TLTPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth);
    void PaintRubberBand(TCanvas& Target, int WindowOrgX, const plat::TRect& SelectionRect,
                         const plat::TRect& TargetRect);
    void PaintItemBackground(TLTPaintInfo& PaintInfo, bool ShowBackground, plat::TRect R);
    void PaintStaticBackground(TCanvas& Canvas, const plat::TRect& R, QPoint Offset);
    void PaintTiledBackground(TCanvas& Canvas, const plat::TRect& R, QPoint Offset);
    void PlaceCellImage(const plat::TImageList* Images, TBiDiMode BidiMode, int VAlign, plat::TRect& ContentRect,
                        TLTImageInfo& ImageInfo);
    void ShiftByIndent(TLTPaintInfo& PaintInfo, int Levels);
    // Runs Callback(Step, StepSize) Steps pixels' worth over Duration ms on the tree's clock, without
    // processing events; a final Callback(0, 0) ends it. A running animation makes this return.
    using TLTAnimationCallback = std::function<bool(int Step, int StepSize)>;
    virtual void Animate(uint32_t Steps, uint32_t Duration, const TLTAnimationCallback& Callback);
    // The rows below (or above) a toggled node slide to their new place.
    void AnimateToggle(PLazyNode Node, int64_t HeightDelta, bool Expanding) override;
    // Moves the pixels of Band (client coordinates) by Dy; the uncovered strip takes the background
    // when PaintStrip is set.
    virtual void MoveBand(const QRect& Band, int Dy, bool PaintStrip);
    // The scroll position after a toggle.
    void AdjustScrollAfterToggle(PLazyNode Node, int64_t HeightDelta, bool Expanded) override;
    // The part of the viewport that changed, in client coordinates; Paint draws it.
    QRect FUpdateRect;
    Qt::KeyboardModifiers FDrawSelShiftState;
    std::unique_ptr<QWidget> FPanningWindow;
    PLazyNode FHeightTrackNode = nullptr;
    void ForgetNode(PLazyNode Node) override;
    TColumnIndex FHeightTrackColumn = NoColumn;
    QPoint FHeightTrackPoint;
    void UpdateCursor(QPoint P);
    PLTEditLink FEditLink;
    TColumnIndex FEditColumn = NoColumn;
    QString FPanningCursorName;
    plat::TRect FLastSelRect;
    // The strip a toggle animation uncovered: painted in the background colour only.
    QRect FStripToFill;
    // The mouse is over the hot node's button; the drop mode of the last drag-over.
    bool FHotNodeButton = false;
    TDropMode FLastDropMode = TDropMode::dmNowhere;
    // ---- Drag and drop ----
    virtual void DoDragging(QPoint P);
    virtual void DoDragDropLoop(int AllowedEffects, std::unique_ptr<QMimeData> DataObject, int& DragEffect);
    virtual int SuggestDropEffect(QObject* Source, plat::TShiftState Shift, QPoint Pt, int AllowedEffects);
    virtual TDropMode DetermineDropMode(QPoint P, THitInfo& HitInfo, const plat::TRect& NodeRect);
    virtual void DoPaintDropMark(TCanvas& Canvas, PLazyNode Node, const plat::TRect& R);
    virtual void DoDragExpand();
    virtual bool DoDragOver(QObject* Source, plat::TShiftState Shift, TDragState State, QPoint Pt, TDropMode Mode,
                            int& Effect);
    virtual void DoDragDrop(QObject* Source, const QMimeData* DataObject, const QStringList& Formats,
                            plat::TShiftState Shift, QPoint Pt, int& Effect, TDropMode Mode);
    virtual std::unique_ptr<QMimeData> DoCreateDataObject();
    virtual std::unique_ptr<ILTDragManager> DoCreateDragManager();
    virtual void DoStartDrag();
    virtual void DoEndDrag(QObject* Target, int X, int Y);
    void RegisterDropTarget(bool Register) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    virtual void Paint();

protected:
    // The window's set-up when it is created and whenever it is built again.
    virtual void CreateWnd();
    void FontChanged() override;

    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Key input goes through this; answers whether it was used.
    virtual bool HandleKeyDown(QKeyEvent* event);
    virtual bool DoKeyAction(uint16_t& CharCode, Qt::KeyboardModifiers& Shift);
    // 0 when the node matches the search text.
    virtual int DoIncrementalSearch(PLazyNode Node, const QString& Text);
    bool CommandKey(uint16_t Key, Qt::KeyboardModifiers Shift, QKeyEvent* event);
    void NavigationKey(uint16_t Key, Qt::KeyboardModifiers Shift);
    void ProcessIncrementalSearch(QChar CharCode);
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // Timer 4 belongs to automatic scrolling here; the others to the core.
    void TimerExpired(int Id) override;
    // What a cancelled mouse mode leaves: the timers of the input and the pending modes.
    void CancelMode();
    // Mouse and keyboard input goes through these (the input handling overrides them).
    virtual void HandleMouseDown(QMouseEvent* event);
    virtual void HandleMouseUp(QMouseEvent* event);
    virtual void HandleMouseDblClick(QMouseEvent* event);
    void mouseMoveEvent(QMouseEvent* event) override;
    // The Part's three steps of a click, from the hit test.
    virtual void ProcessMouseDown(QMouseEvent* event, THitInfo& HitInfo);
    virtual void ProcessMouseUp(QMouseEvent* event, const THitInfo& HitInfo);
    virtual void ProcessMouseDblClick(QMouseEvent* event, const THitInfo& HitInfo);
    virtual void ApplyClickSelection(PLazyNode LastFocused, PLazyNode NewNode, bool DeferToggle,
                                     Qt::KeyboardModifiers ShiftState);
    void UpdateHotTrack(int X, int Y);
    bool UpdateSelectionRect(int X, int Y);
    bool UpdateRectSelection(int X, int Y);
    virtual void DoNodeClick(const THitInfo& HitInfo);
    virtual void DoNodeDblClick(const THitInfo& HitInfo);
    virtual void DoHotChange(PLazyNode OldNode, PLazyNode NewNode);
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class TScrollBarOptions;
    friend class TLazyTreeHintWindow;
    friend class TLTHeaderBar;
    friend class TLTHeader;
    friend class TLazyTreeColumns;
    friend class TLazyTreeColumn;
    friend class TLTDragManager;
    std::unique_ptr<TLTHeader> FHeader = std::make_unique<TLTHeader>(this);
    std::unique_ptr<TLTDragImage> FDragImage = std::make_unique<TLTDragImage>(this);
    QPointer<QWidget> FHeaderBar;
    void PlaceHeaderBar();
    int HorizontalKeyStep() const;
    TScrollBarOptions FScrollBarOptions{this};
    int64_t FEffectiveOffsetX = 0;
    int64_t FRangeY = 0;
    // Scroll bar values are ints: larger ranges are scaled down by these factors.
    int64_t FScrollScaleX = 1, FScrollScaleY = 1;
    bool FSettingBars = false;
    TScrollDirections FScrollDirections;
    int64_t FDragScrollStart = 0;
    bool FDragScrollStarted = false;
    QPoint FLastClickPos;
    TDragMode FDragMode = TDragMode::dmManual;
    int FDragThreshold = 0;
    void ScrollBarAction(QScrollBar* Bar, bool Vertical, int Action);
    void ApplyBar(QScrollBar* Bar, bool Vertical, bool Show, bool Enabled, int64_t Range, int Page, int64_t Position);
    QPoint CursorPos() const;
    // Painting state.
    const plat::TImageList* FImages = nullptr;
    const plat::TImageList* FStateImages = nullptr;
    const plat::TImageList* FCustomCheckImages = nullptr;
    const plat::TImageList* FCheckImages = nullptr;
    QImage FBackground;
    int FBackgroundOffsetX = 0, FBackgroundOffsetY = 0;
    // Plus, hot plus, selected hot plus, minus, hot minus, selected hot minus.
    std::array<QImage, 6> FButtons;
    QSize FButtonSize{9, 9};
    // The 8 x 8 line pattern: false = line colour, true = background colour.
    std::array<uint16_t, 8> FLinePattern{};
    // The colour the next dotted line is drawn in (tree lines or grid lines).
    plat::TColor FLineColor = plat::clBtnShadow;
    uint64_t FRowBufferAllocations = 0;
    QImage FRowImage;
    plat::TCanvas FRowCanvas;
    int FButtonX = 0;
    int FButtonY = 0;
    int FVAlign = 0;

    class Host;
    friend class Host;
    std::unique_ptr<Host> FHostImpl;
    plat::Clock* FClock = nullptr;
    QBasicTimer FTimers[9];
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    int FBorderWidth = 0;
    TBevelKind FBevelKind = TBevelKind::bkNone;
    TBevelCut FBevelInner = TBevelCut::bvRaised;
    TBevelCut FBevelOuter = TBevelCut::bvLowered;
    TBevelEdges FBevelEdges{TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight, TBevelEdge::beBottom};
    int FBevelWidth = 1;
    bool FCtl3D = true;
    // The frame inside the border style: bevel and border band.
    void UpdateFrameMargins();
    void PaintBevelAndBorder(QPainter& p);
    QImage FMeasure;
    plat::TCanvas FCanvas;
    bool FSyncingFont = false;
    bool FWindowAlive = true;
    // Hints.
    bool FShowHint = false;
    QString FHint;
    plat::TRect FLastHintRect;
    TLTHintData FHintData;
    QPointer<QMenu> FColumnPopupMenu;
    void ReleaseAccessibleObjects();
    std::unique_ptr<TClipboardFormats> FClipboardFormats = std::make_unique<TClipboardFormats>(this);
    std::unique_ptr<ILTDragManager> FDragManager;
    int FLastDragEffect = 0;
    // The drag-over Qt's events bring: the last keys and point, repeated while the mouse rests in a
    // scroll zone as the system's drag loop polls a still mouse.
    plat::TShiftState FDragKeyState;
    QPoint FDragPos;
    int FDragAllowed = 0;
    void DropTargetRepeat();
    // The target's part of the drag events: the manager's result becomes Qt's drop action.
    enum class DragEventKind : uint8_t { Enter, Move, Drop };
    void HandleDragEvent(QDropEvent* event, DragEventKind Kind);
};

// Text per node and column, asked from the application.
enum class TVSTTextType : uint8_t { ttNormal, ttStatic };
struct TVSTGetCellTextEventArgs {
    PLazyNode Node = nullptr;
    TColumnIndex Column = NoColumn;
    QString CellText;
    QString StaticText;
    TLTExportType ExportType = TLTExportType::etNone;
};
class TCustomLazyStringTree;
using TVSTGetTextEvent = std::function<void(TCustomLazyStringTree* Sender, PLazyNode Node, TColumnIndex Column,
                                            TVSTTextType TextType, QString& CellText)>;
using TVSTGetCellTextEvent = std::function<void(TCustomLazyStringTree* Sender, TVSTGetCellTextEventArgs& E)>;
using TVSTPaintTextEvent = std::function<void(TCustomLazyStringTree* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                              TColumnIndex Column, TVSTTextType TextType)>;
using TVSTNewTextEvent =
    std::function<void(TCustomLazyStringTree* Sender, PLazyNode Node, TColumnIndex Column, const QString& NewText)>;
using TVSTShortenStringEvent =
    std::function<void(TCustomLazyStringTree* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                       const QString& S, int TextSpace, QString& Result, bool& Done)>;
using TVSTMeasureTextEvent = std::function<void(TCustomLazyStringTree* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                                TColumnIndex Column, const QString& Text, int& Extent)>;
using TVSTDrawTextEvent =
    std::function<void(TCustomLazyStringTree* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                       const QString& Text, const plat::TRect& CellRect, bool& DefaultDraw)>;
using TVSTGetImageTextEvent = std::function<void(TCustomLazyStringTree* Sender, PLazyNode Node, TLTImageKind Kind,
                                                 TColumnIndex Column, QString& ImageText)>;

class TCustomLazyStringTree : public TBaseLazyTree {
    Q_OBJECT
public:
    explicit TCustomLazyStringTree(QWidget* parent = nullptr);
    const char* ClassName() const override { return "TCustomLazyStringTree"; }
    TCustomStringTreeOptions& StringTreeOptions() { return static_cast<TCustomStringTreeOptions&>(TreeOptions()); }

    // The text of a node whose text nobody gives ("Node"); painting shows nothing for such a node.
    const QString& DefaultText() const { return FDefaultText; }
    void SetDefaultText(const QString& Value);
    QString Text(PLazyNode Node, TColumnIndex Column = NoColumn);
    void SetText(PLazyNode Node, TColumnIndex Column, const QString& Value);
    QString StaticText(PLazyNode Node, TColumnIndex Column = NoColumn);
    QString ImageText(PLazyNode Node, TLTImageKind Kind, TColumnIndex Column = NoColumn);
    // The height the text needs in the cell (S empty: the node's text); margins not added.
    virtual int ComputeNodeHeight(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, QString S = {});
    // Each node's text from the top level down, each followed by Delimiter.
    QString Path(PLazyNode Node, TColumnIndex Column, QChar Delimiter);
    // Where the text stands and in which font (editing and hints).
    virtual void GetTextInfo(PLazyNode Node, TColumnIndex Column, plat::TFont& AFont, plat::TRect& R, QString& Text);
    plat::TRect InvalidateNode(PLazyNode Node) override;
    // With toRestoreSelection the texts of the selected nodes are remembered; a node added later
    // with one of those texts is selected again.
    void AddToSelection(PLazyNode Node) override;
    void RemoveFromSelection(PLazyNode Node) override;
    PLazyNode AddChild(PLazyNode Parent, void* UserData = nullptr) override;
    using TBaseLazyTree::AddChild;
    void ReinitNode(PLazyNode Node, bool Recursive) override;
    void SetChildCount(PLazyNode Node, uint32_t NewChildCount) override;
    int TextHeightOfFont() const { return FTextHeight; }

    TVSTGetTextEvent OnGetText;
    TVSTGetCellTextEvent OnGetCellText;
    TVSTPaintTextEvent OnPaintText;
    TVSTNewTextEvent OnNewText;
    TVSTShortenStringEvent OnShortenString;
    TVSTMeasureTextEvent OnMeasureTextWidth;
    TVSTMeasureTextEvent OnMeasureTextHeight;
    TVSTDrawTextEvent OnDrawText;
    TVSTGetImageTextEvent OnGetImageText;
    // The hint of a node (hmHint, hmHintAndDefault) or its tooltip text (hmTooltip, else the cell text).
    std::function<void(TCustomLazyStringTree* Sender, PLazyNode Node, TColumnIndex Column,
                       TLTTooltipLineBreakStyle& LineBreakStyle, QString& HintText)>
        OnGetHint;
    QString DoGetNodeHint(PLazyNode Node, TColumnIndex Column, TLTTooltipLineBreakStyle& LineBreakStyle) override;
    QString DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column, TLTTooltipLineBreakStyle& LineBreakStyle) override;

    // ---- Exports (LazyTrees.Export.cpp) ----
    // An HTML table (UTF-16), an RTF document (ASCII body, Windows-1252 prefix), delimited text.
    QString ContentToHTML(TVSTTextSourceType Source, const QString& Caption = {});
    QByteArray ContentToRTF(TVSTTextSourceType Source);
    QString ContentToText(TVSTTextSourceType Source, const QString& Separator);
    QString ContentToText(TVSTTextSourceType Source, QChar Separator) { return ContentToText(Source, QString(Separator)); }
    QString ContentToUnicode(TVSTTextSourceType Source, QChar Separator) { return ContentToText(Source, Separator); }
    // The top-level nodes, every column quoted, in Windows-1252; false for an empty name, an
    // exception when the file cannot be written.
    bool SaveToCSVFile(const QString& FileNameWithPath, bool IncludeHeading);
    // A text format's clipboard block, terminator included; a null array for a format not rendered.
    QByteArray ContentToClipboard(uint16_t Format, TVSTTextSourceType Source);
    // Only walks and fires the export events; the application writes the format.
    void ContentToCustom(TVSTTextSourceType Source);
    // The separator of the "CSV" clipboard format.
    QChar ListSeparator() const { return FListSeparator; }
    void SetListSeparator(QChar Value) { FListSeparator = Value; }

protected:
    friend class TLazyTreeHintWindow;
    friend class TLTExport;
    // Text formats the base form does not render come from the exports.
    bool RenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard) override;
    virtual void DrawNormalText(TLTPaintInfo& PaintInfo, const QString& Text);
    virtual void DrawStaticText(TLTPaintInfo& PaintInfo, const QString& Text);
    virtual int MeasureStaticText(TCanvas* Canvas, PLazyNode Node, const QString& Text, TColumnIndex Column);
    virtual int MeasureCellText(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& Text);
    virtual void DoGetText(TVSTGetCellTextEventArgs& E);
    virtual void DoNewText(PLazyNode Node, TColumnIndex Column, const QString& Text);
    virtual void DoPaintText(PLazyNode Node, TCanvas* Canvas, TColumnIndex Column, TVSTTextType TextType);
    virtual QString DoShortenString(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& S, int Width,
                                    int EllipsisWidth);
    virtual void DoDrawText(TLTPaintInfo& PaintInfo, const QString& Text, plat::TRect CellRect, unsigned DrawFormat);
    virtual QSize DoMeasureText(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const QString& Text);
    void DoPaintNode(TLTPaintInfo& PaintInfo) override;
    int DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
    int DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
    bool DoGetCellIsEmpty(PLazyNode Node, TColumnIndex Column) override;
    // With toAutoSpanColumns a left-to-right cell widens over the empty cells after it.
    void SpanPaintCell(TLTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) override;
    int DoIncrementalSearch(PLazyNode Node, const QString& Text) override;
    PLTEditLink DoCreateEditor(PLazyNode Node, TColumnIndex Column) override;
    void FontChanged() override;
    // The node stream carries the main column's text as a caption chunk under toSaveCaptions
    // (LazyTreesStringStream.cpp).
    void WriteChunks(TStream& Stream, PLazyNode Node) override;
    bool ReadChunk(TStream& Stream, int Version, PLazyNode Node, int ChunkType, int ChunkSize) override;

    // Offset of the node's cached text width in its internal data.
    uint32_t FInternalDataOffset;

private:
    uint32_t* WidthCache(PLazyNode Node) const;
    void ClearWidthCaches(PLazyNode Below);
    QString FDefaultText = QStringLiteral("Node");
    // Case-folded texts of the selected nodes (toRestoreSelection); made on first use.
    std::unique_ptr<std::set<QString>> FPreviouslySelected;
    bool RestoresSelection() const;
    QString SelectionText(PLazyNode Node);
    int FTextHeight = 0;
    int FEllipsisWidth = 0;
    bool FFontChanged = false;
    QChar FListSeparator = u',';
};

// The string tree's own editor: an edit control over the cell's text (a line edit, or a plain-text
// edit for a multiline node) that grows as the user types and writes back through Text.
class TStringEditLink : public ILTEditLink, public std::enable_shared_from_this<TStringEditLink> {
public:
    TStringEditLink() = default;
    ~TStringEditLink() override;
    bool BeginEdit() override;
    bool CancelEdit() override;
    bool EndEdit() override;
    bool PrepareEdit(TBaseLazyTree* Tree, PLazyNode Node, TColumnIndex Column) override;
    plat::TRect GetBounds() override;
    void SetBounds(plat::TRect R) override;
    PLazyNode Node() const { return FNode; }
    TColumnIndex Column() const { return FColumn; }
    // The edit control (a QLineEdit or a QPlainTextEdit).
    QWidget* Edit() const { return FEdit; }
    QString EditText() const;
    bool Modified() const;
    // Widens the editor to the text plus "yG" and twice the text margin (single-line nodes).
    void AutoAdjustSize();
    // What the edit control's keys and focus loss do.
    bool HandleEditKey(QKeyEvent* event);
    void EditFocusLost();
    void Unlink();

private:
    QPointer<QWidget> FEdit;
    TCustomLazyStringTree* FTree = nullptr;
    PLazyNode FNode = nullptr;
    TColumnIndex FColumn = NoColumn;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    plat::TRect FTextBounds;
    bool FStopping = false;
    bool FMultiline = false;
    QString FOriginal;
};

class TLazyStringTree : public TCustomLazyStringTree {
    Q_OBJECT
public:
    explicit TLazyStringTree(QWidget* parent = nullptr) : TCustomLazyStringTree(parent) {}
    const char* ClassName() const override { return "TLazyStringTree"; }
};

// Nodes drawn by the application.
using TLTDrawNodeEvent = std::function<void(TBaseLazyTree* Sender, const TLTPaintInfo& PaintInfo)>;
using TLTGetNodeWidthEvent = std::function<void(TBaseLazyTree* Sender, TCanvas* HintCanvas, PLazyNode Node,
                                                TColumnIndex Column, int& NodeWidth)>;
using TLTGetCellContentMarginEvent =
    std::function<void(TBaseLazyTree* Sender, TCanvas* HintCanvas, PLazyNode Node, TColumnIndex Column,
                       TLTCellContentMarginType CellContentMarginType, QPoint& CellContentMargin)>;

class TCustomLazyDrawTree : public TBaseLazyTree {
    Q_OBJECT
public:
    explicit TCustomLazyDrawTree(QWidget* parent = nullptr) : TBaseLazyTree(parent) {}
    const char* ClassName() const override { return "TCustomLazyDrawTree"; }
    TLTDrawNodeEvent OnDrawNode;
    TLTGetNodeWidthEvent OnGetNodeWidth;
    TLTGetCellContentMarginEvent OnGetCellContentMargin;
    int NodeWidth(PLazyNode Node, TColumnIndex Column = NoColumn) { return DoGetNodeWidth(Node, Column); }
    // The application draws the hints too.
    TLTHintKind GetDefaultHintKind() const override { return TLTHintKind::vhkOwnerDraw; }

protected:
    void DoPaintNode(TLTPaintInfo& PaintInfo) override;
    int DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
    QPoint DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column, TLTCellContentMarginType Type,
                                  TCanvas* Canvas = nullptr) override;
};

class TLazyDrawTree : public TCustomLazyDrawTree {
    Q_OBJECT
public:
    explicit TLazyDrawTree(QWidget* parent = nullptr) : TCustomLazyDrawTree(parent) {}
    const char* ClassName() const override { return "TLazyDrawTree"; }
};
