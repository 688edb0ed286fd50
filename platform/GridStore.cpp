#include "platform/GridStore.h"

#include <algorithm>

namespace plat {

namespace {
const QString kEmpty;

// Moves element `from` of v to index `to`, shifting those between by one.
template <class T>
void moveElement(std::vector<T>& v, size_t from, size_t to) {
    if (from < to)
        std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
    else if (to < from)
        std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

// Where column k goes when column `from` moves to `to`.
int movedIndex(int k, int from, int to) {
    if (k == from) return to;
    if (from < to && k > from && k <= to) return k - 1;
    if (to < from && k >= to && k < from) return k + 1;
    return k;
}
}  // namespace

// ---- TGridStore ----

void TGridStore::Row::trim() {
    while (!texts.empty() && texts.back().isEmpty()) texts.pop_back();
    if (texts.empty()) texts.shrink_to_fit();
}

auto TGridStore::Row::find(int col) -> std::vector<std::pair<int, std::unique_ptr<TGridObject>>>::iterator {
    return std::lower_bound(objects.begin(), objects.end(), col,
                            [](const auto& e, int c) { return e.first < c; });
}

void TGridStore::SetRowCount(int count) {
    if (count < 0) count = 0;
    rows_.resize(size_t(count));
}

TGridStore::Row& TGridStore::record(int row) {
    auto& p = rows_[size_t(row)];
    if (!p) p = std::make_unique<Row>();
    return *p;
}

void TGridStore::dropIfEmpty(int row) {
    auto& p = rows_[size_t(row)];
    if (p && p->empty()) p.reset();
}

const QString& TGridStore::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0) return kEmpty;
    const Row* rec = rows_[size_t(row)].get();
    if (!rec || size_t(col) >= rec->texts.size()) return kEmpty;
    return rec->texts[size_t(col)];
}

void TGridStore::SetCell(int col, int row, const QString& text) {
    auto& p = rows_[size_t(row)];
    if (text.isEmpty()) {
        if (!p || size_t(col) >= p->texts.size()) return;
        p->texts[size_t(col)] = QString();
        if (size_t(col) + 1 == p->texts.size()) p->trim();
        dropIfEmpty(row);
        return;
    }
    Row& rec = record(row);
    if (size_t(col) >= rec.texts.size()) {
        if (rec.texts.capacity() == 0 && col < colHint_) rec.texts.reserve(size_t(colHint_));
        rec.texts.resize(size_t(col) + 1);
    }
    rec.texts[size_t(col)] = text;
}

TGridObject* TGridStore::Object(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0) return nullptr;
    Row* rec = rows_[size_t(row)].get();
    if (!rec) return nullptr;
    auto it = rec->find(col);
    return it != rec->objects.end() && it->first == col ? it->second.get() : nullptr;
}

void TGridStore::SetObject(int col, int row, std::unique_ptr<TGridObject> object) {
    if (!object) {
        TakeObject(col, row);  // the taken object dies here
        return;
    }
    Row& rec = record(row);
    auto it = rec.find(col);
    if (it != rec.objects.end() && it->first == col)
        it->second = std::move(object);
    else
        rec.objects.emplace(it, col, std::move(object));
}

std::unique_ptr<TGridObject> TGridStore::TakeObject(int col, int row) {
    if (row < 0 || row >= RowCount() || col < 0 || !rows_[size_t(row)]) return nullptr;
    Row& rec = *rows_[size_t(row)];
    auto it = rec.find(col);
    if (it == rec.objects.end() || it->first != col) return nullptr;
    std::unique_ptr<TGridObject> out = std::move(it->second);
    rec.objects.erase(it);
    dropIfEmpty(row);
    return out;
}

void TGridStore::MoveRow(int from, int to) { moveElement(rows_, size_t(from), size_t(to)); }

void TGridStore::InsertRow(int row) { rows_.insert(rows_.begin() + row, nullptr); }

void TGridStore::DeleteRow(int row) { rows_.erase(rows_.begin() + row); }

