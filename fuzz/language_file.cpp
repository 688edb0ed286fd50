// Language files come from the user's "LANGUAGE" folder: any bytes must load without harm, the
// table must keep its size, and the entries from the bound on must keep their built-in texts.
#include "shell/ULanguage.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.path() + QStringLiteral("/Fuzz.lng");
    static const QStringList builtIn = [] {
        Load_Default_Language();
        return Text_Table;
    }();

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    if (f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
        std::abort();
    f.close();

    Load_Default_Language();
    if (!Load_Language_File(path)) std::abort();
    if (Text_Table.size() != kTextTableSize) std::abort();
    for (int i = g_LngIndexLimit; i < kTextTableSize; ++i)
        if (Text_Table[i] != builtIn[i]) std::abort();
    return 0;
}
