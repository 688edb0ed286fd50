// Moving columns and rows, inserting and removing columns, the column order, bringing a cell into
// view and hiding the selection; grouping a table on a column into node rows with summary rows, and
// the group and column statistics; row and cell colours; the plain sort the grouping runs first.
#include "grid/ExGrid.h"
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"

#include <QStyle>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <string_view>

namespace {

// Runs its step when the scope ends, also on an exception.
template <class F>
struct Finally {
    F f;
    ~Finally() { f(); }
};
template <class F>
Finally(F) -> Finally<F>;

// Both texts numbers: compared as numbers; else compared as text.
bool numberOf(const QString& s, double& v) {
    bool ok = false;
    v = s.trimmed().toDouble(&ok);
    return ok;
}

// The sort's text compare: with case, the UTF-16 code units in order, as QString::compare has it,
// inline; without case through Qt.
int compareTexts(const QString& a, const QString& b, Qt::CaseSensitivity cs) {
    if (cs == Qt::CaseInsensitive) return QString::compare(a, b, cs);
    const auto view = [](const QString& s) {
        return std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
    };
    return view(a).compare(view(b));
}

// Rows sorted by a column sit in memory in their old order: a pass in row order asks for the texts
// a few rows ahead, so that their cache misses overlap instead of following one another.
constexpr size_t kAhead = 8;
inline void prefetchText(const QString& s) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(s.constData());
#else
    (void)s;
#endif
}

