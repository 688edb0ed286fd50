#pragma once
// The tree's columns and their header: every column's width with its limits, its display position
// (independent of its index), options, caption and colour; the collection's position array, edges,
// lookups by x and the walks in display order; the fixed area at the left that does not scroll; and
// the header that owns them with its height, main, sort and auto-size columns and width fitting.
// No widget header: the tree is reached through forward declarations only.
#include <QImage>
#include <QPainter>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Canvas.h"
#include "treeview/LazyTreesDragImage.h"
#include "treeview/LazyTreesTypes.h"

namespace plat {
class TImageList;
}
class TBaseLazyTree;
class TLTHeader;
class TStream;
struct THeaderStreamAccess;
class TLazyTreeColumns;

enum class TLTColumnOption : uint8_t {
    coAllowClick,
    coDraggable,
    coEnabled,
    coParentBidiMode,
    coParentColor,
    coResizable,
    coShowDropMark,
    coVisible,
    coAutoSpring,
    coFixed,
    coSmartResize,
    coAllowFocus,
    coDisableAnimatedResize,
    coWrapCaption,
    coUseCaptionAlignment,
    coEditable
};
using TLTColumnOptions = TSet<TLTColumnOption, uint16_t>;
inline constexpr TLTColumnOptions DefaultColumnOptions{
    TLTColumnOption::coAllowClick,   TLTColumnOption::coDraggable,      TLTColumnOption::coEnabled,
    TLTColumnOption::coParentBidiMode, TLTColumnOption::coParentColor,  TLTColumnOption::coResizable,
    TLTColumnOption::coShowDropMark, TLTColumnOption::coVisible,        TLTColumnOption::coAllowFocus,
    TLTColumnOption::coEditable};
enum class TLazyTreeColumnStyle : uint8_t { vsText, vsOwnerDraw };
enum class TLTHeaderColumnLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TColumnBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft };

enum class TLTHeaderOption : uint8_t {
    hoAutoResize,
    hoColumnResize,
    hoDblClickResize,
    hoDrag,
    hoHotTrack,
    hoOwnerDraw,
    hoRestrictDrag,
    hoShowHint,
    hoShowImages,
    hoShowSortGlyphs,
    hoVisible,
    hoAutoSpring,
    hoFullRepaintOnResize,
    hoDisableAnimatedResize,
    hoHeightResize,
    hoHeightDblClickResize,
    hoHeaderClickAutoSort,
    hoAutoColumnPopupMenu
};
using TLTHeaderOptions = TSet<TLTHeaderOption, uint32_t>;
enum class THeaderState : uint8_t {
    hsAutoSizing,
    hsDragging,
    hsDragPending,
    hsLoading,
    hsColumnWidthTracking,
    hsColumnWidthTrackPending,
    hsHeightTracking,
    hsHeightTrackPending,
    hsResizing,
    hsScaling,
    hsNeedScaling
};
using THeaderStates = TSet<THeaderState, uint16_t>;
enum class TLTHeaderStyle : uint8_t { hsThickButtons, hsFlatButtons, hsPlates };
enum class TLTHeaderHitPosition : uint8_t { hhiNoWhere, hhiOnColumn, hhiOnIcon, hhiOnCheckbox };
using TLTHeaderHitPositions = TSet<TLTHeaderHitPosition, uint8_t>;
struct TLTHeaderHitInfo {
    int X = 0, Y = 0;
    Qt::MouseButton Button = Qt::NoButton;
    Qt::KeyboardModifiers Shift;
    bool DblClick = false;
    TColumnIndex Column = NoColumn;
    TLTHeaderHitPositions HitPosition;
};
enum class TSmartAutoFitType : uint8_t { smaAllColumns, smaNoColumn, smaUseColumnOption };
enum class TLTDropMarkMode : uint8_t { dmmNone, dmmLeft, dmmRight };
enum class THeaderPaintElement : uint8_t { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using THeaderPaintElements = TSet<THeaderPaintElement, uint8_t>;

// Edge flags beyond the platform's: a softer light ring and a flat one-colour ring.
inline constexpr unsigned BF_SOFT = 0x1000, BF_FLAT = 0x4000;
// Draws the rings of Edge (the BDR_ values) on the sides of Flags; BF_MIDDLE fills the inside with the
// button face, BF_ADJUST leaves R as the inside.
void DrawHeaderEdge(plat::TCanvas& Canvas, plat::TRect& R, unsigned Edge, unsigned Flags);

class TLazyTreeColumn;
// What one header cell is painted with; handed to the advanced owner-draw events.
struct THeaderPaintInfo {
    plat::TCanvas* TargetCanvas = nullptr;
    TLazyTreeColumn* Column = nullptr;  // nil: the background of the whole header
    plat::TRect PaintRectangle;
    plat::TRect TextRectangle;
    bool IsHoverIndex = false;
    bool IsDownIndex = false;
    bool IsEnabled = false;
    bool ShowHeaderGlyph = false;
    bool ShowSortGlyph = false;
    bool ShowRightBorder = false;
    TLTDropMarkMode DropMark = TLTDropMarkMode::dmmNone;
    QPoint GlyphPos;
    QPoint SortGlyphPos;
};

// Where the parts of a header cell go, in the cell's coordinates.
struct THeaderCellLayout {
    plat::TRect TextBounds;
    QSize SortGlyphSize;
    QPoint SortGlyphPos;
    QPoint GlyphPos;
};

class TLazyTreeColumn {
public:
    explicit TLazyTreeColumn(TLazyTreeColumns* Owner);

