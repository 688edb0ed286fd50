#include "mbus/MBusMeters.h"

mbus::TMBusSlaveList g_MBusSlaveList;
mbus::TWMBusSlaveList g_WMBusSlaveList;

namespace mbus {

int TMBusSlaveList::Count() {
    return Locked([](TMBusMeters& m) { return int(m.size()); });
}

void TMBusSlaveList::Clear() {
    Locked([](TMBusMeters& m) { m.clear(); });
}

int TMBusSlaveList::Add(std::unique_ptr<TSlave_MBus> meter) {
    return Locked([&](TMBusMeters& m) {
        m.push_back(std::move(meter));
        return int(m.size()) - 1;
    });
}

std::optional<TSlave_MBus> TMBusSlaveList::Snapshot(int index) {
    return Locked([&](TMBusMeters& m) -> std::optional<TSlave_MBus> {
        if (index < 0 || index >= int(m.size())) return std::nullopt;
        return *m[size_t(index)];
    });
}

}  // namespace mbus
