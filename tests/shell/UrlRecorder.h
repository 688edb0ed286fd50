#pragma once
// Catches the web addresses the program opens, in place of the desktop's browser.
#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace testing_support {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

}  // namespace testing_support
