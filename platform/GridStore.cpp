#include "platform/GridStore.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <iterator>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define CONF_GRID_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CONF_GRID_ASAN 1
#endif
#endif
#ifdef CONF_GRID_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

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

inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

inline void prefetchForWrite(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p, 1);
#else
    (void)p;
#endif
}

// How many rows ahead a pass asks for memory: far enough to cover a miss, near enough to stay in
// the cache until it is read.
constexpr size_t kAhead = 8;

// Where column k goes when column `from` moves to `to`.
int movedIndex(int k, int from, int to) {
    if (k == from) return to;
    if (from < to && k > from && k <= to) return k - 1;
    if (to < from && k >= to && k < from) return k + 1;
    return k;
}
}  // namespace

// ---- the arena ----
//
// Row records are carved from blocks, so that filling a million rows costs a pointer bump a row
// instead of a heap allocation, and the memory comes in a few large pieces whose first touch is
// cheap (huge pages where the system gives them). Each block holds slots of one size; a record
// knows its block, so it can be freed after the store died or from another store it was moved
// into. A block goes back to the system when its last record goes, except for one empty block per
// slot size kept for the next rows; blocks still holding records when the store dies are released
// by their last record.

namespace {
constexpr size_t kFirstBlock = size_t(16) << 10;  // a small grid stays small
constexpr size_t kBigBlock = size_t(2) << 20;     // blocks grow to this, one huge page each
constexpr size_t kBlockAlign = 64;

std::atomic<size_t> allBlockBytes{0};

#ifdef CONF_GRID_ASAN
void poison(const void* p, size_t n) { ASAN_POISON_MEMORY_REGION(p, n); }
void unpoison(const void* p, size_t n) { ASAN_UNPOISON_MEMORY_REGION(p, n); }
#else
void poison(const void*, size_t) {}
void unpoison(const void*, size_t) {}
#endif

// A block of `bytes` at kBigBlock alignment straight from the system, asking for huge pages; null
// if the system has none to give, and the caller takes heap memory instead.
void* mapBlock(size_t bytes) {
#if defined(__linux__)
    const size_t span = bytes + kBigBlock;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kBigBlock - 1) & ~uintptr_t(kBigBlock - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const uintptr_t end = start + span, used = aligned + bytes;
    if (end > used) munmap(reinterpret_cast<void*>(used), end - used);
    void* p = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(p, bytes, MADV_HUGEPAGE);  // a refusal only costs speed
#endif
#ifdef CONF_GRID_ASAN
    __lsan_register_root_region(p, bytes);  // the texts' only references live here
#endif
    return p;
#else
    (void)bytes;
    return nullptr;
#endif
}

void unmapBlock(void* p, size_t bytes) {
#if defined(__linux__)
#ifdef CONF_GRID_ASAN
    __lsan_unregister_root_region(p, bytes);
#endif
    munmap(p, bytes);
#else
    (void)p;
    (void)bytes;
#endif
}
}  // namespace

// A block's header sits at its start, its slots after it.
struct TGridStore::Block {
    TGridStore::Arena* owner;  // null once the store died
    Block* prevAll;            // every block of the owner
    Block* nextAll;
    Block* prevRoom;  // the blocks of this slot size with a free slot
    Block* nextRoom;
    void* freeList;   // slots freed, linked through their first word
    size_t bytes;
    uint32_t slotBytes;
    uint32_t slotCount;
    uint32_t carved;  // slots handed out at least once, from the front
    uint32_t live;
    uint16_t sizeClass;
    bool mapped;
    bool inRoom;

    static size_t headerBytes() { return (sizeof(Block) + kBlockAlign - 1) & ~(kBlockAlign - 1); }
    char* slot(uint32_t i) { return reinterpret_cast<char*>(this) + headerBytes() + size_t(i) * slotBytes; }
};

