#include "platform/HttpGet.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/USoftOptions.h"
#include "tests/shell/LoopbackHttpServer.h"
#include "tests/support/TestClocks.h"

#include <gtest/gtest.h>


using testing_support::LoopbackHttpServer;

namespace {

TEST(ConvVersion, ReadsCharactersOneThreeFourFiveAfterTheFirstBlank) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"VER. 1.003", 1003},
        {"1.003", 1003},         // no blank: the whole text
        {"VER. 2.110", 2110},
        {"ver. 1.004", 1004},
        {"VER.  1.004  ", 1004},  // blanks around the number are trimmed
        {"VER. 1,004", 1004},     // the second character is never read
        {"VER. 1.0045", 1004},    // characters after the fifth are ignored
        {"VER.1.004", -1},        // no blank: "V", "R", ".", "1"
        {"VER. 1.04", -1},        // shorter than five characters
        {"VER. ", -1},
        {"", -1},
        {"VER. a.bcd", -1},
        {"VER. 1.0 4", -1},       // a blank inside the four characters
        {"X 0.000", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFSoftOptions::Conv_Version(QString::fromLatin1(c.text)), c.expected) << c.text;
}

// A silent server is given up on at the time-out on a driven clock, which moves on a second at every
// reading; an answering one is never cut short, however loaded the machine.
constexpr int kSilentTimeoutMs = 10000;
constexpr int kClockStepMs = 1000;
constexpr int kAnsweredTimeoutMs = 60000;

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_MakerWebServer;
        ASSERT_TRUE(server.ok());
        g_MakerWebServer = server.address();
        dlg.Http_Timeout_Ms = kAnsweredTimeoutMs;
    }
    void TearDown() override { g_MakerWebServer = saved_; }

    // The dialog labels itself at creation: the texts come first.
    bool texts_ = (Load_Default_Language(), true);
    LoopbackHttpServer server;
    TFSoftOptions dlg;
    QString saved_;
};

TEST_F(VersionCheck, SendsTheStatedRequest) {
    server.answer(LoopbackHttpServer::reply(200, "VER. 1.004"));
    EXPECT_TRUE(dlg.Check_Version());
    ASSERT_EQ(server.requests().size(), 1u);
    const QList<QByteArray> lines = server.requests()[0].split('\n');
    EXPECT_EQ(lines.value(0), "GET /home/download/GetversionSW.asp?nomesw=KS73632 HTTP/1.0\r");
    EXPECT_TRUE(lines.contains("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r"));
    EXPECT_TRUE(lines.contains("User-Agent: Mozilla/3.0 (compatible; HTTP client)\r"));
    EXPECT_FALSE(server.requests()[0].toLower().contains("cookie"));
}

