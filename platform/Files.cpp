#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <array>

namespace plat {
namespace {

QString& appPathStore() {
    static QString path;
    return path;
}

// Code points of Windows-1252 bytes 0x80..0x9F; the five undefined bytes map to their C1 control.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QStringList sortedNoCase(QStringList list) {
    std::sort(list.begin(), list.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return list;
}

}  // namespace

QString appPath() {
    QString& p = appPathStore();
    if (p.isEmpty()) p = QCoreApplication::applicationDirPath();
    return p;
}

void setAppPath(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/')) p.chop(1);
    appPathStore() = p;
}

bool dirExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool fileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

bool createDir(const QString& path) {
    if (dirExists(path)) return true;
    QDir().mkdir(path);
    return dirExists(path);
}

bool forceDirectories(const QString& path) {
    if (dirExists(path)) return true;
    QDir().mkpath(path);
    return dirExists(path);
}

bool copyFileReplace(const QString& src, const QString& dst, QString* error) {
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error) *error = in.errorString();
        return false;
    }
    return atomicWrite(dst, data, error);
}

QStringList listSubDirs(const QString& dir) {
    return sortedNoCase(QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden));
}

QStringList listFiles(const QString& dir, const QString& pattern) {
    QDir d(dir);
    d.setNameFilters({pattern});
    d.setFilter(QDir::Files | QDir::Hidden);
    return sortedNoCase(d.entryList());
}

bool atomicWrite(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    if (f.write(data) != data.size()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {  // QSaveFile flushes and fsyncs before the rename
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

std::optional<QByteArray> readFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = f.errorString();
        return std::nullopt;
    }
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error) *error = f.errorString();
        return std::nullopt;
    }
    return data;
}

QString fromWindows1252(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

QByteArray toWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < kCp1252High.size(); ++k) {
            if (kCp1252High[k] == u) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        out.append(mapped);
    }
    return out;
}

QString decodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = static_cast<unsigned char>(bytes[0]) == 0xFF;
        QString out;
        out.reserve((bytes.size() - 2) / 2);
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            out.append(QChar(static_cast<char16_t>(le ? (a | (b << 8)) : ((a << 8) | b))));
        }
        return out;
    }
    return fromWindows1252(bytes);
}

}  // namespace plat