class TGridStore::Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Empty blocks go back now; the others are left to their last record.
    ~Arena() {
        for (Block* b = all_; b;) {
            Block* next = b->nextAll;
            if (b->live == 0) freeBlock(b);
            else b->owner = nullptr;
            b = next;
        }
    }

    // Records wider than this take their own allocation; a block holds at least 8 of them.
    static bool fits(size_t bytes) { return bytes <= (kBigBlock - Block::headerBytes()) / 8; }

    // A slot; a fresh one comes after the last fresh one, never from a free list.
    void* allocate(size_t bytes, Block*& home, bool fresh = false) {
        Class& c = classFor(bytes);
        Block* b = fresh ? freshBlock(c) : c.room ? c.room : newBlock(c);
        void* p;
        if (b->freeList && !fresh) {
            p = b->freeList;
            unpoison(p, b->slotBytes);
            b->freeList = *static_cast<void**>(p);
        } else {
            p = b->slot(b->carved++);
            unpoison(p, b->slotBytes);
        }
        if (++b->live == b->slotCount) unlinkRoom(c, b);
        if (c.spare == b) c.spare = nullptr;
        home = b;
        return p;
    }

    // The slot p of block b is free again; b's owner may be gone.
    static void release(Block* b, void* p) {
        *static_cast<void**>(p) = b->freeList;
        b->freeList = p;
        poison(p, b->slotBytes);
        --b->live;
        if (!b->owner) {
            if (b->live == 0) freeBlock(b);
            return;
        }
        b->owner->returned(b);
    }

    size_t blockBytes() const { return blockBytes_; }
    size_t mappedBytes() const { return mappedBytes_; }

private:
    struct Class {
        size_t slotBytes;
        size_t nextBlock;        // the size of the next block made
        Block* room = nullptr;   // blocks with a free slot
        Block* spare = nullptr;  // the one empty block kept
        Block* fresh = nullptr;  // where fresh slots were carved last
    };

    // The block fresh slots are carved from: the last one while it has uncarved room, else the
    // empty block kept, else a new one.
    Block* freshBlock(Class& c) {
        if (c.fresh && c.fresh->carved < c.fresh->slotCount) return c.fresh;
        if (c.spare) {
            Block* b = c.spare;
            b->freeList = nullptr;  // every slot is free: carve them in order again
            b->carved = 0;
            c.fresh = b;
            return b;
        }
        c.fresh = newBlock(c);
        return c.fresh;
    }

    Class& classFor(size_t bytes) {
        if (last_ < classes_.size() && classes_[last_].slotBytes == bytes) return classes_[last_];
        for (size_t i = 0; i < classes_.size(); ++i)
            if (classes_[i].slotBytes == bytes) return classes_[last_ = i];
        classes_.push_back(Class{bytes, std::max(kFirstBlock, Block::headerBytes() + 8 * bytes)});
        return classes_[last_ = classes_.size() - 1];
    }

    Block* newBlock(Class& c) {
        const size_t bytes = c.nextBlock;
        void* mem = bytes >= kBigBlock ? mapBlock(bytes) : nullptr;
        const bool mapped = mem != nullptr;
        if (!mem) mem = ::operator new(bytes, std::align_val_t(kBlockAlign));
        Block* b = new (mem) Block{};
        b->owner = this;
        b->bytes = bytes;
        b->slotBytes = uint32_t(c.slotBytes);
        b->slotCount = uint32_t((bytes - Block::headerBytes()) / c.slotBytes);
        b->sizeClass = uint16_t(&c - classes_.data());
        b->mapped = mapped;
        poison(b->slot(0), bytes - Block::headerBytes());
        b->nextAll = all_;
        if (all_) all_->prevAll = b;
        all_ = b;
        linkRoom(c, b);
        blockBytes_ += bytes;
        if (mapped) mappedBytes_ += bytes;
        allBlockBytes.fetch_add(bytes, std::memory_order_relaxed);
        c.nextBlock = std::min(bytes * 2, kBigBlock);
        return b;
    }

    void returned(Block* b) {
        Class& c = classes_[b->sizeClass];
        if (!b->inRoom) linkRoom(c, b);
        if (b->live != 0) return;
        if (!c.spare) {
            c.spare = b;
            return;
        }
        unlinkRoom(c, b);
        if (c.fresh == b) c.fresh = nullptr;
        if (b->prevAll) b->prevAll->nextAll = b->nextAll;
        else all_ = b->nextAll;
        if (b->nextAll) b->nextAll->prevAll = b->prevAll;
        blockBytes_ -= b->bytes;
        if (b->mapped) mappedBytes_ -= b->bytes;
        freeBlock(b);
    }

    static void linkRoom(Class& c, Block* b) {
        b->prevRoom = nullptr;
        b->nextRoom = c.room;
        if (c.room) c.room->prevRoom = b;
        c.room = b;
        b->inRoom = true;
    }

    static void unlinkRoom(Class& c, Block* b) {
        if (b->prevRoom) b->prevRoom->nextRoom = b->nextRoom;
        else c.room = b->nextRoom;
        if (b->nextRoom) b->nextRoom->prevRoom = b->prevRoom;
        b->prevRoom = b->nextRoom = nullptr;
        b->inRoom = false;
    }

    static void freeBlock(Block* b) {
        const size_t bytes = b->bytes;
        const bool mapped = b->mapped;
        allBlockBytes.fetch_sub(bytes, std::memory_order_relaxed);
        unpoison(b, bytes);
        b->~Block();
        if (mapped) unmapBlock(b, bytes);
        else ::operator delete(static_cast<void*>(b), std::align_val_t(kBlockAlign));
    }

    std::vector<Class> classes_;
    size_t last_ = 0;
    Block* all_ = nullptr;
    size_t blockBytes_ = 0;
    size_t mappedBytes_ = 0;
};

