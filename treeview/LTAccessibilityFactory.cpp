#include "treeview/LTAccessibilityFactory.h"

#include <QAccessible>
#include <algorithm>

#include "treeview/LazyTrees.h"

namespace {

// Freed when the program ends, releasing every provider it still holds.
std::unique_ptr<TLTAccessibilityFactory>& FactoryInstance() {
    static std::unique_ptr<TLTAccessibilityFactory> instance;
    return instance;
}

void PlatformNotifier(QObject* Window, unsigned Event) {
    // The event types Qt checks for need the forms that carry what changed.
    const auto type = static_cast<QAccessible::Event>(Event);
    if (type == QAccessible::StateChanged) {
        QAccessible::State changed;
        changed.checked = changed.expanded = changed.focused = changed.selected = true;
        QAccessibleStateChangeEvent e(Window, changed);
        QAccessible::updateAccessibility(&e);
    } else if (type == QAccessible::ValueChanged) {
        QAccessibleValueChangeEvent e(Window, QVariant());
        QAccessible::updateAccessibility(&e);
    } else {
        QAccessibleEvent e(Window, type);
        QAccessible::updateAccessibility(&e);
    }
}

lazytree::TAccessibleNotifier& Notifier() {
    static lazytree::TAccessibleNotifier notifier = &PlatformNotifier;
    return notifier;
}

// The platform asks once for each class of the object's ancestry, most derived first: the tree
// answers on the first ask only, so providers are asked once per query.
QAccessibleInterface* TreeAccessibleFactory(const QString& Key, QObject* Object) {
    auto* tree = qobject_cast<TBaseLazyTree*>(Object);
    if (!tree || Key != QLatin1String(Object->metaObject()->className())) return nullptr;
    return tree->GetAccessibleObject();
}

}  // namespace

TLTAccessibilityFactory* TLTAccessibilityFactory::GetAccessibilityFactory() {
    auto& instance = FactoryInstance();
    if (!instance) instance.reset(new TLTAccessibilityFactory());
    return instance.get();
}

void TLTAccessibilityFactory::RegisterAccessibleProvider(const PLTAccessibleProvider& AProvider) {
    if (!AProvider) return;
    if (std::find(FAccessibleProviders.begin(), FAccessibleProviders.end(), AProvider) == FAccessibleProviders.end())
        FAccessibleProviders.push_back(AProvider);
}

void TLTAccessibilityFactory::UnRegisterAccessibleProvider(const PLTAccessibleProvider& AProvider) {
    const auto it = std::find(FAccessibleProviders.begin(), FAccessibleProviders.end(), AProvider);
    if (it != FAccessibleProviders.end()) FAccessibleProviders.erase(it);
}

QAccessibleInterface* TLTAccessibilityFactory::CreateIAccessible(TBaseLazyTree* ATree) {
    if (!ATree) return nullptr;
    if (!ATree->Accessible && !FAccessibleProviders.empty())
        return FAccessibleProviders.front()->CreateIAccessible(ATree);
    if (ATree->AccessibleItem) return ATree->AccessibleItem;
    if (FAccessibleProviders.empty()) return nullptr;
    // The later providers are the more specific ones; the first is the fallback.
    for (size_t i = FAccessibleProviders.size() - 1; i >= 1; --i)
        if (QAccessibleInterface* answer = FAccessibleProviders[i]->CreateIAccessible(ATree)) return answer;
    return FAccessibleProviders.front()->CreateIAccessible(ATree);
}

namespace lazytree {

TAccessibleNotifier SetAccessibleNotifier(TAccessibleNotifier Value) {
    const TAccessibleNotifier old = Notifier();
    Notifier() = Value ? Value : &PlatformNotifier;
    return old;
}

void NotifyAccessible(QObject* Window, unsigned Event) {
    Notifier()(Window, Event);
}

void InstallAccessibilityHook() {
    static const bool installed = (QAccessible::installFactory(&TreeAccessibleFactory), true);
    (void)installed;
}

}  // namespace lazytree

// ---- The tree's side ----

QAccessibleInterface* TBaseLazyTree::GetAccessibleObject() {
    TLTAccessibilityFactory* factory = TLTAccessibilityFactory::GetAccessibilityFactory();
    if (!Accessible) Accessible = factory->CreateIAccessible(this);
    if (!AccessibleItem) AccessibleItem = factory->CreateIAccessible(this);
    return Accessible;
}

void TBaseLazyTree::NotifyAccessibleEvent(unsigned Event) {
    if (AccessibleItem) lazytree::NotifyAccessible(this, Event);
}

void TBaseLazyTree::ReleaseAccessibleObjects() {
    // Accessible objects belong to the platform's registry, which alone frees them; the one the
    // platform was given is registered already, the item object is registered here to go.
    QAccessibleInterface* item = AccessibleItem;
    QAccessibleInterface* own = Accessible;
    AccessibleItem = Accessible = nullptr;
    if (item && item != own) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
    if (own) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(own));
}

void TBaseLazyTree::DoChecked(PLazyNode Node) {
    TLazyTreeCore::DoChecked(Node);
    NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE);
}

void TBaseLazyTree::DoExpanded(PLazyNode Node) {
    TLazyTreeCore::DoExpanded(Node);
    NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE);
}

void TBaseLazyTree::DoCollapsed(PLazyNode Node) {
    // The notification follows the event, before the selection fix-up a collapse may need.
    if (OnCollapsed) OnCollapsed(this, Node);
    NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE);
    if (TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toAlwaysSelectNode)) EnsureNodeSelected();
}

void TBaseLazyTree::DoFocusChange(PLazyNode Node, TColumnIndex Column) {
    TLazyTreeCore::DoFocusChange(Node, Column);
    for (unsigned e : {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE,
                       EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_SELECTION, EVENT_OBJECT_FOCUS})
        NotifyAccessibleEvent(e);
}
