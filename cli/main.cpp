// nimbalctl: reads, writes, verifies and batch-programs servo controllers
// over a serial line from the command line. See `nimbalctl --help`.

#include "commandline.h"
#include "commandtable.h"
#include "console.h"
#include "exitstatus.h"
#include "nimbalversion.h"
#include "text/linktext.h"

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    Console::secureStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimbalctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBAL_VERSION));
    // nimbalctl speaks English, with its plural forms.
    LinkText::installTranslation(QLocale(QLocale::English));

    Console console;
    Invocation invocation;
    const QString environmentPort = qEnvironmentVariable("NIMBAL_PORT");
    std::optional<int> status =
        CommandLine::parse(QCoreApplication::arguments(), environmentPort, &invocation, console);
    if (!status) {
        Console::showQtMessages(invocation.servo.verbose);
        status = invocation.command->run(invocation, console);
    }
    // Output that did not arrive is never a success, nor a difference found.
    return console.outputFailed() ? ExitStatus::kBadInput : *status;
}
