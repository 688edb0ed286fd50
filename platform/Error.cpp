#include "platform/Error.h"

namespace plat {

void throwListIndexError(int index) {
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

}  // namespace plat
