// The string grid's widget-free state: the axis geometry against a plain linear sum, and the cell
// store's records, objects and moves.
#include "platform/GridStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <random>

using namespace plat;

namespace {

// Linear reference: start of item i with sizes and a line after every item.
int64_t refStart(const std::vector<int>& sizes, int line, int i) {
    int64_t s = 0;
    for (int k = 0; k < i; ++k) s += sizes[size_t(k)] + line;
    return s;
}

int refIndexAt(const std::vector<int>& sizes, int line, int64_t pos) {
    if (pos < 0) return -1;
    int64_t s = 0;
    for (size_t k = 0; k < sizes.size(); ++k) {
        s += sizes[k] + line;
        if (pos < s) return int(k);
    }
    return int(sizes.size());
}

void expectAgrees(const TGridAxis& a, const std::vector<int>& sizes, int line, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(a.Count(), int(sizes.size()));
    for (int i = 0; i <= a.Count(); ++i) ASSERT_EQ(a.Start(i), refStart(sizes, line, i)) << "start " << i;
    const int64_t total = refStart(sizes, line, a.Count());
    for (int64_t p = -2; p <= total + 2; ++p) ASSERT_EQ(a.IndexAt(p), refIndexAt(sizes, line, p)) << "pos " << p;
}

}  // namespace

