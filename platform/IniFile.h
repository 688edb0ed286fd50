#pragma once
// Small key-value stores for settings a control keeps between runs.
//
// TIniFile: plain INI text, "[Section]" lines and "key=value" lines (blanks around both trimmed, no
// quoting or escapes; lines starting with ";" and lines without "=" are skipped). Sections and keys
// match without regard to case and keep their order. The file is read once when opened; writes
// stay in memory until UpdateFile, which saves UTF-8 with a byte-order mark atomically. Reading
// goes through the platform's text decoding (byte-order mark, else Windows-1252).
//
// TUserSettings: the per-user store (the platform's settings folder), group "Key/Section".
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QSettings;

namespace plat {

class TIniFile {
public:
    explicit TIniFile(QString FileName);
    const QString& FileName() const { return FFileName; }

    bool SectionExists(const QString& Section) const;
    bool ValueExists(const QString& Section, const QString& Ident) const;
    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const;
    // The house integer rule; a value that is no integer gives Default.
    int ReadInteger(const QString& Section, const QString& Ident, int Default) const;
    void WriteString(const QString& Section, const QString& Ident, const QString& Value);
    void WriteInteger(const QString& Section, const QString& Ident, int Value);
    // The keys of a section in file order.
    QStringList ReadSection(const QString& Section) const;
    void EraseSection(const QString& Section);
    // Saves what changed since the file was read; false with the reason when it cannot.
    bool UpdateFile(QString* Error = nullptr);
    // The file's text as UpdateFile writes it, without the byte-order mark.
    QString Text() const;

private:
    struct Entry {
        QString key, value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Section* find(const QString& Name) const;
    const Entry* find(const QString& SectionName, const QString& Ident) const;
    QString FFileName;
    std::vector<Section> FSections;
    bool FDirty = false;
};

class TUserSettings {
public:
    // The group Key/Section of the per-user store ("\\" in Key counts as "/").
    TUserSettings(const QString& Key, const QString& Section);
    ~TUserSettings();
    bool ValueExists(const QString& Ident) const;
    int ReadInteger(const QString& Ident, int Default) const;
    void WriteInteger(const QString& Ident, int Value);
    void Flush();

private:
    std::unique_ptr<QSettings> FSettings;
    QString FGroup;
};

}  // namespace plat
