// Filtering: conditions combined, prefixes and suffixes, raising matches, node rows kept, the
// levels, type-ahead narrowing and the drop-down hooks.
#include "grid/ExGrid.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <utility>

namespace {

// One fixed row; column 1 and column 2 from the lists.
void table(TExStringGrid& g, const QStringList& c1, const QStringList& c2) {
    g.SetColCount(3);
    g.SetRowCount(1 + int(c1.size()));
    for (int i = 0; i < c1.size(); ++i) {
        g.SetCells(1, i + 1, c1[i]);
        g.SetCells(2, i + 1, c2.value(i));
    }
}

QStringList visible(TExStringGrid& g, int c) {
    QStringList out;
    for (int r = g.FixedRows(); r < g.RowCount(); ++r) out << g.Cells(c, r);
    return out;
}

}  // namespace

TEST(ExGridFilter, ConditionsAsATable) {
    struct Item {
        int column;
        QString condition;
        TFilterMethod method = fmExpression;
        QString prefix = {}, suffix = {};
        std::optional<TFilterOperation> operation = {};
    };
    struct Case {
        const char* name;
        QStringList c1, c2;
        std::vector<Item> items;
        QStringList passing;  // column 1 of the rows that stay
    };
    const Case cases[] = {
        {"two columns pass rows matching both", {"a1", "a2", "b3"}, {"x", "y", "x"},
         {{1, "a*"}, {2, "x"}}, {"a1"}},
        {"prefix removed before a literal", {"$12", "$12$", "12"}, {}, {{1, "12", fmLiteral, "$"}}, {"$12", "12"}},
        {"suffix removed only at the end", {"12$", "1$2$", "12"}, {}, {{1, "12", fmLiteral, "$", "$"}}, {"12$", "12"}},
        {"an empty condition matches", {"a", "b"}, {}, {{1, ""}}, {"a", "b"}},
        {"or of two", {"a", "b", "c"}, {}, {{1, "a"}, {1, "c", fmExpression, {}, {}, foOR}}, {"a", "c"}},
        {"a bad column is no match", {"a", "b"}, {}, {{40, "a"}, {1, "b", fmExpression, {}, {}, foOR}}, {"b"}},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        table(g, c.c1, c.c2);
        for (const Item& it : c.items) {
            TFilterData& f = g.Filter().Add();
            f.Column = int16_t(it.column);
            f.Condition = it.condition;
            f.Method = it.method;
            f.Prefix = it.prefix;
            f.Suffix = it.suffix;
            if (it.operation) f.Operation = *it.operation;
        }
        g.SetFilterActive(true);
        EXPECT_EQ(visible(g, 1), c.passing) << c.name;
    }
}

TEST(ExGridFilter, AFailingShortItemStopsButTheCustomFilterStillDecides) {
    TExStringGrid g;
    table(g, {"a", "b"}, {"x", "x"});
    TFilterData& first = g.Filter().Add();
    first.Column = 1;
    first.Condition = "a";
    first.Operation = foSHORT;
    TFilterData& second = g.Filter().Add();
    second.Column = 2;
    second.Condition = "x";
    second.Operation = foOR;
    QList<QPair<int, bool>> seen;
    g.OnCustomFilter = [&](QObject*, int32_t Row, bool& Accept) { seen.append({Row, Accept}); };
    EXPECT_FALSE(g.MatchFilter(2)) << "the OR after the failing short item is never reached";
    EXPECT_TRUE(g.MatchFilter(1));
    EXPECT_EQ(seen, (QList<QPair<int, bool>>{{2, false}, {1, true}}));
    g.OnCustomFilter = [](QObject*, int32_t Row, bool& Accept) { Accept = Row == 2; };
    EXPECT_TRUE(g.MatchFilter(2));
}

TEST(ExGridFilter, AMalformedConditionHidesTheRowAndNodeRowsStay) {
    TExStringGrid g;
    table(g, {"h", "a", "b", "s"}, {});
    g.AddNode(1, 3);
    g.AddSummary(4);
    TFilterData& f = g.Filter().Add();
    f.Column = 1;
    f.Condition = "a";
    g.SetFilterActive(true);
    EXPECT_EQ(visible(g, 1), (QStringList{"h", "a", "s"})) << "node and summary rows are not tested";
    g.SetFilterActive(false);
    EXPECT_EQ(visible(g, 1), (QStringList{"h", "a", "b", "s"}));

    g.SetFilterNormalCellsOnly(false);
    g.SetFilterActive(true);
    EXPECT_EQ(visible(g, 1), (QStringList{"a"}));
    g.SetFilterActive(false);

    f.Condition = "(\"";
    g.Filter().Items(0).Condition = QStringLiteral("=(");
    g.SetFilterActive(true);
    EXPECT_TRUE(visible(g, 1).size() <= 2) << "rows whose match raises go";
}

