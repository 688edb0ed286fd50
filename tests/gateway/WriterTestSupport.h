#pragma once
// Shared by the tests of the device-description writers: a project folder with its "ParGen.xml",
// the texts the writers show, and a dialog service that also records what the save dialog offered.
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace writer_test {

// The save dialog as the writer opened it.
struct SaveRequest {
    QString folder;
    QString fileName;
    QString filter;
};

class Dialogs final : public plat::UserDialogs {
public:
    Dialogs() { plat::setDialogs(this); }
    ~Dialogs() override { plat::setDialogs(nullptr); }

    QStringList errors;
    QStringList questions;
    std::vector<SaveRequest> saves;
    std::deque<plat::Answer> answers;            // empty: No
    std::deque<std::optional<QString>> chosen;   // empty: cancelled

    void error(const QString& text) override { errors << text; }
    void warning(const QString& text) override { errors << text; }
    void information(const QString&) override {}
    plat::Answer questionYesNo(const QString& text) override { return next(text); }
    plat::Answer questionYesNoCancel(const QString& text) override { return next(text); }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString&, const QString& folder, const QString& fileName,
                                    const QString& filter) override {
        saves.push_back({folder, fileName, filter});
        if (chosen.empty()) return std::nullopt;
        auto c = chosen.front();
        chosen.pop_front();
        return c;
    }

private:
    plat::Answer next(const QString& text) {
        questions << text;
        if (answers.empty()) return plat::Answer::No;
        const plat::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

// A project folder made current for the test's duration, with the built-in texts in the table.
class Project {
public:
    Project() {
        savedPath_ = g_ProjectPath;
        savedParGen_ = g_ParGenFile;
        savedTable_ = Text_Table;
        g_ProjectPath = dir_.path();
        g_ParGenFile = dir_.path() + QStringLiteral("/ParGen.xml");
        Load_Default_Language();
    }
    ~Project() {
        g_ProjectPath = savedPath_;
        g_ParGenFile = savedParGen_;
        Text_Table = savedTable_;
    }

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + u'/' + name; }

    // "ParGen.xml" with the given elements (name, text) in the root, as the parameter dialog writes it.
    void writeParGen(const std::vector<std::pair<QString, QString>>& elements) const {
        QString xml = QStringLiteral("<Par_Gen>");
        for (const auto& [name, text] : elements) {
            QString t = text;
            t.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;"));
            xml += QStringLiteral("<%1>%2</%1>").arg(name, t);
        }
        xml += QStringLiteral("</Par_Gen><!--SW_VERSION = 1.003-->");
        testing_support::writeAll(g_ParGenFile, xml.toUtf8());
    }

private:
    QTemporaryDir dir_;
    QString savedPath_;
    QString savedParGen_;
    QStringList savedTable_;
};

}  // namespace writer_test
