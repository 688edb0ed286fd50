// Office theme detection over a fake registry, and the theme notifier over a fake key watcher.
#include "controls/ExStyleIF.h"

#include "platform/Error.h"
#include "tests/support/EventWait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <map>

namespace {

const QString k14 = QStringLiteral("Software\\Microsoft\\Office\\14.0\\Common");
const QString k12 = QStringLiteral("Software\\Microsoft\\Office\\12.0\\Common");

class FakeRegistry final : public IRegistryReader {
public:
    std::map<QString, std::optional<int>> themes;  // key -> its "Theme" value (nullopt: key without it)
    std::vector<QString> keys;                     // keys that exist besides those
    mutable QStringList reads;

    bool KeyExists(const QString& Key) const override {
        return themes.count(Key) || std::find(keys.begin(), keys.end(), Key) != keys.end();
    }
    std::optional<int> ReadInteger(const QString& Key, const QString& Name) const override {
        reads << Key;
        if (Name != u"Theme") return std::nullopt;
        const auto it = themes.find(Key);
        return it == themes.end() ? std::nullopt : it->second;
    }
};

TEST(ExStyleIF, DetectOfficeTheme) {
    struct Case {
        const char* name;
        std::map<QString, std::optional<int>> themes;
        int scheme;
        TOfficeTheme expected;
        bool reads12;
    } cases[] = {
        {"14.0 Theme 3 whatever 12.0 holds", {{k14, 3}, {k12, 1}}, 0, ot2010Black, false},
        {"14.0 Theme 1", {{k14, 1}}, 0, ot2010Blue, false},
        {"14.0 Theme 2", {{k14, 2}, {k12, 3}}, 0, ot2010Silver, false},
        {"14.0 Theme 4 without reading 12.0", {{k14, 4}, {k12, 3}}, 0, ot2003Blue, false},
        {"14.0 Theme 0", {{k14, 0}}, 0, ot2003Blue, false},
        {"14.0 without a Theme value goes on to 12.0", {{k14, std::nullopt}, {k12, 2}}, 0, ot2007Silver, true},
        {"12.0 only, 1", {{k12, 1}}, 0, ot2007Blue, true},
        {"12.0 only, 2", {{k12, 2}}, 0, ot2007Silver, true},
        {"12.0 only, 3", {{k12, 3}}, 3, ot2007Black, true},
        {"12.0 only, 7", {{k12, 7}}, 0, ot2003Blue, true},
        {"no keys, classic desktop", {}, 0, ot2003Classic, true},
        {"no keys, blue scheme", {}, 1, ot2003Blue, true},
        {"no keys, HomeStead", {}, 2, ot2003Olive, true},
        {"no keys, Metallic", {}, 3, ot2003Silver, true},
        {"no keys, unknown scheme", {}, 9, ot2003Blue, true},
    };
    for (const Case& cs : cases) {
        FakeRegistry reg;
        reg.themes = cs.themes;
        EXPECT_EQ(DetectOfficeTheme(reg, cs.scheme), cs.expected) << cs.name;
        EXPECT_EQ(reg.reads.contains(k12), cs.reads12) << cs.name;
    }
}

TEST(ExStyleIF, ThisMachineAndTheInstalledReader) {
    // No registry, no colour scheme: classic, never unknown.
    EXPECT_EQ(CurrentColorScheme(), 0);
    EXPECT_EQ(DetectOfficeTheme(), ot2003Classic);
    EXPECT_EQ(OfficeVersion(), 0);
    FakeRegistry reg;
    reg.themes[k14] = 2;
    SetRegistryReader(&reg);
    EXPECT_EQ(DetectOfficeTheme(), ot2010Silver);
    SetRegistryReader(nullptr);
    EXPECT_EQ(DetectOfficeTheme(), ot2003Classic);

    struct Scheme {
        const char* name;
        int expected;
    } schemes[] = {{"NormalColor", 1}, {"HomeStead", 2}, {"Metallic", 3}, {"", 0}, {"Royale", 0},
                   {"Normal", 1},  // the known name holds the one asked for
                   {"NormalColorX", 0}};
    for (const Scheme& s : schemes) EXPECT_EQ(ColorSchemeOfName(QString::fromLatin1(s.name)), s.expected) << s.name;

    EXPECT_TRUE(IsVistaOrLater());
    EXPECT_EQ(DefaultUIFontName(), "Segoe UI");
}

TEST(ExStyleIF, OfficeVersionAndReadErrors) {
    FakeRegistry reg;
    EXPECT_EQ(OfficeVersion(reg), 0);
    reg.keys = {QStringLiteral("Software\\Microsoft\\Office\\11.0\\Common\\General")};
    EXPECT_EQ(OfficeVersion(reg), 0);
    reg.keys.push_back(k12 + QStringLiteral("\\General"));
    EXPECT_EQ(OfficeVersion(reg), 1);
    reg.keys.push_back(k14 + QStringLiteral("\\General"));
    EXPECT_EQ(OfficeVersion(reg), 2);

    // A value of another type: the reader's error reaches the caller.
    class WrongType final : public IRegistryReader {
    public:
        bool KeyExists(const QString&) const override { return true; }
        std::optional<int> ReadInteger(const QString&, const QString&) const override {
            throw plat::Error(QStringLiteral("Invalid data type for 'Theme'"));
        }
    } wrong;
    EXPECT_THROW(DetectOfficeTheme(wrong, 0), plat::Error);
}

TEST(ExStyleIF, HandleList) {
    THandleList list;
    QObject a, b, c;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Insert(0, &c);
    list.Add(&a);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.GetInteger(0), &c);
    list.DeleteValue(&a);  // the first only
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetInteger(1), &b);
    EXPECT_EQ(list.GetInteger(2), &a);
    list.DeleteValue(&c);
    list.DeleteValue(&c);  // absent: nothing
    EXPECT_EQ(list.Count(), 2);
    list.SetInteger(0, &c);
    EXPECT_TRUE(list.HasValue(&c));
    EXPECT_FALSE(list.HasValue(&b));
    list.Delete(5);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetInteger(7), nullptr);
    {
        QObject gone;
        list.Add(&gone);
    }
    EXPECT_EQ(list.GetInteger(1), nullptr);  // a destroyed window reads as none
}

