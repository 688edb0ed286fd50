#include "platform/Files.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

TEST(Files, DecodeTextHonoursTheByteOrderMark) {
    struct Case {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {QByteArray("\xEF\xBB\xBF" "caf\xC3\xA8"), QStringLiteral("caf\u00E8")},
        {QByteArray("caf\xE8"), QStringLiteral("caf\u00E8")},  // no mark: Windows-1252
        {QByteArray("\x80\x9F\x81", 3), QStringLiteral("\u20AC\u0178\u0081")},
        {QByteArray("\xFF\xFE" "a\0\xE8\0", 6), QStringLiteral("a\u00E8")},
        {QByteArray("\xFE\xFF\0a\0\xE8", 6), QStringLiteral("a\u00E8")},
        {QByteArray(), QString()},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::decodeText(c.bytes), c.text) << c.bytes.toHex().toStdString();
}

TEST(Files, Windows1252RoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    EXPECT_EQ(plat::toWindows1252(plat::fromWindows1252(all)), all);
    EXPECT_EQ(plat::toWindows1252(QStringLiteral("\u4E2D")), QByteArray("?"));
}

TEST(Files, FoldersFilesAndListings) {
    QTemporaryDir dir;
    const QString root = dir.path();
    EXPECT_TRUE(plat::dirExists(root));
    EXPECT_FALSE(plat::fileExists(root));
    EXPECT_FALSE(plat::createDir(root + QStringLiteral("/a/b")));  // parent missing
    EXPECT_TRUE(plat::forceDirectories(root + QStringLiteral("/a/b")));
    EXPECT_TRUE(plat::createDir(root + QStringLiteral("/B")));
    testing_support::writeAll(root + QStringLiteral("/x.LNG"), "1");
    testing_support::writeAll(root + QStringLiteral("/y.lng"), "2");
    testing_support::writeAll(root + QStringLiteral("/z.txt"), "3");
    EXPECT_EQ(plat::listSubDirs(root), (QStringList{QStringLiteral("a"), QStringLiteral("B")}));
    EXPECT_EQ(plat::listFiles(root, QStringLiteral("*.lng")), (QStringList{QStringLiteral("x.LNG"), QStringLiteral("y.lng")}));
    EXPECT_TRUE(plat::fileExists(root + QStringLiteral("/z.txt")));

    QString error;
    EXPECT_TRUE(plat::copyFileReplace(root + QStringLiteral("/x.LNG"), root + QStringLiteral("/z.txt"), &error));
    EXPECT_EQ(testing_support::readAll(root + QStringLiteral("/z.txt")), QByteArray("1"));
    EXPECT_FALSE(plat::copyFileReplace(root + QStringLiteral("/missing"), root + QStringLiteral("/z.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testing_support::readAll(root + QStringLiteral("/z.txt")), QByteArray("1"));
}

}  // namespace