// The order a stable sort by the cell-format compare gives rows with these keys, found in time
// linear in the rows: rows with the same text share a bucket, only the distinct texts are sorted,
// and texts that compare equal share a rank, so a stable counting sort by rank keeps their rows in
// their old order among each other, as the stable sort does. That order is the stable sort's only
// when the compare is a strict weak order on these keys; where it may not be (a NaN, or texts
// comparing with numbers as text while sorting between them), this answers false and the caller
// sorts. keyOf(i) is row i's key, which stays where it is while this runs; share(i, text) is
// called for every row i whose key, not empty, is the same text as an earlier row's, while that
// row's key is still in the cache.
template <class KeyOf, class Share>
bool bucketedOrder(size_t n, KeyOf&& keyOf, TSortStyle style, bool down, std::vector<size_t>& order, Share&& share) {
    std::vector<const QString*> texts;  // the distinct ones, by first row
    std::vector<uint32_t> textOf(n);
    // The distinct texts by hash, in open addressing over a power-of-two table of (hash, text)
    // pairs: a lookup reads one small array and compares texts only where the hashes agree.
    struct Slot {
        uint32_t hash;
        uint32_t text;  // kFree: empty
    };
    constexpr uint32_t kFree = UINT32_MAX;
    std::vector<Slot> table(64, Slot{0, kFree});
    size_t mask = table.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) prefetchText(keyOf(i + kAhead));
        const QString& key = keyOf(i);
        const uint32_t h = uint32_t(qHash(QStringView(key)));
        size_t at = h & mask;
        while (table[at].text != kFree && (table[at].hash != h || *texts[table[at].text] != key)) at = (at + 1) & mask;
        if (table[at].text == kFree) {
            table[at] = {h, uint32_t(texts.size())};
            texts.push_back(&key);
            if (2 * texts.size() > table.size()) {  // at most half full
                std::vector<Slot> bigger(2 * table.size(), Slot{0, kFree});
                mask = bigger.size() - 1;
                for (const Slot& e : table) {
                    if (e.text == kFree) continue;
                    size_t b = e.hash & mask;
                    while (bigger[b].text != kFree) b = (b + 1) & mask;
                    bigger[b] = e;
                }
                table.swap(bigger);
            }
            textOf[i] = uint32_t(texts.size() - 1);
        } else {
            textOf[i] = table[at].text;
            if (!key.isEmpty()) share(i, *texts[textOf[i]]);
        }
    }
    const size_t d = texts.size();
    std::vector<double> nums(d);
    std::vector<char> isNum(d, 0);
    size_t numbers = 0;
    if (style == ssAutomatic)
        for (size_t t = 0; t < d; ++t)
            if (numberOf(*texts[t], nums[t])) {
                if (std::isnan(nums[t])) return false;
                isNum[t] = 1;
                ++numbers;
            }
    const Qt::CaseSensitivity cs = style == ssAlphaNoCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (numbers > 0 && numbers < d) {
        // A text meets a number as text: the order stays strict weak when every text sorts below the
        // lowest number's text or above the highest one (empty cells beside numbers, say).
        const QString *lo = nullptr, *hi = nullptr;
        for (size_t t = 0; t < d; ++t) {
            if (!isNum[t]) continue;
            if (!lo || compareTexts(*texts[t], *lo, cs) < 0) lo = texts[t];
            if (!hi || compareTexts(*texts[t], *hi, cs) > 0) hi = texts[t];
        }
        for (size_t t = 0; t < d; ++t)
            if (!isNum[t] && compareTexts(*texts[t], *lo, cs) >= 0 && compareTexts(*texts[t], *hi, cs) <= 0)
                return false;
    }
    auto less = [&](uint32_t a, uint32_t b) {
        if (isNum[a] && isNum[b]) return nums[a] < nums[b];
        return compareTexts(*texts[a], *texts[b], cs) < 0;
    };
    std::vector<uint32_t> sorted(d);
    std::iota(sorted.begin(), sorted.end(), uint32_t(0));
    std::sort(sorted.begin(), sorted.end(), less);
    std::vector<uint32_t> rank(d);
    uint32_t ranks = 0;
    for (size_t k = 0; k < d; ++k) {
        if (k == 0 || less(sorted[k - 1], sorted[k])) ++ranks;
        rank[sorted[k]] = ranks - 1;
    }
    if (down)
        for (uint32_t& r : rank) r = ranks - 1 - r;
    std::vector<size_t> next(size_t(ranks) + 1, 0);
    for (size_t i = 0; i < n; ++i) ++next[rank[textOf[i]] + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    order.resize(n);
    for (size_t i = 0; i < n; ++i) order[next[rank[textOf[i]]]++] = i;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- columns

void TExStringGrid::HandleColumnMoved(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount() || FromIndex == ToIndex)
        return;
    const int rf = RealColIndex(FromIndex), rt = RealColIndex(ToIndex);
    if (FNumHidden == 0) {
        TStringGrid::MoveColumn(FromIndex, ToIndex);
    } else {
        // Hidden columns sit between the display columns: the cells move by real column, the
        // widths by display column.
        const int step = rf < rt ? 1 : -1;
        for (int r = 0; r < RowCount(); ++r) {
            QString text = GridCells(rf, r);
            std::unique_ptr<TCellProperties> props = SetGridObject(rf, r, nullptr);
            for (int c = rf; c != rt; c += step) {
                SetGridCells(c, r, GridCells(c + step, r));
                SetGridObject(c, r, SetGridObject(c + step, r, nullptr));
            }
            SetGridCells(rt, r, text);
            SetGridObject(rt, r, std::move(props));
        }
        std::vector<int> widths(static_cast<size_t>(ColCount()));
        for (int c = 0; c < ColCount(); ++c) widths[size_t(c)] = ColWidths(c);
        const int w = widths[size_t(FromIndex)];
        widths.erase(widths.begin() + FromIndex);
        widths.insert(widths.begin() + ToIndex, w);
        for (int c = 0; c < ColCount(); ++c) SetColWidths(c, widths[size_t(c)]);
        if (rf < 512 && rt < 512) {
            auto rotate = [&](auto& arr) {
                if (rf < rt)
                    std::rotate(arr.begin() + rf, arr.begin() + rf + 1, arr.begin() + rt + 1);
                else
                    std::rotate(arr.begin() + rt, arr.begin() + rf, arr.begin() + rf + 1);
            };
            rotate(FVisibleCol);
            rotate(FAllColWidths);
            rebuildColumnMaps();
        }
    }
    if (rf < int(FColumnOrder.size()) && rt < int(FColumnOrder.size())) {
        const int entry = FColumnOrder[size_t(rf)];
        FColumnOrder.erase(FColumnOrder.begin() + rf);
        FColumnOrder.insert(FColumnOrder.begin() + rt, entry);
    }
    FMovedRealFrom = rf;
    FMovedRealTo = rt;
    ColumnMoved(FromIndex, ToIndex);
    FMovedRealFrom = FMovedRealTo = -1;
    RepaintGrid();
}

void TExStringGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount()) return;
    if (FColumnOrder.empty()) SetColumnOrder();
    HandleColumnMoved(FromIndex, ToIndex);
    if (FControlList->Count() > 0) CellControlsUpdate(true);
}

void TExStringGrid::ResetColumnOrder() {
    UnHideColumnsAll();
    if (FColumnOrder.empty()) {
        SetColumnOrder();
        return;
    }
    for (bool moved = true; moved;) {
        moved = false;
        for (int i = 0; i < int(FColumnOrder.size()) && i < ColCount(); ++i) {
            const int entry = FColumnOrder[size_t(i)];
            if (entry < i && entry >= 0) {
                MoveColumn(i, entry);
                moved = true;
            }
        }
    }
}

