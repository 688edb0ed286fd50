#pragma once
// The process-wide factory the trees ask for accessible objects. A tree implements none itself:
// providers that can make them register here, and a tree asks the factory when the platform's
// accessibility layer first queries it. This program registers no provider, so a tree answers
// nothing beyond what the platform answers for any scroll area, and raises no notification.
#include <QObject>
#include <memory>
#include <vector>

class QAccessibleInterface;
class TBaseLazyTree;

// Makes an accessible object for a tree, or nil. The factory keeps a share of each provider.
class ILTAccessibleProvider {
public:
    virtual ~ILTAccessibleProvider() = default;
    virtual QAccessibleInterface* CreateIAccessible(TBaseLazyTree* ATree) = 0;
};
using PLTAccessibleProvider = std::shared_ptr<ILTAccessibleProvider>;

class TLTAccessibilityFactory {
public:
    // The one factory, made on the first call.
    static TLTAccessibilityFactory* GetAccessibilityFactory();

    // Appended unless registered already.
    void RegisterAccessibleProvider(const PLTAccessibleProvider& AProvider);
    // Removed when registered.
    void UnRegisterAccessibleProvider(const PLTAccessibleProvider& AProvider);
    int ProviderCount() const { return int(FAccessibleProviders.size()); }
    // The tree's own object from the first provider while the tree has none; else its item object;
    // else the first answer of the providers from the last down to the second, or the first's.
    QAccessibleInterface* CreateIAccessible(TBaseLazyTree* ATree);

private:
    TLTAccessibilityFactory() = default;
    std::vector<PLTAccessibleProvider> FAccessibleProviders;
};

// The notifications a tree raises (the platform's event numbers).
inline constexpr unsigned EVENT_OBJECT_FOCUS = 0x8005, EVENT_OBJECT_SELECTION = 0x8006,
                          EVENT_OBJECT_STATECHANGE = 0x800A, EVENT_OBJECT_LOCATIONCHANGE = 0x800B,
                          EVENT_OBJECT_NAMECHANGE = 0x800C, EVENT_OBJECT_VALUECHANGE = 0x800E;

namespace lazytree {
// Where the trees' accessibility notifications go (the platform's accessibility layer unless
// replaced); answers the one it replaced.
using TAccessibleNotifier = void (*)(QObject* Window, unsigned Event);
TAccessibleNotifier SetAccessibleNotifier(TAccessibleNotifier Notifier);
void NotifyAccessible(QObject* Window, unsigned Event);
// Hooks the trees into the platform's accessibility query (once per process).
void InstallAccessibilityHook();
}  // namespace lazytree