    TLazyTreeColumns* Owner() const { return FOwner; }
    int Index() const;

    const QString& Text() const { return FText; }
    void SetText(const QString& Value);
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    const QString& CaptionText() const { return FCaptionText; }

    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    int LastWidth() const { return FLastWidth; }
    void RestoreLastWidth();

    TColumnPosition Position() const { return FPosition; }
    void SetPosition(TColumnPosition Value);

    TLTColumnOptions Options() const { return FOptions; }
    void SetOptions(TLTColumnOptions Value);

    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TLazyTreeColumnStyle Style() const { return FStyle; }
    void SetStyle(TLazyTreeColumnStyle Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TLTHeaderColumnLayout Layout() const { return FLayout; }
    void SetLayout(TLTHeaderColumnLayout Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Reads the cell alignment until a caption alignment of its own was set.
    TAlignment CaptionAlignment() const;
    void SetCaptionAlignment(TAlignment Value);
    TColumnBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TColumnBiDiMode Value);
    bool UseRightToLeftReading() const { return FBiDiMode != TColumnBiDiMode::bdLeftToRight; }
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }
    bool CheckBox() const { return FCheckBox; }
    void SetCheckBox(bool Value);
    TCheckType CheckType() const { return FCheckType; }
    void SetCheckType(TCheckType Value);
    TCheckState CheckState() const { return FCheckState; }
    void SetCheckState(TCheckState Value);
    TSortDirection DefaultSortDirection() const { return FDefaultSortDirection; }
    void SetDefaultSortDirection(TSortDirection Value) { FDefaultSortDirection = Value; }
    bool BonusPixel() const { return FBonusPixel; }
    float SpringRest() const { return FSpringRest; }

    // The left edge, scrolled by the tree's horizontal offset unless the column is visible and fixed.
    int Left() const;
    // The unscrolled edges in header coordinates.
    void GetColumnEdges(int& L, int& R) const {
        L = FLeft;
        R = FLeft + FWidth;
    }
    plat::TRect GetRect() const;
    // The caption, or "Column <index>" when it has characters a narrow list cannot show.
    QString GetDisplayName() const;

    // Places image, caption and sort glyph in Client (the cell shrunk by 2 pixels) for a caption of
    // TextSize (empty: no caption), an image of GlyphSize (empty: none), a sort glyph of SortGlyphSize.
    bool HasImage() const { return FHasImage; }
    plat::TRect ImageRect() const { return FImageRect; }
    THeaderCellLayout LayoutHeaderCell(const plat::TRect& Client, QSize TextSize, QSize GlyphSize,
                                       QSize SortGlyphSize) const;

    void ParentBiDiModeChanged();
    void ParentColorChanged();
    // The column's record of the header stream; a load reads the whole record before it changes
    // anything, so a record cut short leaves the column as it was.
    void SaveToStream(TStream& Stream) const;
    void LoadFromStream(TStream& Stream, int Version);
    void Assign(const TLazyTreeColumn& Source);
    bool Equals(const TLazyTreeColumn& Other) const;

private:
    friend class TLazyTreeColumns;
    friend class TLTHeader;
    friend struct THeaderStreamAccess;
    void Changed();
    void RepaintTree();
    TBaseLazyTree* Tree() const;
    TLTHeader* Header() const;

