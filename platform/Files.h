#pragma once
// File-system services of the platform layer. Paths use "/" as the separator.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace plat {

// Folder of the program file, without a trailing separator. Tests point it at a temporary folder.
QString appPath();
void setAppPath(const QString& path);

bool dirExists(const QString& path);
bool fileExists(const QString& path);  // true only for a file, not for a folder
bool createDir(const QString& path);         // the parent must exist; true when it exists afterwards
bool forceDirectories(const QString& path);  // creates missing parents too

// Copies src over dst, replacing dst. On failure dst is left as it was and `error` says why.
bool copyFileReplace(const QString& src, const QString& dst, QString* error = nullptr);

// Names (not paths) of the sub-folders of `dir`, sorted without regard to case.
QStringList listSubDirs(const QString& dir);
// Names of the plain files of `dir` that match a wildcard pattern such as "*.lng", sorted without
// regard to case; the pattern ignores case.
QStringList listFiles(const QString& dir, const QString& pattern);

// Writes `data` to a temporary file beside `path`, flushes it to disk and renames it over `path`,
// so a failed save never leaves a half-written file. False with `error` set on failure.
bool atomicWrite(const QString& path, const QByteArray& data, QString* error = nullptr);

std::optional<QByteArray> readFile(const QString& path, QString* error = nullptr);

// Decodes a text file's bytes: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without
// one the bytes are read as Windows-1252 (the code page the language files are written in).
QString decodeText(const QByteArray& bytes);
QString fromWindows1252(const QByteArray& bytes);
// Characters outside Windows-1252 become "?".
QByteArray toWindows1252(const QString& text);

}  // namespace plat
