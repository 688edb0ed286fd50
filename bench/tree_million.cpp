// The lazy string tree against Qt's tree view over a lazy item model written for this benchmark
// (nodes in one vector, children made by fetchMore, text from a callback), with uniform 18-pixel
// rows, the same font and size, offscreen. A million nodes: 1,000 top-level nodes with 999
// children each, added eagerly (the tree inside one update, the model inside one reset) and
// lazily (OnInitChildren against fetchMore); clearing them; and the heap bytes each node costs.
// Then, over the million displayed: expanding everything (the peer fetching children as it
// expands), walking every row in display order, finding the row at random pixel positions, and
// sorting a million siblings by an integer key and by a text (against a sorting proxy model).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QFont>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QThread>
#include <random>
#include <QTreeView>
#include <QWheelEvent>
#include <memory>
#include <vector>

#include "treeview/LazyTrees.h"

namespace {

constexpr int kTop = 1000;
constexpr int kChildren = 999;
constexpr int kNodes = kTop * (kChildren + 1);
constexpr int kRowHeight = 18;

// The text both controls show for a node; the tree's OnGetText and the model's data() call it.
QString NodeText(int level, int index) {
    return level == 0 ? QStringLiteral("Meter %1").arg(index) : QStringLiteral("Value %1").arg(index);
}

// Bytes the heap hands out, chunks it maps itself included.
size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// ---- The peer: a lazy item model ----

class LazyModel final : public QAbstractItemModel {
public:
    struct Node {
        int parent = -1;
        int row = 0;
        int firstChild = -1;
        int childCount = 0;
        bool fetched = false;
    };

    explicit LazyModel(bool lazy) : lazy_(lazy) {}

    // The eager form: every node appended inside one reset.
    void BuildAll() {
        beginResetModel();
        nodes_.clear();
        top_.clear();
        for (int t = 0; t < kTop; ++t) {
            top_.push_back(int(nodes_.size()));
            nodes_.push_back({-1, t, -1, 0, true});
        }
        for (int t = 0; t < kTop; ++t) AppendChildren(top_[size_t(t)]);
        endResetModel();
    }
    // The lazy form: the top level only; children come through fetchMore.
    void BuildTop() {
        beginResetModel();
        nodes_.clear();
        top_.clear();
        for (int t = 0; t < kTop; ++t) {
            top_.push_back(int(nodes_.size()));
            nodes_.push_back({-1, t, -1, 0, false});
        }
        endResetModel();
    }
    // One node at a time, each announced as an inserted row: the model's form of AddChild.
    void AddRowByRow() {
        for (int t = 0; t < kTop; ++t) {
            beginInsertRows({}, t, t);
            top_.push_back(int(nodes_.size()));
            nodes_.push_back({-1, t, -1, 0, true});
            endInsertRows();
            const int p = top_.back();
            const QModelIndex parent = createIndex(t, 0, quintptr(p));
            for (int c = 0; c < kChildren; ++c) {
                beginInsertRows(parent, c, c);
                // Children stay contiguous: each top-level node's children are appended before the next.
                if (c == 0) nodes_[size_t(p)].firstChild = int(nodes_.size());
                nodes_.push_back({p, c, -1, 0, true});
                ++nodes_[size_t(p)].childCount;
                endInsertRows();
            }
        }
    }
    void Clear() {
        beginResetModel();
        nodes_.clear();
        nodes_.shrink_to_fit();
        top_.clear();
        top_.shrink_to_fit();
        endResetModel();
    }
    size_t NodeCount() const { return nodes_.size(); }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (column != 0 || row < 0) return {};
        if (!parent.isValid())
            return row < int(top_.size()) ? createIndex(row, 0, quintptr(top_[size_t(row)])) : QModelIndex();
        const Node& p = nodes_[parent.internalId()];
        return row < p.childCount ? createIndex(row, 0, quintptr(p.firstChild + row)) : QModelIndex();
    }
    QModelIndex parent(const QModelIndex& child) const override {
        if (!child.isValid()) return {};
        const int p = nodes_[child.internalId()].parent;
        return p < 0 ? QModelIndex() : createIndex(nodes_[size_t(p)].row, 0, quintptr(p));
    }
    int rowCount(const QModelIndex& parent) const override {
        if (!parent.isValid()) return int(top_.size());
        return nodes_[parent.internalId()].childCount;
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& parent) const override {
        if (!parent.isValid()) return !top_.empty();
        return nodes_[parent.internalId()].parent < 0;
    }
    bool canFetchMore(const QModelIndex& parent) const override {
        return lazy_ && parent.isValid() && !nodes_[parent.internalId()].fetched;
    }
    void fetchMore(const QModelIndex& parent) override {
        if (!canFetchMore(parent)) return;
        beginInsertRows(parent, 0, kChildren - 1);
        AppendChildren(int(parent.internalId()));
        endInsertRows();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::SizeHintRole) return QSize(-1, kRowHeight);
        if (role != Qt::DisplayRole) return {};
        const Node& n = nodes_[index.internalId()];
        return NodeText(n.parent < 0 ? 0 : 1, n.row);
    }

