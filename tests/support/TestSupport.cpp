#include "tests/support/TestSupport.h"

#include "platform/Files.h"

#include <QFile>
#include <stdexcept>

namespace testing_support {

RecordingDialogs::RecordingDialogs() : previous_(&plat::dialogs()) { plat::setDialogs(this); }
RecordingDialogs::~RecordingDialogs() { plat::setDialogs(nullptr); }

void RecordingDialogs::error(const QString& text) { shown.push_back({Shown::Error, text}); }
void RecordingDialogs::warning(const QString& text) { shown.push_back({Shown::Warning, text}); }
void RecordingDialogs::information(const QString& text) { shown.push_back({Shown::Information, text}); }

plat::Answer RecordingDialogs::questionYesNo(const QString& text) {
    shown.push_back({Shown::YesNo, text});
    if (answers.empty()) return plat::Answer::No;
    const plat::Answer a = answers.front();
    answers.pop_front();
    return a;
}

plat::Answer RecordingDialogs::warningYesNo(const QString& text) {
    shown.push_back({Shown::WarningYesNo, text});
    if (answers.empty()) return plat::Answer::No;
    const plat::Answer a = answers.front();
    answers.pop_front();
    return a;
}

plat::Answer RecordingDialogs::questionYesNoCancel(const QString& text) {
    shown.push_back({Shown::YesNoCancel, text});
    if (answers.empty()) return plat::Answer::Cancel;
    const plat::Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> RecordingDialogs::openFile(const QString& title, const QString&, const QString&) {
    shown.push_back({Shown::OpenFile, title});
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

std::optional<QString> RecordingDialogs::saveFile(const QString& title, const QString&, const QString&,
                                                  const QString&) {
    shown.push_back({Shown::SaveFile, title});
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

QStringList RecordingDialogs::errors() const {
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == Shown::Error) out << s.text;
    return out;
}

QStringList RecordingDialogs::texts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
}

TempAppDir::TempAppDir() : previous_(plat::appPath()) {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
    plat::setAppPath(dir_.path());
}

TempAppDir::~TempAppDir() { plat::setAppPath(previous_); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write test file");
    f.write(data);
}

}  // namespace testing_support
