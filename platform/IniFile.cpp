#include "platform/IniFile.h"

#include "platform/Files.h"
#include "platform/IntConv.h"

#include <QSettings>
#include <algorithm>

namespace plat {

namespace {

bool sameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

}  // namespace

TIniFile::TIniFile(QString FileName) : FFileName(std::move(FileName)) {
    const std::optional<QByteArray> bytes = fileExists(FFileName) ? readFile(FFileName) : std::nullopt;
    if (!bytes) return;
    Section* current = nullptr;
    const QString text = decodeText(*bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed().toString();
            auto it = std::find_if(FSections.begin(), FSections.end(),
                                   [&](const Section& s) { return sameName(s.name, name); });
            if (it == FSections.end()) it = FSections.insert(FSections.end(), Section{name, {}});
            current = &*it;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !current) continue;
        const QString key = line.left(eq).trimmed().toString();
        const QString value = line.mid(eq + 1).trimmed().toString();
        auto e = std::find_if(current->entries.begin(), current->entries.end(),
                              [&](const Entry& x) { return sameName(x.key, key); });
        // The first of two equal keys is the one a reader finds.
        if (e == current->entries.end()) current->entries.push_back({key, value});
    }
}

const TIniFile::Section* TIniFile::find(const QString& Name) const {
    auto it = std::find_if(FSections.begin(), FSections.end(), [&](const Section& s) { return sameName(s.name, Name); });
    return it == FSections.end() ? nullptr : &*it;
}

const TIniFile::Entry* TIniFile::find(const QString& SectionName, const QString& Ident) const {
    const Section* s = find(SectionName);
    if (!s) return nullptr;
    auto it = std::find_if(s->entries.begin(), s->entries.end(), [&](const Entry& e) { return sameName(e.key, Ident); });
    return it == s->entries.end() ? nullptr : &*it;
}

bool TIniFile::SectionExists(const QString& Section) const { return find(Section) != nullptr; }

bool TIniFile::ValueExists(const QString& Section, const QString& Ident) const {
    return find(Section, Ident) != nullptr;
}

QString TIniFile::ReadString(const QString& Section, const QString& Ident, const QString& Default) const {
    const Entry* e = find(Section, Ident);
    return e ? e->value : Default;
}

int TIniFile::ReadInteger(const QString& Section, const QString& Ident, int Default) const {
    const Entry* e = find(Section, Ident);
    return e ? strToIntDef(e->value, Default) : Default;
}

void TIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value) {
    // A value is one line of the file.
    QString v = Value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    auto sit = std::find_if(FSections.begin(), FSections.end(), [&](const auto& s) { return sameName(s.name, Section); });
    if (sit == FSections.end()) sit = FSections.insert(FSections.end(), TIniFile::Section{Section, {}});
    auto e = std::find_if(sit->entries.begin(), sit->entries.end(), [&](const Entry& x) { return sameName(x.key, Ident); });
    if (e == sit->entries.end())
        sit->entries.push_back({Ident, v});
    else if (e->value != v)
        e->value = v;
    else
        return;
    FDirty = true;
}

void TIniFile::WriteInteger(const QString& Section, const QString& Ident, int Value) {
    WriteString(Section, Ident, QString::number(Value));
}

QStringList TIniFile::ReadSection(const QString& Section) const {
    QStringList keys;
    if (const TIniFile::Section* s = find(Section))
        for (const Entry& e : s->entries) keys.append(e.key);
    return keys;
}

void TIniFile::EraseSection(const QString& Section) {
    const auto n = FSections.size();
    std::erase_if(FSections, [&](const TIniFile::Section& s) { return sameName(s.name, Section); });
    FDirty = FDirty || FSections.size() != n;
}

QString TIniFile::Text() const {
    QString out;
    for (const Section& s : FSections) {
        out += u'[' + s.name + QStringLiteral("]\r\n");
        for (const Entry& e : s.entries) out += e.key + u'=' + e.value + QStringLiteral("\r\n");
        out += QStringLiteral("\r\n");
    }
    return out;
}

bool TIniFile::UpdateFile(QString* Error) {
    if (!FDirty) return true;
    if (!atomicWrite(FFileName, QByteArray("\xEF\xBB\xBF") + Text().toUtf8(), Error)) return false;
    FDirty = false;
    return true;
}

// ---------------------------------------------------------------- per-user store

TUserSettings::TUserSettings(const QString& Key, const QString& Section)
    : FSettings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Configurator"), QStringLiteral("Grids"))) {
    QString key = Key;
    key.replace(u'\\', u'/');
    FGroup = key + u'/' + Section;
}

TUserSettings::~TUserSettings() = default;

bool TUserSettings::ValueExists(const QString& Ident) const { return FSettings->contains(FGroup + u'/' + Ident); }

int TUserSettings::ReadInteger(const QString& Ident, int Default) const {
    const QVariant v = FSettings->value(FGroup + u'/' + Ident);
    return v.isValid() ? strToIntDef(v.toString(), Default) : Default;
}

void TUserSettings::WriteInteger(const QString& Ident, int Value) { FSettings->setValue(FGroup + u'/' + Ident, Value); }

void TUserSettings::Flush() { FSettings->sync(); }

}  // namespace plat
