#include "platform/StringGrid.h"

#include "platform/Guard.h"
#include "platform/InplaceEdit.h"
#include "platform/Numbers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace plat {

namespace {
const QString kIndexError = QStringLiteral("Grid index out of range");

TGridRect normalized(TGridCoord a, TGridCoord b) {
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Where index i stands after the item at `from` moved to `to`.
int movedIndex(int i, int from, int to) {
    if (i == from) return to;
    if (from < to && i > from && i <= to) return i - 1;
    if (from > to && i >= to && i < from) return i + 1;
    return i;
}

// How near a border the pointer starts a sizing.
constexpr int kSizingSlack = 3;
int toInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); }

// The pixel span [p0, p1) of items lo..hi of an axis whose items below `fixed` stand at the start
// and whose scrolling items start with `first` after them; false when none of them is on screen.
bool axisSpan(const TGridAxis& a, int fixed, int first, int client, int lo, int hi, int& p0, int& p1) {
    lo = std::max(lo, 0);
    hi = std::min(hi, a.Count() - 1);
    if (lo > hi || client <= 0) return false;
    const int64_t fixedExt = a.Start(fixed);
    const int64_t base = a.Start(first);
    auto startOf = [&](int i) { return i < fixed ? a.Start(i) : fixedExt + a.Start(i) - base; };
    // Scrolling items before the first one are not on screen.
    if (hi >= fixed && hi < first) hi = fixed - 1;
    if (lo >= fixed && lo < first) lo = first;
    if (lo > hi) return false;
    const int64_t s = startOf(lo);
    const int64_t e = startOf(hi) + a.Size(hi);
    if (s >= client) return false;
    p0 = toInt(s);
    p1 = toInt(std::min<int64_t>(e, client));
    return true;
}
}  // namespace

// The viewport is a control of its own, so painting, keys, clicks, double clicks and focus come in
// through the control base; it hands each to the grid's overridable step.
class TStringGrid::Viewport : public TCustomControl {
public:
    explicit Viewport(TStringGrid* grid) : grid_(grid) {
        SetControlStyle({csClickEvents, csDoubleClicks, csOpaque});
    }
    TStringGrid* grid_;  // cleared when the grid starts to go away
    using TCustomControl::LastKeyOnKeypad;

protected:
    // A key the viewport leaves goes on to the grid itself, which must not hand it back.
    bool event(QEvent* e) override {
        const bool key = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
        if (key && grid_) grid_->keyLeftByViewport_ = e;
        const bool result = TCustomControl::event(e);
        if (key && grid_ && e->isAccepted()) grid_->keyLeftByViewport_ = nullptr;
        return result;
    }
    void Paint() override {
        if (grid_) grid_->Paint();
    }
    void KeyDown(uint16_t& Key, TShiftState Shift) override {
        if (grid_) grid_->KeyDown(Key, Shift);
    }
    void KeyPress(QChar& Key) override {
        if (grid_) grid_->CharTyped(Key);
    }
    void KeyUp(uint16_t& Key, TShiftState Shift) override {
        if (grid_) grid_->KeyUp(Key, Shift);
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        if (grid_) grid_->MouseDown(Button, Shift, X, Y);
    }
    void MouseMove(TShiftState Shift, int X, int Y) override {
        if (grid_) grid_->MouseMove(Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        if (grid_) grid_->MouseUp(Button, Shift, X, Y);
    }
    void Click() override {
        if (grid_) grid_->Click();
    }
    void DblClick() override {
        if (grid_) grid_->DblClick();
    }
    // Focus that moves between the cells and the editor stays inside the grid: no enter or exit.
    void DoEnter() override {
        if (!grid_) return;
        if (grid_->focusFromEditor_) {
            grid_->focusFromEditor_ = false;
            grid_->InvalidateCell(grid_->current_.X, grid_->current_.Y);
            return;
        }
        grid_->DoEnter();
    }
    void DoExit() override {
        if (!grid_) return;
        if (grid_->editor_ && QApplication::focusWidget() == grid_->editor_) {
            grid_->focusToEditor_ = true;
            grid_->InvalidateCell(grid_->current_.X, grid_->current_.Y);
            return;
        }
        grid_->DoExit();
    }
    void paintEvent(QPaintEvent* event) override {
        if (grid_) {
            grid_->paintRect_ = event->rect();
            grid_->paintRegion_ = event->region();
            grid_->scrolledSincePaint_ = false;
        }
        TCustomControl::paintEvent(event);
        if (grid_) {
            grid_->paintRect_ = QRect();
            grid_->paintRegion_ = QRegion();
        }
    }
};

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    view_ = new Viewport(this);
    setViewport(view_);
    view_->setAutoFillBackground(false);
    // The viewport takes the focus and the keys itself (the scroll area makes it hand them over).
    setFocusPolicy(Qt::StrongFocus);
    view_->setFocusProxy(nullptr);
    setFocusProxy(view_);
    setFrameShape(QFrame::StyledPanel);
    cols_.SetDefaultSize(64);
    rows_.SetDefaultSize(24);
    cols_.SetCount(5);
    rows_.SetCount(5);
    store_.SetRowCount(5);
    store_.SetColumnHint(5);
    linesChanged();
    for (TScrollBarKind bar : {sbHorizontal, sbVertical}) {
        QScrollBar* b = bar == sbVertical ? verticalScrollBar() : horizontalScrollBar();
        connect(b, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
            guarded([&] { barAction(bar, action); });
        });
        b->installEventFilter(this);
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollTimer_.SetEnabled(false);
    scrollTimer_.SetInterval(60);
    scrollTimer_.SetOnTimer([this](QObject*) { scrollTick(); });
    layoutChanged();
}

TStringGrid::~TStringGrid() {
    Destroying();
    scrollTimer_.SetOnTimer(nullptr);
    // The editor goes first: its focus loss must not reach a grid half destroyed.
    delete editor_;
    editor_ = nullptr;
    // Focus and paint events during the widget teardown reach no step of a grid half destroyed.
    view_->grid_ = nullptr;
}

// ---- dimensions and options ----

void TStringGrid::SetColCount(int count) {
    if (count < 1) count = 1;
    if (count == ColCount()) return;
    if (editorMode_ && editorCell_.X >= count) endEditor(true, true);
    if (count <= fixedCols_) fixedCols_ = count - 1;
    cols_.SetCount(count);
    store_.SetColumnHint(count);
    current_.X = std::min(current_.X, count - 1);
    anchor_.X = std::min(anchor_.X, count - 1);
    topLeft_.X = clampInt(topLeft_.X, fixedCols_, count - 1);
    layoutChanged();
}

void TStringGrid::SetRowCount(int count) {
    if (count < 1) count = 1;
    if (count == RowCount()) return;
    // The edit of a row that goes is dropped with its row.
    if (editorMode_ && editorCell_.Y >= count) endEditor(false, true);
    if (count <= fixedRows_) fixedRows_ = count - 1;
    rows_.SetCount(count);
    store_.SetRowCount(count);
    current_.Y = std::min(current_.Y, count - 1);
    anchor_.Y = std::min(anchor_.Y, count - 1);
    topLeft_.Y = clampInt(topLeft_.Y, fixedRows_, count - 1);
    layoutChanged();
}

void TStringGrid::SetFixedCols(int count) {
    if (count < 0 || count >= ColCount())
        throw EInvalidGridOperation(QStringLiteral("Fixed column count must be less than column count"));
    if (count == fixedCols_) return;
    fixedCols_ = count;
    topLeft_.X = count;
    current_.X = anchor_.X = count;
    layoutChanged();
}

