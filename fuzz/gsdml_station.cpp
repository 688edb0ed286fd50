// The station name comes from "ParGen.xml", which the user may edit by hand: whatever it holds,
// the device description must stay well-formed ASCII and carry the name back unchanged (only
// characters XML cannot hold at all become U+FFFD).
#include "gateway/UProfinetXML.h"

#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <pugixml.hpp>

namespace {

bool xmlChar(uint c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProfinetParam p;
    p.stationName = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray bytes = Build_GSDML(p);
    for (qsizetype i = 3; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) __builtin_trap();

    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()))) __builtin_trap();
    const pugi::xml_node dap = doc.select_node("//DeviceAccessPointItem").node();
    if (!dap) __builtin_trap();

    QString expected;
    for (const uint c : p.stationName.toUcs4()) {
        const char32_t keep = xmlChar(c) ? c : 0xFFFD;
        expected += QString::fromUcs4(&keep, 1);
    }
    if (QString::fromUtf8(dap.attribute("ImplementationType").value()) != expected) __builtin_trap();
    if (QString::fromUtf8(dap.attribute("DNS_CompatibleName").value()) != expected) __builtin_trap();
    return 0;
}