void TExStringGrid::InsertCols(int ColIndex, int CCount) {
    if (CCount <= 0 || ColIndex < 0 || ColIndex > TotalColCount()) return;
    // Only real columns below 512 can be hidden: a hidden one pushed there would lose its flag
    // while the grid still counted it hidden.
    for (int c = ColIndex; c < kMaxHideCol; ++c)
        if (!FVisibleCol[size_t(c)] && int64_t(c) + CCount >= kMaxHideCol)
            throw EExGridError(QStringLiteral("Cannot insert %1 columns at %2: hidden column %3 would move beyond column %4")
                                   .arg(CCount)
                                   .arg(ColIndex)
                                   .arg(c)
                                   .arg(kMaxHideCol - 1));
    if (EditorMode()) HideEditor();
    const int d = ColIndex >= TotalColCount() ? ColCount() : DisplColIndex(ColIndex);
    if (FNumHidden == 0) {
        const int first = ColCount();
        TBaseGrid::SetColCount(ColCount() + CCount);
        // Whatever an earlier shrink left behind in the new columns goes.
        for (int c = first; c < ColCount(); ++c) ClearColumnData(c);
        for (int i = 0; i < CCount; ++i) TStringGrid::MoveColumn(ColCount() - 1, ColIndex + i);
    } else {
        const int total = TotalColCount();
        std::vector<int> widths(static_cast<size_t>(ColCount()));
        for (int c = 0; c < ColCount(); ++c) widths[size_t(c)] = ColWidths(c);
        widths.insert(widths.begin() + d, size_t(CCount), DefaultColWidth());
        TBaseGrid::SetColCount(ColCount() + CCount);
        for (int r = 0; r < RowCount(); ++r) {
            for (int c = total - 1; c >= ColIndex; --c) {
                SetGridCells(c + CCount, r, GridCells(c, r));
                SetGridObject(c + CCount, r, SetGridObject(c, r, nullptr));
            }
            for (int c = ColIndex; c < ColIndex + CCount; ++c) SetGridCells(c, r, QString());
        }
        for (int c = 0; c < ColCount(); ++c) SetColWidths(c, widths[size_t(c)]);
    }
    // Flags and kept widths of the real columns move right with their columns.
    for (int c = 511; c >= ColIndex && c < 512; --c) {
        const int to = c + CCount;
        if (to < 512) {
            FVisibleCol[size_t(to)] = FVisibleCol[size_t(c)];
            FAllColWidths[size_t(to)] = FAllColWidths[size_t(c)];
        }
    }
    for (int c = ColIndex; c < ColIndex + CCount && c < 512; ++c) {
        FVisibleCol[size_t(c)] = true;
        FAllColWidths[size_t(c)] = int16_t(DefaultColWidth());
    }
    rebuildColumnMaps();
    if (FControlList->Count() > 0) CellControlsUpdate(true);
    RepaintGrid();
}

void TExStringGrid::RemoveCols(int ColIndex, int CCount) {
    if (ColIndex < 0 || CCount <= 0 || ColIndex >= TotalColCount()) return;
    CCount = std::min(CCount, TotalColCount() - ColIndex);
    if (EditorMode()) HideEditor();
    if (FNumHidden == 0) {
        for (int i = 0; i < CCount && ColCount() > 1; ++i) TStringGrid::DeleteColumn(ColIndex);
    } else {
        int visibleGone = 0;
        std::vector<int> widths;
        for (int c = 0; c < ColCount(); ++c) {
            const int real = RealColIndex(c);
            if (real >= ColIndex && real < ColIndex + CCount)
                ++visibleGone;
            else
                widths.push_back(ColWidths(c));
        }
        const int total = TotalColCount();
        for (int r = 0; r < RowCount(); ++r) {
            for (int c = ColIndex; c + CCount < total; ++c) {
                SetGridCells(c, r, GridCells(c + CCount, r));
                SetGridObject(c, r, SetGridObject(c + CCount, r, nullptr));
            }
            for (int c = std::max(ColIndex, total - CCount); c < total; ++c) {
                SetGridCells(c, r, QString());
                SetGridObject(c, r, nullptr);
            }
        }
        FNumHidden -= CCount - visibleGone;
        TBaseGrid::SetColCount(std::max(1, ColCount() - visibleGone));
        for (int c = 0; c < ColCount() && c < int(widths.size()); ++c) SetColWidths(c, widths[size_t(c)]);
    }
    for (int c = ColIndex; c < 512; ++c) {
        const int from = c + CCount;
        FVisibleCol[size_t(c)] = from < 512 ? FVisibleCol[size_t(from)] : true;
        FAllColWidths[size_t(c)] = from < 512 ? FAllColWidths[size_t(from)] : int16_t(DefaultColWidth());
    }
    rebuildColumnMaps();
    if (FControlList->Count() > 0) CellControlsUpdate(true);
    RepaintGrid();
    CellsChanged({ColIndex, 0, ColIndex + CCount, RowCount() - 1});
}

// ---------------------------------------------------------------- rows

void TExStringGrid::HandleRowMoved(int FromIndex, int ToIndex) {
    TStringGrid::MoveRow(FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
}

void TExStringGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= RowCount() || ToIndex >= RowCount() || FromIndex == ToIndex)
        return;
    HandleRowMoved(FromIndex, ToIndex);
    if (FControlList->Count() > 0) CellControlsUpdate(true);
    RepaintGrid();
}

