// The grid's bookkeeping lists and the cell checker base.
#include "controls/ExGridLists.h"
#include "controls/ExStringGridCheck.h"
#include "controls/ExUtil.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct ChangeLog {
    int count = 0;
    QObject* sender = nullptr;
    int col = 0, row = 0;
    void attach(TIntList& list) {
        list.OnChange = [this](QObject* s, int32_t c, int32_t r) {
            ++count;
            sender = s;
            col = c;
            row = r;
        };
    }
};

std::vector<int32_t> valuesOf(const TIntList& l) {
    std::vector<int32_t> v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l.Items(i));
    return v;
}

TEST(TIntList, ChangeEventsNameTheCell) {
    TIntList list(3, 7);
    ChangeLog log;
    log.attach(list);
    struct Step {
        const char* what;
        std::function<void()> run;
        int events;  // events fired by this step
    };
    const Step steps[] = {
        {"Add", [&] { list.Add(5); }, 1},
        {"Add", [&] { list.Add(9); }, 1},
        {"Insert", [&] { list.Insert(0, 1); }, 0},
        {"Items write", [&] { list.SetInteger(1, 6); }, 1},
        {"Delete", [&] { list.Delete(0); }, 1},
        {"DeleteValue found", [&] { list.DeleteValue(9); }, 1},
        {"DeleteValue absent", [&] { list.DeleteValue(42); }, 0},
        {"Clear", [&] { list.Clear(); }, 0},
    };
    for (const Step& s : steps) {
        const int before = log.count;
        s.run();
        EXPECT_EQ(log.count - before, s.events) << s.what;
    }
    EXPECT_EQ(log.sender, &list);
    EXPECT_EQ(log.col, 3);
    EXPECT_EQ(log.row, 7);
    EXPECT_EQ(list.Count(), 0);
}

