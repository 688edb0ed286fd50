// Structural operations on the lazy tree's node core, decoded from bytes, applied to the tree and to
// a naive reference tree; the two must agree after every operation and the tree's counts, heights,
// links and visible count must hold.
#include <QFont>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "tests/support/TreeOps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The tree's font starts as the application font; there is no application here.
    static const bool fontSet = (QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9)), true);
    (void)fontSet;
    if (size > 4096) return 0;
    testing_support::TreeOpsDriver driver;
    if (!driver.Run(data, size).empty()) __builtin_trap();
    return 0;
}