void TExStringGrid::MoveRows(int FromIndex, int ToIndex, int Count) {
    if (FromIndex == ToIndex || Count <= 0 || FromIndex < 0 || ToIndex < 0 || ToIndex > RowCount() ||
        int64_t(FromIndex) + Count > RowCount() || Count >= RowCount())
        return;
    int target = ToIndex > FromIndex + Count ? ToIndex - Count : ToIndex;
    target = std::min(target, RowCount() - Count);
    std::vector<int> heights;
    auto records = TakeRowRecords(FromIndex, Count, heights);
    InsertRowRecords(target, std::move(records), heights);
    if (FControlList->Count() > 0) CellControlsUpdate(true);
    RepaintGrid();
}

// ---------------------------------------------------------------- view and selection

void TExStringGrid::ScrollInView(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    int left = LeftCol(), top = TopRow();
    const int visCols = VisibleColCount(), visRows = VisibleRowCount();
    if (ACol < LeftCol() || ACol >= LeftCol() + visCols) {
        SetCol(ACol);
        left = std::max(ACol - visCols / 2, FixedCols());
    }
    if (ARow < TopRow() || ARow >= TopRow() + visRows) {
        SetRow(ARow);
        top = std::max(ARow - visRows / 2, FixedRows());
    }
    left = std::min(left, ColCount() - visCols + 1);
    if (FixedCols() + visCols < ColCount()) SetLeftCol(std::clamp(left, FixedCols(), MaxLeftCol()));
    top = std::min(top, RowCount() - visRows + 1);
    if (FixedRows() + visRows >= RowCount()) return;
    TStringGrid::SetTopRow(std::clamp(top, FixedRows(), MaxTopRow()));
    if (FSearchFooter->Visible() && FSearchPanel) {
        int limit = height() - FSearchPanel->height();
        if (visCols < ColCount()) limit -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        while (TStringGrid::CellRect(ACol, ARow).Bottom > limit && TopRow() < MaxTopRow())
            TStringGrid::SetTopRow(TopRow() + 1);
    }
}

void TExStringGrid::HideSelection() {
    FOldSelection = Selection();
    // The base grid keeps its selection inside the cells: the nearest it comes to "outside" is the
    // last cell.
    SetSelection({ColCount(), RowCount(), ColCount(), RowCount()});
    FSelHidden = true;
}

void TExStringGrid::UnHideSelection() {
    FSelHidden = false;
    if (FOldSelection.Top < RowCount() && FOldSelection.Left < ColCount()) {
        SetSelection(FOldSelection);
        return;
    }
    const int top = FFixedRowAlways && FixedRows() == RowCount() ? 0 : FixedRows();
    const int left = FFixedColAlways && FixedCols() == ColCount() ? 0 : FixedCols();
    SetSelection({left, top, left, top});
}

// ---------------------------------------------------------------- colours

void TExStringGrid::colourCells(int ACol, int ARow, int Which, TColor AColor) {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= TotalColCount()) return;
    // Clearing never creates properties.
    if (AColor == plat::clNone && !CellHasProperties(ACol, ARow)) return;
    TCellProperties* p = GetCellProperties(ACol, ARow);
    switch (Which) {
    case 0: p->SetBrushColor(AColor); break;
    case 1: p->SetBrushColorTo(AColor); break;
    default: p->SetFontColor(AColor); break;
    }
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TExStringGrid::SetColors(int ACol, int ARow, TColor AColor) { colourCells(ACol, ARow, 0, AColor); }
void TExStringGrid::SetColorsTo(int ACol, int ARow, TColor AColor) { colourCells(ACol, ARow, 1, AColor); }
void TExStringGrid::SetFontColors(int ACol, int ARow, TColor AColor) { colourCells(ACol, ARow, 2, AColor); }
// A header or summary row in its grouping colours; clNone leaves a colour alone.
void TExStringGrid::colourGroupRow(int ARow, bool Header) {
    const TGrouping& g = *FGrouping;
    const TColor from = Header ? g.HeaderColor() : g.SummaryColor();
    const TColor to = Header ? g.HeaderColorTo() : g.SummaryColorTo();
    const TColor text = Header ? g.HeaderTextColor() : g.SummaryTextColor();
    if (from != plat::clNone) SetRowColor(ARow, from);
    if (to != plat::clNone) SetRowColorTo(ARow, to);
    if (text != plat::clNone) SetRowFontColor(ARow, text);
}

// ---------------------------------------------------------------- sorting

