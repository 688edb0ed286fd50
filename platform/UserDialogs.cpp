#include "platform/UserDialogs.h"

#include "platform/XmlDoc.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace plat {
namespace {

QWidget* activeParent() { return QApplication::activeWindow(); }

class QtDialogs final : public UserDialogs {
public:
    void error(const QString& text) override {
        QMessageBox::critical(activeParent(), QApplication::applicationDisplayName(), text);
    }
    void warning(const QString& text) override {
        QMessageBox::warning(activeParent(), QApplication::applicationDisplayName(), text);
    }
    void information(const QString& text) override {
        QMessageBox::information(activeParent(), QApplication::applicationDisplayName(), text);
    }
    Answer questionYesNo(const QString& text) override {
        const auto r = QMessageBox::question(activeParent(), QApplication::applicationDisplayName(), text,
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    Answer warningYesNo(const QString& text) override {
        const auto r = QMessageBox::warning(activeParent(), QApplication::applicationDisplayName(), text,
                                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    Answer questionYesNoCancel(const QString& text) override {
        const auto r = QMessageBox::question(activeParent(), QApplication::applicationDisplayName(), text,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::Cancel);
        if (r == QMessageBox::Yes) return Answer::Yes;
        if (r == QMessageBox::No) return Answer::No;
        return Answer::Cancel;
    }
    std::optional<QString> openFile(const QString& title, const QString& folder, const QString& filter) override {
        const QString f = QFileDialog::getOpenFileName(activeParent(), title, folder, filter);
        if (f.isEmpty()) return std::nullopt;
        return f;
    }
    std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                    const QString& filter) override {
        const QString start = fileName.isEmpty() ? folder : folder + u'/' + fileName;
        // The callers ask their own overwrite question.
        const QString f = QFileDialog::getSaveFileName(activeParent(), title, start, filter, nullptr,
                                                       QFileDialog::DontConfirmOverwrite);
        if (f.isEmpty()) return std::nullopt;
        return f;
    }
};

UserDialogs*& current() {
    static UserDialogs* service = nullptr;
    return service;
}

}  // namespace

UserDialogs& dialogs() {
    static QtDialogs real;
    UserDialogs* s = current();
    return s ? *s : real;
}

void setDialogs(UserDialogs* service) { current() = service; }

void showException(const std::exception& e) {
    if (const auto* pe = dynamic_cast<const Error*>(&e)) {
        dialogs().error(pe->message());
        return;
    }
    dialogs().error(QString::fromLocal8Bit(e.what()));
}

void showUnknownException() { dialogs().error(QStringLiteral("Unknown error")); }

}  // namespace plat
