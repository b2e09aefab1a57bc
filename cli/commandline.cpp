#include "commandline.h"

#include "commandtable.h"
#include "console.h"
#include "exitstatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char kExitStatus[] = "Exit status:\n"
                           "  0  success\n"
                           "  1  a verification mismatch, or diff found differences; batch: a "
                           "servo failed\n"
                           "  2  bad usage or a bad input file (nothing is sent), or output that "
                           "cannot be\n     written (standard output, --out, --log)\n"
                           "  3  the port could not be opened, or was lost during the command\n"
                           "  4  no answer after all retries\n"
                           "  5  batch: stopped by a signal before the --count servos were "
                           "done\n";

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

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + name;
}

// "  -p, --port PORT", then its description indented under it.
QString optionLines(const OptionInfo &option)
{
    QStringList shown;
    for (const QString &name : option.names)
        shown.append(dashed(name));
    QString head = QLatin1String("  ") + shown.join(QLatin1String(", "));
    if (!option.valueName.isEmpty())
        head += QLatin1Char(' ') + option.valueName;
    return head + QLatin1Char('\n') + wrapped(option.description, 6);
}

QString optionsHelp(const QVector<OptionInfo> &options)
{
    QString text;
    for (const OptionInfo &option : options)
        text += optionLines(option);
    return text;
}

// The options `command` takes: its own, then those of the servo.
QVector<OptionInfo> optionsOf(const CommandInfo &command)
{
    QVector<OptionInfo> options = command.options;
    if (command.takesServoOptions())
        options += CommandTable::servoOptions();
    return options;
}

QString longName(const OptionInfo &option)
{
    return option.names.constLast();
}

// Puts the value of `option` as given into `run`; false after saying
// what is wrong with it.
bool take(const OptionInfo &option, const QCommandLineParser &parser, Invocation *run,
          Console &console)
{
    const QString command = run->command->name;
    const QString name = longName(option);
    if (option.kind == OptionInfo::Kind::Flag) {
        run->*option.flagTarget = true;
        return true;
    }
    const QString value = parser.value(name);
    const auto refuse = [&](const QString &wanted) {
        CommandLine::usageError(
            console, command,
            QStringLiteral("%1: --%2 takes %3, not '%4'").arg(command, name, wanted, value));
        return false;
    };
    if (option.kind == OptionInfo::Kind::Number) {
        bool ok = false;
        const int number = value.toInt(&ok, 10);
        if (!ok || number < option.minimum)
            return refuse(QStringLiteral("a whole number of %1 or more").arg(option.minimum));
        run->*option.numberTarget = number;
        return true;
    }
    if (value.isEmpty())
        return refuse(QStringLiteral("a non-empty %1").arg(option.valueName));
    const QStringList choices = option.valueName.split(QLatin1Char('|'));
    if (option.kind == OptionInfo::Kind::Choice && !choices.contains(value))
        return refuse(choices.mid(0, choices.size() - 1).join(QLatin1String(", ")) +
                      QLatin1String(" or ") + choices.constLast());
    run->*option.textTarget = value;
    return true;
}

// The command's own part of the command line, after its name.
std::optional<int> parseCommand(const CommandInfo &info, const QStringList &arguments,
                                Invocation *run, Console &console)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    const QVector<OptionInfo> options = optionsOf(info);
    for (const OptionInfo &option : options)
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    if (!parser.parse(arguments))
        return CommandLine::usageError(console, info.name,
                                       info.name + QLatin1String(": ") + parser.errorText());
    if (parser.isSet(help)) {
        console.outText(CommandLine::commandHelp(info.name));
        return ExitStatus::kSuccess;
    }
    run->command = &info;
    run->arguments = parser.positionalArguments();
    const int count = int(run->arguments.size());
    if (count < info.minArguments || (info.maxArguments >= 0 && count > info.maxArguments))
        return CommandLine::usageError(
            console, info.name,
            QStringLiteral("%1: usage: nimbalctl %1 %2").arg(info.name, info.synopsis()));
    if (run->arguments.contains(QString()))
        return CommandLine::usageError(console, info.name,
                                       QStringLiteral("%1: an argument is empty").arg(info.name));
    for (const OptionInfo &option : options) {
        if (parser.isSet(longName(option)) && !take(option, parser, run, console))
            return ExitStatus::kBadInput;
    }
    if (info.needsPort(count) && run->port.isEmpty())
        return CommandLine::usageError(
            console, info.name,
            QStringLiteral("%1: no port: give --port PORT or set NIMBAL_PORT").arg(info.name));
    return std::nullopt;
}

} // namespace