// ---- The notifier ----

// A key that changes when the test says so.
struct WatchedKey {
    std::mutex lock;
    std::condition_variable cv;
    int pending = 0;
    bool woken = false;
    bool failOpen = false;
    QString key;
    uint32_t filter = 0, root = 0;
    bool subtree = false;
    int wakes = 0;

    void change(int times = 1) {
        {
            std::lock_guard l(lock);
            pending += times;
        }
        cv.notify_all();
    }
};

class FakeWatcher final : public IKeyChangeWatcher {
public:
    explicit FakeWatcher(WatchedKey& k) : k_(k) {}
    bool Open(uint32_t RootKey, const QString& KeyPath, bool WatchSubtree, uint32_t Filter) override {
        std::lock_guard l(k_.lock);
        k_.root = RootKey, k_.key = KeyPath, k_.subtree = WatchSubtree, k_.filter = Filter;
        return !k_.failOpen;
    }
    TWaitResult Wait() override {
        std::unique_lock l(k_.lock);
        k_.cv.wait(l, [&] { return k_.pending > 0 || k_.woken; });
        if (k_.woken) return wrWoken;
        --k_.pending;
        return wrChanged;
    }
    void Wake() override {
        {
            std::lock_guard l(k_.lock);
            k_.woken = true;
            ++k_.wakes;
        }
        k_.cv.notify_all();
    }

private:
    WatchedKey& k_;
};

// Counts the notices it is told, and records who was told in what order.
class Listener final : public QObject {
public:
    Listener(QString name, QStringList* order) : name_(std::move(name)), order_(order) {}
    int told = 0;
    uint32_t root = 0;
    QString path;
    std::function<void()> onNotice;

protected:
    bool event(QEvent* e) override {
        if (e->type() != OfficeThemeChangeEventType()) return QObject::event(e);
        ++told;
        const auto* n = static_cast<TOfficeThemeChangeEvent*>(e);
        root = n->RootKey;
        path = n->KeyPath;
        if (order_) *order_ << name_;
        if (onNotice) onNotice();
        return true;
    }

private:
    QString name_;
    QStringList* order_;
};

class ThemeNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg.keys = {k14 + QStringLiteral("\\General")};
        SetRegistryReader(&reg);
        SetKeyChangeWatcherFactory([this] { return std::make_unique<FakeWatcher>(key); });
    }
    void TearDown() override {
        SetKeyChangeWatcherFactory(nullptr);
        SetRegistryReader(nullptr);
    }
    static bool waitFor(const std::function<bool()>& done) { return testing_support::processEventsUntil(done); }

    FakeRegistry reg;
    WatchedKey key;
};

TEST_F(ThemeNotifierTest, TellsEachRegisteredWindowOncePerChangeInOrder) {
    QWidget owner;
    QStringList order;
    TThemeNotifier notifier(&owner);
    ASSERT_TRUE(notifier.HasMonitor());
    ASSERT_NE(notifier.Window(), nullptr);
    EXPECT_EQ(notifier.Window()->parentWidget(), &owner);
    int notifierTold = 0;
    notifier.OnOfficeThemeChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &notifier);
        ++notifierTold;
        order << u"notifier"_qs;
    };
    Listener twice(u"twice"_qs, &order), dropped(u"dropped"_qs, &order), last(u"last"_qs, &order);
    notifier.RegisterWindow(&twice);
    notifier.RegisterWindow(&dropped);
    notifier.RegisterWindow(&twice);
    notifier.RegisterWindow(&last);
    notifier.UnRegisterWindow(&dropped);
    notifier.UnRegisterWindow(&dropped);  // not registered: nothing
    EXPECT_EQ(notifier.Monitor()->WindowCount(), 2);

    key.change(2);
    ASSERT_TRUE(waitFor([&] { return last.told == 2; }));
    EXPECT_EQ(twice.told, 2);
    EXPECT_EQ(dropped.told, 0);
    EXPECT_EQ(notifierTold, 2);
    EXPECT_EQ(order, (QStringList{"notifier", "twice", "last", "notifier", "twice", "last"}));
    EXPECT_EQ(last.root, HKEY_CURRENT_USER);
    EXPECT_EQ(last.path, k14);
    std::lock_guard l(key.lock);
    EXPECT_EQ(key.key, k14);
    EXPECT_EQ(key.filter, 4u);
    EXPECT_TRUE(key.subtree);
    EXPECT_EQ(key.root, HKEY_CURRENT_USER);
}

TEST_F(ThemeNotifierTest, WatchesOffice12WhenThatIsTheOneInstalled) {
    reg.keys = {k12 + QStringLiteral("\\General")};
    TThemeNotifier notifier;
    ASSERT_TRUE(notifier.HasMonitor());
    Listener l(u"l"_qs, nullptr);
    notifier.RegisterWindow(&l);
    key.change();
    ASSERT_TRUE(waitFor([&] { return l.told == 1; }));
    EXPECT_EQ(l.path, k12);
}

TEST_F(ThemeNotifierTest, RegisteringWhileAChangeIsDeliveredIsSafe) {
    TThemeNotifier notifier;
    Listener first(u"first"_qs, nullptr), late(u"late"_qs, nullptr);
    // The first window, told of a change, registers another and takes itself off the list.
    first.onNotice = [&] {
        notifier.RegisterWindow(&late);
        notifier.UnRegisterWindow(&first);
    };
    notifier.RegisterWindow(&first);
    key.change();
    ASSERT_TRUE(waitFor([&] { return first.told == 1; }));
    key.change();
    ASSERT_TRUE(waitFor([&] { return late.told == 1; }));
    EXPECT_EQ(first.told, 1);

    // Many changes while the user-interface thread keeps changing the list.
    std::vector<std::unique_ptr<Listener>> churn;
    for (int i = 0; i < 20; ++i) churn.push_back(std::make_unique<Listener>(QString::number(i), nullptr));
    key.change(200);
    int round = 0;
    while (late.told < 201) {
        Listener* w = churn[size_t(round % 20)].get();
        if (round % 2) notifier.UnRegisterWindow(w);
        else notifier.RegisterWindow(w);
        if (round % 7 == 0) churn[size_t((round / 7) % 20)] = std::make_unique<Listener>(u"new"_qs, nullptr);
        QCoreApplication::processEvents();
        ASSERT_LT(++round, 1000000);
    }
    EXPECT_EQ(late.told, 201);
}

