#ifndef NIMBAL_COMMANDLINE_H
#define NIMBAL_COMMANDLINE_H

#include "commandtable.h"

#include <QString>
#include <QStringList>

#include <optional>

class Console;

// The command line, read by the command table with QCommandLineParser:
// one command per job, each with its own options and help, and the servo
// options of every command that talks to a servo, which may also come
// before the command ("nimbalctl -v read", as with git).
class CommandLine
{
public:
    // Parses `arguments` (the program's name first). Returns an exit status
    // when the command line is dealt with by itself (--help, --version, a
    // usage error, already reported); nothing when `invocation` is ready to
    // run. `environmentPort` is the default for --port.
    static std::optional<int> parse(const QStringList &arguments, const QString &environmentPort,
                                    Invocation *invocation, Console &console);

    // nimbalctl --help, and the help of one command.
    static QString overview();
    static QString commandHelp(const CommandInfo &command);

    // Says what is wrong with the command line ("COMMAND: MESSAGE"), and
    // where to read more; returns the exit status of bad usage.
    static int usageError(Console &console, const QString &command, const QString &message);
};

#endif