void TStringGrid::SetFixedRows(int count) {
    if (count < 0 || count >= RowCount())
        throw EInvalidGridOperation(QStringLiteral("Fixed row count must be less than row count"));
    if (count == fixedRows_) return;
    fixedRows_ = count;
    topLeft_.Y = count;
    current_.Y = anchor_.Y = count;
    layoutChanged();
}

int TStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= ColCount()) throw EInvalidGridOperation(kIndexError);
    return cols_.Size(col);
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) throw EInvalidGridOperation(kIndexError);
    if (cols_.Size(col) == std::max(width, 0)) return;
    cols_.SetSize(col, width);
    layoutChanged();
    ColWidthsChanged();
}

int TStringGrid::RowHeights(int row) const {
    if (row < 0 || row >= RowCount()) throw EInvalidGridOperation(kIndexError);
    return rows_.Size(row);
}

void TStringGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= RowCount()) throw EInvalidGridOperation(kIndexError);
    if (rows_.Size(row) == std::max(height, 0)) return;
    rows_.SetSize(row, height);
    layoutChanged();
    RowHeightsChanged();
}

void TStringGrid::SetDefaultColWidth(int width) {
    cols_.SetDefaultSize(width);
    layoutChanged();
    ColWidthsChanged();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    rows_.SetDefaultSize(height);
    layoutChanged();
    RowHeightsChanged();
}

void TStringGrid::SetGridLineWidth(int width) {
    lineWidth_ = std::max(width, 0);
    linesChanged();
    layoutChanged();
}

void TStringGrid::SetOptions(TGridOptions options) {
    if (options == options_) return;
    options_ = options;
    view_->SetWantTabs(options.contains(goTabs));
    // An edit the new options no longer allow ends with its text kept.
    if (editorMode_ && (!options.contains(goEditing) || options.contains(goRowSelect))) endEditor(true, true);
    linesChanged();
    layoutChanged();
}

void TStringGrid::linesChanged() {
    cols_.SetLineWidth(options_.contains(goVertLine) ? lineWidth_ : 0);
    rows_.SetLineWidth(options_.contains(goHorzLine) ? lineWidth_ : 0);
}

void TStringGrid::SetColor(TColor color) {
    color_ = color;
    InvalidateGrid();
}

void TStringGrid::SetFixedColor(TColor color) {
    fixedColor_ = color;
    InvalidateGrid();
}

TFont& TStringGrid::Font() { return view_->Font(); }
TCanvas& TStringGrid::Canvas() { return view_->Canvas(); }

void TStringGrid::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    setFrameShape(style == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TStringGrid::SetScrollBars(TScrollStyle bars) {
    scrollBars_ = bars;
    const bool h = bars == ssHorizontal || bars == ssBoth;
    const bool v = bars == ssVertical || bars == ssBoth;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TStringGrid::SetDefaultDrawing(bool on) {
    defaultDrawing_ = on;
    InvalidateGrid();
}

bool TStringGrid::Focused() const { return view_->hasFocus(); }

// ---- cells ----

void TStringGrid::checkCell(int col, int row) const {
    if (col < 0 || row < 0 || row >= RowCount()) throw EInvalidGridOperation(kIndexError);
}

void TStringGrid::throwIndexError() { throw EInvalidGridOperation(kIndexError); }

void TStringGrid::SetObjects(int col, int row, std::unique_ptr<TGridObject> object) {
    checkCell(col, row);
    store_.SetObject(col, row, std::move(object));
}

std::unique_ptr<TGridObject> TStringGrid::TakeObjects(int col, int row) {
    checkCell(col, row);
    return store_.TakeObject(col, row);
}

void TStringGrid::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount()) throw EInvalidGridOperation(kIndexError);
    if (from == to) return;
    store_.MoveRow(from, to);
    rows_.Move(from, to);
    // The current cell, the anchor and the edited cell go with their row.
    for (int* r : {&current_.Y, &anchor_.Y, &editorCell_.Y}) *r = movedIndex(*r, from, to);
    layoutChanged();
}

void TStringGrid::SwapRowRecords(int a, int b) {
    if (a < 0 || b < 0 || a >= RowCount() || b >= RowCount()) throw EInvalidGridOperation(kIndexError);
    if (a == b) return;
    store_.SwapRows(a, b);
    const int ha = rows_.Size(a), hb = rows_.Size(b);
    if (ha != hb) {
        rows_.SetSize(a, hb);
        rows_.SetSize(b, ha);
        layoutChanged();
    } else {
        InvalidateGrid();
    }
}

void TStringGrid::MoveColumn(int from, int to) {
    if (from < 0 || to < 0 || from >= ColCount() || to >= ColCount()) throw EInvalidGridOperation(kIndexError);
    if (from == to) return;
    store_.MoveColumn(from, to);
    cols_.Move(from, to);
    for (int* c : {&current_.X, &anchor_.X, &editorCell_.X}) *c = movedIndex(*c, from, to);
    layoutChanged();
}

std::vector<TGridStore::TRowRecord> TStringGrid::TakeRowRecords(int row, int count, std::vector<int>& heights) {
    if (row < 0 || count < 0 || int64_t(row) + count > RowCount() || count >= RowCount())
        throw EInvalidGridOperation(kIndexError);
    if (editorMode_) endEditor(editorCell_.Y < row || editorCell_.Y >= row + count, true);
    std::vector<TGridStore::TRowRecord> out = store_.TakeRecords(row, count);
    heights = rows_.EraseRange(row, count);
    const int n = RowCount();
    if (fixedRows_ >= n) fixedRows_ = n - 1;
    for (int* r : {&current_.Y, &anchor_.Y}) {
        if (*r >= row + count) *r -= count;
        else if (*r >= row) *r = std::min(row, n - 1);
    }
    topLeft_.Y = clampInt(topLeft_.Y, fixedRows_, n - 1);
    layoutChanged();
    return out;
}

void TStringGrid::InsertRowRecords(int row, std::vector<TGridStore::TRowRecord> records,
                                   const std::vector<int>& heights) {
    if (row < 0 || row > RowCount() || heights.size() != records.size()) throw EInvalidGridOperation(kIndexError);
    if (editorMode_) endEditor(true, true);
    const int count = int(records.size());
    store_.InsertRecords(row, std::move(records));
    rows_.InsertRange(row, heights);
    for (int* r : {&current_.Y, &anchor_.Y})
        if (*r >= row && *r >= fixedRows_) *r += count;
    layoutChanged();
}

std::vector<TGridStore::TRowRecord> TStringGrid::TakeRowRecordList(const std::vector<int>& rows,
                                                                 std::vector<int>& heights) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] < 0 || rows[i] >= RowCount() || (i > 0 && rows[i] <= rows[i - 1]))
            throw EInvalidGridOperation(kIndexError);
    if (int(rows.size()) >= RowCount()) throw EInvalidGridOperation(kIndexError);
    if (editorMode_) endEditor(!std::binary_search(rows.begin(), rows.end(), editorCell_.Y), true);
    std::vector<TGridStore::TRowRecord> out = store_.TakeRecordsList(rows);
    heights = rows_.EraseList(rows);
    const int n = RowCount();
    for (int* r : {&current_.Y, &anchor_.Y}) {
        const int below = int(std::lower_bound(rows.begin(), rows.end(), *r) - rows.begin());
        *r = clampInt(*r - below, 0, n - 1);
    }
    if (fixedRows_ >= n) fixedRows_ = n - 1;
    topLeft_.Y = clampInt(topLeft_.Y, fixedRows_, n - 1);
    layoutChanged();
    return out;
}

