#include "programrun.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <unistd.h>

Run runProgram(const QString &program, const QStringList &arguments, const Launch &launch)
{
    QProcess process;
    Run run;
    QString pending;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&] {
        const QString text = QString::fromLocal8Bit(process.readAllStandardError());
        run.err += text;
        pending += text;
        int end;
        while ((end = pending.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = pending.left(end);
            pending.remove(0, end + 1);
            if (launch.onErrorLine)
                launch.onErrorLine(line, process);
        }
    });
    QEventLoop loop;
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(kProcessLimitMs, &loop, &QEventLoop::quit);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &setting : launch.environment)
        environment.insert(setting.section(QLatin1Char('='), 0, 0),
                           setting.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    if (!launch.standardOutputFile.isEmpty())
        process.setStandardOutputFile(launch.standardOutputFile);
    // The child inherits this process's stdout, for the moment it is made.
    const int saved = launch.standardOutput >= 0 ? ::dup(1) : -1;
    if (saved >= 0) {
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        ::dup2(launch.standardOutput, 1);
    }
    process.start(program, arguments);
    const bool started = process.waitForStarted();
    if (saved >= 0) {
        ::dup2(saved, 1);
        ::close(saved);
    }
    if (!started)
        return run;
    if (!launch.standardInput.isEmpty()) {
        process.write(launch.standardInput);
        process.closeWriteChannel();
    }
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err += QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Run nimbalctl(const QStringList &arguments, const Launch &launch)
{
    return runProgram(QStringLiteral(NIMBALCTL), arguments, launch);
}

bool onlyOwnLines(const QString &err)
{
    const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("nimbalctl: ")))
            return false;
    }
    return true;
}