// ---- TGridStore ----

TGridStore::TGridStore() : arena_(std::make_unique<Arena>()) {}

TGridStore::~TGridStore() {
    rows_.clear();  // while the arena can still take the slots back
}

size_t TGridStore::BlockBytes() const { return arena_->blockBytes(); }
size_t TGridStore::MappedBytes() const { return arena_->mappedBytes(); }
size_t TGridStore::AllBlockBytes() { return allBlockBytes.load(std::memory_order_relaxed); }

void TGridStore::RowDeleter::operator()(Row* row) const {
    if (isNumber(row)) return;  // a kept number owns nothing
    QString* t = row->texts();
    for (int i = 0; i < row->size; ++i) t[i].~QString();
    Block* home = row->block;
    row->~Row();
    if (home) Arena::release(home, row);
    else ::operator delete(static_cast<void*>(row));
}

TGridStore::Arena* TGridStore::arenaOf(const Row& row) { return row.block ? row.block->owner : nullptr; }

TGridStore::RowPtr TGridStore::makeRow(Arena* arena, int cap, bool fresh) {
    const size_t bytes = sizeof(Row) + sizeof(QString) * size_t(cap);
    Block* home = nullptr;
    void* mem = arena && Arena::fits(bytes) ? arena->allocate(bytes, home, fresh) : ::operator new(bytes);
    Row* row = new (mem) Row;
    row->cap = cap;
    row->block = home;
    return RowPtr(row);
}

void TGridStore::makeNumberRecord(RowPtr& p, Arena* arena, int cap) {
    const int number = numberOf(p.get());
    RowPtr made = makeRow(arena, std::max(cap, 1));
    new (made->texts()) QString(QString::number(number));
    made->size = 1;
    p = std::move(made);
}

void TGridStore::Row::trim() {
    QString* t = texts();
    while (size > 0 && t[size - 1].isEmpty()) t[--size].~QString();
}

// ---- a row's objects ----

void TGridStore::Objects::steal(Objects& o) noexcept {
    col_ = o.col_;
    size_ = o.size_;
    room_ = o.room_;
    if (size_ > 1) many_ = o.many_;
    else obj_ = o.obj_;
    o.col_ = 0;
    o.size_ = o.room_ = 0;
    o.obj_ = nullptr;
}

auto TGridStore::Objects::operator=(Objects&& o) noexcept -> Objects& {
    if (this != &o) {
        clear();
        steal(o);
    }
    return *this;
}

size_t TGridStore::Objects::find(int col) const {
    if (size_ <= 1) return size_ == 1 && col_ < col ? 1 : 0;
    return size_t(std::lower_bound(many_, many_ + size_, col, [](const Entry& e, int c) { return e.col < c; }) - many_);
}