TEST_F(ThemeNotifierTest, StoppingEndsTheThreadAtOnce) {
    auto notifier = std::make_unique<TThemeNotifier>();
    Listener l(u"l"_qs, nullptr);
    notifier->RegisterWindow(&l);
    TRegMonitorThread* monitor = notifier->Monitor();
    ASSERT_TRUE(monitor->Running());
    // A change waits for the user-interface thread, which stops the monitor instead of delivering.
    key.change();
    monitor->Stop();
    EXPECT_FALSE(monitor->Running());
    {
        std::lock_guard lk(key.lock);
        EXPECT_EQ(key.wakes, 1);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(l.told, 0);  // nothing delivered after the stop
    notifier.reset();      // and the notifier goes without waiting for anything

    // A monitor waiting for a change stops when its notifier goes.
    {
        std::lock_guard lk(key.lock);
        key.woken = false;
        key.pending = 0;
    }
    auto second = std::make_unique<TThemeNotifier>();
    ASSERT_TRUE(second->Monitor()->Running());
    second.reset();
    std::lock_guard lk(key.lock);
    EXPECT_EQ(key.wakes, 2);
}

TEST_F(ThemeNotifierTest, AWindowToldOfAChangeMayDestroyTheNotifier) {
    // Destroyed by a listed window: the windows after it are not told.
    auto notifier = std::make_unique<TThemeNotifier>();
    Listener killer(u"killer"_qs, nullptr), after(u"after"_qs, nullptr);
    killer.onNotice = [&] { notifier.reset(); };
    notifier->RegisterWindow(&killer);
    notifier->RegisterWindow(&after);
    key.change();
    ASSERT_TRUE(waitFor([&] { return !notifier; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(killer.told, 1);
    EXPECT_EQ(after.told, 0);

    // Destroyed by its own handler, through its window.
    {
        std::lock_guard lk(key.lock);
        key.woken = false;
        key.pending = 0;
    }
    auto second = std::make_unique<TThemeNotifier>();
    Listener listed(u"listed"_qs, nullptr);
    second->RegisterWindow(&listed);
    second->OnOfficeThemeChange = [&](QObject*) { second.reset(); };
    key.change();
    ASSERT_TRUE(waitFor([&] { return !second; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(listed.told, 0);
}

TEST_F(ThemeNotifierTest, AKeyThatCannotBeOpenedEndsTheThread) {
    key.failOpen = true;
    TThemeNotifier notifier;
    ASSERT_TRUE(notifier.HasMonitor());
    ASSERT_TRUE(waitFor([&] { return !notifier.Monitor()->Running(); }));
    EXPECT_EQ(notifier.Monitor()->ErrorMessage(), QStringLiteral("Unable to open registry key ") + k14);
}

TEST_F(ThemeNotifierTest, NoOfficeNoMonitorAndOneProcessWideNotifier) {
    reg.keys.clear();
    QWidget owner;
    TThemeNotifier plain(&owner);
    EXPECT_FALSE(plain.HasMonitor());
    EXPECT_EQ(plain.Window(), nullptr);
    Listener l(u"l"_qs, nullptr);
    plain.RegisterWindow(&l);  // nothing to register with
    plain.UnRegisterWindow(&l);

    auto* first = GetThemeNotifier(&owner);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->parent(), &owner);
    EXPECT_EQ(GetThemeNotifier(nullptr), first);
    delete first;
    QObject other;
    auto* second = GetThemeNotifier(&other);
    EXPECT_EQ(second->parent(), &other);  // a new one after the first is gone
}

}  // namespace
