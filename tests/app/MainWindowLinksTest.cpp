#include "app/UVelmarineFirmWare.h"
#include "shell/UAbout.h"
#include "shell/USoftOptions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

namespace {

// Takes the addresses the program opens, in place of the desktop's browser.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~OpenedUrls() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

class MainWindowLinks : public ::testing::Test {
protected:
    testing_support::TempAppDir app;
    testing_support::RecordingDialogs rec;
    OpenedUrls urls;

    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
        main->show();
    }
    void TearDown() override { Destroy_Forms(); }

    TFVelmarineFirmWare* main = nullptr;
};

TEST_F(MainWindowLinks, ClickOnTheMakersAddressOpensTheHomePage) {
    const struct {
        Qt::MouseButton button;
        QStringList expected;
    } cases[] = {{Qt::RightButton, {}}, {Qt::LeftButton, {Home_Page_Address()}}};
    for (const auto& c : cases) {
        urls.opened.clear();
        QTest::mouseClick(main->L_Quorim, c.button);
        EXPECT_EQ(urls.opened, c.expected) << "button " << c.button;
    }
    EXPECT_TRUE(Home_Page_Address().endsWith(QStringLiteral("/HOME/default.asp?frompg=KS73632")));
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(MainWindowLinks, TheUpdateLinkOpensTheDownloadPage) {
    emit main->LL_Update->linkActivated(QStringLiteral("ignored"));
    EXPECT_EQ(urls.opened, QStringList{Download_Page_Address()});
    EXPECT_TRUE(Download_Page_Address().endsWith(QStringLiteral("/Home/download/download.asp#KG73632")));
}

}  // namespace

#include "MainWindowLinksTest.moc"