private:
    void AppendChildren(int p) {
        nodes_[size_t(p)].firstChild = int(nodes_.size());
        nodes_[size_t(p)].childCount = kChildren;
        nodes_[size_t(p)].fetched = true;
        for (int c = 0; c < kChildren; ++c) nodes_.push_back({p, c, -1, 0, true});
    }

    bool lazy_;
    std::vector<Node> nodes_;
    std::vector<int> top_;
};

struct Peer {
    explicit Peer(bool lazy) : model(lazy) {
        view.setUniformRowHeights(true);
        view.setHeaderHidden(true);
        view.resize(400, 300);
        view.setModel(&model);
        view.show();
    }
    LazyModel model;
    QTreeView view;
};

// ---- The lazy tree ----

struct Tree {
    explicit Tree(bool lazy) {
        tree.SetNodeDataSize(8);
        tree.resize(400, 300);
        if (lazy) {
            tree.OnInitNode = [](TLazyTreeCore* s, PLazyNode parent, PLazyNode, TLazyNodeInitStates& states) {
                if (!parent) states += TLazyNodeInitState::ivsHasChildren;
                (void)s;
            };
            tree.OnInitChildren = [](TLazyTreeCore*, PLazyNode, uint32_t& count) { count = kChildren; };
        }
        tree.show();
    }
    TLazyStringTree tree;
};

void BuildEager(TLazyStringTree& t) {
    t.BeginUpdate();
    for (int i = 0; i < kTop; ++i) {
        PLazyNode top = t.AddChild(nullptr);
        for (int c = 0; c < kChildren; ++c) t.AddChild(top);
    }
    t.EndUpdate();
}

void BM_AddMillion_LazyTree(benchmark::State& state) {
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(false);
        const size_t before = HeapInUse();
        state.ResumeTiming();
        BuildEager(t->tree);
        state.PauseTiming();
        // The tree maps its big slabs from the system, beside the heap.
        bytes = double(HeapInUse() - before + t->tree.NodeStoreMappedBytes()) / kNodes;
        if (t->tree.RootNode()->TotalCount != uint32_t(kNodes + 1)) state.SkipWithError("wrong node count");
        t.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_node"] = bytes;
}
BENCHMARK(BM_AddMillion_LazyTree)->Unit(benchmark::kMillisecond);

void BM_AddMillion_QTreeView(benchmark::State& state) {
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>(false);
        const size_t before = HeapInUse();
        state.ResumeTiming();
        p->model.BuildAll();
        QApplication::processEvents();
        state.PauseTiming();
        bytes = double(HeapInUse() - before) / kNodes;
        if (p->model.NodeCount() != size_t(kNodes)) state.SkipWithError("wrong node count");
        p.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_node"] = bytes;
}
BENCHMARK(BM_AddMillion_QTreeView)->Unit(benchmark::kMillisecond);