TEST(ExGridFilter, LevelsStackAndCount) {
    TExStringGrid g;
    table(g, {"a", "ab", "abc", "b"}, {});
    TFilterData& f = g.Filter().Add();
    f.Column = 1;
    f.Condition = "a*";
    g.ApplyFilter();
    f.Condition = "ab*";
    g.ApplyFilter();
    EXPECT_EQ(g.FilterLevel(), 2);
    EXPECT_EQ(visible(g, 1), (QStringList{"ab", "abc"}));
    EXPECT_FALSE(g.RemoveLastFilter()) << "true only while more than one level remains";
    EXPECT_EQ(visible(g, 1), (QStringList{"a", "ab", "abc"}));
    EXPECT_FALSE(g.RemoveLastFilter());
    EXPECT_FALSE(g.RemoveLastFilter()) << "no level: false";
    EXPECT_EQ(visible(g, 1), (QStringList{"a", "ab", "abc", "b"}));

    g.SetFilterActive(true);
    g.SetFilterActive(false);
    EXPECT_EQ(g.FilterLevel(), 1) << "switching off does not lower the count";
    g.RemoveAllFilters();
    EXPECT_EQ(g.FilterLevel(), 0);
    EXPECT_EQ(g.Filter().Count(), 1) << "the conditions stay while levels were removed";
    g.RemoveAllFilters();
    EXPECT_EQ(g.Filter().Count(), 0);

    QList<uint16_t> progress;
    g.OnFilterProgress = [&](QObject*, uint16_t p) { progress.append(p); };
    g.ApplyFilter();
    EXPECT_EQ(progress, (QList<uint16_t>{25, 50, 75, 100, 100}));
}

