#pragma once
// smilint as the independent reader of the MIBs the tests write. Debian ships neither SNMPv2-SMI nor
// SNMPv2-TC, so the definitions the MIB imports come from fixtures/mibs. At level 3 (errors) a MIB
// must read without a word; at level 6 only the warnings of the template itself may appear.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace building_tests {

struct SmilintRun {
    bool ran = false;
    QStringList diagnostics;  // "line: {name} text"
};

inline SmilintRun runSmilint(const QString& file, int level) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SMIPATH"), QStringLiteral(BUILDING_FIXTURES "/mibs"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("smilint"), {QStringLiteral("-m"), QStringLiteral("-l"), QString::number(level), file});
    SmilintRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.ran = true;
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    r.diagnostics = out.split(u'\n', Qt::SkipEmptyParts);
    return r;
}

// Every error smilint reports for the file; one line saying so when smilint cannot run.
inline QStringList smilintErrors(const QString& file) {
    const SmilintRun r = runSmilint(file, 3);
    if (!r.ran) return {QStringLiteral("smilint could not run (Debian package smitools)")};
    return r.diagnostics;
}

// smilint's errors and the warnings the template does not explain; "" when the MIB is sound.
inline QStringList unexpectedSmilint(const QString& file) {
    const QStringList errors = smilintErrors(file);
    if (!errors.isEmpty()) return errors;
    const SmilintRun r = runSmilint(file, 6);
    if (!r.ran) return {QStringLiteral("smilint could not run at level 6")};
    QStringList unexpected;
    static const QRegularExpression diagnostic(QStringLiteral("^.*:(\\d+): \\{([a-z0-9-]+)\\} (.*)$"));
    // The template's own: its objects have no conformance groups, some have empty descriptions, its
    // integers are plain INTEGER, its module name has no "-MIB", its imported conventions are unused
    // and its notifications do not sit under a zero arc.
    static const QStringList explained = {
        QStringLiteral("group-membership"), QStringLiteral("empty-description"),
        QStringLiteral("integer-misuse"),   QStringLiteral("module-name-suffix"),
        QStringLiteral("import-unused"),    QStringLiteral("notification-not-reversible")};
    for (const QString& d : r.diagnostics) {
        const QRegularExpressionMatch m = diagnostic.match(d);
        if (!m.hasMatch() || !explained.contains(m.captured(2))) unexpected << d;
    }
    return unexpected;
}

}  // namespace building_tests