void BM_AddMillionRowByRow_QTreeView(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>(false);
        p->view.setUpdatesEnabled(false);
        state.ResumeTiming();
        p->model.AddRowByRow();
        p->view.setUpdatesEnabled(true);
        QApplication::processEvents();
        state.PauseTiming();
        if (p->model.NodeCount() != size_t(kNodes)) state.SkipWithError("wrong node count");
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddMillionRowByRow_QTreeView)->Unit(benchmark::kMillisecond);

void BM_LazyMillion_LazyTree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(true);
        state.ResumeTiming();
        t->tree.SetRootNodeCount(kTop);
        // Every top-level node is initialised and asked for its children, as the peer fetches them
        // (and the first child initialised, as a view would show it). Nothing walks the children
        // again: the peer does not either.
        for (PLazyNode n = t->tree.RootNode()->FirstChild; n; n = n->NextSibling) t->tree.GetFirstChild(n);
        state.PauseTiming();
        if (t->tree.RootNode()->TotalCount != uint32_t(kNodes + 1)) state.SkipWithError("wrong node count");
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LazyMillion_LazyTree)->Unit(benchmark::kMillisecond);

void BM_LazyMillion_QTreeView(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>(true);
        state.ResumeTiming();
        p->model.BuildTop();
        for (int r = 0; r < kTop; ++r) p->model.fetchMore(p->model.index(r, 0, {}));
        QApplication::processEvents();
        state.PauseTiming();
        if (p->model.NodeCount() != size_t(kNodes)) state.SkipWithError("wrong node count");
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LazyMillion_QTreeView)->Unit(benchmark::kMillisecond);

void BM_ClearMillion_LazyTree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(false);
        BuildEager(t->tree);
        state.ResumeTiming();
        t->tree.Clear();
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClearMillion_LazyTree)->Unit(benchmark::kMillisecond);

void BM_ClearMillion_QTreeView(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>(false);
        p->model.BuildAll();
        QApplication::processEvents();
        state.ResumeTiming();
        p->model.Clear();
        QApplication::processEvents();
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClearMillion_QTreeView)->Unit(benchmark::kMillisecond);


// ---- Expanding everything ----

void BM_ExpandAll_LazyTree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(true);
        t->tree.SetRootNodeCount(kTop);
        state.ResumeTiming();
        t->tree.FullExpand();
        state.PauseTiming();
        if (t->tree.VisibleCount() != uint32_t(kNodes)) state.SkipWithError("wrong visible count");
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandAll_LazyTree)->Unit(benchmark::kMillisecond);

void BM_ExpandAll_QTreeView(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>(true);
        p->model.BuildTop();
        QApplication::processEvents();
        state.ResumeTiming();
        p->view.expandAll();
        QApplication::processEvents();
        state.PauseTiming();
        if (p->model.NodeCount() != size_t(kNodes)) state.SkipWithError("children not fetched");
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandAll_QTreeView)->Unit(benchmark::kMillisecond);

// ---- Walking every displayed row ----

std::unique_ptr<Tree> ExpandedTree() {
    auto t = std::make_unique<Tree>(false);
    BuildEager(t->tree);
    t->tree.FullExpand();
    return t;
}

