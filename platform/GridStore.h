#pragma once
// The string grid's state without a widget: the cell store and the geometry of one axis. Both are
// built for a million rows: a cell write, a row's position and the row at a pixel cost at most
// O(log n); only what is linear by nature (a row moved or deleted in the middle) touches them all.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace plat {

// What a cell's object slot holds. The slot owns it: it dies with its cell, its row or the grid.
class TGridObject {
public:
    virtual ~TGridObject() = default;
};

// Cells by row: a vector of row pointers, a row record only for a row written at least once. A row
// number a grid writes into column 0 of an empty row is kept in the row's pointer itself, without a
// record, until the row is written or that text is read: the tables of a program's windows number
// hundreds of rows each that nobody may ever look at.
// A record holds its texts up to its last non-empty column and its objects sparsely, so columns at
// or beyond the grid's column count (hidden columns) keep their cells. Moving a row moves a pointer.
// The store has no bounds of its own beyond the row count: the grid checks writes.
class TGridStore {
    struct Row;
    struct Block;
    class Arena;
    struct RowDeleter {
        void operator()(Row* row) const;
    };
    using RowPtr = std::unique_ptr<Row, RowDeleter>;

public:
    TGridStore();
    ~TGridStore();
    TGridStore(const TGridStore&) = delete;
    TGridStore& operator=(const TGridStore&) = delete;

    // A row taken out of the store whole (texts and objects); put back with InsertRecords. It may
    // outlive its store and go into another one.
    class TRowRecord {
    public:
        TRowRecord() = default;
        // The text of a column; empty beyond the last one.
        const QString& Cell(int col) const;
        TGridObject* Object(int col) const;
        // Texts in use: 0 for an empty row.
        int TextCount() const;
        // Writes a text of the record while it is out of the store (col 0 or more).
        void SetCell(int col, QString text);
        // Two columns of the record exchange their texts and objects.
        void SwapColumns(int a, int b);

    private:
        friend class TGridStore;
        explicit TRowRecord(RowPtr p) : rec_(std::move(p)) {}
        // A kept number becomes a record when its text is read.
        mutable RowPtr rec_;
    };

    int RowCount() const { return int(rows_.size()); }
    // New rows are empty; rows beyond a lower count are dropped with their objects.
    void SetRowCount(int count);
    // Records made by a first write reserve this many texts (the grid's column count).
    void SetColumnHint(int columns) { colHint_ = columns; }

    // An empty text outside the rows, below column 0 or beyond the row's last text.
    const QString& Cell(int col, int row) const;
    // Column 0 of the row reads as the number in decimal. A row without a record keeps the number
    // without making one; a row with one takes it as a write. The row must exist.
    void SetRowNumber(int row, int number);
    // An empty text clears the entry. The row must exist and the column be 0 or more. The text is
    // taken by value so that a caller's temporary moves in without touching its reference count.
    void SetCell(int col, int row, QString text) {
        Row* rec = rows_[size_t(row)].get();
        if (rec && !isNumber(rec) && col < rec->cap && !text.isEmpty()) {
            QString* t = rec->texts();
            while (rec->size <= col) new (t + rec->size++) QString();
            t[col] = std::move(text);
            return;
        }
        setCellSlow(col, row, std::move(text));
    }
    TGridObject* Object(int col, int row) const;
    // Puts an object in the slot, freeing the one it held.
    void SetObject(int col, int row, std::unique_ptr<TGridObject> object);
    // Takes the object out of its slot without freeing it.
    std::unique_ptr<TGridObject> TakeObject(int col, int row);