void TGridStore::Objects::insert(size_t i, int col, std::unique_ptr<TGridObject> obj) {
    if (size_ == 0) {
        col_ = col;
        obj_ = obj.release();
        size_ = 1;
        return;
    }
    if (size_ == 1) {
        // The second one: both go to the heap.
        Entry* heap = new Entry[4];
        heap[0] = {col_, obj_};
        many_ = heap;
        room_ = 4;
    } else if (size_ == room_) {
        Entry* grown = new Entry[size_t(room_) * 2];
        std::copy(many_, many_ + size_, grown);
        delete[] many_;
        many_ = grown;
        room_ *= 2;
    }
    std::copy_backward(many_ + i, many_ + size_, many_ + size_ + 1);
    many_[i] = {col, obj.release()};
    ++size_;
}

std::unique_ptr<TGridObject> TGridStore::Objects::take(size_t i) {
    if (size_ == 1) {
        std::unique_ptr<TGridObject> out(obj_);
        col_ = 0;
        size_ = 0;
        obj_ = nullptr;
        return out;
    }
    std::unique_ptr<TGridObject> out(many_[i].obj);
    std::copy(many_ + i + 1, many_ + size_, many_ + i);
    if (--size_ == 1) {
        // Back to one: it returns into the list.
        Entry* heap = many_;
        col_ = heap[0].col;
        obj_ = heap[0].obj;
        room_ = 0;
        delete[] heap;
    }
    return out;
}

void TGridStore::Objects::sortByCol() {
    if (size_ > 1) std::sort(many_, many_ + size_, [](const Entry& a, const Entry& b) { return a.col < b.col; });
}

void TGridStore::Objects::clear() {
    if (size_ > 1) {
        for (size_t i = 0; i < size_; ++i) delete many_[i].obj;
        delete[] many_;
    } else if (size_ == 1) {
        delete obj_;
    }
    col_ = 0;
    size_ = room_ = 0;
    obj_ = nullptr;
}

void TGridStore::SetRowCount(int count) {
    if (count < 0) count = 0;
    rows_.resize(size_t(count));
}

TGridStore::Row& TGridStore::roomFor(int row, int col) {
    RowPtr& p = rows_[size_t(row)];
    if (isNumber(p.get())) makeNumberRecord(p, arena_.get(), std::max(col + 1, colHint_));
    if (!p) {
        p = makeRow(arena_.get(), std::max(col + 1, colHint_));
    } else if (col >= p->cap) {
        // A record grows by moving its texts into a larger one.
        RowPtr bigger = makeRow(arena_.get(), std::max(col + 1, p->cap * 2));
        QString* from = p->texts();
        QString* to = bigger->texts();
        for (int i = 0; i < p->size; ++i) new (to + i) QString(std::move(from[i]));
        bigger->size = p->size;
        bigger->objs = std::move(p->objs);
        p = std::move(bigger);
    }
    Row& rec = *p;
    QString* t = rec.texts();
    while (rec.size <= col) new (t + rec.size++) QString();
    return rec;
}

void TGridStore::dropIfEmpty(int row) {
    RowPtr& p = rows_[size_t(row)];
    if (p && !isNumber(p.get()) && p->empty()) p.reset();
}

size_t TGridStore::RecordCount() const {
    size_t n = 0;
    for (size_t r = 0; r < rows_.size(); ++r) n += record(r) != nullptr;
    return n;
}

void TGridStore::SetRowNumber(int row, int number) {
    RowPtr& p = rows_[size_t(row)];
    if (number < 0 || (p && !isNumber(p.get()))) {
        SetCell(0, row, QString::number(number));
        return;
    }
    p.reset(numberTag(number));
}

const QString& TGridStore::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0) return kEmpty;
    const Row* rec = rows_[size_t(row)].get();
    if (isNumber(rec)) [[unlikely]]
        return numberCell(col, row);
    if (!rec || col >= rec->size) return kEmpty;
    return rec->texts()[col];
}

const QString& TGridStore::numberCell(int col, int row) const {
    if (col != 0) return kEmpty;
    // Its text is asked for: from now on the row holds it like any written text.
    makeNumberRecord(rows_[size_t(row)], arena_.get(), colHint_);
    return rows_[size_t(row)]->texts()[0];
}