void TExStringGrid::QSort() {
    const int col = FSortSettings->Column();
    const int first = FixedRows(), last = RowCount() - FFixedFooters;  // normal rows first .. last - 1
    if (col < 0 || col >= TotalColCount() || last - first < 2) return;
    TSortStyle style = ssAutomatic;
    QString prefix, suffix;
    GetCellFormat(col, style, prefix, suffix);
    // One extra row below keeps the fixed rows while the normal rows are out.
    InsertRowRecords(RowCount(), std::vector<plat::TGridStore::TRowRecord>(1), {DefaultRowHeight()});
    std::vector<int> heights;
    auto records = TakeRowRecords(first, last - first, heights);
    const size_t n = records.size();
    // The records stay put while out of the store, and their keys with them.
    const auto keyOf = [&](size_t i) -> const QString& { return records[i].Cell(col); };
    const bool down = FSortSettings->Direction() == sdDescending;
    std::vector<size_t> order;
    // Rows with the same key share one text from here on: the passes after a sort (a grouping's
    // runs, the removal of its column) then meet a few texts in the cache instead of one per row
    // wherever it lies. The values stay as they were.
    const auto share = [&](size_t i, const QString& text) { records[i].SetCell(col, text); };
    if (!bucketedOrder(n, keyOf, style, down, order, share)) {
        std::vector<double> nums(n);
        std::vector<char> isNum(n);
        for (size_t i = 0; i < n; ++i) isNum[i] = style == ssAutomatic && numberOf(keyOf(i), nums[i]);
        order.resize(n);
        std::iota(order.begin(), order.end(), size_t(0));
        auto less = [&](size_t a, size_t b) {
            if (isNum[a] && isNum[b]) return nums[a] < nums[b];
            const Qt::CaseSensitivity cs = style == ssAlphaNoCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
            return compareTexts(keyOf(a), keyOf(b), cs) < 0;
        };
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return down ? less(b, a) : less(a, b); });
    }
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i) moved = order[i] != i;
    std::vector<int> sortedHeights(n);
    for (size_t i = 0; i < n; ++i) sortedHeights[i] = heights[order[i]];
    // Passes over the rows (the grouping after this sort, drawing, filters) should read memory in
    // order: the rows' contents move between the records, which stay where the rows were, or,
    // where records differ in room, the records move and then into fresh memory in row order.
    if (!moved || plat::TGridStore::PermuteRecords(records, order)) {
        InsertRowRecords(first, std::move(records), sortedHeights);
        TakeRowRecords(RowCount() - 1, 1, heights);
    } else {
        std::vector<plat::TGridStore::TRowRecord> sorted;
        sorted.reserve(n);
        for (size_t i = 0; i < n; ++i) sorted.push_back(std::move(records[order[i]]));
        InsertRowRecords(first, std::move(sorted), sortedHeights);
        TakeRowRecords(RowCount() - 1, 1, heights);
        CompactRows(first, int(n));
    }
    // The controls' rows follow their cells' properties.
    if (FControlList->Count() > 0) CellControlsUpdate(true);
    RepaintGrid();
}

// ---------------------------------------------------------------- grouping

void TExStringGrid::SetGroupColumn(int32_t Value) {
    if (Value == -1)
        UnGroup();
    else if (Value > 0)
        Group(Value);
}

