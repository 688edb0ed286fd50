// Feeds arbitrary bytes as "ParGen.xml" and "BACnet_Slave_SetAccess.xml" to the EDE export (the
// first byte says which files exist; the rest splits at the first NUL): it writes a file or reports
// why not, and every line it writes keeps its fields: seven header lines, then each object line
// exactly seven fields each ended by ";".
#include "building/UBACnet_EDE_File.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype split = rest.indexOf('\0');
    std::optional<QByteArray> parGen, objects;
    if (data[0] & 1) parGen = split < 0 ? rest : rest.left(split);
    if (data[0] & 2) objects = split < 0 ? QByteArray() : rest.mid(split + 1);
    const QString project = (data[0] & 4) ? QStringLiteral("Plant;7") : QStringLiteral("Plant7");
    QString error;
    const std::optional<QByteArray> bytes =
        Build_EDE_Bytes(parGen, objects, project, QDateTime(QDate(2024, 2, 3), QTime(9, 5, 0)), &error);
    if (!bytes) {
        if (error.isEmpty()) __builtin_trap();
        return 0;
    }
    if (!bytes->endsWith("\r\n")) __builtin_trap();
    const QList<QByteArray> lines = bytes->left(bytes->size() - 1).split('\n');
    if (lines.size() < 7) __builtin_trap();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (!line.endsWith('\r')) __builtin_trap();
        line.chop(1);
        if (line.contains('\r')) __builtin_trap();
        if (i >= 7 && (line.count(';') != 7 || !line.endsWith(';'))) __builtin_trap();
    }
    return 0;
}