TEST_F(VersionCheck, AnswersOfTheServer) {
    const QByteArray huge = "VER. 2.000" + QByteArray(4 * 1024 * 1024, ' ');
    struct Case {
        const char* name;
        QByteArray answer;  // empty: the server accepts and never answers
        bool keepOpen;
        bool newer;
    } cases[] = {
        {"newer", LoopbackHttpServer::reply(200, "VER. 1.004"), false, true},
        {"newer major", LoopbackHttpServer::reply(200, "VER. 2.110"), false, true},
        {"equal", LoopbackHttpServer::reply(200, "VER. 1.003"), false, false},
        {"older", LoopbackHttpServer::reply(200, "VER. 1.002"), false, false},
        {"lower case", LoopbackHttpServer::reply(200, "ver. 1.004"), false, true},
        {"padded with blanks and a line end", LoopbackHttpServer::reply(200, "  VER. 1.004 \r\n"), false, true},
        {"no blank after the dot", LoopbackHttpServer::reply(200, "VER.1.004"), false, false},
        {"zero version", LoopbackHttpServer::reply(200, "VER. 0.000"), false, false},
        {"zero version lower case", LoopbackHttpServer::reply(200, "ver. 0.000"), false, false},
        {"empty body", LoopbackHttpServer::reply(200, ""), false, false},
        {"not a version", LoopbackHttpServer::reply(200, "<html>maintenance</html>"), false, false},
        {"status 500 with a newer body", LoopbackHttpServer::reply(500, "VER. 9.999"), false, false},
        {"status 404", LoopbackHttpServer::reply(404, "VER. 9.999"), false, false},
        {"redirect is not followed", "HTTP/1.0 302 Found\r\nLocation: /x\r\n\r\nVER. 9.999", false, false},
        {"length given, connection left open",
         "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nVER. 1.004", true, true},
        {"length longer than what came", "HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\nVER. 1.004", false, false},
        {"not HTTP", "VER. 1.004", false, false},
        {"huge body", LoopbackHttpServer::reply(200, huge), false, false},
        {"never answers", QByteArray(), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool silent = c.answer.isEmpty();
        if (silent)
            server.silent();
        else
            server.answer(c.answer, c.keepOpen);
        // A server that answers is never cut short, however loaded the machine: a check that ran
        // into this time-out would find no newer version. So the answer left open after its length
        // shows a newer version only when the length, not the close, ended it.
        dlg.Http_Timeout_Ms = silent ? kSilentTimeoutMs : kAnsweredTimeoutMs;
        testing_support::SteppingClock clock{kClockStepMs};
        dlg.Http_Clock = silent ? &clock : nullptr;
        const int before = server.connections();
        EXPECT_EQ(dlg.Check_Version(), c.newer);
        dlg.Http_Clock = nullptr;
        // A silent server: the check waits out its own time-out, not less and not longer, then ends.
        if (silent) {
            EXPECT_GE(clock.now, kSilentTimeoutMs);
            EXPECT_LE(clock.now, kSilentTimeoutMs + 2 * kClockStepMs);
        }
        EXPECT_EQ(server.connections(), before + 1);
    }
}

TEST_F(VersionCheck, NoServerAndBadAddressesMeanNoNewerVersion) {
    const QString cases[] = {
        QStringLiteral("http://127.0.0.1:%1").arg(LoopbackHttpServer::closedPort()),
        QStringLiteral("ftp://127.0.0.1:%1").arg(server.port()),
        QString(),
    };
    server.answer(LoopbackHttpServer::reply(200, "VER. 9.999"));
    for (const QString& address : cases) {
        g_MakerWebServer = address;
        EXPECT_FALSE(dlg.Check_Version()) << address.toStdString();
    }
    EXPECT_EQ(server.connections(), 0);
}

TEST(HttpAnswer, DecodesAsFarAsItHasCome) {
    struct Case {
        const char* name;
        QByteArray received;
        bool closed;
        bool complete, ok;
        int status;
        QByteArray body;
    } cases[] = {
        {"header not ended yet", "HTTP/1.0 200 OK\r\nContent-Type: te", false, false, false, 0, ""},
        {"header cut by the close", "HTTP/1.0 200 OK\r\nContent-Type: te", true, true, false, 0, ""},
        {"body without length: wait for the close", "HTTP/1.0 200 OK\r\n\r\nVER. 1", false, false, false, 200, ""},
        {"body without length, closed", "HTTP/1.0 200 OK\r\n\r\nVER. 1.004", true, true, true, 200, "VER. 1.004"},
        {"length reached, more bytes ignored", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nVERxx", false, true,
         true, 200, "VER"},
        {"length not reached", "HTTP/1.0 200 OK\r\ncontent-length: 9\r\n\r\nVER", false, false, false, 200, ""},
        {"length not reached, closed", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nVER", true, true, false, 200, ""},
        {"bare line ends", "HTTP/1.0 200 OK\nServer: x\n\nVER. 1.004", true, true, true, 200, "VER. 1.004"},
        {"error status known early", "HTTP/1.0 500 Error\r\nContent-Length: 2\r\n\r\nab", false, true, false, 500,
         ""},
        {"negative length", "HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nVER", true, true, false, 0, ""},
        {"length with a sign", "HTTP/1.0 200 OK\r\nContent-Length: +3\r\n\r\nVER", true, true, false, 0, ""},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nVER\r\n0\r\n\r\n", true, true,
         false, 200, ""},
        {"not HTTP", "VER. 1.004\r\n\r\n", true, true, false, 0, ""},
        {"status not three digits", "HTTP/1.0 2000 OK\r\n\r\nVER", true, true, false, 0, ""},
    };
    for (const Case& c : cases) {
        bool complete = !c.complete;
        const plat::HttpGetResult r = plat::decodeHttpAnswer(c.received, c.closed, &complete);
        EXPECT_EQ(complete, c.complete) << c.name;
        EXPECT_EQ(r.ok, c.ok) << c.name;
        if (c.complete) EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.body, c.body) << c.name;
    }
}

TEST(HttpGet, BodyWithinTheBoundIsReadWholeAndBeyondItFails) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.ok());
    const QByteArray body(1000, 'a');
    server.answer(LoopbackHttpServer::reply(200, body));
    plat::HttpGetOptions options;
    options.timeoutMs = 2000;
    options.maxResponseBytes = 2000;
    plat::HttpGetResult r = plat::httpGet(server.address() + QStringLiteral("/p"), options);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, body);
    EXPECT_EQ(server.requests().at(0).left(17), "GET /p HTTP/1.0\r\n");

    options.maxResponseBytes = 900;
    r = plat::httpGet(server.address() + QStringLiteral("/p"), options);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());

    server.answer(LoopbackHttpServer::reply(503, "busy"));
    options.maxResponseBytes = 2000;
    r = plat::httpGet(server.address(), options);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 503);
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(server.requests().at(2).left(16), "GET / HTTP/1.0\r\n");
}

}  // namespace