void TGridStore::MoveColumn(int from, int to) {
    if (from == to) return;
    const size_t need = size_t(std::max(from, to)) + 1;
    for (size_t r = 0; r < rows_.size(); ++r) {
        Row* rec = rows_[r].get();
        if (!rec) continue;
        if (rec->texts.size() > size_t(std::min(from, to))) {
            if (rec->texts.size() < need) rec->texts.resize(need);
            moveElement(rec->texts, size_t(from), size_t(to));
            rec->trim();
        }
        if (!rec->objects.empty()) {
            for (auto& e : rec->objects) e.first = movedIndex(e.first, from, to);
            std::sort(rec->objects.begin(), rec->objects.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
        }
    }
}

void TGridStore::DeleteColumn(int col) {
    for (size_t r = 0; r < rows_.size(); ++r) {
        Row* rec = rows_[r].get();
        if (!rec) continue;
        if (size_t(col) < rec->texts.size()) {
            rec->texts.erase(rec->texts.begin() + col);
            rec->trim();
        }
        auto it = rec->find(col);
        if (it != rec->objects.end() && it->first == col) it = rec->objects.erase(it);
        for (; it != rec->objects.end(); ++it) --it->first;
        dropIfEmpty(int(r));
    }
}

// ---- TGridAxis ----

void TGridAxis::SetCount(int count) {
    if (count < 0) count = 0;
    if (count == count_) return;
    count_ = count;
    if (!sizes_.empty()) {
        sizes_.resize(size_t(count), default_);
        treeValid_ = false;
    }
}

void TGridAxis::SetDefaultSize(int size) {
    default_ = size < 0 ? 0 : size;
    sizes_ = {};
    tree_ = {};
    treeValid_ = false;
}

void TGridAxis::ensureSizes() {
    if (!sizes_.empty() || count_ == 0) return;
    sizes_.assign(size_t(count_), default_);
    treeValid_ = false;
}

void TGridAxis::SetSize(int i, int size) {
    if (size < 0) size = 0;
    if (Size(i) == size) return;
    ensureSizes();
    const int delta = size - sizes_[size_t(i)];
    sizes_[size_t(i)] = size;
    if (!treeValid_) return;
    for (size_t k = size_t(i) + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += delta;
}

void TGridAxis::ensureTree() const {
    if (treeValid_) return;
    // Linear build: each node adds itself to its parent once.
    tree_.assign(sizes_.size() + 1, 0);
    for (size_t k = 1; k < tree_.size(); ++k) {
        tree_[k] += sizes_[k - 1];
        const size_t parent = k + (k & (~k + 1));
        if (parent < tree_.size()) tree_[parent] += tree_[k];
    }
    treeValid_ = true;
}

int64_t TGridAxis::Start(int i) const {
    if (i <= 0) return 0;
    if (i > count_) i = count_;
    int64_t sum = int64_t(i) * line_;
    if (sizes_.empty()) return sum + int64_t(i) * default_;
    ensureTree();
    for (size_t k = size_t(i); k > 0; k -= k & (~k + 1)) sum += tree_[k];
    return sum;
}

int TGridAxis::IndexAt(int64_t pos) const {
    if (pos < 0) return -1;
    if (sizes_.empty()) {
        const int64_t extent = int64_t(default_) + line_;
        if (extent <= 0) return count_;
        return int(std::min<int64_t>(pos / extent, count_));
    }
    ensureTree();
    // The largest i with Start(i) <= pos: descend the tree, each node covering `step` items.
    size_t idx = 0;
    int64_t rest = pos;
    size_t step = 1;
    while (step * 2 <= sizes_.size()) step *= 2;
    for (; step > 0; step /= 2) {
        const size_t next = idx + step;
        if (next > sizes_.size()) continue;
        const int64_t span = tree_[next] + int64_t(step) * line_;
        if (span <= rest) {
            idx = next;
            rest -= span;
        }
    }
    return int(idx);
}

void TGridAxis::Move(int from, int to) {
    if (from == to || sizes_.empty()) return;
    moveElement(sizes_, size_t(from), size_t(to));
    treeValid_ = false;
}

void TGridAxis::Insert(int i) {
    ++count_;
    if (sizes_.empty()) return;
    sizes_.insert(sizes_.begin() + i, default_);
    treeValid_ = false;
}

void TGridAxis::Erase(int i) {
    --count_;
    if (sizes_.empty()) return;
    sizes_.erase(sizes_.begin() + i);
    treeValid_ = false;
}

}  // namespace plat
