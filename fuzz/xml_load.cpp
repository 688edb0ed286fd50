// Loads arbitrary bytes as a project file and walks what was read.
#include "platform/XmlDoc.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::XmlDocument doc;
    QString error;
    if (!doc.loadBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &error)) {
        if (error.isEmpty()) __builtin_trap();  // a failure always says why
        if (!doc.root().isNull()) __builtin_trap();
        return 0;
    }
    const plat::XmlElement root = doc.root();
    for (const plat::XmlElement& e : root.childElements()) {
        (void)e.text();
        (void)e.attribute(QStringLiteral("Topic"));
        (void)e.child(QStringLiteral("row"));
    }
    (void)doc.toBytes();
    return 0;
}
