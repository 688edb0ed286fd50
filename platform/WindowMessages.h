#pragma once
// Messages registered by name, as Qt event types: the first request of a name registers a new type,
// every later request of the same name, from any part of the program, gets that same type.
#include <QEvent>
#include <QString>

namespace plat {

QEvent::Type RegisterWindowMessage(const QString& name);

}  // namespace plat
