#include "platform/WindowMessages.h"

#include <QHash>
#include <mutex>

namespace plat {

QEvent::Type RegisterWindowMessage(const QString& name) {
    static std::mutex lock;
    static QHash<QString, QEvent::Type> types;
    std::lock_guard guard(lock);
    auto it = types.constFind(name);
    if (it != types.constEnd()) return *it;
    const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    types.insert(name, type);
    return type;
}

}  // namespace plat
