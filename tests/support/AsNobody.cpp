#include "support/AsNobody.h"

#include "support/TempDir.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {

// The script's code for "could not be set up".
constexpr int kSkipExitCode = 77;
constexpr int kTimeoutMs = 180000;

} // namespace

NobodyRun runAsNobody(const QString &testName, const QStringList &environment)
{
    NobodyRun run;
    if (::geteuid() != 0) {
        run.skipReason = QStringLiteral("started as an unprivileged user already: run as root to test permissions");
        return run;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : environment) {
        const qsizetype eq = pair.indexOf(u'=');
        env.insert(pair.left(eq), pair.mid(eq + 1));
    }
    child.setProcessEnvironment(env);
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    child.start(QStringLiteral("sh"),
        { sourceDir() + QStringLiteral("/tests/support/run-as-nobody.sh"), self,
            QStringLiteral("--gtest_filter=") + testName });
    if (!child.waitForFinished(kTimeoutMs)) {
        child.kill();
        child.waitForFinished();
        run.ran = true;
        run.output = QStringLiteral("timed out");
        return run;
    }
    run.output = QString::fromLocal8Bit(child.readAll());
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    if (run.exitCode == kSkipExitCode) {
        run.skipReason = run.output.trimmed();
        return run;
    }
    run.ran = true;
    return run;
}

bool runningAsNobody()
{
    return qEnvironmentVariableIsSet("VANTREL_TEST_AS_NOBODY");
}
