#ifndef NIMBAL_COMMANDLINE_H
#define NIMBAL_COMMANDLINE_H

#include <QString>
#include <QStringList>

#include <optional>

class Console;

// One run of nimbalctl as its command line asks for it.
struct Invocation
{
    QString command; // "ports", "read", "write", "set", "diff" or "batch"
    QStringList arguments;

    // How to reach the servo.
    QString port;
    int timeoutMs = 500;
    int retries = 2;
    bool verbose = false;

    // What the command itself takes.
    bool json = false;  // ports
    QString format;     // read: "table", "line" or "json"
    QString outFile;    // read
    bool verify = true; // write
    QString logFile;    // batch
    int count = 0;      // batch; 0 runs until stopped
};

// The command line: one subcommand per job, each with its own options and
// help, and the options of every command that talks to a servo.
class CommandLine
{
public:
    // Parses `arguments` (the program's name first). Returns an exit status
    // when the command line is dealt with by itself (help, version, a usage
    // error, already reported); nothing when `invocation` is ready to run.
    // `environmentPort` is the default for --port.
    static std::optional<int> parse(const QStringList &arguments, const QString &environmentPort,
                                    Invocation *invocation, Console &console);

    // nimbalctl --help, and the help of one command.
    static QString overview();
    static QString commandHelp(const QString &command);
};

#endif