    TLazyTreeColumns* FOwner;
    QString FText, FHint;
    int FLeft = 0;
    int FWidth = 0;
    TColumnPosition FPosition = 0;
    int FMinWidth = 10;
    int FMaxWidth = 10000;
    TLazyTreeColumnStyle FStyle = TLazyTreeColumnStyle::vsText;
    int FImageIndex = -1;
    TColumnBiDiMode FBiDiMode = TColumnBiDiMode::bdLeftToRight;
    TLTHeaderColumnLayout FLayout = TLTHeaderColumnLayout::blGlyphLeft;
    int FMargin = 4;
    int FSpacing = 3;
    TLTColumnOptions FOptions = DefaultColumnOptions;
    intptr_t FTag = 0;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    TAlignment FCaptionAlignment = TAlignment::taLeftJustify;
    int FLastWidth = 0;
    plat::TColor FColor = plat::clWindow;
    bool FBonusPixel = false;
    float FSpringRest = 0;
    QString FCaptionText;
    bool FCheckBox = false;
    TCheckType FCheckType = TCheckType::ctCheckBox;
    TCheckState FCheckState = TCheckState::csUncheckedNormal;
    plat::TRect FImageRect;
    bool FHasImage = false;
    TSortDirection FDefaultSortDirection = TSortDirection::sdAscending;
};

using TColumnsArray = std::vector<TLazyTreeColumn*>;

class TLazyTreeColumns {
public:
    explicit TLazyTreeColumns(TLTHeader* Header);
    ~TLazyTreeColumns();
    TLazyTreeColumns(const TLazyTreeColumns&) = delete;
    TLazyTreeColumns& operator=(const TLazyTreeColumns&) = delete;

    TLTHeader* Header() const { return FHeader; }
    int Count() const { return int(FItems.size()); }
    TLazyTreeColumn& operator[](TColumnIndex Index) const { return *FItems.at(size_t(Index)); }
    TLazyTreeColumn* Items(TColumnIndex Index) const { return IsValidColumn(Index) ? FItems[size_t(Index)].get() : nullptr; }
    TLazyTreeColumn* Add();
    // Removes the column and repairs every index that referred to it or past it.
    void Delete(TColumnIndex Index);
    void Clear();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Assign(const TLazyTreeColumns& Source);
    bool Equals(const TLazyTreeColumns& Other) const;
    // The column block of the header stream: count, records, position array and, from version 5,
    // the default width. A load that fails leaves the columns as they were.
    void SaveToStream(TStream& Stream) const;
    void LoadFromStream(TStream& Stream, int Version);

    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int Value) { FDefaultWidth = Value; }
    TColumnIndex ClickIndex() const { return FClickIndex; }
    TColumnIndex TrackIndex() const { return FTrackIndex; }
    TColumnIndex HoverIndex() const { return FHoverIndex; }
    TColumnIndex DownIndex() const { return FDownIndex; }
    const std::vector<TColumnIndex>& PositionToIndex() const { return FPositionToIndex; }

    // The column under P (tree client coordinates; Relative: P.X is scrolled unless it lies over the
    // fixed area); InvalidColumn when P is outside every visible column.
    TColumnIndex ColumnFromPosition(QPoint P, bool Relative = true) const;
    // The column shown at a position; NoColumn past the last.
    TColumnIndex ColumnFromPosition(TColumnPosition PositionIndex) const;
    TColumnIndex GetColumnAndBounds(QPoint P, int& L, int& R, bool Relative = true) const;
    void GetColumnBounds(TColumnIndex Column, int& L, int& R) const;
    TColumnIndex GetFirstVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetLastVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetFirstColumn() const;
    TColumnIndex GetNextColumn(TColumnIndex Column) const;
    TColumnIndex GetPreviousColumn(TColumnIndex Column) const;
    TColumnsArray GetVisibleColumns() const;
    int GetVisibleFixedWidth() const;
    int GetScrollWidth() const;
    int TotalWidth() const;
    bool IsValidColumn(TColumnIndex Column) const { return Column >= 0 && Column < Count(); }
    void FitAutoSizeColumn(bool Force = false);
    // Resizes at once: the animation needs a screen to scroll, which this build does not draw on.
    void AnimatedResize(TColumnIndex Column, int NewWidth);
    void UpdatePositions(bool Force = false);
    void ResetPositionOrder(bool RightToLeft);
    void RebuildPositionArray();