void TGridStore::setCellSlow(int col, int row, QString text) {
    if (text.isEmpty()) {
        Row* rec = rows_[size_t(row)].get();
        if (isNumber(rec)) {
            // The number was the row's only text.
            if (col == 0) rows_[size_t(row)].reset();
            return;
        }
        if (!rec || col >= rec->size) return;
        rec->texts()[col] = QString();
        if (col + 1 == rec->size) rec->trim();
        dropIfEmpty(row);
        return;
    }
    roomFor(row, col).texts()[col] = std::move(text);
}

TGridObject* TGridStore::Object(int col, int row) const {
    if (row < 0 || row >= RowCount() || col < 0) return nullptr;
    const Row* rec = record(size_t(row));
    return rec ? rec->objs.get(col) : nullptr;
}

void TGridStore::PrefetchObjects(int row) const {
    if (row < 0 || row >= RowCount()) return;
    const Row* rec = record(size_t(row));
    if (!rec) return;
    // The record holds one object itself; several lie in a list of their own, which can only be
    // asked for once the record is here.
    if (const void* heap = rec->objs.heap()) prefetch(heap);
}

void TGridStore::PrefetchObject(int col, int row) const {
    if (const TGridObject* o = Object(col, row)) prefetch(o);
}

void TGridStore::SetObject(int col, int row, std::unique_ptr<TGridObject> object) {
    if (!object) {
        TakeObject(col, row);  // the taken object dies here
        return;
    }
    RowPtr& p = rows_[size_t(row)];
    if (isNumber(p.get())) makeNumberRecord(p, arena_.get(), colHint_);
    if (!p) p = makeRow(arena_.get(), 0);
    Row& rec = *p;
    const size_t i = rec.objs.find(col);
    if (i < rec.objs.size() && rec.objs.col(i) == col) {
        std::unique_ptr<TGridObject> old = rec.objs.take(i);  // freed when the new one is in
        rec.objs.insert(i, col, std::move(object));
    } else {
        rec.objs.insert(i, col, std::move(object));
    }
}

std::unique_ptr<TGridObject> TGridStore::TakeObject(int col, int row) {
    if (row < 0 || row >= RowCount() || col < 0 || !record(size_t(row))) return nullptr;
    Row& rec = *rows_[size_t(row)];
    const size_t i = rec.objs.find(col);
    if (i >= rec.objs.size() || rec.objs.col(i) != col) return nullptr;
    std::unique_ptr<TGridObject> out = rec.objs.take(i);
    dropIfEmpty(row);
    return out;
}

void TGridStore::MoveRow(int from, int to) { moveElement(rows_, size_t(from), size_t(to)); }

void TGridStore::InsertRow(int row) { rows_.insert(rows_.begin() + row, nullptr); }

std::vector<TGridStore::TRowRecord> TGridStore::TakeRecords(int row, int count) {
    std::vector<TRowRecord> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) out.push_back(TRowRecord(std::move(rows_[size_t(row + i)])));
    rows_.erase(rows_.begin() + row, rows_.begin() + row + count);
    return out;
}

void TGridStore::InsertRecords(int row, std::vector<TRowRecord> records) {
    std::vector<RowPtr> moved;
    moved.reserve(records.size());
    for (TRowRecord& r : records) moved.push_back(std::move(r.rec_));
    rows_.insert(rows_.begin() + row, std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
}

std::vector<TGridStore::TRowRecord> TGridStore::TakeRecordsList(const std::vector<int>& rows) {
    std::vector<TRowRecord> out;
    out.reserve(rows.size());
    size_t w = 0, j = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (j < rows.size() && size_t(rows[j]) == i) {
            out.push_back(TRowRecord(std::move(rows_[i])));
            ++j;
        } else {
            if (w != i) rows_[w] = std::move(rows_[i]);
            ++w;
        }
    }
    rows_.resize(w);
    return out;
}

void TGridStore::InsertRecordsList(const std::vector<int>& positions, std::vector<TRowRecord> records) {
    const size_t old = rows_.size(), total = old + records.size();
    rows_.resize(total);
    // From the end, so nothing is overwritten before it moved.
    ptrdiff_t s = ptrdiff_t(old) - 1, j = ptrdiff_t(records.size()) - 1;
    for (ptrdiff_t t = ptrdiff_t(total) - 1; t >= 0; --t) {
        if (j >= 0 && positions[size_t(j)] == t) rows_[size_t(t)] = std::move(records[size_t(j--)].rec_);
        else if (s >= 0) rows_[size_t(t)] = std::move(rows_[size_t(s--)]);
    }
}

