// The full string grid at scale, beside a QTableView over a minimal QAbstractTableModel, in the
// same run. Both are shown (offscreen) and filled with 1,000,001 rows x 10 columns, each cell its
// own 8-character text. The texts are made before the clock starts, the same way for every side,
// so the figures measure the stores, not the making of 10,000,001 strings:
// - ours: SetCells for every cell inside one BeginUpdate/EndUpdate block;
// - the peer: insertRows once, then setData for every cell (each emitting dataChanged);
// - the floor: the same model filled in one reset.
// Each reports the heap its table holds per text cell (heap_B_per_cell), its texts included: the
// growth from before the texts were made to after the fill, once the list that made them is gone;
// ours counts the blocks its row records are carved from, also those mapped outside the heap.
// Every fill starts on a trimmed heap, whatever ran before it.
//
// Hiding rows at 100,000 and 1,000,000 rows x 10 columns (texts shared from a pool), beside a
// QSortFilterProxyModel over the same kind of model that hides the same rows by a flag per row:
// - every second row as one filter level and back (HideRowList, UnHideRowList);
// - one half-range and back (HideRows, UnHideRowsAll);
// and RealRowIndex of 1,000 rows with 500,000 rows hidden.
//
// One page of 40 rows x 10 columns of mixed cells (a check box column, numbers aligned right, plain
// texts) painted at 1,000 and 1,000,000 rows, beside a QTableView, with the heap allocations each
// render makes.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <array>
#include <atomic>
#include <cerrno>
#include <map>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <vector>

// Every heap allocation of the process goes through these and is counted, whoever asks (our code,
// Qt, the standard library).
std::atomic<int64_t> allocationCount{0};
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void* malloc(size_t n) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
void* memalign(size_t align, size_t n) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(align, n);
}
void* aligned_alloc(size_t align, size_t n) { return memalign(align, n); }
int posix_memalign(void** out, size_t align, size_t n) {
    void* p = memalign(align, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

namespace {

constexpr int kRows = 1'000'001;
constexpr int kCols = 10;
constexpr double kCells = double(kRows) * kCols;

// Every fill starts from a heap that holds no freed memory of an earlier one, so no side runs on
// pages another has already touched.
void freshHeap() { malloc_trim(0); }

double heapBytes() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// Cell (c, r)'s own text: the cell number in 8 decimal digits.
QString textOf(int c, int r) {
    char16_t buf[8];
    unsigned v = unsigned(r) * kCols + unsigned(c);
    for (int i = 7; i >= 0; --i, v /= 10) buf[i] = char16_t(u'0' + v % 10);
    return QString(reinterpret_cast<const QChar*>(buf), 8);
}

// Every cell's text, each its own string; the store takes a reference, and once the list goes,
// the cell holds the text alone.
std::vector<QString> allTexts() {
    std::vector<QString> t;
    t.reserve(size_t(kRows) * kCols);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) t.push_back(textOf(c, r));
    return t;
}

class RowModel : public QAbstractTableModel {
public:
    std::vector<std::array<QString, kCols>> rows;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kCols; }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        return rows[size_t(i.row())][size_t(i.column())];
    }
    bool setData(const QModelIndex& i, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !i.isValid()) return false;
        rows[size_t(i.row())][size_t(i.column())] = value.toString();
        emit dataChanged(i, i, {role});
        return true;
    }
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override {
        if (parent.isValid() || row < 0 || row > int(rows.size()) || count <= 0) return false;
        beginInsertRows(parent, row, row + count - 1);
        rows.insert(rows.begin() + row, size_t(count), {});
        endInsertRows();
        return true;
    }
    void fillInOneReset(const std::vector<QString>& texts) {
        beginResetModel();
        rows.assign(size_t(kRows), {});
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) rows[size_t(r)][size_t(c)] = texts[size_t(r) * kCols + size_t(c)];
        endResetModel();
    }
};