    // Paints the header strip R (header coordinates) scrolled by HOffset onto Target at R, the fixed
    // columns on top of the scrolled ones.
    void PaintHeader(QPainter& Target, const plat::TRect& R, int HOffset);
    // Paints the header part R (header coordinates) to Target on TargetCanvas.
    void PaintHeader(plat::TCanvas& TargetCanvas, plat::TRect R, QPoint Target, int RTLOffset = 0);
    // The column being dragged and where it would drop.
    TColumnIndex DragIndex() const { return FDragIndex; }
    TColumnIndex DropTarget() const { return FDropTarget; }
    bool DropBefore() const { return FDropBefore; }

private:
    friend class TLazyTreeColumn;
    friend class TLTHeader;
    friend class TBaseLazyTree;
    friend struct THeaderStreamAccess;
    TBaseLazyTree* Tree() const;
    int ClientWidth() const;
    int RTLOffset() const;
    TColumnIndex AutoSizeColumn() const;
    void PaintHeaderCell(THeaderPaintInfo& PaintInfo, bool AdvancedOwnerDraw, bool OwnerDraw);
    // The column under P (client coordinates, the header at negative Y).
    TColumnIndex ColumnInHeaderAt(QPoint P) const;
    bool UpdateColumnIndexAt(QPoint P, TColumnIndex& Index);
    TColumnIndex UpdateDownIndex(QPoint P);
    bool CanResizeByMouse(QPoint P, TColumnIndex Column);
    void HandleColumnClick(QPoint P, Qt::MouseButton Button, bool Force, bool DblClick);
    void PrepareColumnDrag(QPoint P, QPoint DragStart);
    void DragColumnTo(QPoint Global);
    void DrawCaptionText(plat::TCanvas& Canvas, const QString& Caption, plat::TRect Bounds, bool Enabled, bool Hot,
                         unsigned DrawFormat, bool WrapCaption);
    void Update(TLazyTreeColumn* Item);
    void InitializePositionArray();
    void AdjustPositionArray(TColumnIndex OldIndex, TColumnIndex NewIndex);
    void MoveInPositionArray(TLazyTreeColumn& Column, TColumnPosition NewPosition);
    bool Updating() const { return FUpdateCount > 0; }
    TColumnIndex WalkVisible(int Start, int Step, bool ConsiderAllowFocus) const;

    TLTHeader* FHeader;
    std::vector<std::unique_ptr<TLazyTreeColumn>> FItems;
    TColumnIndex FHoverIndex = NoColumn, FDownIndex = NoColumn, FTrackIndex = NoColumn, FClickIndex = NoColumn;
    bool FCheckBoxHit = false;
    std::vector<TColumnIndex> FPositionToIndex;
    int FDefaultWidth = 50;
    bool FNeedPositionsFix = false;
    bool FClearing = false;
    TColumnIndex FDragIndex = NoColumn, FDropTarget = NoColumn;
    bool FDropBefore = false;
    int FUpdateCount = 0;
    QImage FHeaderBitmap;
};

// Limits of the header height relative to the tree and of the fixed columns' width relative to
// the client width, in percent; 0 imposes nothing.
class TLTFixedAreaConstraints {
public:
    int MaxHeightPercent() const { return FMaxHeightPercent; }
    void SetMaxHeightPercent(int Value);
    int MaxWidthPercent() const { return FMaxWidthPercent; }
    void SetMaxWidthPercent(int Value);
    int MinHeightPercent() const { return FMinHeightPercent; }
    void SetMinHeightPercent(int Value);
    int MinWidthPercent() const { return FMinWidthPercent; }
    void SetMinWidthPercent(int Value);
    void Assign(const TLTFixedAreaConstraints& Source);
    std::function<void()> OnChange;

private:
    friend struct THeaderStreamAccess;  // a header stream stores the percentages as they were saved
    void Change() {
        if (OnChange) OnChange();
    }
    uint8_t FMaxHeightPercent = 0, FMaxWidthPercent = 0, FMinHeightPercent = 0, FMinWidthPercent = 0;
};

class TLTHeader {
public:
    explicit TLTHeader(TBaseLazyTree* Owner);
    ~TLTHeader();
    TLTHeader(const TLTHeader&) = delete;
    TLTHeader& operator=(const TLTHeader&) = delete;