void TExStringGrid::Group(int ACol) {

    if (ACol < FixedCols() || ACol >= TotalColCount()) return;
    if (FGroupColumn != -1) UnGroup();
    if (RowCount() <= FixedRows()) return;
    BeginUpdate();
    FIsGrouping = true;
    Finally done{[this] {
        FIsGrouping = false;
        EndUpdate();
        if (FSearchFooter->Visible() && FSearchPanel) {
            FSearchPanel->resize(FSearchPanel->width() + 1, FSearchPanel->height());
            FSearchPanel->resize(FSearchPanel->width() - 1, FSearchPanel->height());
        }
    }};
    FGroupColumn = ACol;
    FGroupWidth = AllColWidths(ACol);
    if (FixedRows() > 0) FGroupCaption = GridCells(ACol, 0);
    if (FFixedFooters > 0) FGroupFooter = GridCells(ACol, RowCount() - 1);
    if (FSortSettings->AutoSortForGrouping()) {
        FSortSettings->SetColumn(ACol);
        QSort();
    }
    const int T = ACol == 1 ? 2 : 1;
    const int first = FixedRows(), end = RowCount() - FFixedFooters;
    const bool summary = FGrouping->Summary();
    // The runs of equal values, then the header and summary rows in between, in one pass over the
    // row records.
    struct Run {
        int start, count;
        QString value;
    };
    std::vector<Run> runs;
    for (int r = first; r < end; ++r) {
        if (r + int(kAhead) < end) prefetchText(GridCells(ACol, r + int(kAhead)));
        const QString& v = GridCells(ACol, r);
        if (runs.empty() || v != runs.back().value)
            runs.push_back({r, 1, v});
        else
            ++runs.back().count;
    }
    if (!runs.empty()) {
        // The header and summary rows go in among the others in one pass over the rows.
        const size_t extra = runs.size() * (summary ? 2 : 1);
        std::vector<int> places;
        std::vector<plat::TGridStore::TRowRecord> added(extra);
        places.reserve(extra);
        int at = first;
        for (const Run& run : runs) {
            added[places.size()].SetCell(T, run.value);
            places.push_back(at);
            at += run.count + 1;
            if (summary) places.push_back(at++);
        }
        // Hidden rows below the normal rows keep their places after the new rows.
        shiftHidden(RealRowIndex(first), int(extra));
        InsertRowRecordList(places, std::move(added), std::vector<int>(extra, DefaultRowHeight()));
        int h = first;
        for (const Run& run : runs) {
            AddNode(RealRowIndex(h), run.count + 1);
            if (!FGrouping->MergeHeader()) colourGroupRow(h, true);
            h += run.count + 1;
            if (summary) {
                AddSummary(RealRowIndex(h));
                if (!FGrouping->MergeSummary()) colourGroupRow(h, false);
                ++h;
            }
        }
    }
    RemoveCols(ACol, 1);
    const bool mergeSummary = FGrouping->MergeSummary() && summary;
    if (FGrouping->MergeHeader() || mergeSummary) {
        const TGrouping& g = *FGrouping;
        for (int b = FixedRows(); b < RowCount() && ColCount() > 2; ++b) {
            bool header = false;
            if (IsNode(b) && g.MergeHeader())
                header = true;
            else if (!(mergeSummary && (b == RowCount() - 1 || IsNode(b + 1))))
                continue;
            MergeCells(1, b, ColCount() - 1, 1);
            SetColors(1, b, header ? g.HeaderColor() : g.SummaryColor());
            SetColorsTo(1, b, header ? g.HeaderColorTo() : g.SummaryColorTo());
            SetFontColors(1, b, header ? g.HeaderTextColor() : g.SummaryTextColor());
        }
    }
    if (Col() >= ColCount() || Row() >= RowCount()) TBaseGrid::FocusCell(FixedCols(), FixedRows(), true);
    if (FixedRows() < RowCount()) SetRow(FixedRows());
}

void TExStringGrid::UnGroup() {
    if (FGroupColumn <= 0) return;
    const bool expandOne = FCellNode->ExpandOne();
    FCellNode->SetExpandOne(false);
    ExpandAll();
    BeginUpdate();
    Finally done{[this, expandOne] {
        FIsGrouping = false;
        FCellNode->SetExpandOne(expandOne);
        EndUpdate();
    }};
    const int C = FGroupColumn;
    InsertCols(C, 1);
    SetAllColWidths(C, FGroupWidth);
    if (FixedRows() > 0) SetGridCells(C, 0, FGroupCaption);
    if (FFixedFooters > 0) SetGridCells(C, RowCount() - 1, FGroupFooter);
    FIsGrouping = true;
    const int T = C == 1 ? 2 : 1;
    const bool summary = FGrouping->Summary();
    std::vector<int> gone;  // header and summary rows, ascending
    QString value;
    const int end = RowCount() - FFixedFooters;
    for (int r = FixedRows(); r < end;) {
        if (!IsNode(r)) {
            SetGridCells(C, r, value);
            ++r;
            continue;
        }
        const int span = GetNodeSpan(r);
        value = GridCells(T, r);
        RemoveNode(RealRowIndex(r));
        gone.push_back(r);
        if (summary && r + span < end && IsSummary(r + span)) {
            for (int k = r + 1; k < r + span; ++k) SetGridCells(C, k, value);
            gone.push_back(r + span);
            r += span + 1;
        } else {
            ++r;
        }
    }
    if (!gone.empty() && int(gone.size()) < RowCount()) {
        std::vector<int> heights;
        TakeRowRecordList(gone, heights);
        // Hidden rows beyond move up by the rows gone before them.
        if (FGridItems.Count() > 0) shiftHiddenUp(gone);
    }
    FGroupColumn = -1;
    if (Row() >= RowCount()) SetRow(std::max(FixedRows(), RowCount() - 1));
    RepaintGrid();
}