struct Peer {
    RowModel model;
    QTableView view;
    Peer() {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.setModel(&model);
        view.verticalHeader()->setDefaultSectionSize(22);
        view.resize(1000, 600);
        view.show();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<TExStringGrid> shownGrid() {
    auto g = std::make_unique<TExStringGrid>();
    g->setAttribute(Qt::WA_DontShowOnScreen);
    g->SetColCount(kCols);
    g->resize(1000, 600);
    g->show();
    QCoreApplication::processEvents();
    return g;
}

void BM_Fill_Ours_SetCellsInUpdateBlock(benchmark::State& state) {
    double perCell = 0;
    for (auto _ : state) {
        state.PauseTiming();
        freshHeap();
        auto g = shownGrid();
        const double before = heapBytes();
        auto texts = allTexts();
        state.ResumeTiming();
        g->SetRowCount(kRows);
        g->BeginUpdate();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) g->SetCells(c, r, texts[size_t(r) * kCols + size_t(c)]);
        g->EndUpdate();
        QCoreApplication::processEvents();
        state.PauseTiming();
        std::vector<QString>().swap(texts);
        // The store's blocks of row records taken from the system directly are not in the heap's
        // statistics: they count here.
        perCell = (heapBytes() + double(g->Store().MappedBytes()) - before) / kCells;
        g.reset();
        state.ResumeTiming();
    }
    state.counters["heap_B_per_cell"] = perCell;
}
BENCHMARK(BM_Fill_Ours_SetCellsInUpdateBlock)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Fill_QTableView_SetDataPerCell(benchmark::State& state) {
    double perCell = 0;
    for (auto _ : state) {
        state.PauseTiming();
        freshHeap();
        auto p = std::make_unique<Peer>();
        const double before = heapBytes();
        auto texts = allTexts();
        state.ResumeTiming();
        p->model.insertRows(0, kRows);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                p->model.setData(p->model.index(r, c), texts[size_t(r) * kCols + size_t(c)], Qt::EditRole);
        QCoreApplication::processEvents();
        state.PauseTiming();
        std::vector<QString>().swap(texts);
        perCell = (heapBytes() - before) / kCells;
        p.reset();
        state.ResumeTiming();
    }
    state.counters["heap_B_per_cell"] = perCell;
}
BENCHMARK(BM_Fill_QTableView_SetDataPerCell)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Fill_QTableView_OneReset_Floor(benchmark::State& state) {
    double perCell = 0;
    for (auto _ : state) {
        state.PauseTiming();
        freshHeap();
        auto p = std::make_unique<Peer>();
        const double before = heapBytes();
        auto texts = allTexts();
        state.ResumeTiming();
        p->model.fillInOneReset(texts);
        QCoreApplication::processEvents();
        state.PauseTiming();
        std::vector<QString>().swap(texts);
        perCell = (heapBytes() - before) / kCells;
        p.reset();
        state.ResumeTiming();
    }
    state.counters["heap_B_per_cell"] = perCell;
}
BENCHMARK(BM_Fill_QTableView_OneReset_Floor)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// ---- hiding rows ----

const QString& pooled(int c, int r) {
    static const std::vector<QString> pool = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("value %1").arg(i));
        return v;
    }();
    return pool[size_t(r * kCols + c) % pool.size()];
}

// Kept widgets by row count, one set per use; they go before the application does.
template <class T, int Use>
std::map<int, std::unique_ptr<T>>& widgetsUntilExit() {
    static std::map<int, std::unique_ptr<T>>* widgets = [] {
        auto* m = new std::map<int, std::unique_ptr<T>>;
        qAddPostRoutine([] { widgetsUntilExit<T, Use>().clear(); });
        return m;
    }();
    return *widgets;
}
enum WidgetUse { kHiding, kFiltering, kPage };

TExStringGrid& hidingGrid(int rows) {
    auto& g = widgetsUntilExit<TExStringGrid, kHiding>()[rows];
    if (!g) {
        g = std::make_unique<TExStringGrid>();
        g->setAttribute(Qt::WA_DontShowOnScreen);
        g->SetColCount(kCols);
        g->resize(1000, 600);
        g->SetRowCount(rows);
        g->BeginUpdate();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kCols; ++c) g->SetCells(c, r, pooled(c, r));
        g->EndUpdate();
        g->show();
        QCoreApplication::processEvents();
    }
    return *g;
}

class FlagFilter : public QSortFilterProxyModel {
public:
    std::vector<char> hidden;
    void refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override { return !hidden[size_t(row)]; }
};

// The proxy alone: a table view over it spends minutes per million rows in its header's
// bookkeeping, which would measure the view, not the hiding.
struct FilterPeer {
    RowModel model;
    FlagFilter proxy;
    explicit FilterPeer(int rows) {
        model.rows.assign(size_t(rows), {});
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kCols; ++c) model.rows[size_t(r)][size_t(c)] = pooled(c, r);
        proxy.hidden.assign(size_t(rows), 0);
        proxy.setSourceModel(&model);
        proxy.rowCount();  // the mapping is built
    }
};
FilterPeer& filterPeer(int rows) {
    static std::map<int, std::unique_ptr<FilterPeer>> peers;
    auto& p = peers[rows];
    if (!p) p = std::make_unique<FilterPeer>(rows);
    return *p;
}

