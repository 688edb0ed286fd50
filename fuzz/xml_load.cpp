// Loads arbitrary bytes as a project file, walks what was read and writes it back.
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
    // What was read is written so that it reads back the same, and writes the same bytes again.
    const QByteArray written = doc.toBytes();
    plat::XmlDocument again;
    if (!again.loadBytes(written, &error)) __builtin_trap();
    if (again.toBytes() != written) __builtin_trap();
    return 0;
}
