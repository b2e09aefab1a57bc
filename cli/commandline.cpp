#include "commandline.h"

#include "console.h"
#include "exitstatus.h"
#include "port/linesettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// The words of `paragraph` on lines of at most 79 characters: the first
// line begins with `lead`, the others with `indent` blanks. QCommandLineParser
// wraps its own help layout only, and the bash completion reads this one.
QString wrapped(const QString &paragraph, int indent, const QString &lead = QString())
{
    QString text;
    QString line = lead.isEmpty() ? QString(indent, QLatin1Char(' ')) : lead;
    for (const QString &word : paragraph.split(QLatin1Char(' '))) {
        if (line.size() > indent && line.size() + 1 + word.size() > 79) {
            text += line + QLatin1Char('\n');
            line = QString(indent, QLatin1Char(' '));
        }
        line += (line.size() > indent ? QStringLiteral(" ") : QString()) + word;
    }
    return text + line + QLatin1Char('\n');
}

// "-p" or "--port": the one place that writes an option's dashes.
QString dashed(const QString &name)
{
    return (name.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + name;
}

QString synopsis(const CommandInfo &command)
{
    QStringList words;
    for (const OptionInfo &option : command.options)
        words.append(QStringLiteral("[%1]").arg(
            (dashed(option.longName()) + QLatin1Char(' ') + option.valueName).trimmed()));
    if (!command.arguments.isEmpty())
        words.append(command.arguments);
    return words.join(QLatin1Char(' '));
}

// "  -p, --port PORT", then its description indented under it.
QString optionsHelp(const QVector<OptionInfo> &options)
{
    QString text;
    for (const OptionInfo &option : options) {
        QStringList shown;
        for (const QString &name : option.names)
            shown.append(dashed(name));
        QString head = QLatin1String("  ") + shown.join(QLatin1String(", "));
        if (!option.valueName.isEmpty())
            head += QLatin1Char(' ') + option.valueName;
        text += head + QLatin1Char('\n') + wrapped(option.description, 6);
    }
    return text;
}

QString exitStatusHelp()
{
    QString text = QStringLiteral("Exit status:\n");
    for (const ExitStatus::Meaning &meaning : ExitStatus::kMeanings)
        text +=
            wrapped(QLatin1String(meaning.text), 5, QStringLiteral("  %1  ").arg(meaning.status));
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

void addOptions(QCommandLineParser &parser, const QVector<OptionInfo> &options)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionInfo &option : options)
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
}

// The one check of a whole number.
bool isWholeNumber(const QString &text, int minimum)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok && number >= minimum;
}

// The one check of a choice: empty when `value` is one of `choices`,
// otherwise the choices as a person reads them ("table, line or json").
QString unlessChosen(const QString &value, const QStringList &choices)
{
    if (choices.size() < 2 || choices.contains(value))
        return QString();
    return choices.mid(0, choices.size() - 1).join(QLatin1String(", ")) + QLatin1String(" or ") +
           choices.constLast();
}

// What the value of `option` should have been; empty when it is fine. No
// option takes an empty value.
QString wanted(const OptionInfo &option, const QString &value)
{
    if (option.minimum && !isWholeNumber(value, *option.minimum))
        return QStringLiteral("a whole number of %1 or more").arg(*option.minimum);
    if (value.isEmpty())
        return QStringLiteral("a non-empty %1").arg(option.valueName);
    return unlessChosen(value, option.valueName.split(QLatin1Char('|')));
}

// Puts the options given into `run`; false after saying what is wrong
// with one.
bool takeOptions(const QCommandLineParser &parser, const QVector<OptionInfo> &options,
                 Invocation *run, Console &console)
{
    const QString command = run->command->name;
    for (const OptionInfo &option : options) {
        const QString name = option.longName();
        if (!parser.isSet(name))
            continue;
        const QStringList values =
            option.valueName.isEmpty() ? QStringList{QString()} : parser.values(name);
        for (const QString &value : values) {
            const QString problem = option.valueName.isEmpty() ? QString() : wanted(option, value);
            if (!problem.isEmpty()) {
                CommandLine::usageError(
                    console, command,
                    QStringLiteral("--%1 takes %2, not '%3'").arg(name, problem, value));
                return false;
            }
        }
        run->options.insert(name, values);
    }
    ServoSession::Options &servo = run->servo;
    servo.port = run->value("port", servo.port);
    servo.ports = run->isSet("port") ? run->values("port") : QStringList{servo.port};
    servo.timeoutMs = run->number("timeout", servo.timeoutMs);
    servo.retries = run->number("retries", servo.retries);
    servo.verbose = run->isSet("verbose");
    return true;
}