void BM_HideEverySecondRow_Ours(benchmark::State& state) {
    TExStringGrid& g = hidingGrid(int(state.range(0)));
    std::vector<int> list;
    for (int r = 1; r < g.RowCount(); r += 2) list.push_back(r);
    for (auto _ : state) {
        g.HideRowList(list);
        g.UnHideRowList();
        g.SetFilterLevel(0);
    }
    state.counters["rows"] = double(g.RowCount());
}
BENCHMARK(BM_HideEverySecondRow_Ours)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_HideEverySecondRow_FilterProxy(benchmark::State& state) {
    FilterPeer& p = filterPeer(int(state.range(0)));
    for (auto _ : state) {
        for (size_t r = 1; r < p.proxy.hidden.size(); r += 2) p.proxy.hidden[r] = 1;
        p.proxy.refilter();
        std::fill(p.proxy.hidden.begin(), p.proxy.hidden.end(), 0);
        p.proxy.refilter();
    }
    state.counters["rows"] = double(p.proxy.rowCount());
}
BENCHMARK(BM_HideEverySecondRow_FilterProxy)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_HideHalfRange_Ours(benchmark::State& state) {
    TExStringGrid& g = hidingGrid(int(state.range(0)));
    const int n = g.RowCount();
    for (auto _ : state) {
        g.HideRows(n / 4, n / 4 + n / 2 - 1);
        g.UnHideRowsAll();
    }
    state.counters["rows"] = double(g.RowCount());
}
BENCHMARK(BM_HideHalfRange_Ours)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_HideHalfRange_FilterProxy(benchmark::State& state) {
    FilterPeer& p = filterPeer(int(state.range(0)));
    const size_t n = p.proxy.hidden.size();
    for (auto _ : state) {
        std::fill(p.proxy.hidden.begin() + ptrdiff_t(n / 4), p.proxy.hidden.begin() + ptrdiff_t(n / 4 + n / 2), 1);
        p.proxy.refilter();
        std::fill(p.proxy.hidden.begin(), p.proxy.hidden.end(), 0);
        p.proxy.refilter();
    }
    state.counters["rows"] = double(p.proxy.rowCount());
}
BENCHMARK(BM_HideHalfRange_FilterProxy)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RealRowIndex_500000Hidden_Ours(benchmark::State& state) {
    TExStringGrid& g = hidingGrid(1'000'000);
    std::vector<int> list;
    for (int r = 1; r < g.RowCount(); r += 2) list.push_back(r);
    g.HideRowList(list);
    for (auto _ : state) {
        int64_t sum = 0;
        for (int d = 0; d < 1000; ++d) sum += g.RealRowIndex(d * 499);
        benchmark::DoNotOptimize(sum);
    }
    g.UnHideRowList();
    g.SetFilterLevel(0);
}
BENCHMARK(BM_RealRowIndex_500000Hidden_Ours)->Unit(benchmark::kMicrosecond);

// ---- filtering and grouping ----
// ApplyFilter with one expression condition on column 1 that passes every second row ("pump*"),
// then RemoveLastFilter, at 100,000 and 1,000,000 rows x 10 columns; beside a QSortFilterProxyModel
// over the same texts filtering column 1 by the equivalent regular expression and then clearing it.
// Group of 100,000 rows into 1,000 groups against 10,000 rows into 100 groups (100 rows a group),
// the ungrouping outside the timing.

const QString& kindText(int r) {
    static const std::vector<QString> pool = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("%1 %2").arg(i % 2 ? "pump" : "valve").arg(i));
        return v;
    }();
    return pool[size_t(r) % pool.size()];
}

TExStringGrid& filterGrid(int rows) {
    auto& g = widgetsUntilExit<TExStringGrid, kFiltering>()[rows];
    if (!g) {
        g = std::make_unique<TExStringGrid>();
        g->setAttribute(Qt::WA_DontShowOnScreen);
        g->SetColCount(kCols);
        g->resize(1000, 600);
        g->SetRowCount(rows + 1);
        g->BeginUpdate();
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < kCols; ++c) g->SetCells(c, r, c == 1 ? kindText(r) : pooled(c, r));
        g->EndUpdate();
        g->show();
        QCoreApplication::processEvents();
        TFilterData& f = g->Filter().Add();
        f.Column = 1;
        f.Condition = QStringLiteral("pump*");
    }
    return *g;
}

