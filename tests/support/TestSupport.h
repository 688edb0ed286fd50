#pragma once
// Shared test helpers: a recording message service that answers questions from a script, a
// recorder of alert sounds, and a temporary program folder.
#include "platform/Beep.h"
#include "platform/UserDialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <vector>

namespace testing_support {

struct Shown {
    enum Kind { Error, Warning, Information, YesNo, YesNoCancel, OpenFile, SaveFile, WarningYesNo } kind;
    QString text;
};

// Records every box and dialog; questions and file dialogs take the next scripted answer (No or
// Cancel, and "cancelled" for file dialogs, when the script is empty). Installs itself while alive.
class RecordingDialogs final : public plat::UserDialogs {
public:
    RecordingDialogs();
    ~RecordingDialogs() override;

    std::vector<Shown> shown;
    std::deque<plat::Answer> answers;
    std::deque<std::optional<QString>> files;

    void error(const QString& text) override;
    void warning(const QString& text) override;
    void information(const QString& text) override;
    plat::Answer questionYesNo(const QString& text) override;
    plat::Answer warningYesNo(const QString& text) override;
    plat::Answer questionYesNoCancel(const QString& text) override;
    std::optional<QString> openFile(const QString& title, const QString& folder, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                    const QString& filter) override;

    QStringList errors() const;  // texts of the error boxes, in order
    QStringList texts() const;   // texts of every box, in order
    void clear() { shown.clear(); }

private:
    plat::UserDialogs* previous_;
};

// Records every alert sound instead of playing it. Installs itself while alive.
class RecordingBeeps final : public plat::BeepService {
public:
    RecordingBeeps() { plat::setBeepService(this); }
    ~RecordingBeeps() override { plat::setBeepService(nullptr); }
    void beep(unsigned type) override { beeps.push_back(type); }
    std::vector<unsigned> beeps;
};

// A temporary folder that becomes the program folder while the object lives.
class TempAppDir {
public:
    TempAppDir();
    ~TempAppDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + u'/' + name; }

private:
    QTemporaryDir dir_;
    QString previous_;
};

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& data);

}  // namespace testing_support