    TBaseLazyTree* Treeview() const { return FOwner; }
    TLazyTreeColumns& Columns() { return *FColumns; }
    const TLazyTreeColumns& Columns() const { return *FColumns; }
    bool UseColumns() const { return FColumns->Count() > 0; }

    int Height() const { return FHeight; }
    void SetHeight(int Value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    TLTHeaderOptions Options() const { return FOptions; }
    void SetOptions(TLTHeaderOptions Value);
    TLTHeaderStyle Style() const { return FStyle; }
    void SetStyle(TLTHeaderStyle Value) { FStyle = Value; }
    plat::TColor Background() const { return FBackgroundColor; }
    void SetBackground(plat::TColor Value) { FBackgroundColor = Value; }
    TColumnIndex MainColumn() const { return FColumns->Count() == 0 ? NoColumn : FMainColumn; }
    void SetMainColumn(TColumnIndex Value);
    TColumnIndex SortColumn() const { return FSortColumn; }
    void SetSortColumn(TColumnIndex Value);
    TSortDirection SortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection Value);
    TColumnIndex AutoSizeIndex() const { return FAutoSizeIndex; }
    void SetAutoSizeIndex(TColumnIndex Value);
    int SplitterHitTolerance() const { return FSplitterHitTolerance; }
    void SetSplitterHitTolerance(int Value) { FSplitterHitTolerance = Value; }
    TLTFixedAreaConstraints& FixedAreaConstraints() { return FFixedAreaConstraints; }
    THeaderStates States() const { return FStates; }
    bool AllowFocus(TColumnIndex Column) const;

    // Distributes ChangeBy pixels over the columns RangeStartCol..RangeEndCol that have all of
    // Options, towards their maximum (growing) or minimum (shrinking); answers what was applied.
    int ResizeColumns(int ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                      TLTColumnOptions Options = {TLTColumnOption::coVisible});
    void RestoreColumns();
    void RecalculateHeader();
    // Repaints one header cell, or the whole header for nil.
    void Invalidate(const TLazyTreeColumn* Column, bool ExpandToBorder = false);

    std::function<void(TLTHeader* Sender, TColumnIndex Column)> OnColumnResize;