const QString& TGridStore::TRowRecord::Cell(int col) const {
    if (isNumber(rec_.get())) {
        if (col != 0) return kEmpty;
        makeNumberRecord(rec_, nullptr, 1);
    }
    if (!rec_ || col < 0 || col >= rec_->size) return kEmpty;
    return rec_->texts()[col];
}

TGridObject* TGridStore::TRowRecord::Object(int col) const {
    return rec_ && !isNumber(rec_.get()) ? rec_->objs.get(col) : nullptr;
}

int TGridStore::TRowRecord::TextCount() const {
    if (isNumber(rec_.get())) return 1;
    return rec_ ? rec_->size : 0;
}

void TGridStore::TRowRecord::SwapColumns(int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    QString ta = Cell(a), tb = Cell(b);
    SetCell(a, std::move(tb));
    SetCell(b, std::move(ta));
    if (!rec_) return;
    Objects& o = rec_->objs;
    bool moved = false;
    for (size_t i = 0; i < o.size(); ++i) {
        if (o.col(i) == a) o.setCol(i, b), moved = true;
        else if (o.col(i) == b) o.setCol(i, a), moved = true;
    }
    if (moved) o.sortByCol();
}

void TGridStore::TRowRecord::SetCell(int col, QString text) {
    if (col < 0) return;
    if (isNumber(rec_.get())) makeNumberRecord(rec_, nullptr, col + 1);
    if (!rec_ || col >= rec_->cap) {
        if (text.isEmpty()) return;
        RowPtr bigger = makeRow(rec_ ? arenaOf(*rec_) : nullptr, std::max(col + 1, rec_ ? rec_->cap * 2 : 0));
        if (rec_) {
            QString* from = rec_->texts();
            for (int i = 0; i < rec_->size; ++i) new (bigger->texts() + i) QString(std::move(from[i]));
            bigger->size = rec_->size;
            bigger->objs = std::move(rec_->objs);
        }
        rec_ = std::move(bigger);
    }
    QString* t = rec_->texts();
    while (rec_->size <= col) new (t + rec_->size++) QString();
    t[col] = std::move(text);
    rec_->trim();
}

void TGridStore::DeleteRow(int row) { rows_.erase(rows_.begin() + row); }

void TGridStore::MoveColumn(int from, int to) {
    if (from == to) return;
    const int lo = std::min(from, to), hi = std::max(from, to);
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (isNumber(rows_[r].get())) {
            if (lo > 0) continue;  // column 0 stays where it is
            makeNumberRecord(rows_[r], arena_.get(), colHint_);
        }
        if (!rows_[r]) continue;
        if (rows_[r]->size > lo) {
            Row& rec = roomFor(int(r), hi);
            QString* t = rec.texts();
            if (from < to)
                std::rotate(t + from, t + from + 1, t + to + 1);
            else
                std::rotate(t + to, t + from, t + from + 1);
            rec.trim();
        }
        Row& rec = *rows_[r];
        if (rec.hasObjects()) {
            for (size_t i = 0; i < rec.objs.size(); ++i) rec.objs.setCol(i, movedIndex(rec.objs.col(i), from, to));
            rec.objs.sortByCol();
        }
    }
}

void TGridStore::DeleteColumn(int col) {
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (r + kAhead < rows_.size()) {
            // The texts of the column go: releasing one writes to its shared data, which lies
            // wherever it was made.
            if (Row* ahead = record(r + kAhead); ahead && col < ahead->size)
                if (const QArrayData* d = ahead->texts()[col].data_ptr().d_ptr()) prefetchForWrite(d);
            PrefetchObjects(int(r + kAhead));
        }
        Row* rec = rows_[r].get();
        if (isNumber(rec)) {
            if (col == 0) rows_[r].reset();  // the number goes with its column
            continue;
        }
        if (!rec) continue;
        if (col < rec->size) {
            QString* t = rec->texts();
            std::move(t + col + 1, t + rec->size, t + col);
            t[--rec->size].~QString();
            rec->trim();
        }
        if (!rec->objs.empty()) {
            size_t i = rec->objs.find(col);
            if (i < rec->objs.size() && rec->objs.col(i) == col) rec->objs.take(i);  // freed here
            for (; i < rec->objs.size(); ++i) rec->objs.setCol(i, rec->objs.col(i) - 1);
        }
        dropIfEmpty(int(r));
    }
}