void BM_ApplyFilterHalf_Ours(benchmark::State& state) {
    TExStringGrid& g = filterGrid(int(state.range(0)));
    int shown = 0;
    for (auto _ : state) {
        g.ApplyFilter();
        shown = g.RowCount() - 1;
        g.RemoveLastFilter();
    }
    state.counters["shown"] = shown;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ApplyFilterHalf_Ours)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

struct RegexPeer {
    RowModel model;
    QSortFilterProxyModel proxy;
    explicit RegexPeer(int rows) {
        model.rows.assign(size_t(rows), {});
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kCols; ++c) model.rows[size_t(r)][size_t(c)] = c == 1 ? kindText(r + 1) : pooled(c, r + 1);
        proxy.setSourceModel(&model);
        proxy.setFilterKeyColumn(1);
        proxy.rowCount();
    }
};

void BM_ApplyFilterHalf_FilterProxyRegex(benchmark::State& state) {
    static std::map<int, std::unique_ptr<RegexPeer>> peers;
    auto& p = peers[int(state.range(0))];
    if (!p) p = std::make_unique<RegexPeer>(int(state.range(0)));
    const QRegularExpression re(QStringLiteral("\\Apump.*\\z"));
    int shown = 0;
    for (auto _ : state) {
        p->proxy.setFilterRegularExpression(re);
        shown = p->proxy.rowCount();
        p->proxy.setFilterRegularExpression(QRegularExpression());
    }
    state.counters["shown"] = shown;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ApplyFilterHalf_FilterProxyRegex)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Rows, then groups of 100 rows each on column 2, in shuffled order so that the grouping sorts.
void BM_Group100RowsEach_Ours(benchmark::State& state) {
    const int rows = int(state.range(0));
    TExStringGrid g;
    g.setAttribute(Qt::WA_DontShowOnScreen);
    g.SetColCount(4);
    g.resize(1000, 600);
    g.SetRowCount(rows + 1);
    std::vector<QString> keys;
    keys.reserve(size_t(rows));
    for (int r = 1; r <= rows; ++r)
        keys.push_back(QStringLiteral("g%1").arg((int64_t(r) * 7919) % (rows / 100), 6, 10, QChar(u'0')));
    // Every pass groups shuffled rows: the keys are dealt out again after each ungrouping, since
    // the grouping left the rows sorted.
    const auto deal = [&] {
        g.BeginUpdate();
        for (int r = 1; r <= rows; ++r) g.SetCells(2, r, keys[size_t(r - 1)]);
        g.EndUpdate();
    };
    g.BeginUpdate();
    for (int r = 1; r <= rows; ++r) {
        g.SetCells(1, r, pooled(1, r));
        g.SetCells(3, r, pooled(3, r));
    }
    g.EndUpdate();
    deal();
    g.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        g.Group(2);
        state.PauseTiming();
        benchmark::DoNotOptimize(g.RowCount());
        g.UnGroup();
        deal();
        state.ResumeTiming();
    }
    state.counters["groups"] = rows / 100;
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Group100RowsEach_Ours)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// ---- one page painted ----
// One page of 40 rows x 10 columns (and the header row) rendered into an image, the grid scrolled
// to the middle of 1,000 and of 1,000,000 rows, beside a QTableView showing the same page of the
// same texts (its horizontal header standing for the fixed row). The columns mix what the table
// dialogs show: column 0 a check box ("Y" and "N" in the cells, a check state in the peer's model),
// column 1 numbers aligned right, the others plain texts. Both whole widgets, the same size,
// rendered the same way; painting must cost what is visible, so the two row counts come out alike.
// Each reports the heap allocations one render makes per cell (allocs_per_cell), counted by the
// allocation functions below.

constexpr int kPageRows = 40, kPageColW = 64, kPageRowH = 24;

const QString& pageText(int c, int r) {
    static const QString yes = QStringLiteral("Y"), no = QStringLiteral("N");
    static const std::vector<QString> numbers = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QString::number(i * 37 % 100000));
        return v;
    }();
    if (c == 0) return r % 3 == 0 ? no : yes;
    if (c == 1) return numbers[size_t(r) % numbers.size()];
    return pooled(c, r);
}