    // ---- Input: P in tree client coordinates (negative Y over the header), Global on the screen ----
    bool InHeader(QPoint P) const;
    bool InHeaderSplitterArea(QPoint P) const;
    bool IsColumnSplitterHit(QPoint P);
    bool IsHeightSplitterHit(QPoint P);
    // Answers true when the header took the event.
    bool HandleMouseDown(QPoint P, QPoint Global, Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
    bool HandleMouseUp(QPoint P, QPoint Global, Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
    bool HandleDblClick(QPoint P, Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
    bool HandleMouseMove(QPoint P, QPoint Global, Qt::KeyboardModifiers Shift);
    // Escape or focus loss: a column drag or a border tracking ends without moving anything.
    bool CancelTracking();
    // The header's hover timer fired.
    void HoverTimer();
    // The tree's client area changed its size.
    void HandleResize();
    // The cursor over P; false when the header has none to say.
    bool GetCursorName(QPoint P, QString& Name);
    QPoint TrackPoint() const { return FTrackPoint; }
    void AutoFitColumns(bool Animated = true, TSmartAutoFitType SmartAutoFitType = TSmartAutoFitType::smaUseColumnOption,
                        int RangeStartCol = NoColumn, int RangeEndCol = NoColumn);
    void ScaleHeader(int M, int D);
    // coAutoSpring columns share a change of the header's width (hoAutoSpring).
    void UpdateSpringColumns();
    TLTDragImage& DragImage() { return *FDragImage; }

    std::function<void(TLTHeader* Sender, const TLTHeaderHitInfo& HitInfo)> OnHeaderClick, OnHeaderDblClick;
    std::function<void(TLTHeader* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>
        OnHeaderMouseDown, OnHeaderMouseUp;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, bool& Allowed)> OnHeaderDragging;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, TColumnPosition OldPosition)> OnHeaderDragged;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, QPoint DropPosition)> OnHeaderDraggedOut;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, Qt::KeyboardModifiers Shift)>
        OnBeforeColumnWidthTracking;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, Qt::KeyboardModifiers Shift, QPoint& TrackPoint,
                       QPoint P, bool& Allowed)>
        OnColumnWidthTracking;
    std::function<void(TLTHeader* Sender, TColumnIndex Column)> OnAfterColumnWidthTracking;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, Qt::KeyboardModifiers Shift, QPoint P, bool& Allowed)>
        OnColumnWidthDblClickResize;
    std::function<void(TLTHeader* Sender, Qt::KeyboardModifiers Shift)> OnBeforeHeaderHeightTracking;
    std::function<void(TLTHeader* Sender, QPoint& P, Qt::KeyboardModifiers Shift, bool& Allowed)>
        OnHeaderHeightTracking;
    std::function<void(TLTHeader* Sender)> OnAfterHeaderHeightTracking;
    std::function<void(TLTHeader* Sender, QPoint& P, Qt::KeyboardModifiers Shift, bool& Allowed)>
        OnHeaderHeightDblClickResize;
    std::function<void(TLTHeader* Sender, QPoint P, TColumnIndex Column, bool& Allowed)> OnCanSplitterResizeColumn;
    std::function<void(TLTHeader* Sender, QPoint P, bool& Allowed)> OnCanSplitterResizeHeader;
    std::function<void(TLTHeader* Sender, TSmartAutoFitType& SmartAutoFitType)> OnBeforeAutoFitColumns;
    std::function<void(TLTHeader* Sender, TColumnIndex Column, TSmartAutoFitType& SmartAutoFitType, bool& Allowed)>
        OnBeforeAutoFitColumn;
    std::function<void(TLTHeader* Sender, TColumnIndex Column)> OnAfterAutoFitColumn;
    std::function<void(TLTHeader* Sender)> OnAfterAutoFitColumns;
    // Whole cells of vsOwnerDraw columns under hoOwnerDraw.
    std::function<void(TLTHeader* Sender, plat::TCanvas& HeaderCanvas, TLazyTreeColumn* Column, const plat::TRect& R,
                       bool Hover, bool Pressed, TLTDropMarkMode DropMark)>
        OnHeaderDraw;
    // Element by element: which elements the application paints, then painting them.
    std::function<void(TLTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>
        OnHeaderDrawQueryElements;
    std::function<void(TLTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements)>
        OnAdvancedHeaderDraw;
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value);
    plat::TFont& Font() { return FFont; }
    const plat::TFont& Font() const { return FFont; }
    // Replaces the font; the header stops following the tree's.
    void SetFont(const plat::TFont& Value);
    // The header draws with the tree's font while this is on.
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    // The tree's font changed.
    void ParentFontChanged();

    // The header's layout (columns, order, widths, options, font, sort state, limits) as a flat
    // record of version 6; loads read versions -1 to 6. The whole record is read and checked before
    // anything changes: a stream cut short or out of bounds raises and leaves the header as it was.
    void SaveToStream(TStream& Stream) const;
    void LoadFromStream(TStream& Stream);

private:
    friend class TLazyTreeColumn;
    friend class TLazyTreeColumns;
    friend struct THeaderStreamAccess;
    void ChangeSortColumn(TColumnIndex Value);
    bool FindSplitterColumn(QPoint P);
    void EndColumnDrag();
    void DoColumnResize(TColumnIndex Column);
    void Repaint();
    int TreeHeight() const;

    TBaseLazyTree* FOwner;
    std::unique_ptr<TLazyTreeColumns> FColumns;
    int FHeight = 19;
    TLTHeaderOptions FOptions{TLTHeaderOption::hoColumnResize, TLTHeaderOption::hoDrag,
                              TLTHeaderOption::hoShowSortGlyphs};
    TLTHeaderStyle FStyle = TLTHeaderStyle::hsThickButtons;
    plat::TColor FBackgroundColor = plat::clBtnFace;
    TColumnIndex FAutoSizeIndex = NoColumn;
    TColumnIndex FMainColumn = NoColumn;
    int FMaxHeight = 10000, FMinHeight = 10, FDefaultHeight = 19;
    TLTFixedAreaConstraints FFixedAreaConstraints;
    int FSplitterHitTolerance = 8;
    TColumnIndex FSortColumn = NoColumn;
    TSortDirection FSortDirection = TSortDirection::sdAscending;
    THeaderStates FStates;
    const plat::TImageList* FImages = nullptr;
    plat::TFont FFont;
    bool FParentFont = false;
    std::unique_ptr<TLTDragImage> FDragImage;
    int FLastWidth = 0;
    QPoint FDragStart, FTrackStart, FTrackPoint;
};
