#ifndef NIMBAL_TESTS_PROGRAMRUN_H
#define NIMBAL_TESTS_PROGRAMRUN_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;

// Longer than any command of nimbalctl takes when it works; a hang fails
// the test.
inline constexpr int kProcessLimitMs = 20000;

// How a program ended and what it wrote.
struct Run
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Reacts to a whole line the program writes on standard error.
using LineHandler = std::function<void(const QString &line, QProcess &process)>;

// How the program is started, beyond its arguments.
struct Launch
{
    LineHandler onErrorLine;
    QStringList environment;    // "NAME=VALUE" added to the test's own
    QString standardOutputFile; // instead of a pipe to the test
    int standardOutput = -1;    // a descriptor the program gets as its stdout
    QByteArray standardInput;   // written to its stdin, which then ends; none: left open
};

// Runs `program` to its end, or kills it after kProcessLimitMs. The test's
// event loop runs meanwhile, so a simulated servo answers.
Run runProgram(const QString &program, const QStringList &arguments, const Launch &launch = {});

// The nimbalctl that was built with the tests (NIMBALCTL).
Run nimbalctl(const QStringList &arguments, const Launch &launch = {});

// Every line on standard error is nimbalctl's own.
bool onlyOwnLines(const QString &err);

#define VERIFY_RUN(run, code)                                                                      \
    do {                                                                                           \
        QVERIFY2((run).finished, qPrintable(QStringLiteral("did not end: ") + (run).err));         \
        QVERIFY2((run).exitCode == (code),                                                         \
                 qPrintable(QStringLiteral("exit %1, stdout: %2, stderr: %3")                      \
                                .arg((run).exitCode)                                               \
                                .arg((run).out, (run).err)));                                      \
    } while (0)

#endif