TExStringGrid& pageGrid(int rows) {
    auto& slot = widgetsUntilExit<TExStringGrid, kPage>()[rows];
    if (!slot) {
        auto g = std::make_unique<TExColumnGrid>();
        g->setAttribute(Qt::WA_DontShowOnScreen);
        SetConfiguratorFormValues(*g);
        g->Loaded();
        g->SetColCount(kCols);
        g->SetRowCount(rows + 1);
        g->SetFixedRows(1);
        g->SetFixedCols(0);
        g->Columns().Items(0).SetEditor(edDataCheckBox);
        g->Columns().Items(1).SetAlignment(taRightJustify);
        g->SetDefaultColWidth(kPageColW);
        g->SetDefaultRowHeight(kPageRowH);
        g->SetScrollBars(plat::ssNone);  // as the peer's: the same page, no bars
        g->BeginUpdate();
        for (int c = 0; c < kCols; ++c) g->Columns().Items(c).SetHeader(QStringLiteral("Column %1").arg(c));
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < kCols; ++c) g->SetCells(c, r, pageText(c, r));
        g->EndUpdate();
        const int frame = 2 * g->frameWidth();
        g->resize(kCols * kPageColW + frame, (kPageRows + 1) * kPageRowH + frame);
        g->show();
        QCoreApplication::processEvents();
        g->SetTopRow(rows / 2);
        g->FocusCell(2, rows / 2 + 3);
        slot = std::move(g);
    }
    return *slot;
}

class PageModel : public QAbstractTableModel {
public:
    int rows = 0;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kCols; }
    QVariant data(const QModelIndex& i, int role) const override {
        const int c = i.column(), r = i.row() + 1;
        if (c == 0) return role == Qt::CheckStateRole ? QVariant(pageText(0, r) == QLatin1String("Y") ? Qt::Checked : Qt::Unchecked)
                                                      : QVariant();
        if (role == Qt::DisplayRole) return pageText(c, r);
        if (role == Qt::TextAlignmentRole && c == 1) return QVariant(Qt::AlignRight | Qt::AlignTop);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole) return QStringLiteral("Column %1").arg(section);
        return QAbstractTableModel::headerData(section, o, role);
    }
};

struct PagePeer {
    PageModel model;
    QTableView view;
    explicit PagePeer(int rows) {
        model.rows = rows;
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.setModel(&model);
        view.verticalHeader()->hide();
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.verticalHeader()->setDefaultSectionSize(kPageRowH);
        view.horizontalHeader()->setDefaultSectionSize(kPageColW);
        view.horizontalHeader()->setFixedHeight(kPageRowH);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int frame = 2 * view.frameWidth();
        view.resize(kCols * kPageColW + frame, (kPageRows + 1) * kPageRowH + frame);
        view.show();
        QCoreApplication::processEvents();
        view.scrollTo(model.index(rows / 2, 0), QAbstractItemView::PositionAtTop);
        view.setCurrentIndex(model.index(rows / 2 + 2, 2));
        QCoreApplication::processEvents();
    }
};
PagePeer& pagePeer(int rows) {
    auto& p = widgetsUntilExit<PagePeer, kPage>()[rows];
    if (!p) p = std::make_unique<PagePeer>(rows);
    return *p;
}

void renderPage(benchmark::State& state, QWidget& w) {
    QImage image(w.size(), QImage::Format_RGB32);
    w.render(&image);  // what a first paint makes once (kept shapes, glyphs) is not counted
    int64_t allocations = 0;
    for (auto _ : state) {
        const int64_t before = allocationCount.load(std::memory_order_relaxed);
        w.render(&image);
        allocations += allocationCount.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = kPageRows * kCols;
    state.counters["allocs_per_cell"] = double(allocations) / double(state.iterations()) / (kPageRows * kCols);
}

void BM_PageRender_Ours(benchmark::State& state) {
    TExStringGrid& g = pageGrid(int(state.range(0)));
    renderPage(state, g);
    state.counters["top_row"] = g.TopRow();
}
BENCHMARK(BM_PageRender_Ours)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

void BM_PageRender_QTableView(benchmark::State& state) {
    PagePeer& p = pagePeer(int(state.range(0)));
    renderPage(state, p.view);
    state.counters["top_row"] = p.view.rowAt(0);
}
BENCHMARK(BM_PageRender_QTableView)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