void TStringGrid::InsertRowRecordList(const std::vector<int>& positions, std::vector<TGridStore::TRowRecord> records,
                                      const std::vector<int>& heights) {
    const int total = RowCount() + int(records.size());
    if (positions.size() != records.size() || heights.size() != records.size())
        throw EInvalidGridOperation(kIndexError);
    for (size_t i = 0; i < positions.size(); ++i)
        if (positions[i] < 0 || positions[i] >= total || (i > 0 && positions[i] <= positions[i - 1]))
            throw EInvalidGridOperation(kIndexError);
    if (editorMode_) endEditor(true, true);
    store_.InsertRecordsList(positions, std::move(records));
    rows_.InsertList(positions, heights);
    // A row keeps its place among the rows that stayed.
    for (int* r : {&current_.Y, &anchor_.Y}) {
        int k = 0;
        while (k < int(positions.size()) && positions[size_t(k)] <= *r + k) ++k;
        *r += k;
    }
    layoutChanged();
}

void TStringGrid::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) throw EInvalidGridOperation(kIndexError);
    // An open edit ends first: its text is kept unless its own row goes.
    if (editorMode_) endEditor(editorCell_.Y != row, true);
    if (RowCount() == 1) {
        // The grid keeps one row: the deleted one comes back empty.
        store_.SetRowCount(0);
        store_.SetRowCount(1);
        rows_.Erase(0);
        rows_.Insert(0);
        layoutChanged();
        return;
    }
    store_.DeleteRow(row);
    rows_.Erase(row);
    const int count = RowCount();
    if (fixedRows_ >= count) fixedRows_ = count - 1;
    current_.Y = clampInt(current_.Y, 0, count - 1);
    anchor_.Y = clampInt(anchor_.Y, 0, count - 1);
    topLeft_.Y = clampInt(topLeft_.Y, fixedRows_, count - 1);
    layoutChanged();
}

void TStringGrid::DeleteColumn(int col) {
    if (col < 0 || col >= ColCount()) throw EInvalidGridOperation(kIndexError);
    if (editorMode_) endEditor(editorCell_.X != col, true);
    store_.DeleteColumn(col);
    if (ColCount() == 1) {
        cols_.Erase(0);
        cols_.Insert(0);
        layoutChanged();
        return;
    }
    cols_.Erase(col);
    const int count = ColCount();
    store_.SetColumnHint(count);
    if (fixedCols_ >= count) fixedCols_ = count - 1;
    current_.X = clampInt(current_.X, 0, count - 1);
    anchor_.X = clampInt(anchor_.X, 0, count - 1);
    topLeft_.X = clampInt(topLeft_.X, fixedCols_, count - 1);
    layoutChanged();
}

// ---- geometry ----

int TStringGrid::ClientWidth() const { return view_->width(); }
int TStringGrid::ClientHeight() const { return view_->height(); }

int TStringGrid::colX(int col) const {
    if (col < fixedCols_) return toInt(cols_.Start(col));
    return toInt(cols_.Start(fixedCols_) + cols_.Start(col) - cols_.Start(topLeft_.X));
}

int TStringGrid::rowY(int row) const {
    if (row < fixedRows_) return toInt(rows_.Start(row));
    return toInt(rows_.Start(fixedRows_) + rows_.Start(row) - rows_.Start(topLeft_.Y));
}

TRect TStringGrid::mirrored(TRect r) const {
    if (!UseRightToLeftAlignment()) return r;
    const int w = ClientWidth();
    return {w - r.Right, r.Top, w - r.Left, r.Bottom};
}

void TStringGrid::visibleEnds(int& lastCol, int& lastRow) const {
    if (!visValid_) {
        auto last = [](const TGridAxis& a, int fixed, int first, int client) {
            const int64_t avail = client - a.Start(fixed);
            if (avail <= 0 || first >= a.Count()) return first - 1;
            return std::min(a.Count() - 1, a.IndexAt(a.Start(first) + avail - 1));
        };
        lastVisCol_ = last(cols_, fixedCols_, topLeft_.X, ClientWidth());
        lastVisRow_ = last(rows_, fixedRows_, topLeft_.Y, ClientHeight());
        visValid_ = true;
    }
    lastCol = lastVisCol_;
    lastRow = lastVisRow_;
}

bool TStringGrid::cellOnScreenSlow(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
    int lastCol, lastRow;
    visibleEnds(lastCol, lastRow);
    const bool colShown = col < fixedCols_ ? cols_.Start(col) < ClientWidth() : col >= topLeft_.X && col <= lastCol;
    if (!colShown) return false;
    return row < fixedRows_ ? rows_.Start(row) < ClientHeight() : row >= topLeft_.Y && row <= lastRow;
}

TRect TStringGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || !cellOnScreen(col, row)) return {};
    const int x = colX(col), y = rowY(row);
    return mirrored({x, y, x + cols_.Size(col), y + rows_.Size(row)});
}

TGridCoord TStringGrid::MouseCoord(int x, int y) const {
    TGridCoord out{-1, -1};
    const int w = ClientWidth(), h = ClientHeight();
    if (UseRightToLeftAlignment()) x = w - 1 - x;
    auto hit = [](const TGridAxis& a, int fixed, int first, int pos, int client) {
        if (pos < 0 || pos >= client) return -1;
        const int64_t fixedExt = a.Start(fixed);
        const int i = pos < fixedExt ? a.IndexAt(pos) : a.IndexAt(pos - fixedExt + a.Start(first));
        return i >= 0 && i < a.Count() ? i : -1;
    };
    out.X = hit(cols_, fixedCols_, topLeft_.X, x, w);
    out.Y = hit(rows_, fixedRows_, topLeft_.Y, y, h);
    return out;
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

void TStringGrid::InvalidateRect(const TRect& r) {
    if (!r.IsEmpty()) view_->update(r.toQRect());
}

void TStringGrid::InvalidateCell(int col, int row) { InvalidateRect(CellRect(col, row)); }

void TStringGrid::InvalidateRow(int row) {
    int y0, y1;
    if (axisSpan(rows_, fixedRows_, topLeft_.Y, ClientHeight(), row, row, y0, y1))
        InvalidateRect({0, y0, ClientWidth(), y1});
}

void TStringGrid::InvalidateCol(int col) {
    int x0, x1;
    if (axisSpan(cols_, fixedCols_, topLeft_.X, ClientWidth(), col, col, x0, x1))
        InvalidateRect(mirrored({x0, 0, x1, ClientHeight()}));
}

void TStringGrid::InvalidateGrid() { view_->update(); }

// ---- current cell, selection, scrolling ----

TGridRect TStringGrid::Selection() const {
    TGridRect sel = normalized(anchor_, current_);
    if (options_.contains(goRowSelect)) {
        sel.Left = fixedCols_;
        sel.Right = ColCount() - 1;
    }
    return sel;
}

void TStringGrid::invalidateGridRect(const TGridRect& g) {
    int x0, x1, y0, y1;
    if (axisSpan(cols_, fixedCols_, topLeft_.X, ClientWidth(), g.Left, g.Right, x0, x1) &&
        axisSpan(rows_, fixedRows_, topLeft_.Y, ClientHeight(), g.Top, g.Bottom, y0, y1))
        InvalidateRect(mirrored({x0, y0, x1, y1}));
}

void TStringGrid::SetSelection(const TGridRect& sel) {
    auto inCols = [&](int c) { return clampInt(c, 0, ColCount() - 1); };
    auto inRows = [&](int r) { return clampInt(r, 0, RowCount() - 1); };
    const TGridRect old = Selection();
    anchor_ = {inCols(sel.Left), inRows(sel.Top)};
    current_ = {inCols(sel.Right), inRows(sel.Bottom)};
    invalidateGridRect(old);
    invalidateGridRect(Selection());
}

void TStringGrid::FocusCell(int col, int row, bool moveAnchor) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) throw EInvalidGridOperation(kIndexError);
    if (!SelectCell(col, row)) return;
    MoveCurrent(col, row, moveAnchor, true);
}

void TStringGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
    const bool moved = col != current_.X || row != current_.Y;
    // The edited text goes into its cell before the editor follows the current cell; a write that
    // raises keeps the current cell and the editor as they were.
    if (moved && editorMode_ && editor_ && editor_->Modified() && editorCell_.Y < RowCount()) {
        SetEditText(editorCell_.X, editorCell_.Y, editor_->Text());
        editor_->SetModified(false);
    }
    const TGridRect old = Selection();
    current_ = {col, row};
    if (moveAnchor || !options_.contains(goRangeSelect)) anchor_ = current_;
    if (show) scrollIntoView(col, row);
    // Old and new selection (each holds its current cell) are painted again.
    invalidateGridRect(old);
    invalidateGridRect(Selection());
    if (!moved) return;
    if (editorMode_) {
        if (CanEditShow()) {
            editorCell_ = current_;
            editor_->UpdateContents();
            placeEditor();
            editor_->SelectAll();
        } else {
            endEditor(false, true);
        }
    } else if (options_.contains(goAlwaysShowEditor)) {
        ShowEditor();
    }
}

int TStringGrid::fullyVisible(const TGridAxis& axis, int first, int avail) const {
    if (avail <= 0 || first >= axis.Count()) return 0;
    const int last = axis.IndexAt(axis.Start(first) + avail);
    return std::max(0, std::min(last, axis.Count()) - first);
}

int TStringGrid::VisibleColCount() const {
    return fullyVisible(cols_, topLeft_.X, ClientWidth() - FixedColsWidth());
}

int TStringGrid::VisibleRowCount() const {
    return fullyVisible(rows_, topLeft_.Y, ClientHeight() - FixedRowsHeight());
}

// The smallest first item >= fixed that shows item `last` whole in `avail` pixels (`last` itself
// when it cannot be shown whole).
int TStringGrid::firstTopFor(const TGridAxis& axis, int fixed, int last, int avail) const {
    if (last < fixed) return fixed;
    const int64_t q = axis.Start(last + 1) - avail;
    if (avail <= 0) return last;
    if (q <= axis.Start(fixed)) return fixed;
    int t = axis.IndexAt(q);
    if (axis.Start(t) < q) ++t;
    return clampInt(t, fixed, last);
}

int TStringGrid::MaxTopRow() const {
    return firstTopFor(rows_, fixedRows_, RowCount() - 1, ClientHeight() - FixedRowsHeight());
}

int TStringGrid::MaxLeftCol() const {
    return firstTopFor(cols_, fixedCols_, ColCount() - 1, ClientWidth() - FixedColsWidth());
}

void TStringGrid::SetLeftCol(int col) { setTopLeft(clampInt(col, fixedCols_, MaxLeftCol()), topLeft_.Y); }

void TStringGrid::SetTopRow(int row) { setTopLeft(topLeft_.X, clampInt(row, fixedRows_, MaxTopRow())); }

void TStringGrid::setTopLeft(int col, int row) {
    if (col == topLeft_.X && row == topLeft_.Y) return;
    const TGridCoord old = topLeft_;
    topLeft_ = {col, row};
    visValid_ = false;
    UpdateScrollPos();
    if (!scrollPixels(old)) InvalidateGrid();
    placeEditor();
    TopLeftChanged();
}

bool TStringGrid::scrollPixels(TGridCoord oldTopLeft) {
    // One axis at a time, left to right, and only what the descendant draws cell by cell.
    const bool vertical = oldTopLeft.X == topLeft_.X, horizontal = oldTopLeft.Y == topLeft_.Y;
    if (vertical == horizontal || UseRightToLeftAlignment() || !view_->isVisible() || !CanScrollPixels()) return false;
    // Scrolls that come faster than the paints (keys without the event loop between them) move
    // the pixels once; after that the next paint draws the page whole, once.
    if (scrolledSincePaint_) return false;
    const int cw = ClientWidth(), ch = ClientHeight();
    if (vertical) {
        const int64_t d = rows_.Start(oldTopLeft.Y) - rows_.Start(topLeft_.Y);
        const int top = FixedRowsHeight();
        if (top >= ch || d == 0 || std::abs(d) >= ch - top) return false;
        view_->scroll(0, int(d), QRect(0, top, cw, ch - top));
    } else {
        const int64_t d = cols_.Start(oldTopLeft.X) - cols_.Start(topLeft_.X);
        const int left = FixedColsWidth();
        if (left >= cw || d == 0 || std::abs(d) >= cw - left) return false;
        view_->scroll(int(d), 0, QRect(left, 0, cw - left, ch));
    }
    scrolledSincePaint_ = true;
    return true;
}

bool TStringGrid::CanScrollPixels() const { return true; }

void TStringGrid::scrollIntoView(int col, int row) {
    int left = topLeft_.X, top = topLeft_.Y;
    if (row >= fixedRows_) {
        const int avail = ClientHeight() - FixedRowsHeight();
        if (row < top)
            top = row;
        else if (rows_.Start(row + 1) - rows_.Start(top) > avail)
            top = firstTopFor(rows_, fixedRows_, row, avail);
    }
    if (col >= fixedCols_) {
        const int avail = ClientWidth() - FixedColsWidth();
        if (col < left)
            left = col;
        else if (cols_.Start(col + 1) - cols_.Start(left) > avail)
            left = firstTopFor(cols_, fixedCols_, col, avail);
    }
    setTopLeft(left, top);
}

