#include "platform/Error.h"

namespace plat {

void throwListIndexError(int index) {
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

void throwInvalidCast() { throw EInvalidCast(QStringLiteral("Invalid class typecast")); }

void throwResNotFound(const QString& name) {
    throw EResNotFound(QStringLiteral("Resource %1 not found").arg(name));
}

}  // namespace plat