void TExStringGrid::SubGroup(int ACol) {
    if (ACol < FixedCols() || ACol + 1 >= TotalColCount()) return;
    BeginUpdate();
    Finally done{[this] { EndUpdate(); }};
    FGroupColumn = ACol;
    FGroupWidth = AllColWidths(ACol);
    if (FixedRows() > 0) FGroupCaption = Cells(ACol, 0);
    if (FFixedFooters > 0) FGroupFooter = Cells(ACol, RowCount() - 1);
    const TGrouping& g = *FGrouping;
    auto plain = [&](int r) { return r >= 0 && r < RowCount() && !IsNode(r) && !IsSummary(r); };
    auto dressHeader = [&](int r) {
        if (g.MergeHeader() && ColCount() - ACol - 1 > 0) {
            MergeCells(ACol + 1, r, ColCount() - ACol - 1, 1);
            SetColors(ACol + 1, r, g.HeaderColor());
            SetColorsTo(ACol + 1, r, g.HeaderColorTo());
            SetFontColors(ACol + 1, r, g.HeaderTextColor());
        } else if (!g.MergeHeader()) {
            colourGroupRow(r, true);
        }
    };
    auto markNode = [&](int P, int span) {
        AddNode(RealRowIndex(P), span);
        if (TCellGraphic* gr = GetCellGraphic(0, P)) gr->CellVar = ACol;
    };
    // The sentinel matches no cell: no text of a cell holds a NUL.
    const QString sentinel(QChar(0));
    QString last = sentinel;
    int P = -1;
    int r = FixedRows() + 1;
    auto tail = [&]() {
        if (r < RowCount() && plain(r - 1)) {
            last = Cells(ACol, r);
            SetCells(ACol, r, QString());
        } else {
            last = sentinel;
        }
        ++r;
    };
    while (r < RowCount() - FFixedFooters) {
        if (Cells(ACol, r) == last && plain(r)) {
            tail();
            continue;
        }
        if (P != -1 && plain(P)) markNode(P, r - P);
        if (plain(r)) {
            const QString v = Cells(ACol, r);
            InsertChildRow(RealRowIndex(r), 0);
            SetCells(ACol + 1, r, v);
            dressHeader(r);
        }
        P = r;
        ++r;
        tail();
    }
    if (!(P >= 0 && IsSummary(P))) {
        if (P == -1) {
            if (r < RowCount()) {
                InsertChildRow(RealRowIndex(r), 0);
                AddNode(RealRowIndex(r), 2);
                if (r + 1 < RowCount()) {
                    SetCells(ACol + 1, r, Cells(ACol, r + 1));
                    SetCells(ACol, r + 1, QString());
                }
            }
        } else if (plain(P)) {
            // Only a row of its own becomes a sub-group header: making a group's header one would
            // let SubUnGroup remove it with its value.
            markNode(P, r - P);
            dressHeader(P);
        }
        tail();
        if (g.Summary() && r <= RowCount()) {
            InsertRows(std::min(r, RowCount()), 1);
            AddSummary(RealRowIndex(std::min(r, RowCount() - 1)));
            colourGroupRow(std::min(r, RowCount() - 1), false);
        }
    }
    if (FixedRows() < RowCount()) SetRow(FixedRows());
}

void TExStringGrid::SubUnGroup(int ACol) {
    if (ACol < 0 || ACol + 1 >= TotalColCount()) return;
    ExpandAll();
    // A sub-group's value goes back into its own children only: rows under no sub-group header
    // keep their texts.
    QString value;
    int left = 0;
    for (int r = FixedRows(); r <= RowCount() - FFixedFooters - 1;) {
        if (IsNode(r)) {
            const TCellGraphic* gr = GetCellGraphic(0, r);
            if (gr && gr->CellVar == ACol) {
                value = Cells(ACol + 1, r);
                left = std::max(0, GetNodeSpan(r) - 1);
                RemoveNode(RealRowIndex(r));
                if (FGrouping->MergeHeader())
                    SplitCells(ACol + 1, r);
                else {
                    SetRowColor(r, plat::clNone);
                    SetRowColorTo(r, plat::clNone);
                    SetRowFontColor(r, plat::clNone);
                }
                RemoveChildRow(RealRowIndex(r));
                continue;
            }
            left = 0;
            ++r;
            continue;
        }
        if (left > 0) {
            SetCells(ACol, r, value);
            --left;
        }
        ++r;
    }
}

void TExStringGrid::GroupCalc(int ACol, int Method) {
    if (Method < 1 || Method > 8 || ACol < 0 || ACol >= TotalColCount()) return;
    for (int r = FixedRows(); r < RowCount();) {
        TCellGraphic* g = IsNode(r) ? GetCellGraphic(0, r) : nullptr;
        if (!g || g->CellBoolean) {
            ++r;
            continue;
        }
        const int s = std::max(1, g->CellIndex);
        const int target = FGrouping->Summary() ? r + s : r;
        const int from = r + 1, to = r + s - 1;
        if (target < RowCount()) {
            switch (Method) {
            case 1: SetFloats(ACol, target, ColumnSum(ACol, from, to)); break;
            case 2: SetFloats(ACol, target, ColumnAvg(ACol, from, to)); break;
            case 3: SetFloats(ACol, target, ColumnMin(ACol, from, to)); break;
            case 4: SetFloats(ACol, target, ColumnMax(ACol, from, to)); break;
            case 5: SetInts(ACol, target, s - 1); break;
            case 6: SetFloats(ACol, target, GroupCustomValue(ACol, from, to)); break;
            case 7: SetFloats(ACol, target, ColumnDistinct(ACol, from, to)); break;
            case 8: SetFloats(ACol, target, ColumnStdDev(ACol, from, to)); break;
            }
        }
        r += s;
    }
    static constexpr TColumnCalcType kFooter[9] = {acNONE, acSUM, acAVG, acMIN, acMAX, acCOUNT, acNONE, acNONE, acNONE};
    if (FFloatingFooter->Visible() && kFooter[Method] != acNONE) FFloatingFooter->SetColumnCalc(ACol, kFooter[Method]);
}