    void MoveRow(int from, int to);
    // Two rows exchange their records; nothing is copied.
    void SwapRows(int a, int b) { std::swap(rows_[size_t(a)], rows_[size_t(b)]); }
    void InsertRow(int row);
    void DeleteRow(int row);
    // Takes rows row .. row + count - 1 out, the rows below moving up, in one pass.
    std::vector<TRowRecord> TakeRecords(int row, int count);
    // Puts records back as rows from row on, the rows there moving down, in one pass.
    void InsertRecords(int row, std::vector<TRowRecord> records);
    // Takes the listed rows out (ascending, no repeats), the others closing up, in one pass.
    std::vector<TRowRecord> TakeRecordsList(const std::vector<int>& rows);
    // Puts records back so that record i ends at position positions[i] (ascending final places),
    // the other rows keeping their order, in one pass.
    void InsertRecordsList(const std::vector<int>& positions, std::vector<TRowRecord> records);
    void MoveColumn(int from, int to);
    void DeleteColumn(int col);
    // Reorders what the records hold so that record i holds what record order[i] held (order a
    // permutation of 0 .. size - 1), each record keeping its memory: rows put back in the records'
    // old order then read memory in the order they did before. Texts and objects are moved, not
    // copied. False, and nothing changed, unless every record exists, the fullest record's texts
    // fit the narrowest one's room and the order is a permutation; the caller then reorders the
    // records themselves.
    static bool PermuteRecords(std::vector<TRowRecord>& records, const std::vector<size_t>& order);
    // Moves the records of rows row .. row + count - 1 into fresh slots carved one after another,
    // so that passes in row order read memory in order again after the rows were reordered. The
    // old slots go back; texts and objects are moved, not copied.
    void Compact(int row, int count);

    // Bytes of the blocks row records are carved from, free room included; MappedBytes is the part
    // taken from the system directly, which the heap's own statistics do not show.
    size_t BlockBytes() const;
    size_t MappedBytes() const;
    // The blocks of every store of the process, those of stores that died included until their last
    // record goes.
    static size_t AllBlockBytes();

    // Asks for the memory a pass over rows in order will read next, so that the misses of rows
    // ahead overlap instead of following one another: the row's record and, for a row of several
    // objects, their list; or the object of a cell itself (whose row should have been asked for
    // some rows earlier). Changes nothing.
    void PrefetchObjects(int row) const;
    void PrefetchObject(int col, int row) const;

    // Whether the row has a record (it was written and not emptied again; a kept row number is none).
    bool HasRecord(int row) const { return row >= 0 && row < RowCount() && record(size_t(row)) != nullptr; }
    // The rows that have a record.
    size_t RecordCount() const;
    // Calls f(row index) for every row holding an object, in order; f must not change the store.
    template <class F>
    void ForEachRowWithObjects(F&& f) const {
        for (size_t r = 0; r < rows_.size(); ++r)
            if (const Row* rec = record(r); rec && rec->hasObjects()) f(int(r));
    }

private:
    // A row's objects, sorted by column, each owned. Most rows that hold any hold one (the
    // properties of their first cell), so one object sits in the list itself, inside the record: a
    // pass over such rows reaches it without a miss of its own. Two or more live in a heap array;
    // back down to one, it returns.
    class Objects {
    public:
        Objects() noexcept : obj_(nullptr) {}
        Objects(Objects&& o) noexcept : obj_(nullptr) { steal(o); }
        Objects& operator=(Objects&& o) noexcept;
        Objects(const Objects&) = delete;
        Objects& operator=(const Objects&) = delete;
        ~Objects() { clear(); }

        size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        int col(size_t i) const { return size_ > 1 ? many_[i].col : col_; }
        TGridObject* obj(size_t i) const { return size_ > 1 ? many_[i].obj : obj_; }
        void setCol(size_t i, int col) { (size_ > 1 ? many_[i].col : col_) = col; }
        // The first place whose column is col or beyond.
        size_t find(int col) const;
        TGridObject* get(int col) const {
            // Most rows hold none or one: answered here, without a call.
            if (size_ <= 1) return size_ == 1 && col_ == col ? obj_ : nullptr;
            const size_t i = find(col);
            return i < size_ && many_[i].col == col ? many_[i].obj : nullptr;
        }
        // Memory of its own, if any: what a pass asks for ahead.
        const void* heap() const { return size_ > 1 ? many_ : nullptr; }
        // Puts an object in at place i (as find gives it).
        void insert(size_t i, int col, std::unique_ptr<TGridObject> obj);
        // Takes the object at place i out; the place goes.
        std::unique_ptr<TGridObject> take(size_t i);
        // Sorts by column again after the columns were renumbered.
        void sortByCol();
        // Frees every object.
        void clear();