// The command's own part of the command line, after its name.
std::optional<int> parseCommand(const CommandInfo &info, const QStringList &arguments,
                                Invocation *run, Console &console)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    const QVector<OptionInfo> options = optionsOf(info);
    addOptions(parser, options);
    if (!parser.parse(arguments))
        return CommandLine::usageError(console, info.name, parser.errorText());
    if (parser.isSet(help)) {
        console.outText(CommandLine::commandHelp(info));
        return ExitStatus::kSuccess;
    }
    run->command = &info;
    run->arguments = parser.positionalArguments();
    const int count = int(run->arguments.size());
    if (count < info.minArguments || (info.maxArguments >= 0 && count > info.maxArguments))
        return CommandLine::usageError(
            console, info.name,
            QStringLiteral("usage: nimbalctl %1 %2").arg(info.name, synopsis(info)));
    if (run->arguments.contains(QString()))
        return CommandLine::usageError(console, info.name, QStringLiteral("an argument is empty"));
    if (!takeOptions(parser, options, run, console))
        return ExitStatus::kBadInput;
    if (info.needsPort(count) && run->servo.port.isEmpty())
        return CommandLine::usageError(
            console, info.name, QStringLiteral("no port: give --port PORT or set NIMBAL_PORT"));
    return std::nullopt;
}

} // namespace

int CommandLine::usageError(Console &console, const QString &command, const QString &message)
{
    console.message(command.isEmpty() ? message : command + QLatin1String(": ") + message);
    console.message(QStringLiteral("see 'nimbalctl help%1'")
                        .arg(command.isEmpty() ? QString() : QLatin1Char(' ') + command));
    return ExitStatus::kBadInput;
}

QString CommandLine::overview()
{
    QString text = QStringLiteral("Usage: nimbalctl [SERVO OPTIONS] COMMAND [OPTIONS] "
                                  "[ARGUMENTS]\n\n");
    text += wrapped(QStringLiteral("Reads, writes and verifies the parameters of a Nimbal servo "
                                   "controller over a serial line (%1), one servo or a batch.")
                        .arg(QLatin1String(LineSettings::kWords)),
                    0);
    text += QStringLiteral("\nCommands:\n");
    QStringList servoCommands;
    for (const CommandInfo &command : CommandTable::commands()) {
        text += QStringLiteral("  %1 %2\n").arg(command.name, synopsis(command)) +
                wrapped(command.summary, 6);
        if (command.takesServoOptions())
            servoCommands.append(command.name + (command.servo == CommandInfo::Servo::OneArgument
                                                     ? QLatin1String(" FILE")
                                                     : QLatin1String("")));
    }
    text += QLatin1Char('\n') +
            wrapped(QStringLiteral("The commands that talk to a servo (%1) take the servo "
                                   "options, before or after the command.")
                        .arg(servoCommands.join(QLatin1String(", "))),
                    0);
    text += QStringLiteral("\nServo options:\n");
    text += optionsHelp(CommandTable::servoOptions());
    text += QStringLiteral("\nOptions:\n  -h, --help\n      Show this help (after a command: the "
                           "command's help).\n  --version\n      Show the version.\n");
    text += QStringLiteral("\nEnvironment:\n  NIMBAL_PORT\n      The port when --port is not "
                           "given.\n  NIMBAL_DB\n      The line's database when --db is not "
                           "given.\n\n");
    return text + exitStatusHelp();
}

QString CommandLine::commandHelp(const CommandInfo &info)
{
    QString text =
        QStringLiteral("Usage: nimbalctl %1 %2%3\n\n")
            .arg(info.name, synopsis(info),
                 info.takesServoOptions() ? QStringLiteral(" [--port PORT] [OPTIONS]") : QString());
    text += wrapped(info.description, 0);
    text += QStringLiteral("\nOptions:\n") + optionsHelp(optionsOf(info));
    text += QStringLiteral("  -h, --help\n      Show this help.\n\n");
    if (!info.appendix.isEmpty())
        text += info.appendix + QLatin1Char('\n');
    return text + exitStatusHelp();
}

std::optional<int> CommandLine::parse(const QStringList &arguments, const QString &environmentPort,
                                      Invocation *invocation, Console &console)
{
    // Up to the command: the servo options, --help and --version.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});
    addOptions(parser, CommandTable::servoOptions());
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(
            console, QString(),
            unknown.isEmpty()
                ? parser.errorText()
                : QStringLiteral("%1 must come after a command").arg(dashed(unknown.constFirst())));
    }
    if (parser.isSet(help)) {
        console.outText(overview());
        return ExitStatus::kSuccess;
    }
    if (parser.isSet(version)) {
        console.out(QStringLiteral("nimbalctl %1").arg(QCoreApplication::applicationVersion()));
        return ExitStatus::kSuccess;
    }
    const QStringList words = parser.positionalArguments();
    const QString name = words.value(0);
    if (name.isEmpty())
        return usageError(console, QString(), QStringLiteral("no command given"));
    const CommandInfo *info = CommandTable::find(name);
    if (!info)
        return usageError(console, QString(), QStringLiteral("no such command: %1").arg(name));
    Invocation run;
    run.servo.port = environmentPort;
    // The servo options given before the command go after it, as typed.
    const int command = int(arguments.size() - words.size());
    const QStringList rest = arguments.mid(0, command) + words.mid(1);
    if (const std::optional<int> done = parseCommand(*info, rest, &run, console))
        return done;
    *invocation = run;
    return std::nullopt;
}
