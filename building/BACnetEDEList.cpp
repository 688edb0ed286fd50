#include "building/BACnetEDEList.h"

#include "platform/Files.h"
#include "shell/AccessListFile.h"
#include "shell/UComon.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kFields = 16;
// The header line every layout carries; the line after it names the columns.
constexpr QLatin1StringView kHeader("mandatory");

// Line 7 may name the header with or without its "#"; anywhere else only a comment line does, so
// an object whose key name begins with "mandatory" is not taken for the header.
bool isHeader(const QString& line, bool hashNeeded) {
    QString t = TrimCtl(line);
    if (t.startsWith(u'#'))
        t = TrimCtl(t.mid(1));
    else if (hashNeeded)
        return false;
    return t.startsWith(kHeader);
}

// The index of the first data line, or -1 when the file has no header. Line 7 is the header of
// one layout (data from line 9); any other layout is found by the last header line of the file.
qsizetype dataStart(const QStringList& lines) {
    if (lines.size() >= 7 && isHeader(lines[6], false)) return 8;
    qsizetype start = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (isHeader(lines[i], true)) start = i + 2;
    return start;
}

// Columns 1 to 15 end at a ";"; column 16 is the rest, less one closing ";". Columns the line
// does not reach stay empty.
std::array<QString, kFields> split(const QString& line) {
    std::array<QString, kFields> f;
    qsizetype from = 0;
    for (int c = 0; c < kFields - 1; ++c) {
        const qsizetype semi = line.indexOf(u';', from);
        if (semi < 0) {
            f[size_t(c)] = TrimCtl(line.mid(from));
            return f;
        }
        f[size_t(c)] = TrimCtl(line.mid(from, semi - from));
        from = semi + 1;
    }
    QString rest = line.mid(from);
    if (rest.endsWith(u';')) rest.chop(1);
    f[kFields - 1] = TrimCtl(rest);
    return f;
}

int number(const QString& text) { return accesslist::listNumber(text, accesslist::NumberRule::Decimal); }

bool yes(const QString& text) { return text.compare(QLatin1StringView("Y"), Qt::CaseInsensitive) == 0; }

}  // namespace

bool EDE_Type_Kept(int objectType) {
    static constexpr int kKept[] = {0, 1, 2, 3, 4, 5, 13, 14, 19, 21, 22, 23, 45, 46, 48};
    return std::find(std::begin(kKept), std::end(kKept), objectType) != std::end(kKept);
}

std::vector<TBACnet_Var> Load_EDE_File(const QString& text) {
    QString normal = text;
    normal.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    normal.replace(u'\r', u'\n');
    const QStringList lines = normal.split(u'\n');
    std::vector<TBACnet_Var> list;
    const qsizetype start = dataStart(lines);
    if (start < 0) return list;
    for (qsizetype i = start; i < lines.size(); ++i) {
        const QString line = TrimCtl(lines[i]);
        if (line.isEmpty()) continue;
        const std::array<QString, kFields> f = split(line);
        TBACnet_Var v;
        v.keyname = f[0];
        v.device_obj_instance = number(f[1]);
        v.object_name = f[2];
        v.object_type = number(f[3]);
        v.object_instance = number(f[4]);
        v.description = f[5];
        v.present_value_default = f[6];
        v.min_present_value = f[7];
        v.max_present_value = f[8];
        v.commandable = yes(f[9]);
        v.support_COV = yes(f[10]);
        v.hi_limit = f[11];
        v.low_limit = f[12];
        v.stete_text_reference = f[13];
        v.unit_code = f[14];
        v.vendor_specific_address = f[15];
        if (!EDE_Type_Kept(v.object_type)) continue;
        v.import = true;
        v.read = true;
        v.write = v.commandable;
        list.push_back(std::move(v));
    }
    return list;
}

std::vector<TBACnet_Var> Load_EDE_Bytes(const QByteArray& bytes) { return Load_EDE_File(plat::decodeText(bytes)); }
