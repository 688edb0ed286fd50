#pragma once
// smilint as the independent reader of the MIBs the tests write. Debian ships neither SNMPv2-SMI
// nor RFC1155-SMI, and the template's notification lines are not SMIv2, so smilint always reports
// some things of the template itself; anything beyond those is a fault of what was written.
#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace building_tests {

// smilint's diagnostics of a MIB file that the template does not explain; "" when smilint cannot run.
inline QStringList unexpectedSmilint(const QString& file, const QByteArray& bytes) {
    QProcess p;
    p.start(QStringLiteral("smilint"), {QStringLiteral("-m"), QStringLiteral("-l"), QStringLiteral("6"), file});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return {QStringLiteral("smilint could not run (Debian package smitools)")};
    const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    static const QRegularExpression diagnostic(QStringLiteral("^.*:(\\d+): \\{([a-z0-9-]+)\\} (.*)$"));
    static const QStringList always = {QStringLiteral("module-not-found"), QStringLiteral("maxaccess-in-smiv1"),
                                       QStringLiteral("status-invalid-smiv1"), QStringLiteral("empty-description"),
                                       QStringLiteral("module-name-suffix")};
    QStringList unexpected;
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    for (const QString& d : out.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = diagnostic.match(d);
        if (!m.hasMatch()) {
            unexpected << d;
            continue;
        }
        const QString name = m.captured(2), text = m.captured(3);
        const QString line = lines.value(m.captured(1).toInt() - 1);
        const bool notification = line.startsWith(QStringLiteral("trapval")) && line.contains(u" NOTIFICATION-TYPE ");
        const bool allowed =
            always.contains(name) ||
            (name == u"object-identifier-unknown" && text.contains(QStringLiteral("`enterprises'"))) ||
            (notification && name == u"macro-not-imported" && text.contains(QStringLiteral("NOTIFICATION-TYPE"))) ||
            (notification && name == u"internal-other" &&
             text == QStringLiteral("syntax error, unexpected SYNTAX, expecting STATUS")) ||
            (notification && name == u"internal-flushing");
        if (!allowed) unexpected << d;
    }
    return unexpected;
}

}  // namespace building_tests
