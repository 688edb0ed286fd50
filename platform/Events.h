#pragma once
// The event type every component shares: a handler bound to its object, told who fired it.
#include <functional>

class QObject;

namespace plat {

using TNotifyEvent = std::function<void(QObject* Sender)>;

}  // namespace plat