TEST(TIntList, StrValue) {
    TIntList list(-1, -1);
    list.Add(3);
    list.Add(-1);
    list.Add(12);
    EXPECT_EQ(list.StrValue(), QStringLiteral("3,-1,12"));
    EXPECT_TRUE(list.HasValue(-1));
    EXPECT_FALSE(list.HasValue(4));

    ChangeLog log;
    log.attach(list);
    list.SetStrValue(QStringLiteral("4, 5 6"));
    EXPECT_EQ(valuesOf(list), (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(log.count, 3);  // one per item, none for the clearing

    list.SetStrValue(QStringLiteral("\"7\",$10"));
    EXPECT_EQ(valuesOf(list), (std::vector<int32_t>{7, 16}));
    list.SetStrValue(QString());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.StrValue(), QString());

    // A bad item stops the reading; the items before it stay.
    EXPECT_THROW(list.SetStrValue(QStringLiteral("1,2,x,4")), EConvertError);
    EXPECT_EQ(valuesOf(list), (std::vector<int32_t>{1, 2}));
    EXPECT_THROW(list.SetStrValue(QStringLiteral("1,,2")), EConvertError);  // an empty item
    EXPECT_THROW(list.SetStrValue(QStringLiteral("1,")), EConvertError);
}

TEST(TIntList, IndexErrors) {
    TIntList list(0, 0);
    list.Add(1);
    EXPECT_THROW(list.Items(1), EListError);
    EXPECT_THROW(list.Items(-1), EListError);
    EXPECT_THROW(list.SetInteger(1, 0), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.Insert(2, 0), EListError);
    list.Insert(1, 2);  // at the end is allowed
    EXPECT_EQ(valuesOf(list), (std::vector<int32_t>{1, 2}));
}

TEST(TSortIndexList, KeysAndTextForm) {
    TSortIndexList keys;
    keys.AddIndex(2, true);
    keys.AddIndex(5, false);
    EXPECT_EQ(keys.SaveToString(), QStringLiteral("u2;d5"));
    EXPECT_EQ(keys.FindIndex(5), 1);  // the direction bit does not count
    EXPECT_EQ(keys.FindIndex(3), -1);
    EXPECT_EQ(keys.SortColumns(1), 5);
    EXPECT_FALSE(keys.SortDirections(1));
    EXPECT_LT(keys.Items(1), 0);  // bit 31 set

    ChangeLog log;
    log.attach(keys);
    keys.ToggleIndex(5);
    EXPECT_EQ(keys.SaveToString(), QStringLiteral("u2;u5"));
    keys.ToggleIndex(9);  // no entry: nothing
    keys.SetSortDirections(0, false);
    keys.SetSortColumns(0, 11);
    EXPECT_EQ(keys.SaveToString(), QStringLiteral("d11;u5"));
    EXPECT_EQ(log.count, 3);

    TSortIndexList loaded;
    loaded.LoadFromString(QStringLiteral("u2;d5"));
    EXPECT_EQ(loaded.SaveToString(), QStringLiteral("u2;d5"));
    EXPECT_EQ(loaded.StrValue(), QStringLiteral("2,") + QString::number(int32_t(0x80000005u)));

    struct Case {
        const char* text;
        const char* saved;
    };
    const Case cases[] = {
        {"U7", "d7"},            // only a lower-case u means ascending
        {"x", ""},               // too short
        {"u3;;x;d4", "u3;d4"},
        {"u1x;d2", "d2"},        // not a decimal column: skipped
        {"", ""},
    };
    for (const Case& c : cases) {
        loaded.LoadFromString(QString::fromLatin1(c.text));
        EXPECT_EQ(loaded.SaveToString(), QString::fromLatin1(c.saved)) << c.text;
    }
}

TEST(TControlList, ItemsAndHandles) {
    QWidget a, b, c;
    QObject notAWidget;
    TControlList list;
    list.AddControl(1, 2, &a);
    list.AddControl(3, 4, &b);
    list.AddControl(1, 2, &notAWidget);
    EXPECT_EQ(list.ControlIndex(3, 4), 1);
    EXPECT_EQ(list.ControlIndex(1, 2), 0);  // the first for the cell
    EXPECT_EQ(list.ControlIndex(9, 9), -1);
    EXPECT_EQ(list.Control(1)->Control(), &b);
    EXPECT_EQ(list.Control(1)->X(), 3);
    EXPECT_TRUE(list.HasHandle(&b));
    EXPECT_FALSE(list.HasHandle(&c));
    EXPECT_FALSE(list.HasHandle(nullptr));
    list.RemoveControl(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.HasHandle(&a));
    EXPECT_TRUE(a.isWidgetType());  // the control itself lives on
    EXPECT_THROW(list.Control(2), EListError);
    EXPECT_THROW(list.RemoveControl(-1), EListError);
}

TEST(TFileStringList, LineByLine) {
    TFileStringList f;
    f.Write(QStringLiteral("a"));
    f.Write(QStringLiteral("b"));
    f.WriteLn(QStringLiteral("c"));
    f.WriteLn(QStringLiteral("second"));
    f.Write(QStringLiteral("never a line"));
    EXPECT_EQ(static_cast<const QStringList&>(f), (QStringList{QStringLiteral("abc"), QStringLiteral("second")}));
    f.Reset();
    QString s;
    ASSERT_FALSE(f.Eof());
    f.ReadLn(s);
    EXPECT_EQ(s, QStringLiteral("abc"));
    f.ReadLn(s);
    EXPECT_EQ(s, QStringLiteral("second"));
    EXPECT_TRUE(f.Eof());
    EXPECT_THROW(f.ReadLn(s), EListError);
    f.Reset();
    f.WriteLn(QStringLiteral("x"));  // the unfinished text was dropped by Reset
    EXPECT_EQ(f.last(), QStringLiteral("x"));
}

TEST(TExStringGridCheck, BaseChangesNothing) {
    TExStringGridCheck check;
    EXPECT_FALSE(check.AutoCorrect || check.AutoMarkError || check.UseCorrect || check.UseMarkError || check.GotoCell);
    for (const QString& s : {QString(), QStringLiteral("text"), QStringLiteral("<e>x</e>")}) {
        EXPECT_EQ(check.Correct(1, 2, s), s);
        EXPECT_EQ(check.MarkError(1, 2, s), s);
    }
    struct Upper : TExStringGridCheck {
        int starts = 0;
        QString Correct(int32_t, int32_t, const QString& s) override { return s.toUpper(); }
        void StartCheck() override { ++starts; }
    } upper;
    TExStringGridCheck& base = upper;
    base.StartCheck();
    EXPECT_EQ(base.Correct(0, 0, QStringLiteral("ab")), QStringLiteral("AB"));
    EXPECT_EQ(base.MarkError(0, 0, QStringLiteral("ab")), QStringLiteral("ab"));
    EXPECT_EQ(upper.starts, 1);
}

}  // namespace