TEST(ExGridFilter, HandlersThatChangeTheConditionsDuringARunChangeTheNextRun) {
    // A run tests every row against the conditions it started with, however its handlers add to
    // or take from them meanwhile; the next run uses the changed list.
    struct Case {
        const char* name;
        bool fromProgress;  // else from OnCustomFilter
        bool adds;          // else removes
        QStringList firstRun, secondRun;
    };
    const Case cases[] = {
        {"custom filter adds", false, true, {"a1", "a2", "ab"}, {"ab"}},
        {"progress adds", true, true, {"a1", "a2", "ab"}, {"ab"}},
        {"custom filter removes", false, false, {"a1", "a2", "ab"}, {"a1", "a2", "ab", "b"}},
        {"progress removes", true, false, {"a1", "a2", "ab"}, {"a1", "a2", "ab", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TExStringGrid g;
        table(g, {"a1", "a2", "ab", "b"}, {});
        TFilterData& f = g.Filter().Add();
        f.Column = 1;
        f.Condition = "a*";
        auto change = [&] {
            if (c.adds) {
                TFilterData& more = g.Filter().Add();
                more.Column = 1;
                more.Condition = "*b";
            } else if (g.Filter().Count() > 0) {
                g.Filter().Clear();
            }
        };
        bool changed = false;
        auto once = [&] {
            if (!std::exchange(changed, true)) change();
        };
        if (c.fromProgress)
            g.OnFilterProgress = [&](QObject*, uint16_t) { once(); };
        else
            g.OnCustomFilter = [&](QObject*, int32_t, bool&) { once(); };
        g.ApplyFilter();
        EXPECT_EQ(visible(g, 1), c.firstRun);
        EXPECT_EQ(g.Filter().Count(), c.adds ? 2 : 0);
        g.RemoveLastFilter();
        g.ApplyFilter();
        EXPECT_EQ(visible(g, 1), c.secondRun);
    }
}

TEST(ExGridFilter, TheDropDownRowIsAFixedRowAndItsWritersRepaint) {
    QWidget form;
    auto* g = new TExStringGrid(&form);
    g->setGeometry(0, 0, 300, 200);
    g->SetFixedRows(2);
    g->SetRowCount(6);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } paints;
    g->viewport()->installEventFilter(&paints);
    auto painted = [&](const std::function<void()>& write) {
        QApplication::processEvents();
        paints.count = 0;
        write();
        QApplication::processEvents();
        return paints.count > 0;
    };
    // Only a fixed row takes the buttons; a row that is not is ignored.
    struct Case {
        int value, stored;
    } cases[] = {{1, 1}, {0, 0}, {2, 0}, {5, 0}, {-1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        g->SetFilterDropDownRow(c.value);
        EXPECT_EQ(g->FilterDropDownRow(), c.stored);
    }
    EXPECT_TRUE(painted([&] { g->SetFilterDropDownRow(1); }));
    EXPECT_TRUE(painted([&] { g->SetFilterDropDownAuto(true); }));
}

TEST(ExGridFilter, NarrowDownStepsLevelsAndAnEmptyTextKeepsOtherHiddenRows) {
    TExStringGrid g;
    table(g, {"n", "1", "2", "3", "4"}, {"", "a", "ab", "abc", "b"});
    g.AddNode(1, 3);  // rows 1..3: "n" over "1", "2"
    g.ContractNode(1);
    ASSERT_EQ(visible(g, 1), (QStringList{"n", "3", "4"}));

    g.NarrowDown("a", 2);
    EXPECT_EQ(g.FilterLevel(), 1);
    g.NarrowDown("ab", 2);
    EXPECT_EQ(g.FilterLevel(), 2);
    EXPECT_EQ(g.Filter().Items(0).Condition, "*ab*");
    EXPECT_FALSE(g.Filter().Items(0).CaseSensitive);
    EXPECT_EQ(visible(g, 1), (QStringList{"n", "3"}));
    g.NarrowDown("a", 2);
    EXPECT_EQ(g.FilterLevel(), 1) << "going back removes only the top level";
    EXPECT_EQ(visible(g, 1), (QStringList{"n", "3"}));

    g.NarrowDown("", 2);
    EXPECT_EQ(g.LastFilter(), "");
    EXPECT_EQ(g.FilterLevel(), 0);
    EXPECT_EQ(visible(g, 1), (QStringList{"n", "3", "4"})) << "the contracted node's rows stay under it";
    g.ExpandNode(1);
    EXPECT_EQ(visible(g, 1), (QStringList{"n", "1", "2", "3", "4"}));
    EXPECT_TRUE(g.FixedRowAlways());
}

TEST(ExGridFilter, NarrowDownQuotesABlankOnlyWhenTyped) {
    TExStringGrid g;
    table(g, {"1", "2"}, {"a b", "ab"});
    g.NarrowDown("a", 2);
    g.NarrowDown("a ", 2);
    EXPECT_EQ(g.Filter().Items(0).Condition, "\"*a *\"");
    g.NarrowDown("", 2);
    g.NarrowDown("a b", 2);
    EXPECT_EQ(g.Filter().Items(0).Condition, "*a b*");
    g.NarrowDown("", -1);
    g.NarrowDown("B", -1);
    EXPECT_EQ(g.Filter().Items(0).Data, fcRow);
    EXPECT_EQ(visible(g, 1), (QStringList{"1", "2"}));
}

TEST(ExGridFilter, SelectAndCheckFromTheDropDownLists) {
    TExStringGrid g;
    table(g, {"a", "b", "c"}, {});
    const QStringList entries{"(All)", "first=a", "b"};
    g.OnGetColumnFilter = [&](QObject*, int32_t, QStringList& list) { list = entries; };
    g.DropList()->Items = entries;
    QString friendly;
    g.OnFilterSelect = [&](QObject*, int32_t, int32_t, const QString& Name, QString&) { friendly = Name; };
    int done = 0;
    g.OnFilterDone = [&](QObject*) { ++done; };
    g.SetFilterCol(1);
    g.FilterSelect(1);
    EXPECT_EQ(friendly, "first");
    EXPECT_EQ(visible(g, 1), (QStringList{"a"}));
    EXPECT_EQ(done, 1);
    EXPECT_EQ(g.FilterCol(), -1);
    g.SetFilterCol(1);
    g.FilterSelect(0);
    EXPECT_EQ(visible(g, 1), (QStringList{"a", "b", "c"})) << "(All) removes the column's condition";
    EXPECT_FALSE(g.Filter().HasFilter(1));
    g.SetFilterCol(1);
    g.FilterSelect(7);
    EXPECT_EQ(g.FilterCol(), -1) << "an invalid item still resets the column";

    TDropCheckList& list = *g.DropCheckList();
    list.Items = entries;
    list.Checked = {true, false, false};
    g.Filter().Add().Column = 2;  // another column's condition goes too
    g.SetFilterCol(1);
    g.FilterCheck();
    EXPECT_EQ(visible(g, 1), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(g.Filter().Count(), 1);
    list.Checked = {false, true, true};
    g.FilterCheck();
    EXPECT_EQ(visible(g, 1), (QStringList{"a", "b"}));
    ASSERT_EQ(g.Filter().Count(), 2);
    EXPECT_EQ(g.Filter().Items(1).Operation, foOR);
}
