// The string grid's widget-free state: the axis geometry against a plain linear sum, and the cell
// store's records, objects and moves.
#include "platform/GridStore.h"

#include <gtest/gtest.h>

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
