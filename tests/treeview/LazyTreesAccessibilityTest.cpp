// The accessibility factory: providers kept once, the order in which they are asked, the query
// through the platform's accessibility hook, and the notifications a tree raises while it has an
// item object (and not without one).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>

#include "treeview/LTAccessibilityFactory.h"
#include "treeview/LazyTrees.h"

using enum TLTMiscOption;

namespace {

// Answers with a new object for the tree when told to, and counts the questions.
class TestProvider final : public ILTAccessibleProvider {
public:
    explicit TestProvider(bool answers) : answers_(answers) {}
    QAccessibleInterface* CreateIAccessible(TBaseLazyTree* tree) override {
        ++asked;
        if (!answers_) return nullptr;
        made.push_back(new QAccessibleWidget(tree, QAccessible::TreeItem));
        return made.back();
    }
    int asked = 0;
    std::vector<QAccessibleInterface*> made;

private:
    bool answers_;
};

// Unregisters what a test registered, whatever happens.
struct Providers {
    std::vector<PLTAccessibleProvider> list;
    TLTAccessibilityFactory* factory = TLTAccessibilityFactory::GetAccessibilityFactory();
    std::shared_ptr<TestProvider> Add(bool answers) {
        auto p = std::make_shared<TestProvider>(answers);
        list.push_back(p);
        factory->RegisterAccessibleProvider(p);
        return p;
    }
    ~Providers() {
        for (const auto& p : list) factory->UnRegisterAccessibleProvider(p);
    }
};

struct Notification {
    QObject* window;
    unsigned event;
    bool operator==(const Notification&) const = default;
};
std::vector<Notification> notifications;
void Record(QObject* window, unsigned event) {
    notifications.push_back({window, event});
}

}  // namespace

TEST(LazyTreeAccessibility, WithoutProvidersTreesStayWithoutObjects) {
    TLTAccessibilityFactory* factory = TLTAccessibilityFactory::GetAccessibilityFactory();
    ASSERT_EQ(factory, TLTAccessibilityFactory::GetAccessibilityFactory());
    ASSERT_EQ(factory->ProviderCount(), 0);
    TLazyStringTree tree;
    // The platform answers as for any scroll area; the tree adds nothing.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&tree);
    EXPECT_EQ(tree.Accessible, nullptr);
    EXPECT_EQ(tree.AccessibleItem, nullptr);
    if (iface) EXPECT_EQ(iface->object(), &tree);
    EXPECT_EQ(factory->CreateIAccessible(&tree), nullptr);
    // No object, no notification.
    const auto old = lazytree::SetAccessibleNotifier(&Record);
    notifications.clear();
    tree.SetRootNodeCount(2);
    tree.SetFocusedNode(tree.GetFirst());
    EXPECT_TRUE(notifications.empty());
    lazytree::SetAccessibleNotifier(old);
}

TEST(LazyTreeAccessibility, ProvidersAreKeptOnce) {
    Providers p;
    auto a = p.Add(true);
    p.factory->RegisterAccessibleProvider(a);
    EXPECT_EQ(p.factory->ProviderCount(), 1);
    p.factory->UnRegisterAccessibleProvider(std::make_shared<TestProvider>(true));  // never registered
    EXPECT_EQ(p.factory->ProviderCount(), 1);
    p.factory->UnRegisterAccessibleProvider(a);
    EXPECT_EQ(p.factory->ProviderCount(), 0);
    // A nil tree asks nobody.
    p.factory->RegisterAccessibleProvider(a);
    EXPECT_EQ(p.factory->CreateIAccessible(nullptr), nullptr);
    EXPECT_EQ(a->asked, 0);
}