double TExStringGrid::GroupCustomValue(int ACol, int FromRow, int ToRow) {
    double res = 0;
    if (OnGroupCalc) OnGroupCalc(this, ACol, FromRow, ToRow, res);
    return res;
}

// ---------------------------------------------------------------- column statistics

void TExStringGrid::statRange(int& FromRow, int& ToRow, bool& Real) const {
    if (FromRow == -1 || ToRow == -1) {
        FromRow = FixedRows();
        ToRow = RowCount() - FFixedFooters - 1;
    }
    Real = FFloatingFooter->Visible() ? ToRow > RowCount() - 1 : ToRow > RowCount();
}

bool TExStringGrid::statRowCounts(int ACol, int Row, bool Real) {
    const int d = Real ? DisplRowIndex(Row) : Row;
    if (Real && IsHiddenRow(Row)) return true;
    if (d < 0 || d >= RowCount()) return false;
    if (!IsBaseCell(ACol, d)) return false;
    return FGroupColumn == -1 || (!IsNode(d) && !IsSummary(d));
}

double TExStringGrid::statValue(int ACol, int Row, bool Real) {
    return Real ? GetAllFloats(ACol, Row) : GetFloats(ACol, Row);
}

double TExStringGrid::ColumnSum(int ACol, int FromRow, int ToRow) {
    bool real = false;
    statRange(FromRow, ToRow, real);
    ExportNotification(esExportStart, FromRow);
    double sum = 0;
    for (int r = FromRow; r <= ToRow; ++r) {
        if (!statRowCounts(ACol, r, real)) continue;
        ExportNotification(esExportNewRow, r);
        try {
            sum += statValue(ACol, r, real);
        } catch (const EExGridError&) {
            // not a number: skipped
        }
    }
    ExportNotification(esExportDone, -1);
    return sum;
}

double TExStringGrid::ColumnAvg(int ACol, int FromRow, int ToRow) {
    bool real = false;
    int f = FromRow, t = ToRow;
    statRange(f, t, real);
    if (t < f) return 0;
    return ColumnSum(ACol, FromRow, ToRow) / double(t - f + 1);
}

double TExStringGrid::ColumnMin(int ACol, int FromRow, int ToRow) {
    bool real = false;
    statRange(FromRow, ToRow, real);
    double m = statValue(ACol, FromRow, real);  // raises for a first cell that is no number
    ExportNotification(esExportStart, FromRow);
    for (int r = FromRow; r <= ToRow; ++r) {
        if (!statRowCounts(ACol, r, real)) continue;
        ExportNotification(esExportNewRow, r);
        try {
            m = std::min(m, statValue(ACol, r, real));
        } catch (const EExGridError&) {
        }
    }
    ExportNotification(esExportDone, -1);
    return m;
}

double TExStringGrid::ColumnMax(int ACol, int FromRow, int ToRow) {
    bool real = false;
    statRange(FromRow, ToRow, real);
    double m = statValue(ACol, FromRow, real);
    ExportNotification(esExportStart, FromRow);
    for (int r = FromRow; r <= ToRow; ++r) {
        if (!statRowCounts(ACol, r, real)) continue;
        ExportNotification(esExportNewRow, r);
        try {
            m = std::max(m, statValue(ACol, r, real));
        } catch (const EExGridError&) {
        }
    }
    ExportNotification(esExportDone, -1);
    return m;
}

double TExStringGrid::ColumnStdDev(int ACol, int FromRow, int ToRow) {
    bool real = false;
    statRange(FromRow, ToRow, real);
    if (ToRow < FromRow) return 0;
    ExportNotification(esExportStart, FromRow);
    const double avg = ColumnAvg(ACol, FromRow, ToRow);
    double sq = 0;
    for (int r = FromRow; r <= ToRow; ++r) {
        const double v = GetFloats(ACol, r) - avg;
        sq += v * v;
    }
    ExportNotification(esExportDone, -1);
    return std::sqrt(sq / double(ToRow - FromRow + 1));
}

int TExStringGrid::ColumnDistinct(int ACol, int FromRow, int ToRow) {
    bool real = false;
    statRange(FromRow, ToRow, real);
    ExportNotification(esExportStart, FromRow);
    std::set<QString> seen;
    for (int r = FromRow; r <= ToRow && r < RowCount(); ++r) {
        ExportNotification(esExportNewRow, r);
        seen.insert(Cells(ACol, r).toUpper());
    }
    ExportNotification(esExportDone, -1);
    return int(seen.size());
}