void TStringGrid::layoutChanged() {
    visValid_ = false;
    // Sizes or counts moved the limits of the scroll position.
    const int left = clampInt(topLeft_.X, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    const int top = clampInt(topLeft_.Y, fixedRows_, std::max(fixedRows_, MaxTopRow()));
    UpdateScrollRange();
    if (left != topLeft_.X || top != topLeft_.Y)
        setTopLeft(left, top);
    InvalidateGrid();
    placeEditor();
}

// ---- scroll bars ----

TScrollBarInfo TStringGrid::ScrollBarInfo(TScrollBarKind bar) const {
    const QScrollBar* b = bar == sbVertical ? verticalScrollBar() : horizontalScrollBar();
    const int page = b->pageStep();
    return {b->minimum(), page > 0 ? b->maximum() + page - 1 : b->maximum(), page, b->value()};
}

void TStringGrid::SetScrollBarInfo(TScrollBarKind bar, const TScrollBarInfo& info) { writeBar(bar, info); }

void TStringGrid::writeBar(TScrollBarKind bar, const TScrollBarInfo& info) {
    QScrollBar* b = bar == sbVertical ? verticalScrollBar() : horizontalScrollBar();
    const int page = std::max(info.Page, 0);
    const int qmax = std::max(info.Min, page > 0 ? info.Max - page + 1 : info.Max);
    b->setRange(info.Min, qmax);
    b->setPageStep(page);
    b->setValue(info.Pos);
}

void TStringGrid::UpdateScrollRange() {
    const bool h = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    const bool v = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    writeBar(sbVertical, {0, v && MaxTopRow() > fixedRows_ ? 127 : 0, 0, 0});
    writeBar(sbHorizontal, {0, h && MaxLeftCol() > fixedCols_ ? 127 : 0, 0, 0});
    UpdateScrollPos();
}

void TStringGrid::UpdateScrollPos() {
    if (trackingBar_ != sbVertical) {
        const int span = MaxTopRow() - fixedRows_;
        verticalScrollBar()->setValue(span > 0 ? MulDiv(topLeft_.Y - fixedRows_, 127, span) : 0);
    }
    if (trackingBar_ != sbHorizontal) {
        const int span = MaxLeftCol() - fixedCols_;
        horizontalScrollBar()->setValue(span > 0 ? MulDiv(topLeft_.X - fixedCols_, 127, span) : 0);
    }
}

void TStringGrid::barAction(TScrollBarKind bar, int action) {
    QScrollBar* b = bar == sbVertical ? verticalScrollBar() : horizontalScrollBar();
    int code;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
        default: return;
    }
    if (code == SB_THUMBTRACK) {
        // The thumb follows the pointer; the bar is not rewritten under it.
        trackingBar_ = bar;
        scrollMessage(bar, code, b->sliderPosition());
        trackingBar_ = -1;
        return;
    }
    const int pos = b->value();
    scrollMessage(bar, code, pos);
    // The slider has already stepped by itself: it shows what the grid made of the message.
    b->setSliderPosition(b->value());
}

void TStringGrid::keyPressEvent(QKeyEvent* event) { forwardKey(event); }

void TStringGrid::keyReleaseEvent(QKeyEvent* event) { forwardKey(event); }

void TStringGrid::forwardKey(QKeyEvent* event) {
    if (event == keyLeftByViewport_) {
        // The viewport left it: it goes on to the grid's parents from here.
        keyLeftByViewport_ = nullptr;
        event->ignore();
        return;
    }
    QCoreApplication::sendEvent(view_, event);
    // Handled by the viewport or already passed on to the parents.
    event->accept();
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        const TScrollBarKind bar = watched == verticalScrollBar() ? sbVertical : sbHorizontal;
        QScrollBar* b = static_cast<QScrollBar*>(watched);
        guarded([&] {
            if (b->isSliderDown()) scrollMessage(bar, SB_THUMBPOSITION, b->sliderPosition());
            scrollMessage(bar, SB_ENDSCROLL, b->value());
        });
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TStringGrid::scrollMessage(TScrollBarKind bar, int code, int pos) {
    if (bar == sbVertical)
        VScrollMessage(code, pos);
    else
        HScrollMessage(code, pos);
}

void TStringGrid::HScrollMessage(int ScrollCode, int Pos) { defaultScroll(sbHorizontal, ScrollCode, Pos); }
void TStringGrid::VScrollMessage(int ScrollCode, int Pos) { defaultScroll(sbVertical, ScrollCode, Pos); }

void TStringGrid::defaultScroll(TScrollBarKind bar, int code, int pos) {
    const bool vert = bar == sbVertical;
    const int fixed = vert ? fixedRows_ : fixedCols_;
    const int maxFirst = vert ? MaxTopRow() : MaxLeftCol();
    const int page = std::max(1, vert ? VisibleRowCount() : VisibleColCount());
    int first = vert ? topLeft_.Y : topLeft_.X;
    switch (code) {
        case SB_LINEUP: --first; break;
        case SB_LINEDOWN: ++first; break;
        case SB_PAGEUP: first -= page; break;
        case SB_PAGEDOWN: first += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            if (code == SB_THUMBPOSITION || options_.contains(goThumbTracking))
                first = fixed + MulDiv(pos, maxFirst - fixed, 127);
            break;
        case SB_TOP: first = fixed; break;
        case SB_BOTTOM: first = maxFirst; break;
        default: break;
    }
    if (vert)
        SetTopRow(first);
    else
        SetLeftCol(first);
    if (code == SB_ENDSCROLL || code == SB_THUMBPOSITION) UpdateScrollPos();
}

bool TStringGrid::viewportEvent(QEvent* event) {
    switch (event->type()) {
        // The viewport control handles these itself.
        case QEvent::Paint:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return false;
        default:
            return QAbstractScrollArea::viewportEvent(event);
    }
}

// The grid scrolls by rows and columns itself; the bars' pixel scrolling does not apply.
void TStringGrid::scrollContentsBy(int, int) {}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    guarded([&] { layoutChanged(); });
}

void TStringGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange) InvalidateGrid();
}

void TStringGrid::wheelEvent(QWheelEvent* event) {
    event->accept();
    wheelRest_ += event->angleDelta().y();
    const TShiftState shift = ShiftStateOf(*event);
    const QPoint pos = event->position().toPoint();
    guarded([&] {
        while (wheelRest_ >= 120) {
            wheelRest_ -= 120;
            DoMouseWheelUp(shift, pos);
        }
        while (wheelRest_ <= -120) {
            wheelRest_ += 120;
            DoMouseWheelDown(shift, pos);
        }
    });
}

bool TStringGrid::DoMouseWheelDown(TShiftState, QPoint) {
    if (current_.Y < RowCount() - 1) SetRow(current_.Y + 1);
    return true;
}

bool TStringGrid::DoMouseWheelUp(TShiftState, QPoint) {
    if (current_.Y > fixedRows_) SetRow(current_.Y - 1);
    return true;
}

// ---- overridable steps ----

bool TStringGrid::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TStringGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TStringGrid::ColWidthsChanged() {}
void TStringGrid::RowHeightsChanged() {}

