#include "commandline.h"

#include "console.h"
#include "exitstatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>

namespace {

struct OptionInfo
{
    const char *names; // "p,port": short and long names, comma-separated
    const char *valueName;
    const char *description;
};

struct CommandInfo
{
    const char *name;
    const char *synopsis; // what follows "nimbalctl NAME"
    const char *summary;
    const char *description;
    std::array<OptionInfo, 2> options; // the command's own; unused ones have no names
    bool talksToServo;
    int minArguments;
    int maxArguments; // -1: no limit
};

// The options of every command that talks to a servo.
const OptionInfo kLinkOptions[] = {
    {"p,port", "PORT",
     "Serial port: a name (ttyUSB0, COM3) or a path (/dev/serial/by-id/...). Default: the "
     "environment variable NIMBAL_PORT."},
    {"timeout", "MS", "Time to wait for each answer, in milliseconds (default 500)."},
    {"retries", "N", "Times a request is sent again after a timeout (default 2)."},
    {"v,verbose", nullptr,
     "Print every frame sent and received on standard error, as "
     "timestamped hex."},
};

const CommandInfo kCommands[] = {
    {"ports",
     "[--json]",
     "List the serial ports the system knows.",
     "Lists every serial port the system knows: name, system location, USB vendor:product, "
     "serial number, manufacturer and description, and on Linux the stable /dev/serial/by-id/ "
     "path that points at it. Pseudo-terminals are not listed.",
     {{{"json", nullptr, "Print a JSON array of objects instead of a table."}, {}}},
     false,
     0,
     0},
    {"read",
     "[--format table|line|json] [--out FILE]",
     "Read the servo's fourteen parameters.",
     "Reads the servo's fourteen parameters and prints them as the window shows them after "
     "Read Parameter: a value outside its parameter's range is shown at the nearer end of the "
     "range, with a message.",
     {{{"format", "FORMAT",
        "table (default): name, value and range. line: the line Save Parameter writes. json: "
        "an object keyed by parameter name, integers for numbers, true/false for switches."},
       {"out", "FILE",
        "Save the line format to FILE, as Save Parameter does (the old file stays whole until "
        "the new one is complete), and print nothing."}}},
     true,
     0,
     0},
    {"write",
     "[--no-verify] FILE",
     "Write a parameter file to the servo and verify it.",
     "Writes the values of the parameter file FILE to the servo and waits for its write "
     "answer, then reads the servo back and compares all fourteen values. A file that is not "
     "strictly valid (fewer than fourteen fields, a field that is not a decimal integer, a "
     "value outside its range, a switch other than 0 or 1) is refused and nothing is sent.",
     {{{"no-verify", nullptr, "Do not read back and compare after the write answer."}, {}}},
     true,
     1,
     1},
    {"set",
     "NAME=VALUE...",
     "Change parameters on the servo and verify them.",
     "Reads the servo, changes the named parameters, writes, and verifies. NAME is the "
     "parameter's name (NeutralPoint) or its caption (\"Neutral Point\"), in any letter case, "
     "with blanks, '-' and '_' ignored: neutral-point=1520. Switches take on/off, true/false "
     "or 1/0.",
     {{{}, {}}},
     true,
     1,
     -1},
    {"diff",
     "FILE | FILE1 FILE2",
     "Compare the servo with a file, or two files.",
     "With one file, compares the servo with it; with two, compares the files. Prints one line "
     "per field that differs and exits with 1 when any does.",
     {{{}, {}}},
     true,
     1,
     2},
    {"batch",
     "[--log CSV] [--count N] FILE",
     "Set up one servo after another from a file.",
     "The production loop. Sends a read request every 250 ms until a servo answers, writes "
     "the values of FILE and verifies them, and prints one line per servo: number, time, PASS "
     "or FAIL, and on failure each field as \"name: wanted X, servo Y\". Then waits until the "
     "servo has stopped answering for one second (unplug it) and starts over. SIGINT or "
     "SIGTERM ends the loop between servos and prints a summary. Exits with 0 when every "
     "servo passed.",
     {{{"log", "CSV",
        "Append one row per servo to CSV: time (ISO 8601), port, number, result, the fourteen "
        "values the servo held before the write and the fourteen read back."},
       {"count", "N", "Stop after N servos."}}},
     true,
     1,
     1},
};

const char kExitStatus[] = "Exit status:\n"
                           "  0  success\n"
                           "  1  a verification mismatch, or diff found differences; batch: a "
                           "servo failed\n"
                           "  2  bad usage or a bad input file (nothing is sent), or an output "
                           "file\n     that cannot be written\n"
                           "  3  the port could not be opened, or was lost during the command\n"
                           "  4  no answer after all retries\n";

const CommandInfo *findCommand(const QString &name)
{
    for (const CommandInfo &entry : kCommands) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

QCommandLineOption toOption(const OptionInfo &entry)
{
    const QStringList names = QString::fromLatin1(entry.names).split(QLatin1Char(','));
    const QString description = QString::fromLatin1(entry.description);
    if (entry.valueName)
        return QCommandLineOption(names, description, QString::fromLatin1(entry.valueName));
    return QCommandLineOption(names, description);
}

// The words of `paragraph` on lines of at most 79 characters, each line
// indented by `indent` blanks.
QString wrapped(const QString &paragraph, int indent = 0)
{
    const QString margin(indent, QLatin1Char(' '));
    QString text;
    QString line;
    for (const QString &word : paragraph.split(QLatin1Char(' '))) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > 79) {
            text += margin + line + QLatin1Char('\n');
            line.clear();
        }
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += word;
    }
    return text + margin + line + QLatin1Char('\n');
}