TEST(LazyTreeAccessibility, TreeObjectFromTheFirstItemFromTheLastThatAnswers) {
    struct Case {
        const char* name;
        bool p1Answers, p2Answers;
        int itemFrom;
    };
    for (const Case& c :
         {Case{"P2 answers", true, true, 2}, Case{"only P1", true, false, 1}, Case{"neither: P0", false, false, 0}}) {
        SCOPED_TRACE(c.name);
        Providers p;
        auto p0 = p.Add(true), p1 = p.Add(c.p1Answers), p2 = p.Add(c.p2Answers);
        TLazyStringTree tree;
        // The platform's query goes through the hook and gets the tree's own object.
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&tree);
        ASSERT_NE(tree.Accessible, nullptr);
        EXPECT_EQ(iface, tree.Accessible);
        EXPECT_EQ(tree.Accessible, p0->made.front());
        const std::shared_ptr<TestProvider> providers[] = {p0, p1, p2};
        ASSERT_FALSE(providers[c.itemFrom]->made.empty());
        EXPECT_EQ(tree.AccessibleItem, providers[c.itemFrom]->made.back());
        // P2 first, P1 only when P2 had nothing, P0 last.
        EXPECT_EQ(p2->asked, 1);
        EXPECT_EQ(p1->asked, c.p2Answers ? 0 : 1);
        EXPECT_EQ(p0->asked, c.itemFrom == 0 ? 2 : 1);
        // Once made, the objects are not asked for again.
        EXPECT_EQ(tree.GetAccessibleObject(), tree.Accessible);
        EXPECT_EQ(p0->asked + p1->asked + p2->asked, c.itemFrom == 0 ? 4 : c.itemFrom == 1 ? 3 : 2);
    }
}

TEST(LazyTreeAccessibility, NotificationsFollowTheEventsInOrder) {
    Providers p;
    p.Add(true);
    TLazyStringTree tree;
    tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + toCheckSupport);
    tree.Header().Columns().Add();
    tree.Header().Columns().Add();
    tree.Header().SetMainColumn(0);
    PLazyNode parent = tree.AddChild(nullptr);
    tree.AddChild(parent);
    tree.SetCheckType(parent, TCheckType::ctCheckBox);
    ASSERT_NE(tree.GetAccessibleObject(), nullptr);
    ASSERT_NE(tree.AccessibleItem, nullptr);
    const auto old = lazytree::SetAccessibleNotifier(&Record);
    notifications.clear();
    auto events = [&] {
        std::vector<unsigned> out;
        for (const Notification& n : notifications) {
            EXPECT_EQ(n.window, &tree);
            out.push_back(n.event);
        }
        notifications.clear();
        return out;
    };
    // Each event's handler runs before its notification.
    tree.OnChecked = [&](TLazyTreeCore*, PLazyNode) { EXPECT_TRUE(notifications.empty()); };
    tree.SetCheckState(parent, TCheckState::csCheckedNormal);
    EXPECT_EQ(events(), (std::vector<unsigned>{EVENT_OBJECT_STATECHANGE}));
    tree.SetExpanded(parent, true);
    EXPECT_EQ(events(), (std::vector<unsigned>{EVENT_OBJECT_STATECHANGE}));
    tree.SetExpanded(parent, false);
    EXPECT_EQ(events(), (std::vector<unsigned>{EVENT_OBJECT_STATECHANGE}));
    tree.SetFocusedNode(parent);
    EXPECT_EQ(events(),
              (std::vector<unsigned>{EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE,
                                     EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_SELECTION, EVENT_OBJECT_FOCUS}));
    // A new main column is announced, then the focus moving to it.
    tree.Header().SetMainColumn(1);
    EXPECT_EQ(events(), (std::vector<unsigned>{EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LOCATIONCHANGE,
                                               EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE,
                                               EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_SELECTION, EVENT_OBJECT_FOCUS}));
    // Without the item object the tree is silent.
    QAccessibleInterface* item = tree.AccessibleItem;
    tree.AccessibleItem = nullptr;
    tree.SetCheckState(parent, TCheckState::csUncheckedNormal);
    EXPECT_TRUE(events().empty());
    tree.AccessibleItem = item;
    lazytree::SetAccessibleNotifier(old);
}