void TStringGrid::Loaded() {
    layoutChanged();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (defaultDrawing_) Canvas().TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

TGridDrawState TStringGrid::stateOf(int col, int row, const TGridRect& sel, bool focused) const {
    TGridDrawState s;
    if (col < fixedCols_ || row < fixedRows_) return s.include(gdFixed);
    const bool isCurrent = focused && col == current_.X && row == current_.Y;
    if (isCurrent) s.include(gdFocused);
    if (sel.Contains(col, row) &&
        (!isCurrent || options_.contains(goDrawFocusSelected) || options_.contains(goRowSelect)))
        s.include(gdSelected);
    return s;
}

void TStringGrid::Paint() {
    TCanvas& cv = Canvas();
    const int cw = ClientWidth(), ch = ClientHeight();
    const TRect clip = paintRect_.isNull() ? TRect{0, 0, cw, ch} : TRect::fromQRect(paintRect_);
    const bool partial = paintRegion_.rectCount() > 1;
    const bool focused = Focused();
    const TGridRect sel = Selection();
    const TColor fontColor = Font().Color();

    // The visible items of each axis: the fixed ones, then the scrolling ones from the first.
    int lastCol, lastRow;
    visibleEnds(lastCol, lastRow);
    struct Range {
        int lo, hi;
    };
    const Range colRanges[2] = {{0, fixedCols_ - 1}, {topLeft_.X, lastCol}};
    const Range rowRanges[2] = {{0, fixedRows_ - 1}, {topLeft_.Y, lastRow}};

    auto paintBlock = [&](Range rs, Range cs) {
        for (int r = rs.lo; r <= rs.hi; ++r) {
            const int y = rowY(r), h = rows_.Size(r);
            if (y >= clip.Bottom || y + h <= clip.Top) continue;
            for (int c = cs.lo; c <= cs.hi; ++c) {
                const int x = colX(c);
                const TRect rect = mirrored({x, y, x + cols_.Size(c), y + h});
                if (rect.Left >= clip.Right || rect.Right <= clip.Left) continue;
                // Within the bounding rectangle, only the cells the paint renews (a scroll's strip
                // and a few cells apart from it are one rectangle but few cells).
                if (partial && !paintRegion_.intersects(rect.toQRect())) continue;
                const TGridDrawState state = stateOf(c, r, sel, focused);
                if (defaultDrawing_) {
                    const bool selected = state.contains(gdSelected);
                    cv.Brush().SetColor(state.contains(gdFixed) ? fixedColor_ : selected ? clHighlight : color_);
                    cv.Font().SetColor(selected ? clHighlightText : fontColor);
                    cv.FillRect(rect);
                }
                DrawCell(c, r, rect, state);
                if (defaultDrawing_ && state.contains(gdFocused) && !options_.contains(goRowSelect))
                    cv.DrawFocusRect(rect);
            }
        }
    };
    paintBlock(rowRanges[0], colRanges[0]);
    paintBlock(rowRanges[0], colRanges[1]);
    paintBlock(rowRanges[1], colRanges[0]);
    paintBlock(rowRanges[1], colRanges[1]);
    cv.Font().SetColor(fontColor);

    // The lines between the cells, in the fixed area and in the body.
    const int lw = cols_.LineWidth(), lh = rows_.LineWidth();
    auto spanOf = [&](const TGridAxis& a, int fixed, int first, int client, Range r, int& p0, int& p1) {
        if (!axisSpan(a, fixed, first, client, r.lo, r.hi, p0, p1)) return false;
        p1 = std::min(client, p1 + a.LineWidth());
        return true;
    };
    for (int ri = 0; ri < 2; ++ri)
        for (int ci = 0; ci < 2; ++ci) {
            const Range rs = rowRanges[ri], cs = colRanges[ci];
            int x0, x1, y0, y1;
            if (!spanOf(cols_, fixedCols_, topLeft_.X, cw, cs, x0, x1) ||
                !spanOf(rows_, fixedRows_, topLeft_.Y, ch, rs, y0, y1))
                continue;
            const bool fixedArea = ri == 0 || ci == 0;
            const bool vert = options_.contains(fixedArea ? goFixedVertLine : goVertLine);
            const bool horz = options_.contains(fixedArea ? goFixedHorzLine : goHorzLine);
            const TColor gap = fixedArea ? fixedColor_ : color_;
            if (lw > 0) {
                cv.Brush().SetColor(vert ? (fixedArea ? clBlack : clSilver) : gap);
                for (int c = cs.lo; c <= cs.hi; ++c) {
                    const int x = colX(c) + cols_.Size(c);
                    if (x < cw) cv.FillRect(mirrored({x, y0, std::min(x + lw, cw), y1}));
                }
            }
            if (lh > 0) {
                cv.Brush().SetColor(horz ? (fixedArea ? clBlack : clSilver) : gap);
                for (int r = rs.lo; r <= rs.hi; ++r) {
                    const int y = rowY(r) + rows_.Size(r);
                    if (y < ch) cv.FillRect(mirrored({x0, y, x1, std::min(y + lh, ch)}));
                }
            }
        }

    // Beyond the last column and below the last row.
    cv.Brush().SetColor(color_);
    const int xEnd = lastCol >= topLeft_.X ? colX(lastCol) + cols_.Size(lastCol) + lw : FixedColsWidth();
    const int yEnd = lastRow >= topLeft_.Y ? rowY(lastRow) + rows_.Size(lastRow) + lh : FixedRowsHeight();
    if (xEnd < cw) cv.FillRect(mirrored({xEnd, 0, cw, ch}));
    if (yEnd < ch) cv.FillRect(mirrored({0, yEnd, std::min(xEnd, cw), ch}));

    // The line of a running sizing, or the place a moved column or row would land.
    cv.Brush().SetColor(clBlack);
    if (state_ == gsColSizing) {
        cv.FillRect(mirrored({sizingPos_, 0, sizingPos_ + 1, ch}));
    } else if (state_ == gsRowSizing) {
        cv.FillRect({0, sizingPos_, cw, sizingPos_ + 1});
    } else if ((state_ == gsColMoving || state_ == gsRowMoving) && movePos_ >= 0 && movePos_ != moveIndex_) {
        if (state_ == gsColMoving) {
            const int x = movePos_ > moveIndex_ ? colX(movePos_) + cols_.Size(movePos_) : colX(movePos_);
            cv.FillRect(mirrored({x - 1, 0, x + 2, ch}));
        } else {
            const int y = movePos_ > moveIndex_ ? rowY(movePos_) + rows_.Size(movePos_) : rowY(movePos_);
            cv.FillRect({0, y - 1, cw, y + 2});
        }
    }
}

void TStringGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0) return;
    switch (Key) {
        case VK_F2:
            SetEditorMode(!editorMode_);
            Key = 0;
            return;
        case VK_ESCAPE:
            // Esc drops the edit: the cell keeps its text.
            if (editorMode_) {
                endEditor(false, true);
                Key = 0;
            }
            return;
        case VK_RETURN:
            // Its character toggles the editor; the window's default button stays out of it.
            if (options_.contains(goEditing)) Key = 0;
            return;
        default: break;
    }
    uint16_t key = Key;
    if (UseRightToLeftAlignment()) {
        if (key == VK_LEFT)
            key = VK_RIGHT;
        else if (key == VK_RIGHT)
            key = VK_LEFT;
    }
    const bool rowSelect = options_.contains(goRowSelect);
    const bool ctrl = Shift.contains(ssCtrl);
    const int page = std::max(1, VisibleRowCount());
    int col = current_.X, row = current_.Y;
    int left = topLeft_.X, top = topLeft_.Y;
    bool extend = Shift.contains(ssShift) && options_.contains(goRangeSelect);
    switch (key) {
        case VK_UP: --row; break;
        case VK_DOWN: ++row; break;
        case VK_LEFT:
            if (rowSelect) --left; else --col;
            break;
        case VK_RIGHT:
            if (rowSelect) ++left; else ++col;
            break;
        case VK_PRIOR:
            row -= page;
            top -= page;
            break;
        case VK_NEXT:
            row += page;
            top += page;
            break;
        case VK_HOME:
            if (ctrl || rowSelect) row = fixedRows_;
            col = fixedCols_;
            break;
        case VK_END:
            if (ctrl || rowSelect) row = RowCount() - 1;
            col = ColCount() - 1;
            break;
        case VK_TAB:
            if (!options_.contains(goTabs) || Shift.contains(ssAlt)) return;
            extend = false;
            // Tab runs along the row and wraps to the next (Shift+Tab: the previous) row.
            if (Shift.contains(ssShift)) {
                if (--col < fixedCols_) {
                    col = ColCount() - 1;
                    if (--row < fixedRows_) row = RowCount() - 1;
                }
            } else if (++col >= ColCount()) {
                col = fixedCols_;
                if (++row >= RowCount()) row = fixedRows_;
            }
            break;
        default: return;
    }
    col = clampInt(col, fixedCols_, ColCount() - 1);
    row = clampInt(row, fixedRows_, RowCount() - 1);
    if (left != topLeft_.X) SetLeftCol(left);
    if (top != topLeft_.Y) SetTopRow(top);
    if (col != current_.X || row != current_.Y) FocusCell(col, row, !extend);
}

