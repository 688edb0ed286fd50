#pragma once
// Every message box and file dialog of the program goes through one replaceable service, so tests
// answer them and never block on a modal window.
#include <QString>
#include <optional>

class QWidget;

namespace plat {

enum class Answer { Ok, Yes, No, Cancel };

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void information(const QString& text) = 0;
    // Yes and No; closing the box counts as No.
    virtual Answer questionYesNo(const QString& text) = 0;
    // The same question with the warning icon, for a step that may overwrite the user's work.
    virtual Answer warningYesNo(const QString& text) { return questionYesNo(text); }
    // Yes, No and Cancel; closing the box counts as Cancel.
    virtual Answer questionYesNoCancel(const QString& text) = 0;
    // File dialogs: the chosen full path, or nothing when cancelled. `filter` uses Qt's syntax
    // ("GSDML files (*.xml);;All files (*)").
    virtual std::optional<QString> openFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                            const QString& filter) = 0;
};

// The service in use; by default real modal Qt boxes.
UserDialogs& dialogs();
// Replaces the service (tests); nullptr restores the real one. The caller keeps ownership.
void setDialogs(UserDialogs* service);

// The general error handler: shows the message of an exception that escaped a handler.
void showException(const std::exception& e);
void showUnknownException();

}  // namespace plat