int CommandLine::usageError(Console &console, const QString &command, const QString &message)
{
    console.message(message);
    console.message(QStringLiteral("see 'nimbalctl help%1'")
                        .arg(command.isEmpty() ? QString() : QLatin1Char(' ') + command));
    return ExitStatus::kBadInput;
}

QString CommandLine::overview()
{
    QString text = QStringLiteral("Usage: nimbalctl COMMAND [OPTIONS] [ARGUMENTS]\n\n");
    text += wrapped(QStringLiteral(
        "Reads, writes and verifies the parameters of a Nimbal servo controller over a serial "
        "line (111100 baud, 8 data bits, no parity, 2 stop bits), one servo or a batch."));
    text += QStringLiteral("\nCommands:\n");
    QStringList servoCommands;
    for (const CommandInfo &command : CommandTable::commands()) {
        text += QStringLiteral("  %1 %2\n").arg(command.name, command.synopsis()) +
                wrapped(command.summary, 6);
        if (command.servo == CommandInfo::Servo::OneArgument)
            servoCommands.append(command.name + QLatin1String(" FILE"));
        else if (command.takesServoOptions())
            servoCommands.append(command.name);
    }
    text += QStringLiteral("\nOptions of the commands that talk to a servo\n(%1):\n")
                .arg(servoCommands.join(QLatin1String(", ")));
    text += optionsHelp(CommandTable::servoOptions());
    text += QStringLiteral("\nOptions:\n  -h, --help\n      Show this help (after a command: the "
                           "command's help).\n  --version\n      Show the version.\n");
    text += QStringLiteral("\nEnvironment:\n  NIMBAL_PORT\n      The port when --port is not "
                           "given.\n\n");
    return text + QLatin1String(kExitStatus);
}

QString CommandLine::commandHelp(const QString &command)
{
    const CommandInfo *info = CommandTable::find(command);
    if (!info)
        return QString();
    QString text = QStringLiteral("Usage: nimbalctl %1 %2%3\n\n")
                       .arg(info->name, info->synopsis(),
                            info->takesServoOptions() ? QStringLiteral(" [--port PORT] [OPTIONS]")
                                                      : QString());
    text += wrapped(info->description);
    text += QStringLiteral("\nOptions:\n") + optionsHelp(optionsOf(*info));
    text += QStringLiteral("  -h, --help\n      Show this help.\n\n");
    if (!info->appendix.isEmpty())
        text += info->appendix + QLatin1Char('\n');
    return text + QLatin1String(kExitStatus);
}

std::optional<int> CommandLine::parse(const QStringList &arguments, const QString &environmentPort,
                                      Invocation *invocation, Console &console)
{
    const QString first = arguments.value(1);
    if (first.isEmpty())
        return usageError(console, QString(), QStringLiteral("no command given"));
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        console.outText(overview());
        return ExitStatus::kSuccess;
    }
    if (first == QLatin1String("--version")) {
        console.out(QStringLiteral("nimbalctl %1").arg(QCoreApplication::applicationVersion()));
        return ExitStatus::kSuccess;
    }
    const CommandInfo *info = CommandTable::find(first);
    if (!info) {
        if (first.startsWith(QLatin1Char('-')))
            return usageError(console, QString(),
                              QStringLiteral("%1 must come after a command").arg(first));
        return usageError(console, QString(), QStringLiteral("no such command: %1").arg(first));
    }
    QStringList rest = arguments.mid(2);
    rest.prepend(arguments.value(0));
    Invocation run;
    run.port = environmentPort;
    if (const std::optional<int> done = parseCommand(*info, rest, &run, console))
        return done;
    *invocation = run;
    return std::nullopt;
}