void TStringGrid::DoKeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key == QChar(13) && options_.contains(goEditing) && !options_.contains(goAlwaysShowEditor)) {
        SetEditorMode(!editorMode_);
        Key = QChar(0);
    }
}

void TStringGrid::CharTyped(QChar ch) {
    const char16_t c = ch.unicode();
    if (options_.contains(goEditing) && (c == 8 || (c >= 32 && c != 127))) {
        ShowEditorChar(ch);
        return;
    }
    DoKeyPress(ch);
}

// ---- in-place editor ----

TInplaceEdit* TStringGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TStringGrid::CanEditShow() {
    if (!options_.contains(goEditing) || options_.contains(goRowSelect)) return false;
    const bool always = options_.contains(goAlwaysShowEditor);
    if (!editorMode_ && !always) return false;
    if (!isVisible()) return false;
    return always || Focused() || (editor_ && editor_->hasFocus());
}

bool TStringGrid::CanEditModify() { return true; }
bool TStringGrid::CanEditAcceptKey(QChar) { return true; }

QString TStringGrid::GetEditText(int ACol, int ARow) {
    QString value = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    if (Cells(ACol, ARow) == Value) return;
    SetCells(ACol, ARow, Value);
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

QString TStringGrid::GetEditMask(int ACol, int ARow) {
    QString mask;
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, mask);
    return mask;
}

int TStringGrid::GetEditLimit() { return 0; }

void TStringGrid::SetEditorMode(bool on) {
    if (on)
        ShowEditor();
    else
        HideEditor();
}

namespace {
// Sets a flag for the length of a scope, also when it is left by an exception.
struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
};
}  // namespace

void TStringGrid::ShowEditor() {
    if (editorBusy_ || destroying_) return;
    const bool wasMode = editorMode_;
    editorMode_ = true;
    if (!CanEditShow()) {
        editorMode_ = wasMode && editor_ && editor_->isVisible();
        return;
    }
    if (!editor_) editor_ = CreateEditor();
    if (wasMode && editor_->isVisible() && editorCell_ == current_) {
        editor_->setFocus(Qt::OtherFocusReason);
        return;
    }
    const TRect r = CellRect(current_.X, current_.Y);
    if (r.IsEmpty()) {
        editorMode_ = false;
        return;
    }
    FlagScope busy(editorBusy_);
    try {
        editorCell_ = current_;
        editor_->UpdateContents();
        editor_->Move(r);
        editor_->SelectAll();
        // An editor always shown takes the focus only from its own grid.
        if (!options_.contains(goAlwaysShowEditor) || Focused()) editor_->setFocus(Qt::OtherFocusReason);
    } catch (...) {
        // A cell that cannot be loaded (a bad mask, a raising handler) is not edited.
        editorMode_ = false;
        if (editor_->hasFocus()) view_->setFocus(Qt::OtherFocusReason);
        editor_->hide();
        throw;
    }
    InvalidateCell(current_.X, current_.Y);
}

void TStringGrid::ShowEditorChar(QChar ch) {
    // An edit still open on the cell (the focus went to the cells by a click on a header or a bar)
    // goes on where it was; a new one starts from the typed character alone.
    const bool open = editorMode_ && editor_ && editor_->isVisible() && editorCell_ == current_;
    ShowEditor();
    if (!editorMode_ || !editor_ || !editor_->isVisible()) return;
    if (!open) editor_->SelectAll();
    // The character is the editor's first keystroke: it takes the editor's whole character road
    // (the grid's DoKeyPress, CanEditAcceptKey and its beep, the editor's own rules) once, as any
    // character typed into the editor does.
    SendCharacter(editor_, ch, LastKeyOnKeypad());
}

bool TStringGrid::LastKeyOnKeypad() const { return view_->LastKeyOnKeypad(); }

void TStringGrid::HideEditor() { endEditor(true, true); }

void TStringGrid::endEditor(bool write, bool refocus) {
    if (editorBusy_ || destroying_) return;
    if (!editor_) {
        editorMode_ = false;
        return;
    }
    if (!editorMode_ && !editor_->isVisible()) return;
    // The text goes into the cell first: a write that raises leaves the editor open with it.
    if (write && editor_->Modified() && editorCell_.X >= 0 && editorCell_.Y >= 0 && editorCell_.Y < RowCount()) {
        SetEditText(editorCell_.X, editorCell_.Y, editor_->Text());
        editor_->SetModified(false);
    }
    FlagScope busy(editorBusy_);
    editorMode_ = false;
    if (refocus && editor_->hasFocus()) view_->setFocus(Qt::OtherFocusReason);
    editor_->hide();
    InvalidateCell(editorCell_.X, editorCell_.Y);
}

void TStringGrid::placeEditor() {
    if (!editor_ || !editorMode_ || editorBusy_) return;
    const TRect r = CellRect(editorCell_.X, editorCell_.Y);
    if (r.IsEmpty())
        endEditor(true, true);
    else
        editor_->Move(r);
}

// ---- sizing, moving, drag scrolling ----

void TStringGrid::SetGridState(TGridState state) {
    if (state == state_) return;
    const bool hadLine = state_ >= gsRowSizing;
    state_ = state;
    if (state != gsSelecting) scrollTimer_.SetEnabled(false);
    if (hadLine) InvalidateGrid();
}

void TStringGrid::CalcDrawInfo(TGridDrawInfo& info) const {
    int lastCol, lastRow;
    visibleEnds(lastCol, lastRow);
    auto fill = [](TGridAxisDrawInfo& a, const TGridAxis& axis, int fixed, int first, int client, int fullVis) {
        a.EffectiveLineWidth = axis.LineWidth();
        a.FixedCellCount = fixed;
        a.FixedBoundary = int(std::min<int64_t>(axis.Start(fixed), client));
        a.FirstGridCell = first;
        a.GridCellCount = axis.Count();
        a.GridExtent = client;
        a.LastFullVisibleCell = first + fullVis - 1;
        const int64_t end = axis.Start(fixed) + axis.Start(first + fullVis) - axis.Start(first);
        a.GridBoundary = int(std::min<int64_t>(end, client));
    };
    fill(info.Horz, cols_, fixedCols_, topLeft_.X, ClientWidth(), VisibleColCount());
    fill(info.Vert, rows_, fixedRows_, topLeft_.Y, ClientHeight(), VisibleRowCount());
}

void TStringGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo) {
    State = gsNormal;
    Index = -1;
    X = screenX(X);  // measured left to right from here on
    int lastCol, lastRow;
    visibleEnds(lastCol, lastRow);
    // The border after the nearest visible item within reach of pos.
    auto nearest = [&](int pos, int fixed, int first, int last, auto start, const TGridAxis& axis, int& border) {
        int best = -1, dist = kSizingSlack + 1;
        auto consider = [&](int i) {
            const int b = start(i) + axis.Size(i);
            const int d = std::abs(pos - b);
            if (d <= dist) {
                best = i;
                dist = d;
                border = b;
            }
        };
        for (int i = 0; i < fixed; ++i) consider(i);
        for (int i = first; i <= last; ++i) consider(i);
        return best;
    };
    if (options_.contains(goColSizing) && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary) {
        int border = 0;
        const int c = nearest(X, fixedCols_, topLeft_.X, lastCol, [this](int i) { return colX(i); }, cols_, border);
        if (c >= 0) {
            State = gsColSizing;
            Index = c;
            SizingPos = border;
            SizingOfs = border - X;
            return;
        }
    }
    if (options_.contains(goRowSizing) && X >= 0 && X < FixedInfo.Horz.FixedBoundary) {
        int border = 0;
        const int r = nearest(Y, fixedRows_, topLeft_.Y, lastRow, [this](int i) { return rowY(i); }, rows_, border);
        if (r >= 0) {
            State = gsRowSizing;
            Index = r;
            SizingPos = border;
            SizingOfs = border - Y;
        }
    }
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TStringGrid::scrollTick() {
    if (state_ != gsSelecting) {
        scrollTimer_.SetEnabled(false);
        return;
    }
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int x = screenX(dragPos_.x()), y = dragPos_.y();
    const TGridCoord under = MouseCoord(dragPos_.x(), y);
    int col = under.X >= fixedCols_ ? under.X : current_.X;
    int row = under.Y >= fixedRows_ ? under.Y : current_.Y;
    // One row or column towards the pointer per tick, the selection following to the edge.
    if (y >= info.Vert.GridBoundary) {
        SetTopRow(topLeft_.Y + 1);
        row = std::min(RowCount() - 1, topLeft_.Y + std::max(1, VisibleRowCount()) - 1);
    } else if (y < info.Vert.FixedBoundary) {
        SetTopRow(topLeft_.Y - 1);
        row = topLeft_.Y;
    }
    if (x >= info.Horz.GridBoundary) {
        SetLeftCol(topLeft_.X + 1);
        col = std::min(ColCount() - 1, topLeft_.X + std::max(1, VisibleColCount()) - 1);
    } else if (x < info.Horz.FixedBoundary) {
        SetLeftCol(topLeft_.X - 1);
        col = topLeft_.X;
    }
    if ((col != current_.X || row != current_.Y) && SelectCell(col, row))
        MoveCurrent(col, row, !options_.contains(goRangeSelect), true);
}

void TStringGrid::endDrag() {
    scrollTimer_.SetEnabled(false);
    moveIndex_ = movePos_ = sizingIndex_ = -1;
    SetGridState(gsNormal);
}

void TStringGrid::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        TGridDrawInfo info;
        CalcDrawInfo(info);
        TGridState st = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, st, index, pos, ofs, info);
        const TGridCoord cell = MouseCoord(X, Y);
        if (st == gsColSizing || st == gsRowSizing) {
            state_ = st;
            sizingIndex_ = index;
            sizingPos_ = pos;
            sizingOfs_ = ofs;
            InvalidateGrid();
        } else if (options_.contains(goColMoving) && cell.X >= fixedCols_ && cell.Y >= 0 && cell.Y < fixedRows_) {
            state_ = gsColMoving;
            moveIndex_ = movePos_ = cell.X;
        } else if (options_.contains(goRowMoving) && cell.Y >= fixedRows_ && cell.X >= 0 && cell.X < fixedCols_) {
            state_ = gsRowMoving;
            moveIndex_ = movePos_ = cell.Y;
        } else if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
            const bool onCurrent = cell.X == current_.X && cell.Y == current_.Y;
            if (onCurrent && options_.contains(goEditing) && !Shift.contains(ssShift)) {
                // A click on the current cell edits it; keys typed next go to the editor at once.
                if (!editorMode_) ShowEditor();
            } else {
                // A click elsewhere ends the edit with its text kept.
                if (editorMode_ && !onCurrent) HideEditor();
                if (Shift.contains(ssShift) && options_.contains(goRangeSelect)) {
                    if (SelectCell(cell.X, cell.Y)) MoveCurrent(cell.X, cell.Y, false, true);
                } else {
                    FocusCell(cell.X, cell.Y, true);
                }
                state_ = gsSelecting;
                dragPos_ = QPoint(X, Y);
            }
        }
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
    const int lx = screenX(X);
    switch (state_) {
        case gsSelecting:
            if (Shift.contains(ssLeft)) {
                dragPos_ = QPoint(X, Y);
                const TGridCoord cell = MouseCoord(X, Y);
                if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && (cell.X != current_.X || cell.Y != current_.Y) &&
                    SelectCell(cell.X, cell.Y))
                    MoveCurrent(cell.X, cell.Y, !options_.contains(goRangeSelect), true);
                // Beyond the cells the timer scrolls towards the pointer.
                TGridDrawInfo info;
                CalcDrawInfo(info);
                const bool outside = Y >= info.Vert.GridBoundary || Y < info.Vert.FixedBoundary ||
                                     lx >= info.Horz.GridBoundary || lx < info.Horz.FixedBoundary;
                scrollTimer_.SetEnabled(outside);
            }
            break;
        case gsColSizing:
        case gsRowSizing:
            sizingPos_ = (state_ == gsColSizing ? lx : Y) + sizingOfs_;
            InvalidateGrid();
            break;
        case gsColMoving:
        case gsRowMoving: {
            const TGridCoord cell = MouseCoord(X, Y);
            const int at = state_ == gsColMoving ? cell.X : cell.Y;
            const int fixed = state_ == gsColMoving ? fixedCols_ : fixedRows_;
            if (at >= fixed && at != movePos_) {
                movePos_ = at;
                InvalidateGrid();
            }
            break;
        }
        case gsNormal: {
            TGridDrawInfo info;
            CalcDrawInfo(info);
            TGridState st = gsNormal;
            int index, pos, ofs;
            CalcSizingState(X, Y, st, index, pos, ofs, info);
            if (st == gsColSizing)
                view_->setCursor(Qt::SplitHCursor);
            else if (st == gsRowSizing)
                view_->setCursor(Qt::SplitVCursor);
            else
                view_->unsetCursor();
            break;
        }
    }
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TStringGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState st = state_;
    const int index = st == gsColSizing || st == gsRowSizing ? sizingIndex_ : moveIndex_;
    const int pos = st == gsColSizing || st == gsRowSizing ? sizingPos_ : movePos_;
    // The state is normal again before the new size or place calls the descendant's steps.
    endDrag();
    switch (st) {
        case gsColSizing:
            if (index >= 0 && index < ColCount()) {
                const int size = pos - colX(index);
                if (size > 1) SetColWidths(index, size);
            }
            break;
        case gsRowSizing:
            if (index >= 0 && index < RowCount()) {
                const int size = pos - rowY(index);
                if (size > 1) SetRowHeights(index, size);
            }
            break;
        case gsColMoving:
            if (index >= 0 && pos >= 0 && index != pos) {
                MoveColumn(index, pos);
                ColumnMoved(index, pos);
            }
            break;
        case gsRowMoving:
            if (index >= 0 && pos >= 0 && index != pos) {
                MoveRow(index, pos);
                RowMoved(index, pos);
            }
            break;
        default: break;
    }
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TStringGrid::Click() {
    if (OnClick) OnClick(this);
}

void TStringGrid::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TStringGrid::DoEnter() {
    InvalidateCell(current_.X, current_.Y);
    if (options_.contains(goAlwaysShowEditor)) ShowEditor();
    if (OnEnter) OnEnter(this);
}

void TStringGrid::DoExit() {
    InvalidateCell(current_.X, current_.Y);
    endDrag();
    if (OnExit) OnExit(this);
}

}  // namespace plat
