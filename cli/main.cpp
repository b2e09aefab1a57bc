// nimbalctl: reads, writes, verifies and batch-programs servo controllers
// over a serial line from the command line. See `nimbalctl --help`.

#include "commandline.h"
#include "commandtable.h"
#include "console.h"
#include "nimbalversion.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimbalctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBAL_VERSION));

    Console console;
    Invocation invocation;
    const QString environmentPort = qEnvironmentVariable("NIMBAL_PORT");
    if (const std::optional<int> done = CommandLine::parse(QCoreApplication::arguments(),
                                                           environmentPort, &invocation, console))
        return *done;
    return invocation.command->run(invocation, console);
}