// "  -p, --port PORT", then its description indented under it.
QString optionLines(const OptionInfo &entry)
{
    QStringList shown;
    for (const QString &name : QString::fromLatin1(entry.names).split(QLatin1Char(',')))
        shown.append((name.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + name);
    QString head = QLatin1String("  ") + shown.join(QLatin1String(", "));
    if (entry.valueName)
        head += QLatin1Char(' ') + QLatin1String(entry.valueName);
    return head + QLatin1Char('\n') + wrapped(QLatin1String(entry.description), 6);
}

QString linkOptionsHelp()
{
    QString text;
    for (const OptionInfo &entry : kLinkOptions)
        text += optionLines(entry);
    return text;
}

int usageError(Console &console, const QString &command, const QString &message)
{
    console.message(message);
    console.message(QStringLiteral("see 'nimbalctl help%1'")
                        .arg(command.isEmpty() ? QString() : QLatin1Char(' ') + command));
    return ExitStatus::kBadInput;
}

// A whole number of at least `minimum`, or nothing.
std::optional<int> wholeNumber(const QString &text, int minimum)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < minimum)
        return std::nullopt;
    return value;
}

} // namespace

QString CommandLine::overview()
{
    QString text = QStringLiteral("Usage: nimbalctl COMMAND [OPTIONS] [ARGUMENTS]\n\n");
    text += wrapped(QStringLiteral(
        "Reads, writes and verifies the parameters of a Nimbal servo controller over a serial "
        "line (111100 baud, 8 data bits, no parity, 2 stop bits), one servo or a batch."));
    text += QStringLiteral("\nCommands:\n");
    for (const CommandInfo &entry : kCommands) {
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(entry.name), QLatin1String(entry.synopsis),
                         QLatin1String(entry.summary));
    }
    text += QStringLiteral("  help [COMMAND]\n      Show this help, or the help of COMMAND.\n");
    text += QStringLiteral("\nOptions of the commands that talk to a servo\n(read, write, set, "
                           "diff FILE, batch):\n");
    text += linkOptionsHelp();
    text += QStringLiteral("\nOptions:\n  -h, --help\n      Show this help (after a command: the "
                           "command's help).\n  --version\n      Show the version.\n");
    text += QStringLiteral("\nEnvironment:\n  NIMBAL_PORT\n      The port when --port is not "
                           "given.\n\n");
    return text + QLatin1String(kExitStatus);
}

QString CommandLine::commandHelp(const QString &command)
{
    const CommandInfo *info = findCommand(command);
    if (!info)
        return QString();
    QString text =
        QStringLiteral("Usage: nimbalctl %1 %2%3\n\n")
            .arg(QLatin1String(info->name), QLatin1String(info->synopsis),
                 info->talksToServo ? QStringLiteral(" [--port PORT] [OPTIONS]") : QString());
    text += wrapped(QLatin1String(info->description));
    text += QStringLiteral("\nOptions:\n");
    for (const OptionInfo &option : info->options) {
        if (option.names)
            text += optionLines(option);
    }
    if (info->talksToServo)
        text += linkOptionsHelp();
    text += QStringLiteral("  -h, --help\n      Show this help.\n\n");
    return text + QLatin1String(kExitStatus);
}

