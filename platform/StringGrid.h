#pragma once
// The platform's string grid: a scrolling matrix of cells with fixed rows and columns, a text and
// an owned object per cell, column widths and row heights, a current cell and a selection with a
// veto, and a viewport that paints every visible cell through the virtual `DrawCell`. The state
// lives in the widget-free store and axes of GridStore.h; the widget scrolls by whole rows and
// columns and reports its scroll bars in the original's scroll codes.
//
// Coordinates are viewport pixels. Each column and row is followed by a line of the grid's line
// width (for rows only with goHorzLine, for columns only with goVertLine); a pixel on that line
// belongs to the cell before it. A right-to-left grid mirrors every x.
#include "platform/Controls.h"
#include "platform/Error.h"
#include "platform/GridStore.h"
#include "platform/Timer.h"

#include <QAbstractScrollArea>
#include <QRegion>
#include <functional>
#include <memory>

namespace plat {

struct TGridCoord {
    int X = 0, Y = 0;
    friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};
// Columns Left..Right and rows Top..Bottom, inclusive.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};

enum TGridDrawStateItem : uint8_t { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TEnumSet<TGridDrawStateItem>;

enum TGridOption : uint8_t {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
    goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
    goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TEnumSet<TGridOption>;

// Modes of the mouse: the base grid selects; sizing and moving modes belong to descendants.
enum TGridState : uint8_t { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

// The scroll codes a scroll bar reports.
inline constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8;
inline constexpr int SB_LINELEFT = SB_LINEUP, SB_LINERIGHT = SB_LINEDOWN, SB_PAGELEFT = SB_PAGEUP;
inline constexpr int SB_PAGERIGHT = SB_PAGEDOWN, SB_LEFT = SB_TOP, SB_RIGHT = SB_BOTTOM;

// A scroll bar's state in the original's terms: Max includes the page.
struct TScrollBarInfo {
    int Min = 0, Max = 0, Page = 0, Pos = 0;
    friend constexpr bool operator==(const TScrollBarInfo&, const TScrollBarInfo&) = default;
};

// The grid's own errors: a bad index or a fixed count not below its count.
class EInvalidGridOperation : public Error {
public:
    using Error::Error;
};

// The grid's columns and rows as the sizing calculation sees one axis, in LTR viewport pixels.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;    // the end of the fixed items
    int GridBoundary = 0;     // the end of the last item on screen, or the client extent
    int GridExtent = 0;       // the client extent
    int FixedCellCount = 0;
    int FirstGridCell = 0;    // the first scrolling item on screen
    int LastFullVisibleCell = 0;
    int GridCellCount = 0;
};
struct TGridDrawInfo {
    TGridAxisDrawInfo Horz, Vert;
};

class TStringGrid;
class TInplaceEdit;
using TGetEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, QString& Value)>;
using TSetEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)>;
using TMovedEvent = std::function<void(QObject* Sender, int FromIndex, int ToIndex)>;
using TDrawCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TStringGrid : public QAbstractScrollArea {
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // ---- dimensions and options ----
    int ColCount() const { return cols_.Count(); }
    void SetColCount(int count);
    int RowCount() const { return rows_.Count(); }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);  // 0 .. ColCount - 1, else EInvalidGridOperation
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);  // 0 .. RowCount - 1, else EInvalidGridOperation
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int DefaultColWidth() const { return cols_.DefaultSize(); }
    void SetDefaultColWidth(int width);  // drops the columns' own widths
    int DefaultRowHeight() const { return rows_.DefaultSize(); }
    void SetDefaultRowHeight(int height);  // drops the rows' own heights
    int GridLineWidth() const { return lineWidth_; }
    void SetGridLineWidth(int width);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TFont& Font();
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);
    bool UseRightToLeftAlignment() const { return layoutDirection() == Qt::RightToLeft; }
    // On: before each cell's DrawCell the layer fills it (fixed, selected or normal colour), and the
    // default DrawCell writes the cell's text; off: the layer draws no cell itself.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);

    // ---- cells ----
    // Empty outside the rows or below column 0; columns at or beyond ColCount keep their cells.
    const QString& Cells(int col, int row) const { return store_.Cell(col, row); }
    // Outside 0 .. RowCount - 1 or below column 0: EInvalidGridOperation, nothing changed.
    void SetCells(int col, int row, QString text) {
        if (col < 0 || row < 0 || row >= RowCount()) throwIndexError();
        store_.SetCell(col, row, std::move(text));
        if (cellOnScreen(col, row)) InvalidateCell(col, row);
    }
    // Column 0 shows the number in decimal; an empty row keeps it without a record until the row
    // is written or the text read (TGridStore::SetRowNumber). Bounds as SetCells.
    void SetRowNumber(int row, int number) {
        if (row < 0 || row >= RowCount()) throwIndexError();
        store_.SetRowNumber(row, number);
        if (cellOnScreen(0, row)) InvalidateCell(0, row);
    }
    TGridObject* Objects(int col, int row) const { return store_.Object(col, row); }
    void SetObjects(int col, int row, std::unique_ptr<TGridObject> object);  // frees the old one
    std::unique_ptr<TGridObject> TakeObjects(int col, int row);
    // Texts, objects and sizes move with their row or column.
    void MoveRow(int from, int to);
    // Two rows exchange their records (texts, objects) and heights; the current cell stays.
    void SwapRowRecords(int a, int b);
    // The rows' records moved into memory in row order (see TGridStore::Compact); nothing visible
    // changes.
    void CompactRows(int row, int count) { store_.Compact(row, count); }
    void MoveColumn(int from, int to);
    void DeleteRow(int row);
    void DeleteColumn(int col);
    // Takes rows row .. row + count - 1 out whole (texts, objects) with their heights, in one pass;
    // at least one row stays. Outside the rows: EInvalidGridOperation.
    std::vector<TGridStore::TRowRecord> TakeRowRecords(int row, int count, std::vector<int>& heights);
    // Puts records back as rows from row on (0 .. RowCount) with the given heights, in one pass.
    void InsertRowRecords(int row, std::vector<TGridStore::TRowRecord> records, const std::vector<int>& heights);
    // The same for a list of rows (ascending, no repeats; at least one row stays), and back to
    // ascending final positions.
    std::vector<TGridStore::TRowRecord> TakeRowRecordList(const std::vector<int>& rows, std::vector<int>& heights);
    void InsertRowRecordList(const std::vector<int>& positions, std::vector<TGridStore::TRowRecord> records,
                             const std::vector<int>& heights);
    const TGridStore& Store() const { return store_; }

    // ---- geometry ----
    // The cell in viewport pixels; empty for a cell not on screen.
    TRect CellRect(int col, int row) const;
    // The cell under a viewport point, (-1, -1) outside the cells.
    TGridCoord MouseCoord(int x, int y) const;
    void MouseToCell(int x, int y, int& col, int& row) const;
    int ClientWidth() const;
    int ClientHeight() const;
    // The extent of the fixed columns and rows, their lines included.
    int FixedColsWidth() const { return int(cols_.Start(fixedCols_)); }
    int FixedRowsHeight() const { return int(rows_.Start(fixedRows_)); }
    // Where a column (row) starts counted from the first one, lines included, unscrolled; at the
    // count, the whole extent.
    int ColStart(int col) const { return int(cols_.Start(col)); }
    int RowStart(int row) const { return int(rows_.Start(row)); }
    void InvalidateRect(const TRect& r);
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateCol(int col);
    void InvalidateGrid();

    // ---- current cell, selection, scrolling ----
    int Col() const { return current_.X; }
    void SetCol(int col) { FocusCell(col, current_.Y, true); }
    int Row() const { return current_.Y; }
    void SetRow(int row) { FocusCell(current_.X, row, true); }
    // Moves the current cell through the SelectCell veto, scrolls it into view and collapses the
    // selection to it unless the anchor stays (extending a range).
    void FocusCell(int col, int row, bool moveAnchor);
    // The selected cells (the whole row range with goRowSelect) and the anchor of a range.
    TGridRect Selection() const;
    void SetSelection(const TGridRect& sel);
    TGridCoord Anchor() const { return anchor_; }
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int col);
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int row);
    // Fully visible non-fixed columns and rows from LeftCol and TopRow; 0 is possible.
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // The scroll bar in the original's terms; a descendant may set range, page and position.
    TScrollBarInfo ScrollBarInfo(TScrollBarKind bar) const;
    void SetScrollBarInfo(TScrollBarKind bar, const TScrollBarInfo& info);

    TGridState GridState() const { return state_; }
    // A descendant may force the state back to normal; a sizing or moving line goes with it.
    void SetGridState(TGridState state);

    // ---- in-place editor ----
    // The editor, created by CreateEditor on first use and kept for the grid's life; nullptr before.
    TInplaceEdit* InplaceEditor() const { return editor_; }
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    // Shows the editor on the current cell when CanEditShow allows it: loaded through
    // UpdateContents, the whole text selected, focused.
    void ShowEditor();
    // Shows the editor and types the character into it as its first keystroke, through the
    // editor's character steps (the grid's DoKeyPress among them): a new edit holds it alone.
    void ShowEditorChar(QChar ch);
    // Whether the last key the cells took was on the numeric keypad.
    bool LastKeyOnKeypad() const;
    // Writes a modified text through SetEditText, hides the editor and gives the grid the focus.
    void HideEditor();
    bool Focused() const;
    TCanvas& Canvas();
    // Set at the start of destruction (by the descendant that destroys first, else by this class).
    bool IsDestroying() const { return destroying_; }

    TGetEditEvent OnGetEditText, OnGetEditMask;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved, OnRowMoved;
    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged, OnClick, OnDblClick, OnEnter, OnExit;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // The paint pass: DrawCell for every visible cell, fixed corner, fixed rows, fixed columns,
    // then the scrolling cells, each in display coordinates and unclipped; then the lines between
    // cells and the area beyond the last cell in Color.
    virtual void Paint();
    // Writes the cell's text with DefaultDrawing, then fires OnDrawCell.
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    // The veto on a new current cell; the default asks OnSelectCell.
    virtual bool SelectCell(int ACol, int ARow);
    virtual void TopLeftChanged();
    // Whether a scroll by whole rows (or columns) may move the painted cells on screen and paint
    // only the strip that comes in; a descendant whose painting depends on the scroll position
    // (a background fixed to the window, blocks of cells drawn as one) answers false and the whole
    // grid is painted again.
    virtual bool CanScrollPixels() const;
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    // The scroll bars' messages before the default handling, which these defaults run.
    virtual void HScrollMessage(int ScrollCode, int Pos);
    virtual void VScrollMessage(int ScrollCode, int Pos);
    // The bars after a change of counts, sizes or scroll position (0..127 for a bar the grid
    // keeps); a descendant with proportional bars rewrites them after the default.
    virtual void UpdateScrollRange();
    virtual void UpdateScrollPos();
    virtual bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos);
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    // One character typed in the grid (the key-press step of the character entry).
    virtual void DoKeyPress(QChar& Key);
    // The cells' character entry: a printable character with goEditing opens the editor holding it,
    // any other goes to DoKeyPress.
    virtual void CharTyped(QChar Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    virtual void DoEnter();
    virtual void DoExit();
    // After the owner has set the properties up.
    virtual void Loaded();

    // The editor of the grid; a descendant returns its own kind.
    virtual TInplaceEdit* CreateEditor();
    // Default: goEditing without goRowSelect, EditorMode or goAlwaysShowEditor, the grid visible
    // and the grid or its editor focused (goAlwaysShowEditor: focus not needed).
    virtual bool CanEditShow();
    // Whether the editor may change its text now (default: yes).
    virtual bool CanEditModify();
    // Whether the editor takes a printable character (default: yes); one it refuses beeps.
    virtual bool CanEditAcceptKey(QChar Key);
    // The text the editor is loaded with: the cell's, offered to OnGetEditText.
    virtual QString GetEditText(int ACol, int ARow);
    // Stores the editor's text when it differs from the cell's, then fires OnSetEditText.
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    // The cell's edit mask (default empty, offered to OnGetEditMask) and maximum length (0: none).
    virtual QString GetEditMask(int ACol, int ARow);
    virtual int GetEditLimit();
    // Whether (X, Y) starts a sizing: near the border of a column in the fixed rows (goColSizing)
    // or of a row in the fixed columns (goRowSizing). State becomes gsColSizing or gsRowSizing with
    // Index the item, SizingPos the border line and SizingOfs its distance from X (Y); otherwise
    // gsNormal. X and Y are viewport pixels; SizingPos and SizingOfs count from the left even in a
    // right-to-left grid.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                 TGridDrawInfo& FixedInfo);
    // After a column or row was dragged to a new place; fire OnColumnMoved / OnRowMoved.
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    void CalcDrawInfo(TGridDrawInfo& info) const;
    // The timer that scrolls while a selection drag is outside the cells.
    TTimer& ScrollTimer() { return scrollTimer_; }
    void Destroying() { destroying_ = true; }

    // The largest TopRow and LeftCol: the last row (column) fully visible at the bottom (right).
    int MaxTopRow() const;
    int MaxLeftCol() const;
    const TGridAxis& ColAxis() const { return cols_; }
    const TGridAxis& RowAxis() const { return rows_; }
    // Moves the current cell without the veto (the veto has been asked).
    void MoveCurrent(int col, int row, bool moveAnchor, bool show);

    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Keys sent to the grid itself go where typed keys go: to the viewport, which holds the focus.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Viewport;
    friend class Viewport;
    friend class TInplaceEdit;

    void placeEditor();
    void endEditor(bool write, bool refocus);
    void scrollTick();
    void endDrag();
    // The x of an LTR position as the viewport shows it.
    int screenX(int x) const { return UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x; }

    void checkCell(int col, int row) const;
    void setTopLeft(int col, int row);
    // Moves the drawn cells by the scroll from the old top-left cell; false when the grid must be
    // painted again whole.
    bool scrollPixels(TGridCoord oldTopLeft);
    void scrollIntoView(int col, int row);
    int firstTopFor(const TGridAxis& axis, int fixed, int last, int avail) const;
    int fullyVisible(const TGridAxis& axis, int first, int avail) const;
    // Viewport x of an LTR column start, before mirroring, and the mirroring itself.
    int colX(int col) const;
    int rowY(int row) const;
    TRect mirrored(TRect r) const;
    bool cellOnScreen(int col, int row) const {
        // Most writes miss the screen by their row.
        if (visValid_ && row >= fixedRows_ && (row < topLeft_.Y || row > lastVisRow_)) return false;
        return cellOnScreenSlow(col, row);
    }
    bool cellOnScreenSlow(int col, int row) const;
    [[noreturn]] static void throwIndexError();
    // The last column and row at least partly on screen, kept until the layout or scroll changes.
    void visibleEnds(int& lastCol, int& lastRow) const;
    void linesChanged();
    void layoutChanged();
    void barAction(TScrollBarKind bar, int action);
    void scrollMessage(TScrollBarKind bar, int code, int pos);
    void defaultScroll(TScrollBarKind bar, int code, int pos);
    void writeBar(TScrollBarKind bar, const TScrollBarInfo& info);
    TGridDrawState stateOf(int col, int row, const TGridRect& sel, bool focused) const;
    // Repaints the visible part of a block of cells.
    void invalidateGridRect(const TGridRect& g);

    Viewport* view_;
    TGridStore store_;
    TGridAxis cols_, rows_;
    int fixedCols_ = 1, fixedRows_ = 1;
    int lineWidth_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TColor color_ = clWindow, fixedColor_ = clBtnFace;
    TBorderStyle borderStyle_ = bsSingle;
    TScrollStyle scrollBars_ = ssBoth;
    bool defaultDrawing_ = true;
    TGridCoord current_{1, 1}, anchor_{1, 1}, topLeft_{1, 1};
    TGridState state_ = gsNormal;
    bool destroying_ = false;
    int trackingBar_ = -1;
    mutable int lastVisCol_ = -1, lastVisRow_ = -1;
    mutable bool visValid_ = false;  // the bar whose thumb is being dragged
    QRect paintRect_;  // the part of the viewport the running paint event renews
    QRegion paintRegion_;  // the same as the rectangles it is made of
    bool scrolledSincePaint_ = false;  // pixels moved by a scroll that no paint has followed yet
    int wheelRest_ = 0;

    TInplaceEdit* editor_ = nullptr;
    bool editorMode_ = false;
    TGridCoord editorCell_{-1, -1};  // the cell the editor was loaded from
    bool editorBusy_ = false;
    void forwardKey(QKeyEvent* event);
    const QEvent* keyLeftByViewport_ = nullptr;  // a key the viewport did not take, on its way up
    bool focusToEditor_ = false, focusFromEditor_ = false;  // focus moving inside the grid  // showing or hiding runs: focus changes it causes end nothing
    // Sizing and moving.
    int sizingIndex_ = -1, sizingPos_ = 0, sizingOfs_ = 0;
    int moveIndex_ = -1, movePos_ = -1;
    QPoint dragPos_;  // the last pointer position of a selection drag
    TTimer scrollTimer_;
};

}  // namespace plat