void TGridStore::moveContent(Row& to, Row& from) {
    QString* f = from.texts();
    QString* t = to.texts();
    for (int i = 0; i < from.size; ++i) {
        new (t + i) QString(std::move(f[i]));
        f[i].~QString();
    }
    to.size = from.size;
    from.size = 0;
    to.objs = std::move(from.objs);
}

bool TGridStore::PermuteRecords(std::vector<TRowRecord>& records, const std::vector<size_t>& order) {
    const size_t n = records.size();
    if (order.size() != n || n >= 0x80000000u) return false;
    if (n == 0) return true;
    // Any record takes any other's texts when the fullest holds no more than the narrowest has
    // room for (rows made before a column count changed have another room than the rest).
    int minCap = INT_MAX, maxSize = 0;
    for (const TRowRecord& r : records) {
        if (!r.rec_ || isNumber(r.rec_.get())) return false;
        minCap = std::min(minCap, r.rec_->cap);
        maxSize = std::max(maxSize, r.rec_->size);
    }
    if (maxSize > minCap) return false;
    // Followed below as a chain of places, in 32-bit steps (half the memory of the order), each
    // place marked once visited; a place met twice or out of range is no permutation.
    constexpr uint32_t kVisited = UINT32_MAX;
    std::vector<uint32_t> next(n);
    {
        std::vector<bool> seen(n, false);
        for (size_t i = 0; i < n; ++i) {
            if (order[i] >= n || seen[order[i]]) return false;
            seen[order[i]] = true;
            next[i] = uint32_t(order[i]);
        }
    }
    // The cycles are listed first, each as its first place (marked) and the places it visits: the
    // chain of places is then followed over this small array alone, without waiting on a record.
    constexpr uint32_t kCycleStart = 0x80000000u;
    std::vector<uint32_t> seq;
    seq.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (next[i] == kVisited || next[i] == i) continue;
        seq.push_back(uint32_t(i) | kCycleStart);
        for (uint32_t j = uint32_t(i);;) {
            const uint32_t k = std::exchange(next[j], kVisited);
            if (k == i) break;
            seq.push_back(k);
            j = k;
        }
    }
    // Then each cycle in turn along the list: its first record's content waits aside while every
    // other one moves one step back. The records come in no order memory likes; the list tells
    // which ones come next, so they are asked for some steps ahead (their places in the vector
    // twice as far).
    const size_t m = seq.size();
    const size_t bytes = sizeof(Row) + sizeof(QString) * size_t(maxSize);
    constexpr size_t kLead = 4 * kAhead;
    const auto recordAt = [&](size_t p) { return records[seq[p] & ~kCycleStart].rec_.get(); };
    RowPtr aside = makeRow(nullptr, minCap);
    Row* prev = nullptr;
    for (size_t p = 0; p < m; ++p) {
        if (p + 2 * kLead < m) prefetch(&records[seq[p + 2 * kLead] & ~kCycleStart]);
        if (p + kLead < m) {
            const char* ahead = reinterpret_cast<const char*>(recordAt(p + kLead));
            for (size_t b = 0; b < bytes; b += 64) prefetch(ahead + b);
        }
        Row* cur = recordAt(p);
        if (seq[p] & kCycleStart) {
            if (prev) moveContent(*prev, *aside);  // the cycle before closes
            moveContent(*aside, *cur);
        } else {
            moveContent(*prev, *cur);
        }
        prev = cur;
    }
    if (prev) moveContent(*prev, *aside);
    return true;
}

