#pragma once

#include <QString>
#include <QStringList>

// Root ignores file permissions: permission cases run this test executable
// again as the unprivileged user "nobody", from a copy nobody can reach
// (tests/support/run-as-nobody.sh), with gtest's filter set to one test.
struct NobodyRun
{
    // False when the case cannot be set up here; skipReason says why.
    bool ran = false;
    QString skipReason;
    int exitCode = -1;
    QString output;

    bool passed() const { return ran && exitCode == 0 && output.contains(QStringLiteral("[  PASSED  ] 1 test")); }
};

// `environment` holds extra NAME=value pairs for the child.
NobodyRun runAsNobody(const QString &testName, const QStringList &environment = {});

// True inside the child that runAsNobody started.
bool runningAsNobody();