void BM_IterateVisible_LazyTree(benchmark::State& state) {
    auto t = ExpandedTree();
    const bool init = state.range(0) != 0;
    for (auto _ : state) {
        uint32_t count = 0;
        if (init)
            for (PLazyNode n = t->tree.GetFirstVisible(); n; n = t->tree.GetNextVisible(n)) ++count;
        else
            for (PLazyNode n = t->tree.GetFirstVisibleNoInit(); n; n = t->tree.GetNextVisibleNoInit(n)) ++count;
        if (count != uint32_t(kNodes)) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_IterateVisible_LazyTree)->Arg(1)->Arg(0)->ArgName("init")->Unit(benchmark::kMillisecond);

void BM_IterateVisible_QTreeView(benchmark::State& state) {
    Peer p(false);
    p.model.BuildAll();
    p.view.expandAll();
    QApplication::processEvents();
    for (auto _ : state) {
        int count = 0;
        for (QModelIndex i = p.model.index(0, 0, {}); i.isValid(); i = p.view.indexBelow(i)) ++count;
        if (count != kNodes) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_IterateVisible_QTreeView)->Unit(benchmark::kMillisecond);

// ---- The row at a pixel position ----

constexpr int kLookups = 10000;

std::vector<int> RandomRows(int count) {
    std::mt19937 random(11);
    std::vector<int> rows(static_cast<size_t>(count));
    for (int& r : rows) r = int(random() % uint32_t(kNodes));
    return rows;
}

// cache: 1 waits for the worker's position cache; 0 walks from the first row (a few lookups only:
// each walks half a million rows on average).
void BM_NodeAt_LazyTree(benchmark::State& state) {
    auto t = ExpandedTree();
    const bool cache = state.range(0) != 0;
    if (cache) {
        while (!t->tree.TreeStates().Contains(TLazyTreeState::tsUseCache)) {
            QApplication::processEvents();
            QThread::usleep(200);
        }
    } else {
        t->tree.InterruptValidation();
    }
    const std::vector<int> rows = RandomRows(cache ? kLookups : 20);
    for (auto _ : state) {
        for (int r : rows) {
            int top = 0;
            PLazyNode n = t->tree.GetNodeAt(0, r * kRowHeight + 5, false, top);
            if (!n || top != r * kRowHeight) state.SkipWithError("wrong node");
        }
    }
    state.counters["lookups"] = double(rows.size());
}
BENCHMARK(BM_NodeAt_LazyTree)->Arg(1)->Arg(0)->ArgName("cache")->Unit(benchmark::kMillisecond);

// The view finds rows in its viewport: it is scrolled to the row first, as a lookup over the
// whole tree needs.
void BM_NodeAt_QTreeView(benchmark::State& state) {
    Peer p(false);
    p.model.BuildAll();
    p.view.expandAll();
    QApplication::processEvents();
    const std::vector<int> rows = RandomRows(kLookups);
    QScrollBar* bar = p.view.verticalScrollBar();
    for (auto _ : state) {
        for (int r : rows) {
            bar->setValue(r);
            const int y = (r - bar->value()) * kRowHeight + 5;
            if (!p.view.indexAt(QPoint(5, y)).isValid()) state.SkipWithError("no row");
        }
    }
    state.counters["lookups"] = double(rows.size());
}
BENCHMARK(BM_NodeAt_QTreeView)->Unit(benchmark::kMillisecond);

// ---- Sorting a million siblings ----

std::vector<int> RandomKeys() {
    std::mt19937 random(5);
    std::vector<int> keys(static_cast<size_t>(kNodes));
    for (int& k : keys) k = int(random() % 1000000);
    return keys;
}

void BM_SortMillion_LazyTree(benchmark::State& state) {
    const std::vector<int> keys = RandomKeys();
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(false);
        t->tree.TreeOptions().SetAutoOptions(t->tree.TreeOptions().AutoOptions() - TLTAutoOption::toAutoSort);
        t->tree.SetRootNodeCount(kNodes);
        size_t i = 0;
        for (PLazyNode n = t->tree.GetFirstNoInit(); n; n = n->NextSibling) *static_cast<int*>(
            static_cast<void*>(n->Data())) = keys[i++];
        t->tree.OnCompareNodes = [](TLazyTreeCore*, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
            const int ka = *reinterpret_cast<const int*>(a->Data()), kb = *reinterpret_cast<const int*>(b->Data());
            result = (ka > kb) - (ka < kb);
        };
        state.ResumeTiming();
        t->tree.Sort(nullptr, 0, TSortDirection::sdAscending, false);
        state.PauseTiming();
        const int first = *reinterpret_cast<const int*>(t->tree.GetFirstNoInit()->Data());
        const int last = *reinterpret_cast<const int*>(t->tree.RootNode()->LastChild->Data());
        if (first > last) state.SkipWithError("not sorted");
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortMillion_LazyTree)->Unit(benchmark::kMillisecond);

class KeyModel final : public QAbstractListModel {
public:
    explicit KeyModel(const std::vector<int>& keys) : keys_(keys) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(keys_.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(keys_[size_t(index.row())]) : QVariant();
    }

private:
    const std::vector<int>& keys_;
};

void BM_SortMillion_SortProxy(benchmark::State& state) {
    const std::vector<int> keys = RandomKeys();
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<KeyModel>(keys);
        auto proxy = std::make_unique<QSortFilterProxyModel>();
        proxy->setSourceModel(model.get());
        state.ResumeTiming();
        proxy->sort(0, Qt::AscendingOrder);
        state.PauseTiming();
        if (proxy->data(proxy->index(0, 0)).toInt() > proxy->data(proxy->index(kNodes - 1, 0)).toInt())
            state.SkipWithError("not sorted");
        proxy.reset();
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortMillion_SortProxy)->Unit(benchmark::kMillisecond);

// The same sort over texts: each node's data holds the place of its text in one list of a million
// texts ("Value " and a random number), the comparison compares the two texts it finds there; the
// proxy sorts a model that answers the same texts.

std::vector<QString> RandomTexts() {
    const std::vector<int> keys = RandomKeys();
    std::vector<QString> texts;
    texts.reserve(keys.size());
    for (int k : keys) texts.push_back(QStringLiteral("Value %1").arg(k));
    return texts;
}

void BM_SortMillionTexts_LazyTree(benchmark::State& state) {
    static const std::vector<QString> texts = RandomTexts();
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Tree>(false);
        t->tree.TreeOptions().SetAutoOptions(t->tree.TreeOptions().AutoOptions() - TLTAutoOption::toAutoSort);
        t->tree.SetRootNodeCount(kNodes);
        int i = 0;
        for (PLazyNode n = t->tree.GetFirstNoInit(); n; n = n->NextSibling)
            *reinterpret_cast<int*>(n->Data()) = i++;
        t->tree.OnCompareNodes = [](TLazyTreeCore*, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
            result = texts[size_t(*reinterpret_cast<const int*>(a->Data()))].compare(
                texts[size_t(*reinterpret_cast<const int*>(b->Data()))]);
        };
        state.ResumeTiming();
        t->tree.Sort(nullptr, 0, TSortDirection::sdAscending, false);
        state.PauseTiming();
        const QString& first = texts[size_t(*reinterpret_cast<const int*>(t->tree.GetFirstNoInit()->Data()))];
        const QString& last = texts[size_t(*reinterpret_cast<const int*>(t->tree.RootNode()->LastChild->Data()))];
        if (first > last) state.SkipWithError("not sorted");
        t.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortMillionTexts_LazyTree)->Unit(benchmark::kMillisecond);

class TextModel final : public QAbstractListModel {
public:
    explicit TextModel(const std::vector<QString>& texts) : texts_(texts) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(texts_.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(texts_[size_t(index.row())]) : QVariant();
    }

private:
    const std::vector<QString>& texts_;
};

void BM_SortMillionTexts_SortProxy(benchmark::State& state) {
    static const std::vector<QString> texts = RandomTexts();
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<TextModel>(texts);
        auto proxy = std::make_unique<QSortFilterProxyModel>();
        proxy->setSourceModel(model.get());
        state.ResumeTiming();
        proxy->sort(0, Qt::AscendingOrder);
        state.PauseTiming();
        if (proxy->data(proxy->index(0, 0)).toString() > proxy->data(proxy->index(kNodes - 1, 0)).toString())
            state.SkipWithError("not sorted");
        proxy.reset();
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortMillionTexts_SortProxy)->Unit(benchmark::kMillisecond);

// ---- Scrolling and painting over the million displayed ----
// Both controls show a 600 x 400 viewport and render it offscreen through their own paint event
// into an image of that size, after each scroll.

constexpr int kViewW = 600, kViewH = 400;
constexpr int kPositions = 200;
constexpr int kWheelSteps = 1000;

void SizeViewport(QAbstractScrollArea& area) {
    area.resize(kViewW, kViewH);
    area.resize(kViewW + area.width() - area.viewport()->width(), kViewH + area.height() - area.viewport()->height());
    QApplication::processEvents();
}

std::unique_ptr<Tree> PaintedTree() {
    auto t = ExpandedTree();
    t->tree.OnGetText = [](TCustomLazyStringTree* s, PLazyNode n, TColumnIndex, TVSTTextType type, QString& text) {
        if (type == TVSTTextType::ttNormal) text = NodeText(int(s->GetNodeLevel(n)), int(n->Index));
    };
    SizeViewport(t->tree);
    // The position cache is built by the worker; painting starts from it.
    while (!t->tree.TreeStates().Contains(TLazyTreeState::tsUseCache)) {
        QApplication::processEvents();
        QThread::usleep(200);
    }
    return t;
}

std::unique_ptr<Peer> PaintedPeer() {
    auto p = std::make_unique<Peer>(false);
    p->model.BuildAll();
    p->view.expandAll();
    SizeViewport(p->view);
    return p;
}

void Wheel(QWidget* viewport) {
    const QPointF at(kViewW / 2.0, kViewH / 2.0);
    QWheelEvent e(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &e);
}

void BM_ScrollPositions_LazyTree(benchmark::State& state) {
    auto t = PaintedTree();
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    const int64_t range = t->tree.RangeY() - kViewH;
    for (auto _ : state)
        for (int i = 0; i < kPositions; ++i) {
            t->tree.SetOffsetY(-range * i / (kPositions - 1));
            t->tree.viewport()->render(&image);
        }
    if (t->tree.OffsetY() != -range) state.SkipWithError("not at the bottom");
    state.counters["frames"] = kPositions;
}
BENCHMARK(BM_ScrollPositions_LazyTree)->Unit(benchmark::kMillisecond);

void BM_ScrollPositions_QTreeView(benchmark::State& state) {
    auto p = PaintedPeer();
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    QScrollBar* bar = p->view.verticalScrollBar();
    for (auto _ : state)
        for (int i = 0; i < kPositions; ++i) {
            bar->setValue(int(int64_t(bar->maximum()) * i / (kPositions - 1)));
            p->view.viewport()->render(&image);
        }
    if (bar->value() != bar->maximum()) state.SkipWithError("not at the bottom");
    state.counters["frames"] = kPositions;
}
BENCHMARK(BM_ScrollPositions_QTreeView)->Unit(benchmark::kMillisecond);

void BM_WheelSteps_LazyTree(benchmark::State& state) {
    auto t = PaintedTree();
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        t->tree.SetOffsetY(0);
        state.ResumeTiming();
        for (int i = 0; i < kWheelSteps; ++i) {
            Wheel(t->tree.viewport());
            t->tree.viewport()->render(&image);
        }
    }
    if (t->tree.OffsetY() == 0) state.SkipWithError("did not scroll");
    state.counters["frames"] = kWheelSteps;
}
BENCHMARK(BM_WheelSteps_LazyTree)->Unit(benchmark::kMillisecond);

void BM_WheelSteps_QTreeView(benchmark::State& state) {
    auto p = PaintedPeer();
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        p->view.verticalScrollBar()->setValue(0);
        state.ResumeTiming();
        for (int i = 0; i < kWheelSteps; ++i) {
            Wheel(p->view.viewport());
            p->view.viewport()->render(&image);
        }
    }
    if (p->view.verticalScrollBar()->value() == 0) state.SkipWithError("did not scroll");
    state.counters["frames"] = kWheelSteps;
}
BENCHMARK(BM_WheelSteps_QTreeView)->Unit(benchmark::kMillisecond);

// One viewport at the top (0), the middle (1) and the bottom (2): the same cost everywhere.
void BM_PaintAt_LazyTree(benchmark::State& state) {
    auto t = PaintedTree();
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    const int64_t range = t->tree.RangeY() - kViewH;
    t->tree.SetOffsetY(-range * state.range(0) / 2);
    t->tree.viewport()->render(&image);
    for (auto _ : state) t->tree.viewport()->render(&image);
}
BENCHMARK(BM_PaintAt_LazyTree)->Arg(0)->Arg(1)->Arg(2)->ArgName("place")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
