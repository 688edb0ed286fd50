#pragma once
// The meters that scans find: the wired meters (filled by the wired scan) and the wireless ones
// (filled by the UDP listener, UWMBusDecode.h), in two lists that live for the whole run. The
// scan's threads append to them while the window reads them, so each list is guarded by its own
// lock.
#include "mbus/UMBusScanDecode.h"
#include "mbus/UWMBusDecode.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace mbus {

// One wired meter, from the fixed header of its first RSP_UD frame, with the values of the frames
// read from it.
struct TSlave_MBus {
    uint16_t Primary_Addresss = 0;
    QString Secondary_Addresss;  // identification number in hexadecimal digits, at least two
    int32_t Manufacture = 0;     // manufacturer code
    int32_t Version = 0;
    int32_t Medium = 0;
    int32_t Status = 0;
    QString descManufacture;     // three letters
    QString descmedium;
    QString description;
    TVariableList List_Var;
    void* Node = nullptr;        // the window's tree node

    void Cancel_Var() { List_Var.clear(); }
};

using TMBusMeters = std::vector<std::unique_ptr<TSlave_MBus>>;

class TMBusSlaveList {
public:
    // Runs f(TMBusMeters&) with the list locked; pointers into the list are valid only inside.
    template <typename F>
    decltype(auto) Locked(F&& f) {
        std::lock_guard lock(mutex_);
        return f(meters_);
    }

    int Count();
    void Clear();  // frees every meter with its values
    int Add(std::unique_ptr<TSlave_MBus> meter);        // the new meter's index
    std::optional<TSlave_MBus> Snapshot(int index);     // a copy for display, nothing when out of range

private:
    std::recursive_mutex mutex_;
    TMBusMeters meters_;
};

}  // namespace mbus

// The process-wide lists of found meters: empty at start, emptied by the scan window before a new
// scan of their kind.
extern mbus::TMBusSlaveList g_MBusSlaveList;
extern mbus::TWMBusSlaveList g_WMBusSlaveList;