TEST(GridAxis, PositionsAndHitsAgreeWithALinearSum) {
    struct Case {
        const char* name;
        int line;
        int defaultSize;
    };
    const Case cases[] = {{"lines of 1", 1, 24}, {"no lines", 0, 18}, {"wide lines", 3, 10}, {"default 0", 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGridAxis a;
        a.SetDefaultSize(c.defaultSize);
        a.SetLineWidth(c.line);
        a.SetCount(37);
        std::vector<int> ref(37, c.defaultSize);
        expectAgrees(a, ref, c.line, "all default");

        std::mt19937 rng(7);
        for (int k = 0; k < 25; ++k) {
            const int i = int(rng() % 37), s = int(rng() % 40);  // zero sizes included
            a.SetSize(i, s);
            ref[size_t(i)] = s;
        }
        a.SetSize(5, -4);  // counts as 0
        ref[5] = 0;
        expectAgrees(a, ref, c.line, "own sizes");

        // The tree is rebuilt after moves and size changes in between are kept.
        a.Move(3, 30);
        std::rotate(ref.begin() + 3, ref.begin() + 4, ref.begin() + 31);
        a.SetSize(0, 55);
        ref[0] = 55;
        a.Move(29, 2);
        std::rotate(ref.begin() + 2, ref.begin() + 29, ref.begin() + 30);
        a.Erase(10);
        ref.erase(ref.begin() + 10);
        a.Insert(4);
        ref.insert(ref.begin() + 4, c.defaultSize);
        a.SetSize(4, 9);
        ref[4] = 9;
        expectAgrees(a, ref, c.line, "moved, erased, inserted");

        a.SetCount(40);
        ref.resize(40, c.defaultSize);
        expectAgrees(a, ref, c.line, "grown");
        a.SetCount(12);
        ref.resize(12);
        expectAgrees(a, ref, c.line, "shrunk");

        a.SetDefaultSize(7);  // drops the own sizes
        EXPECT_FALSE(a.HasOwnSizes());
        expectAgrees(a, std::vector<int>(12, 7), c.line, "new default");
    }
}

TEST(GridAxis, AMillionItemsWithScatteredSizes) {
    constexpr int n = 1'000'000;
    TGridAxis a;
    a.SetDefaultSize(24);
    a.SetLineWidth(1);
    a.SetCount(n);
    std::vector<int> ref(n, 24);
    std::mt19937 rng(11);
    for (int k = 0; k < 1000; ++k) {
        const int i = int(rng() % n), s = int(rng() % 70);
        a.SetSize(i, s);
        ref[size_t(i)] = s;
    }
    std::vector<int64_t> prefix(n + 1, 0);
    for (int i = 0; i < n; ++i) prefix[size_t(i) + 1] = prefix[size_t(i)] + ref[size_t(i)] + 1;
    for (int i : {0, 1, 4711, 499'999, 999'000, 999'990, n - 1, n}) {
        EXPECT_EQ(a.Start(i), prefix[size_t(i)]) << i;
        if (i < n && ref[size_t(i)] > 0) {
            EXPECT_EQ(a.IndexAt(prefix[size_t(i)]), i);
            EXPECT_EQ(a.IndexAt(prefix[size_t(i) + 1] - 1), i);
        }
    }
    EXPECT_EQ(a.IndexAt(prefix[n]), n);
}

namespace {
struct Counted : TGridObject {
    explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
    ~Counted() override { --*alive_; }
    int* alive_;
};
}  // namespace

TEST(GridStore, RecordsTextsAndObjects) {
    int alive = 0;
    TGridStore s;
    s.SetRowCount(10);
    EXPECT_FALSE(s.HasRecord(3));
    s.SetCell(2, 3, QStringLiteral("x"));
    EXPECT_TRUE(s.HasRecord(3));
    EXPECT_EQ(s.Cell(2, 3), QStringLiteral("x"));
    EXPECT_EQ(s.Cell(7, 3), QString());   // beyond the row's last text
    EXPECT_EQ(s.Cell(-1, 3), QString());  // outside
    EXPECT_EQ(s.Cell(2, 10), QString());

    // Emptying the last entry of a row drops its record.
    s.SetCell(2, 3, QString());
    EXPECT_FALSE(s.HasRecord(3));
    s.SetCell(5, 4, QStringLiteral("far"));
    s.SetCell(1, 4, QStringLiteral("near"));
    s.SetCell(5, 4, QString());
    EXPECT_EQ(s.Cell(1, 4), QStringLiteral("near"));

    s.SetObject(1, 4, std::make_unique<Counted>(&alive));
    s.SetObject(8, 4, std::make_unique<Counted>(&alive));
    EXPECT_EQ(alive, 2);
    s.SetObject(1, 4, std::make_unique<Counted>(&alive));  // replaces and frees
    EXPECT_EQ(alive, 2);
    std::unique_ptr<TGridObject> taken = s.TakeObject(8, 4);
    EXPECT_NE(taken, nullptr);
    EXPECT_EQ(s.Object(8, 4), nullptr);
    EXPECT_EQ(alive, 2);
    taken.reset();
    EXPECT_EQ(alive, 1);

    // Columns move and go in every row record, objects with them.
    s.SetCell(0, 6, QStringLiteral("a"));
    s.SetCell(3, 6, QStringLiteral("d"));
    s.SetObject(3, 6, std::make_unique<Counted>(&alive));
    s.MoveColumn(3, 0);
    EXPECT_EQ(s.Cell(0, 6), QStringLiteral("d"));
    EXPECT_EQ(s.Cell(1, 6), QStringLiteral("a"));
    EXPECT_NE(s.Object(0, 6), nullptr);
    EXPECT_EQ(s.Cell(2, 4), QStringLiteral("near"));  // column 1 went to 2
    EXPECT_NE(s.Object(2, 4), nullptr);
    s.DeleteColumn(0);
    EXPECT_EQ(s.Cell(0, 6), QStringLiteral("a"));
    EXPECT_EQ(s.Object(0, 6), nullptr);
    EXPECT_EQ(alive, 1);  // the deleted column's object is freed
    s.SetRowCount(0);
    EXPECT_EQ(alive, 0);
}

// A row never written holds no record and reads as empty in every column; writing one row of a
// thousand makes that row's record and no other, counted through the store.
TEST(GridStore, RecordsOnlyForRowsWritten) {
    TGridStore s;
    s.SetColumnHint(8);
    s.SetRowCount(1000);
    EXPECT_EQ(s.RecordCount(), 0u);
    for (int r : {0, 1, 899, 900, 999})
        for (int c : {0, 3, 7, 40}) {
            EXPECT_EQ(s.Cell(c, r), QString()) << c << ", " << r;
            EXPECT_EQ(s.Object(c, r), nullptr) << c << ", " << r;
            EXPECT_FALSE(s.HasRecord(r)) << r;
        }
    EXPECT_EQ(s.RecordCount(), 0u);  // reading made none
    s.SetCell(3, 900, QStringLiteral("written"));
    EXPECT_EQ(s.RecordCount(), 1u);
    EXPECT_TRUE(s.HasRecord(900));
    EXPECT_EQ(s.Cell(3, 900), QStringLiteral("written"));
    EXPECT_EQ(s.Cell(3, 899), QString());
    EXPECT_EQ(s.Cell(3, 901), QString());
    s.SetCell(5, 900, QStringLiteral("more"));  // the same row: no other record
    s.SetCell(0, 901, QString());               // an empty text into an empty row: none
    EXPECT_EQ(s.RecordCount(), 1u);
    s.SetRowCount(2000);  // rows added empty
    EXPECT_EQ(s.RecordCount(), 1u);
    EXPECT_EQ(s.Cell(0, 1999), QString());
}

// A row number written into column 0 of an empty row is kept without a record: it reads as its
// text, travels with its row and goes with its column; its row gets a record when the row is
// written or the number's text is read, and nothing else changes.
TEST(GridStore, RowNumbersWaitWithoutARecord) {
    struct Case {
        const char* name;
        std::function<void(TGridStore&)> act;
        std::vector<QString> column0;  // rows 0 .. 4 afterwards
        std::vector<QString> column2;
        size_t records;
    };
    const QString n1 = QStringLiteral("1"), n2 = QStringLiteral("2"), n3 = QStringLiteral("3"), n4 = QStringLiteral("4");
    const QString x = QStringLiteral("x");
    const std::vector<Case> cases = {
        {"kept", [](TGridStore&) {}, {"", n1, n2, n3, n4}, {"", "", "", "", ""}, 0},
        {"another column written", [&](TGridStore& s) { s.SetCell(2, 3, x); }, {"", n1, n2, n3, n4}, {"", "", "", x, ""}, 1},
        {"the number overwritten", [&](TGridStore& s) { s.SetCell(0, 2, x); }, {"", n1, x, n3, n4}, {"", "", "", "", ""}, 1},
        {"the number emptied", [](TGridStore& s) { s.SetCell(0, 2, QString()); }, {"", n1, "", n3, n4}, {"", "", "", "", ""}, 0},
        {"rows moved", [](TGridStore& s) { s.MoveRow(4, 1); }, {"", n4, n1, n2, n3}, {"", "", "", "", ""}, 0},
        {"a row inserted and one deleted",
         [](TGridStore& s) {
             s.DeleteRow(1);
             s.InsertRow(0);
         },
         {"", "", n2, n3, n4}, {"", "", "", "", ""}, 0},
        {"records taken and put back",
         [](TGridStore& s) { s.InsertRecords(0, s.TakeRecords(3, 2)); }, {n3, n4, "", n1, n2}, {"", "", "", "", ""}, 0},
        {"a taken record written",
         [&](TGridStore& s) {
             auto records = s.TakeRecordsList({1, 4});
             records[1].SetCell(2, x);
             s.InsertRecordsList({0, 1}, std::move(records));
         },
         {n1, n4, "", n2, n3}, {"", x, "", "", ""}, 1},
        {"column 0 moved right", [](TGridStore& s) { s.MoveColumn(0, 2); }, {"", "", "", "", ""}, {"", n1, n2, n3, n4}, 4},
        {"a later column moved", [](TGridStore& s) { s.MoveColumn(3, 1); }, {"", n1, n2, n3, n4}, {"", "", "", "", ""}, 0},
        {"column 0 deleted", [](TGridStore& s) { s.DeleteColumn(0); }, {"", "", "", "", ""}, {"", "", "", "", ""}, 0},
        {"a later column deleted", [](TGridStore& s) { s.DeleteColumn(1); }, {"", n1, n2, n3, n4}, {"", "", "", "", ""}, 0},
        {"an object put", [&](TGridStore& s) { s.SetObject(2, 1, std::make_unique<TGridObject>()); }, {"", n1, n2, n3, n4}, {"", "", "", "", ""}, 1},
        {"rows compacted", [](TGridStore& s) { s.Compact(0, 5); }, {"", n1, n2, n3, n4}, {"", "", "", "", ""}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGridStore s;
        s.SetColumnHint(4);
        s.SetRowCount(5);
        for (int r = 1; r < 5; ++r) s.SetRowNumber(r, r);
        EXPECT_EQ(s.RecordCount(), 0u);
        EXPECT_FALSE(s.HasRecord(1));
        c.act(s);
        EXPECT_EQ(s.RecordCount(), c.records);
        for (int r = 0; r < 5; ++r) EXPECT_EQ(s.Cell(2, r), c.column2[size_t(r)]) << r;  // reads no number
        EXPECT_EQ(s.RecordCount(), c.records);
        for (int r = 0; r < 5; ++r) EXPECT_EQ(s.Cell(0, r), c.column0[size_t(r)]) << r;
        EXPECT_EQ(s.Cell(1, 1), QString());
    }
    // A row that has a record takes the number as a write; reading a kept number makes a record.
    TGridStore s;
    s.SetRowCount(3);
    s.SetCell(1, 1, QStringLiteral("y"));
    s.SetRowNumber(1, 7);
    s.SetRowNumber(2, 8);
    EXPECT_EQ(s.RecordCount(), 1u);
    EXPECT_EQ(s.Cell(0, 1), QStringLiteral("7"));
    EXPECT_EQ(s.Cell(1, 1), QStringLiteral("y"));
    EXPECT_EQ(s.Cell(0, 2), QStringLiteral("8"));
    EXPECT_EQ(s.RecordCount(), 2u);
    // A taken record reads its number too, and counts it as its one text.
    auto taken = s.TakeRecords(2, 1);
    EXPECT_EQ(taken[0].TextCount(), 1);
    EXPECT_EQ(taken[0].Cell(0), QStringLiteral("8"));
}

// A row's objects: one is held in the record, two or more in a list of their own; every change
// that crosses between the two (a second object in, back down to one, a column removed or moved
// under them) against a plain map of column to object, the objects freed exactly once.
TEST(GridStore, ObjectsOfARowBetweenOneAndMany) {
    enum Kind { Put, Take, DeleteCol, MoveCol };
    struct Op {
        Kind kind;
        int a, b = 0;
    };
    struct Case {
        const char* name;
        std::vector<Op> ops;
    };
    const Case cases[] = {
        {"one in and out", {{Put, 4}, {Take, 4}}},
        {"a second before the first, back to one", {{Put, 6}, {Put, 1}, {Take, 6}, {Put, 3}, {Take, 1}}},
        {"past the first room of the list",
         {{Put, 9}, {Put, 0}, {Put, 5}, {Put, 3}, {Put, 7}, {Put, 2}, {Take, 0}, {Take, 9}, {Take, 5}}},
        {"replaced while alone and while many", {{Put, 2}, {Put, 2}, {Put, 8}, {Put, 8}, {Take, 2}}},
        {"its column removed while alone", {{Put, 3}, {DeleteCol, 3}, {Put, 5}, {DeleteCol, 1}}},
        {"a column removed under many, one left", {{Put, 1}, {Put, 4}, {DeleteCol, 1}, {Put, 0}, {DeleteCol, 0}}},
        {"columns moved under one and many",
         {{Put, 2}, {MoveCol, 2, 6}, {Put, 0}, {Put, 9}, {MoveCol, 9, 1}, {MoveCol, 0, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int alive = 0;
        TGridStore s;
        s.SetRowCount(3);
        std::map<int, const TGridObject*> ref;
        std::vector<std::unique_ptr<TGridObject>> taken;
        for (size_t k = 0; k < c.ops.size(); ++k) {
            const Op& op = c.ops[k];
            switch (op.kind) {
            case Put: {
                auto o = std::make_unique<Counted>(&alive);
                ref[op.a] = o.get();
                s.SetObject(op.a, 1, std::move(o));
                break;
            }
            case Take:
                taken.push_back(s.TakeObject(op.a, 1));
                EXPECT_EQ(taken.back().get(), ref[op.a]) << "step " << k;
                ref.erase(op.a);
                break;
            case DeleteCol: {
                s.DeleteColumn(op.a);
                std::map<int, const TGridObject*> next;
                for (auto [col, o] : ref)
                    if (col != op.a) next[col > op.a ? col - 1 : col] = o;
                ref = next;
                break;
            }
            case MoveCol: {
                s.MoveColumn(op.a, op.b);
                std::map<int, const TGridObject*> next;
                for (auto [col, o] : ref) {
                    int to = col;
                    if (col == op.a) to = op.b;
                    else if (op.a < op.b && col > op.a && col <= op.b) to = col - 1;
                    else if (op.b < op.a && col >= op.b && col < op.a) to = col + 1;
                    next[to] = o;
                }
                ref = next;
                break;
            }
            }
            for (int col = 0; col < 12; ++col) {
                const auto it = ref.find(col);
                ASSERT_EQ(s.Object(col, 1), it == ref.end() ? nullptr : it->second)
                    << "step " << k << ", column " << col;
            }
            ASSERT_EQ(alive, int(ref.size() + taken.size())) << "step " << k;
            EXPECT_EQ(s.Object(0, 0), nullptr);
            EXPECT_EQ(s.Object(0, 2), nullptr);
        }
        EXPECT_EQ(s.HasRecord(1), !ref.empty());
        taken.clear();
        s.SetRowCount(0);
        EXPECT_EQ(alive, 0);
    }
}

namespace {
using RefRows = std::vector<std::vector<QString>>;

const QString& refCell(const RefRows& ref, int col, int row) {
    static const QString empty;
    const auto& r = ref[size_t(row)];
    return size_t(col) < r.size() ? r[size_t(col)] : empty;
}

void refSet(RefRows& ref, int col, int row, const QString& text) {
    auto& r = ref[size_t(row)];
    if (r.size() <= size_t(col)) r.resize(size_t(col) + 1);
    r[size_t(col)] = text;
}

void expectSame(const TGridStore& s, const RefRows& ref, int cols, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(s.RowCount(), int(ref.size()));
    for (int r = 0; r < s.RowCount(); ++r)
        for (int c = 0; c < cols; ++c)
            if (s.Cell(c, r) != refCell(ref, c, r))
                FAIL() << "cell " << c << ", " << r << ": " << s.Cell(c, r).toStdString() << " instead of "
                       << refCell(ref, c, r).toStdString();
}
}  // namespace

// Enough rows for the records to span many blocks, the large ones too; every row operation against
// a plain table, with slots freed and reused, records outgrowing their slot and one row too wide for
// any block.
TEST(GridStore, RecordsFromBlocksFollowEveryRowOperation) {
    constexpr int kRows = 40'000, kCols = 3, kWide = 20'000;
    TGridStore s;
    s.SetColumnHint(kCols);
    s.SetRowCount(kRows);
    RefRows ref(kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const QString t = QStringLiteral("%1:%2").arg(r).arg(c);
            s.SetCell(c, r, t);
            refSet(ref, c, r, t);
        }
    expectSame(s, ref, kCols, "filled");

    std::mt19937 rng(5);
    auto anyRow = [&] { return int(rng() % unsigned(s.RowCount())); };
    for (int step = 0; step < 160; ++step) {
        const int r = anyRow();
        switch (step % 8) {
        case 0: {  // a row moved far
            const int to = anyRow();
            s.MoveRow(r, to);
            auto row = std::move(ref[size_t(r)]);
            ref.erase(ref.begin() + r);
            ref.insert(ref.begin() + to, std::move(row));
            break;
        }
        case 1:  // a record freed, its slot taken by the next one made
            s.DeleteRow(r);
            ref.erase(ref.begin() + r);
            s.InsertRow(r);
            ref.insert(ref.begin() + r, std::vector<QString>());
            s.SetCell(1, r, QStringLiteral("new %1").arg(step));
            refSet(ref, 1, r, QStringLiteral("new %1").arg(step));
            break;
        case 2:  // emptied: the record goes back
            for (int c = 0; c < kCols; ++c) s.SetCell(c, r, QString());
            ref[size_t(r)].clear();
            EXPECT_FALSE(s.HasRecord(r));
            break;
        case 3:  // outgrows its slot: texts move to a record of another size
            s.SetCell(7, r, QStringLiteral("far %1").arg(step));
            refSet(ref, 7, r, QStringLiteral("far %1").arg(step));
            break;
        case 4: {  // a range out and back elsewhere
            const int n = std::min(50, s.RowCount() - r);
            auto recs = s.TakeRecords(r, n);
            RefRows moved(std::make_move_iterator(ref.begin() + r), std::make_move_iterator(ref.begin() + r + n));
            ref.erase(ref.begin() + r, ref.begin() + r + n);
            const int at = anyRow();
            s.InsertRecords(at, std::move(recs));
            ref.insert(ref.begin() + at, moved.begin(), moved.end());
            break;
        }
        case 5: {  // a scattered list out and back at other places
            std::vector<int> list;
            for (int k = r % 97; k < s.RowCount(); k += 997) list.push_back(k);
            auto recs = s.TakeRecordsList(list);
            RefRows taken, rest;
            for (size_t i = 0, j = 0; i < ref.size(); ++i) {
                if (j < list.size() && size_t(list[j]) == i) {
                    taken.push_back(std::move(ref[i]));
                    ++j;
                } else {
                    rest.push_back(std::move(ref[i]));
                }
            }
            std::vector<int> positions;
            for (size_t k = 0; k < taken.size(); ++k) positions.push_back(int(k) * 3 + 1);
            s.InsertRecordsList(positions, std::move(recs));
            ref.clear();
            for (size_t i = 0, j = 0, t = 0; t < rest.size() + taken.size(); ++t) {
                if (j < positions.size() && size_t(positions[j]) == t) ref.push_back(std::move(taken[j++]));
                else ref.push_back(std::move(rest[i++]));
            }
            break;
        }
        case 6:  // a record written while out of the store, put back
        {
            auto recs = s.TakeRecords(r, 1);
            recs[0].SetCell(0, QStringLiteral("out %1").arg(step));
            recs[0].SetCell(5, QStringLiteral("wider"));
            s.InsertRecords(r, std::move(recs));
            refSet(ref, 0, r, QStringLiteral("out %1").arg(step));
            refSet(ref, 5, r, QStringLiteral("wider"));
            break;
        }
        default:  // rows added at the end
            s.SetRowCount(s.RowCount() + 3);
            ref.resize(ref.size() + 3);
            s.SetCell(2, s.RowCount() - 1, QStringLiteral("tail %1").arg(step));
            refSet(ref, 2, int(ref.size()) - 1, QStringLiteral("tail %1").arg(step));
            break;
        }
        ASSERT_EQ(s.RowCount(), int(ref.size())) << "step " << step;
    }
    expectSame(s, ref, 8, "after the operations");

    // A row too wide for a block has its own record and moves like the others.
    s.SetCell(kWide, 10, QStringLiteral("wide"));
    s.MoveRow(10, 20'000);
    EXPECT_EQ(s.Cell(kWide, 20'000), QStringLiteral("wide"));
    s.DeleteRow(20'000);
    ref.erase(ref.begin() + 10);
    expectSame(s, ref, 8, "the wide row gone");
}

// Rows going give their blocks back (one empty block a record size is kept); records outliving
// their store keep their block until they go, from wherever they went.
TEST(GridStore, BlocksGoBackWhenRowsGoAndWhenTheStoreDies) {
    const size_t base = TGridStore::AllBlockBytes();
    int alive = 0;
    std::vector<TGridStore::TRowRecord> kept;
    {
        TGridStore s;
        s.SetColumnHint(4);
        s.SetRowCount(100'000);
        for (int r = 0; r < s.RowCount(); ++r)
            for (int c = 0; c < 4; ++c) s.SetCell(c, r, QString::number(r * 4 + c));
        const size_t full = s.BlockBytes();
        EXPECT_GE(full, size_t(100'000) * 4 * sizeof(QString));
        EXPECT_EQ(TGridStore::AllBlockBytes() - base, full);
#if defined(__linux__)
        EXPECT_GT(s.MappedBytes(), 0u);
#endif
        s.SetRowCount(10);
        EXPECT_LT(s.BlockBytes(), full / 4);
        EXPECT_EQ(s.Cell(3, 9), QString::number(39));

        // Refilled, the freed room and the kept empty block are used before new blocks are made,
        // which are large ones now: at most one more than the first fill, whose blocks grew.
        s.SetRowCount(100'000);
        for (int r = 10; r < s.RowCount(); ++r) s.SetCell(0, r, QStringLiteral("again"));
        const size_t refilled = s.BlockBytes();
        EXPECT_LE(refilled, full + (size_t(2) << 20));
        // A record freed and one made: the slot is taken again.
        for (int k = 0; k < 100; ++k) {
            s.DeleteRow(s.RowCount() - 1 - k * 7);
            s.InsertRow(s.RowCount() - k * 13);
            s.SetCell(3, s.RowCount() - 1 - k * 13, QStringLiteral("re"));
        }
        EXPECT_EQ(s.BlockBytes(), refilled);
        EXPECT_EQ(s.Cell(3, s.RowCount() - 1), QStringLiteral("re"));
        s.SetRowCount(0);
        EXPECT_LT(s.BlockBytes(), full / 4);

        s.SetRowCount(8);
        for (int r = 0; r < 8; ++r) s.SetCell(1, r, QStringLiteral("kept %1").arg(r));
        s.SetObject(2, 6, std::make_unique<Counted>(&alive));
        kept = s.TakeRecords(5, 3);
    }
    EXPECT_GT(TGridStore::AllBlockBytes(), base);  // the kept records' block
    EXPECT_EQ(alive, 1);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].Cell(1), QStringLiteral("kept 5"));
    EXPECT_NE(kept[1].Object(2), nullptr);
    kept[2].SetCell(9, QStringLiteral("grown"));  // outgrows its slot with no store behind it
    {
        TGridStore other;
        other.SetRowCount(2);
        other.InsertRecords(1, std::move(kept));
        EXPECT_EQ(other.Cell(1, 2), QStringLiteral("kept 6"));
        EXPECT_EQ(other.Cell(9, 3), QStringLiteral("grown"));
        EXPECT_EQ(other.Cell(1, 3), QStringLiteral("kept 7"));
        other.SetCell(6, 1, QStringLiteral("grows here"));  // now from this store's blocks
        EXPECT_EQ(other.Cell(1, 1), QStringLiteral("kept 5"));
        EXPECT_EQ(other.Cell(6, 1), QStringLiteral("grows here"));
        other.DeleteRow(2);
        EXPECT_EQ(alive, 0);
    }
    EXPECT_EQ(TGridStore::AllBlockBytes(), base);
}

// Records moved into row order after the rows were reversed: every text and object stays with its
// row (the same objects, not copies), a record made outside the store comes in, a very wide one
// stays, and the blocks the old slots came from go back.
TEST(GridStore, CompactKeepsEveryRowAndGivesTheOldBlocksBack) {
    constexpr int kRows = 100'000;
    int alive = 0;
    TGridStore s;
    s.SetColumnHint(4);
    s.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < 4; ++c) s.SetCell(c, r, QString::number(r * 4 + c));
    for (int r = 0; r < kRows; r += 1000) s.SetObject(2, r, std::make_unique<Counted>(&alive));
    s.SetCell(20'000, 7, QStringLiteral("wide"));
    const size_t full = s.BlockBytes();

    auto recs = s.TakeRecords(0, kRows);
    std::reverse(recs.begin(), recs.end());
    recs[5] = TGridStore::TRowRecord();
    recs[5].SetCell(1, QStringLiteral("made outside"));
    s.InsertRecords(0, std::move(recs));
    std::vector<const TGridObject*> objects;
    for (int r = 0; r < kRows; ++r) objects.push_back(s.Object(2, r));

    s.Compact(0, kRows);
    EXPECT_EQ(alive, kRows / 1000);
    for (int r = 0; r < kRows; ++r) {
        const int was = kRows - 1 - r;
        if (r == 5) {
            ASSERT_EQ(s.Cell(1, r), QStringLiteral("made outside"));
            ASSERT_EQ(s.Cell(0, r), QString());
            continue;
        }
        for (int c = 0; c < 4; ++c) ASSERT_EQ(s.Cell(c, r), QString::number(was * 4 + c)) << r;
        ASSERT_EQ(s.Object(2, r), objects[size_t(r)]) << r;
    }
    EXPECT_EQ(s.Cell(20'000, kRows - 1 - 7), QStringLiteral("wide"));
    // The old blocks emptied and went back: about one fill's blocks remain, not two.
    EXPECT_LE(s.BlockBytes(), full + (size_t(4) << 20));
    s.SetRowCount(0);
    EXPECT_EQ(alive, 0);
}

// Contents move between records along the permutation's cycles while each record keeps its
// memory; a record fuller than another's room, or a missing one, leaves everything as it was.
TEST(GridStore, PermuteRecordsMovesContentsAndKeepsEachRecordsMemory) {
    struct Case {
        const char* name;
        std::vector<size_t> order;
    };
    std::vector<size_t> shuffled(1000);
    std::iota(shuffled.begin(), shuffled.end(), size_t(0));
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::vector<size_t> reversed(37);
    for (size_t i = 0; i < reversed.size(); ++i) reversed[i] = reversed.size() - 1 - i;
    const Case cases[] = {
        {"identity", {0, 1, 2, 3}},
        {"one swap", {1, 0, 2}},
        {"one long cycle", {1, 2, 3, 4, 5, 0}},
        {"cycles and fixed points", {2, 1, 0, 4, 5, 3, 6}},
        {"reversed, odd count", reversed},
        {"shuffled thousand", shuffled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t n = c.order.size();
        int alive = 0;
        TGridStore s;
        s.SetColumnHint(3);
        s.SetRowCount(int(n));
        for (size_t r = 0; r < n; ++r) {
            // Rows of one, two and three texts; every third row holds an object and no text in
            // column 0 beyond the first texts.
            for (size_t k = 0; k <= r % 3; ++k) s.SetCell(int(k), int(r), QStringLiteral("%1:%2").arg(r).arg(k));
            if (r % 3 == 0) s.SetObject(5, int(r), std::make_unique<Counted>(&alive));
            if (r % 5 == 0) s.SetObject(1, int(r), std::make_unique<Counted>(&alive));  // two with the first
        }
        std::vector<const TGridObject*> objects, seconds;
        for (size_t r = 0; r < n; ++r) {
            objects.push_back(s.Object(5, int(r)));
            seconds.push_back(s.Object(1, int(r)));
        }
        const int made = alive;
        auto recs = s.TakeRecords(0, int(n));
        std::vector<const QString*> memory;
        for (const auto& rec : recs) memory.push_back(&rec.Cell(0));

        ASSERT_TRUE(TGridStore::PermuteRecords(recs, c.order));
        EXPECT_EQ(alive, made);
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(&recs[i].Cell(0), memory[i]) << i;
            const size_t was = c.order[i];
            ASSERT_EQ(recs[i].TextCount(), int(was % 3 + 1)) << i;
            for (size_t k = 0; k <= was % 3; ++k) ASSERT_EQ(recs[i].Cell(int(k)), QStringLiteral("%1:%2").arg(was).arg(k));
            ASSERT_EQ(recs[i].Object(5), objects[was]) << i;
            ASSERT_EQ(recs[i].Object(1), seconds[was]) << i;
        }
        s.InsertRecords(0, std::move(recs));
        EXPECT_EQ(s.Cell(0, 0), QStringLiteral("%1:0").arg(c.order[0]));
        s.SetRowCount(0);
        EXPECT_EQ(alive, 0);
    }

    // Rows made before the column count went down have more room than the rest: as long as every
    // record's texts fit the narrowest room, the contents still move and the memory stays.
    {
        TGridStore s;
        s.SetColumnHint(6);
        s.SetRowCount(5);
        for (int r = 0; r < 2; ++r) s.SetCell(1, r, QStringLiteral("old %1").arg(r));
        s.SetColumnHint(2);
        for (int r = 2; r < 5; ++r) s.SetCell(0, r, QStringLiteral("new %1").arg(r));
        auto recs = s.TakeRecords(0, 5);
        std::vector<const QString*> memory;
        for (const auto& rec : recs) memory.push_back(&rec.Cell(0));
        const std::vector<size_t> order{4, 0, 3, 1, 2};
        ASSERT_TRUE(TGridStore::PermuteRecords(recs, order));
        for (size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(&recs[i].Cell(0), memory[i]) << i;
            const int was = int(order[i]);
            EXPECT_EQ(recs[i].Cell(was < 2 ? 1 : 0), (was < 2 ? QStringLiteral("old %1") : QStringLiteral("new %1")).arg(was)) << i;
            EXPECT_EQ(recs[i].TextCount(), was < 2 ? 2 : 1) << i;
        }
    }

    // Not permutable: a record fuller than another has room for, a missing record, or an order
    // that is no permutation. Nothing moves.
    struct Bad {
        const char* name;
        int wideRow, missingRow;
        std::vector<size_t> order;
    };
    const Bad bad[] = {
        {"a record fuller than another's room", 2, -1, {3, 2, 1, 0}},
        {"a missing record", -1, 2, {3, 2, 1, 0}},
        {"a place beyond the records", -1, -1, {3, 2, 1, 4}},
        {"a place twice", -1, -1, {1, 1, 0, 3}},
        {"an order of another length", -1, -1, {1, 0}},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        TGridStore s;
        s.SetColumnHint(2);
        s.SetRowCount(4);
        for (int r = 0; r < 4; ++r) s.SetCell(0, r, QString::number(r));
        if (b.wideRow >= 0) s.SetCell(9, b.wideRow, QStringLiteral("wide"));
        if (b.missingRow >= 0) s.SetCell(0, b.missingRow, QString());
        auto recs = s.TakeRecords(0, 4);
        EXPECT_FALSE(TGridStore::PermuteRecords(recs, b.order));
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(recs[size_t(r)].Cell(0), r == b.missingRow ? QString() : QString::number(r));
    }
}