std::optional<int> CommandLine::parse(const QStringList &arguments, const QString &environmentPort,
                                      Invocation *invocation, Console &console)
{
    const QString first = arguments.value(1);
    if (first.isEmpty())
        return usageError(console, QString(), QStringLiteral("no command given"));
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        const QString topic = first == QLatin1String("help") ? arguments.value(2) : QString();
        if (topic.isEmpty()) {
            console.outText(overview());
            return ExitStatus::kSuccess;
        }
        if (!findCommand(topic))
            return usageError(console, QString(), QStringLiteral("no such command: %1").arg(topic));
        console.outText(commandHelp(topic));
        return ExitStatus::kSuccess;
    }
    if (first == QLatin1String("--version")) {
        console.out(QStringLiteral("nimbalctl %1").arg(QCoreApplication::applicationVersion()));
        return ExitStatus::kSuccess;
    }
    const CommandInfo *info = findCommand(first);
    if (!info) {
        if (first.startsWith(QLatin1Char('-')))
            return usageError(console, QString(),
                              QStringLiteral("%1 must come after a command").arg(first));
        return usageError(console, QString(), QStringLiteral("no such command: %1").arg(first));
    }
    const QString command = QLatin1String(info->name);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList defined; // every name the command takes, short and long
    const auto define = [&](const OptionInfo &option) {
        const QCommandLineOption parsed = toOption(option);
        parser.addOption(parsed);
        defined += parsed.names();
    };
    for (const OptionInfo &option : info->options) {
        if (option.names)
            define(option);
    }
    if (info->talksToServo) {
        for (const OptionInfo &option : kLinkOptions)
            define(option);
    }
    QStringList rest = arguments.mid(2);
    rest.prepend(arguments.value(0));
    if (!parser.parse(rest))
        return usageError(console, command, command + QLatin1String(": ") + parser.errorText());
    if (parser.isSet(help)) {
        console.outText(commandHelp(command));
        return ExitStatus::kSuccess;
    }

    Invocation run;
    run.command = command;
    run.arguments = parser.positionalArguments();
    const int count = int(run.arguments.size());
    if (count < info->minArguments || (info->maxArguments >= 0 && count > info->maxArguments))
        return usageError(console, command,
                          QStringLiteral("%1: usage: nimbalctl %1 %2")
                              .arg(command, QLatin1String(info->synopsis)));

    const auto has = [&](const char *name) {
        return defined.contains(QLatin1String(name)) && parser.isSet(QLatin1String(name));
    };
    const auto value = [&](const char *name) {
        return has(name) ? parser.value(QLatin1String(name)) : QString();
    };

    run.json = has("json");
    run.verify = !has("no-verify");
    run.outFile = value("out");
    run.logFile = value("log");
    if (command == QLatin1String("read")) {
        run.format = has("format") ? value("format") : QStringLiteral("table");
        const QStringList formats = {QStringLiteral("table"), QStringLiteral("line"),
                                     QStringLiteral("json")};
        if (!formats.contains(run.format))
            return usageError(console, command,
                              QStringLiteral("read: --format takes table, line or json, not '%1'")
                                  .arg(run.format));
    }
    // A whole-number option into `target`; false after saying what is wrong.
    const auto number = [&](const char *name, int minimum, const char *unit, int *target) {
        if (!has(name))
            return true;
        const std::optional<int> n = wholeNumber(value(name), minimum);
        if (n) {
            *target = *n;
            return true;
        }
        usageError(console, command,
                   QStringLiteral("%1: --%2 takes a whole number%3 of %4 or more, not '%5'")
                       .arg(command, QLatin1String(name), QLatin1String(unit))
                       .arg(minimum)
                       .arg(value(name)));
        return false;
    };
    if (!number("count", 1, "", &run.count))
        return ExitStatus::kBadInput;

    if (info->talksToServo) {
        run.verbose = has("verbose");
        if (!number("timeout", 1, " of milliseconds", &run.timeoutMs) ||
            !number("retries", 0, "", &run.retries))
            return ExitStatus::kBadInput;
        run.port = has("port") ? value("port") : environmentPort;
        // Two files compare without a servo.
        const bool needsPort = !(command == QLatin1String("diff") && count == 2);
        if (needsPort && run.port.isEmpty())
            return usageError(
                console, command,
                QStringLiteral("%1: no port: give --port PORT or set NIMBAL_PORT").arg(command));
    }
    *invocation = run;
    return std::nullopt;
}