    private:
        struct Entry {
            int col;
            TGridObject* obj;  // owned
        };
        void steal(Objects& o) noexcept;  // takes what o holds; this holds nothing
        int col_ = 0;        // the one object's column
        uint32_t size_ = 0;  // two or more: in the heap array
        uint32_t room_ = 0;  // the heap array's room
        union {
            TGridObject* obj_;
            Entry* many_;
        };
    };
    friend class TRowRecord;
    // A row record: this header and its texts in one slot of an arena block (or, for a very wide
    // row, one heap allocation).
    struct Row {
        int size = 0;  // texts in use
        int cap = 0;   // texts room
        Block* block = nullptr;  // the block it was carved from; null: its own allocation
        Objects objs;
        QString* texts() { return reinterpret_cast<QString*>(this + 1); }
        const QString* texts() const { return reinterpret_cast<const QString*>(this + 1); }
        bool hasObjects() const { return !objs.empty(); }
        bool empty() const { return size == 0 && !hasObjects(); }
        void trim();  // drops trailing empty texts
    };
    // A record from the arena's blocks (its own allocation when arena is null or the row is very wide).
    static RowPtr makeRow(Arena* arena, int cap, bool fresh = false);
    // A row number kept in place of a record: the number shifted up, the lowest bit set (records
    // are aligned, so their addresses never have it).
    static bool isNumber(const Row* p) { return (reinterpret_cast<uintptr_t>(p) & 1) != 0; }
    static int numberOf(const Row* p) { return int(reinterpret_cast<uintptr_t>(p) >> 1); }
    static Row* numberTag(int number) { return reinterpret_cast<Row*>((uintptr_t(uint32_t(number)) << 1) | 1); }
    // The row's record; null for none and for a kept number.
    Row* record(size_t row) const {
        Row* p = rows_[row].get();
        return isNumber(p) ? nullptr : p;
    }
    // Turns a kept number into a record of `cap` texts holding it in column 0.
    static void makeNumberRecord(RowPtr& p, Arena* arena, int cap);
    // Cell of a row that keeps a number (out of the way of the usual reads).
    [[gnu::noinline, gnu::cold]] const QString& numberCell(int col, int row) const;
    static Arena* arenaOf(const Row& row);
    // Moves the texts and objects of `from` into `to`, which holds none and has as much room.
    static void moveContent(Row& to, Row& from);
    void setCellSlow(int col, int row, QString text);
    // The row's record with room for texts 0..col (made or grown as needed).
    Row& roomFor(int row, int col);
    void dropIfEmpty(int row);

    // Declared first so that it outlives the records of rows_.
    std::unique_ptr<Arena> arena_;
    // Mutable: reading a kept number's text gives its row a record.
    mutable std::vector<RowPtr> rows_;
    int colHint_ = 0;
};

// One axis of the grid: the count, a default size, per-item sizes once one differs, and the line
// width between items. Positions come from a Fenwick tree over the sizes, built on the first query
// after a change that moved items (inserts, deletes, moves), so row -> pixel and pixel -> row are
// O(log n) and a single size change is O(log n) too.
class TGridAxis {
public:
    int Count() const { return count_; }
    void SetCount(int count);
    int DefaultSize() const { return default_; }
    // A new default drops every size of its own.
    void SetDefaultSize(int size);
    int LineWidth() const { return line_; }
    void SetLineWidth(int width) { line_ = width < 0 ? 0 : width; }

    int Size(int i) const { return sizes_.empty() ? default_ : sizes_[size_t(i)]; }
    // Sizes below 0 count as 0.
    void SetSize(int i, int size);
    bool HasOwnSizes() const { return !sizes_.empty(); }

    // Pixels from the start of item 0 to the start of item i (0 <= i <= Count), lines included.
    int64_t Start(int i) const;
    // The item whose extent (its size and the line after it) holds pos: -1 below 0, Count beyond
    // the last. Items of no extent are never hit.
    int IndexAt(int64_t pos) const;

    void Move(int from, int to);
    void Insert(int i);
    void Erase(int i);
    // Items i .. i + n - 1 out, in one pass; their sizes are returned.
    std::vector<int> EraseRange(int i, int n);
    // Items with the given sizes in at i, in one pass.
    void InsertRange(int i, const std::vector<int>& sizes);
    // The listed items (ascending, no repeats) out, in one pass; their sizes are returned.
    std::vector<int> EraseList(const std::vector<int>& items);
    // Items of the given sizes in so that item k ends at positions[k] (ascending final places).
    void InsertList(const std::vector<int>& positions, const std::vector<int>& sizes);

private:
    void ensureSizes();
    void ensureTree() const;
    int count_ = 0;
    int default_ = 0;
    int line_ = 0;
    std::vector<int> sizes_;              // empty while every item has the default size
    mutable std::vector<int64_t> tree_;   // Fenwick tree over sizes_, 1-based
    mutable bool treeValid_ = false;
};

}  // namespace plat
