// Feeds arbitrary bytes as "PDO_CANopen.xml" and "SDO_Server_CANopen.xml" to the EDS writer. The
// first byte says which files exist (bit 0 the PDO file, bit 1 the SDO server file), the next two
// give the hour and minute; the rest is the PDO file, a NUL, then the SDO server file. The writer
// either refuses with a reason and no text, or writes ASCII lines each ended by CR LF, every
// section once.
#include "fieldbus/UEds.h"

#include <QSet>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 3), static_cast<qsizetype>(size - 3));
    const qsizetype nul = rest.indexOf('\0');
    const QByteArray pdo = nul < 0 ? rest : rest.left(nul);
    const QByteArray sdo = nul < 0 ? QByteArray() : rest.mid(nul + 1);
    const QDateTime now(QDate(2024, 1, 2), QTime(data[1] % 24, data[2] % 60));
    const eds::Built built = eds::build(data[0] & 1 ? std::optional(pdo) : std::nullopt,
                                        data[0] & 2 ? std::optional(sdo) : std::nullopt, now);
    if (!built.error.isEmpty()) {
        if (!built.bytes.isEmpty()) __builtin_trap();
        return 0;
    }
    const QByteArray& out = built.bytes;
    if (!out.startsWith("[FileInfo]\r\n") || !out.endsWith("\r\n")) __builtin_trap();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '\n' && (i == 0 || out[i - 1] != '\r')) __builtin_trap();
        if (c == '\r' && (i + 1 >= out.size() || out[i + 1] != '\n')) __builtin_trap();
        if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E)) __builtin_trap();
    }
    QSet<QByteArray> sections;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.startsWith('[')) continue;
        const QByteArray name = line.toUpper();
        if (sections.contains(name)) __builtin_trap();
        sections.insert(name);
    }
    return 0;
}