void TGridStore::Compact(int row, int count) {
    const size_t end = std::min(rows_.size(), size_t(row) + size_t(count));
    for (size_t r = size_t(row); r < end; ++r) {
        // The records were reordered, so each one is a miss of its own: a record's first line is
        // asked for two steps ahead, the rest of its texts (their count read from that line) one
        // step ahead.
        if (r + 2 * kAhead < end) prefetch(rows_[r + 2 * kAhead].get());
        if (r + kAhead < end)
            if (const Row* ahead = record(r + kAhead)) {
                const char* p = reinterpret_cast<const char*>(ahead) + 64;
                const char* last = reinterpret_cast<const char*>(ahead->texts() + ahead->size);
                for (; p < last; p += 64) prefetch(p);
            }
        Row* old = record(r);
        // A row too wide for a block keeps its own allocation; one made outside a store comes in.
        if (!old || !Arena::fits(sizeof(Row) + sizeof(QString) * size_t(old->cap))) continue;
        RowPtr fresh = makeRow(arena_.get(), old->cap, true);
        QString* from = old->texts();
        QString* to = fresh->texts();
        for (int i = 0; i < old->size; ++i) new (to + i) QString(std::move(from[i]));
        fresh->size = old->size;
        fresh->objs = std::move(old->objs);
        rows_[r] = std::move(fresh);
    }
}

// ---- TGridAxis ----

void TGridAxis::SetCount(int count) {
    if (count < 0) count = 0;
    if (count == count_) return;
    const int old = count_;
    count_ = count;
    if (sizes_.empty()) return;
    sizes_.resize(size_t(count), default_);
    if (!treeValid_) return;
    // A node covers only items below it: shrinking keeps the lower nodes, growing adds nodes one by
    // one in O(log n) each, so rows added at the end never rebuild the tree.
    tree_.resize(size_t(count) + 1);
    for (size_t k = size_t(old) + 1; k <= size_t(count); ++k) {
        int64_t sum = sizes_[k - 1];
        const size_t low = k - (k & (~k + 1));
        for (size_t j = k - 1; j > low; j -= j & (~j + 1)) sum += tree_[j];
        tree_[k] = sum;
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

std::vector<int> TGridAxis::EraseRange(int i, int n) {
    std::vector<int> out(size_t(n), default_);
    count_ -= n;
    if (sizes_.empty()) return out;
    std::copy(sizes_.begin() + i, sizes_.begin() + i + n, out.begin());
    sizes_.erase(sizes_.begin() + i, sizes_.begin() + i + n);
    treeValid_ = false;
    return out;
}

std::vector<int> TGridAxis::EraseList(const std::vector<int>& items) {
    std::vector<int> out(items.size(), default_);
    count_ -= int(items.size());
    if (sizes_.empty()) return out;
    size_t w = 0, j = 0;
    for (size_t i = 0; i < sizes_.size(); ++i) {
        if (j < items.size() && size_t(items[j]) == i) out[j++] = sizes_[i];
        else sizes_[w++] = sizes_[i];
    }
    sizes_.resize(w);
    treeValid_ = false;
    return out;
}

void TGridAxis::InsertList(const std::vector<int>& positions, const std::vector<int>& sizes) {
    const bool allDefault = std::all_of(sizes.begin(), sizes.end(), [this](int v) { return v == default_; });
    if (sizes_.empty() && allDefault) {
        count_ += int(sizes.size());
        return;
    }
    ensureSizes();
    const size_t old = sizes_.size(), total = old + sizes.size();
    sizes_.resize(total);
    ptrdiff_t s = ptrdiff_t(old) - 1, j = ptrdiff_t(sizes.size()) - 1;
    for (ptrdiff_t t = ptrdiff_t(total) - 1; t >= 0; --t) {
        if (j >= 0 && positions[size_t(j)] == t) sizes_[size_t(t)] = sizes[size_t(j--)];
        else if (s >= 0) sizes_[size_t(t)] = sizes_[size_t(s--)];
    }
    count_ += int(sizes.size());
    treeValid_ = false;
}

void TGridAxis::InsertRange(int i, const std::vector<int>& sizes) {
    const bool allDefault = std::all_of(sizes.begin(), sizes.end(), [this](int v) { return v == default_; });
    if (sizes_.empty() && allDefault) {
        count_ += int(sizes.size());
        return;
    }
    ensureSizes();
    sizes_.insert(sizes_.begin() + i, sizes.begin(), sizes.end());
    count_ += int(sizes.size());
    treeValid_ = false;
}

}  // namespace plat
