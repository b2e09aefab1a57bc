#include "commandtable.h"

#include "batchrun.h"
#include "commands.h"
#include "parameterformat.h"

namespace {

QStringList namesOf(const QString &names)
{
    return names.split(QLatin1Char(','));
}

CommandInfo ports()
{
    CommandInfo c;
    c.name = QStringLiteral("ports");
    c.summary = QStringLiteral("List the serial ports the system knows.");
    c.description = QStringLiteral(
        "Lists every serial port the system knows: name, system location, USB vendor:product, "
        "serial number, manufacturer and description, and on Linux the stable /dev/serial/by-id/ "
        "path that points at it. Pseudo-terminals are not listed.");
    c.options = {OptionInfo::flag(
        QStringLiteral("json"), QStringLiteral("Print a JSON array of objects instead of a table."),
        &Invocation::json)};
    c.run = Commands::ports;
    return c;
}

CommandInfo read()
{
    CommandInfo c;
    c.name = QStringLiteral("read");
    c.summary = QStringLiteral("Read the servo's fourteen parameters.");
    c.description = QStringLiteral(
        "Reads the servo's fourteen parameters and prints them as the window shows them after "
        "Read Parameter: a value outside its parameter's range is shown at the nearer end of the "
        "range, with a message.");
    c.options = {
        OptionInfo::choice(
            QStringLiteral("format"),
            {QStringLiteral("table"), QStringLiteral("line"), QStringLiteral("json")},
            QStringLiteral("table (default): name, value and range. line: the line Save "
                           "Parameter writes. json: an object keyed by parameter name, integers "
                           "for numbers, true/false for switches."),
            &Invocation::format),
        OptionInfo::text(QStringLiteral("out"), QStringLiteral("FILE"),
                         QStringLiteral("Save the line format to FILE, as Save Parameter does "
                                        "(the old file stays whole until the new one is "
                                        "complete), and print nothing."),
                         &Invocation::outFile)};
    c.servo = CommandInfo::Servo::Always;
    c.run = Commands::read;
    return c;
}

CommandInfo write()
{
    CommandInfo c;
    c.name = QStringLiteral("write");
    c.arguments = QStringLiteral("FILE");
    c.summary = QStringLiteral("Write a parameter file to the servo and verify it.");
    c.description = QStringLiteral(
        "Writes the values of the parameter file FILE to the servo and waits for its write "
        "answer, then reads the servo back and compares all fourteen values. A file that is not "
        "strictly valid (other than fourteen fields, a field that is not a decimal integer, a "
        "value outside its range, a switch other than 0 or 1) is refused and nothing is sent.");
    c.options = {OptionInfo::flag(QStringLiteral("no-verify"),
                                  QStringLiteral("Do not read back and compare after the write "
                                                 "answer."),
                                  &Invocation::noVerify)};
    c.servo = CommandInfo::Servo::Always;
    c.minArguments = c.maxArguments = 1;
    c.run = Commands::write;
    return c;
}

CommandInfo set()
{
    CommandInfo c;
    c.name = QStringLiteral("set");
    c.arguments = QStringLiteral("NAME=VALUE...");
    c.summary = QStringLiteral("Change parameters on the servo and verify them.");
    c.description = QStringLiteral(
        "Reads the servo, changes the named parameters, writes, and verifies. NAME is the "
        "parameter's name (NeutralPoint) or its caption (\"Neutral Point\"), in any letter case, "
        "with blanks, '-' and '_' ignored: neutral-point=1520. Numbers are decimal digits "
        "only, as in a parameter file; switches take on/off, true/false or 1/0. Each parameter "
        "may be named once.");
    c.appendix = QStringLiteral("Parameters:\n") + ParameterFormat::parameterList();
    c.servo = CommandInfo::Servo::Always;
    c.minArguments = 1;
    c.maxArguments = -1;
    c.run = Commands::set;
    return c;
}

CommandInfo diff()
{
    CommandInfo c;
    c.name = QStringLiteral("diff");
    c.arguments = QStringLiteral("FILE | FILE1 FILE2");
    c.summary = QStringLiteral("Compare the servo with a file, or two files.");
    c.description = QStringLiteral(
        "With one file, compares the servo with it; with two, compares the files. Prints one line "
        "per field that differs and exits with 1 when any does.");
    c.servo = CommandInfo::Servo::OneArgument;
    c.minArguments = 1;
    c.maxArguments = 2;
    c.run = Commands::diff;
    return c;
}

CommandInfo batch()
{
    CommandInfo c;
    c.name = QStringLiteral("batch");
    c.arguments = QStringLiteral("FILE");
    c.summary = QStringLiteral("Set up one servo after another from a file.");
    c.description =
        QStringLiteral(
            "The production loop. Sends a read request every %1 ms until a servo answers, writes "
            "the values of FILE and verifies them, and prints one line per servo: number, time, "
            "PASS or FAIL, and on failure each field as \"name: wanted X, servo Y\". Then waits "
            "until the servo has stopped answering for %2 ms (unplug it) and starts over. SIGINT "
            "or SIGTERM ends the loop between servos and prints a summary. Exits with 0 when "
            "every servo passed and, with --count, all N were done.")
            .arg(BatchRun::kProbeIntervalMs)
            .arg(BatchRun::kGoneAfterMs);
    c.options = {
        OptionInfo::text(QStringLiteral("log"), QStringLiteral("CSV"),
                         QStringLiteral("Append one row per servo to CSV: time (ISO 8601), port, "
                                        "number, result, the fourteen values the servo held "
                                        "before the write and the fourteen read back."),
                         &Invocation::logFile),
        OptionInfo::number(QStringLiteral("count"), QStringLiteral("N"),
                           QStringLiteral("Stop after N servos."), &Invocation::count, 1)};
    c.servo = CommandInfo::Servo::Always;
    c.minArguments = c.maxArguments = 1;
    c.run = Commands::batch;
    return c;
}

CommandInfo help()
{
    CommandInfo c;
    c.name = QStringLiteral("help");
    c.arguments = QStringLiteral("[COMMAND]");
    c.summary = QStringLiteral("Show this help, or the help of COMMAND.");
    c.description = QStringLiteral("Shows the help of nimbalctl, or of one of its commands.");
    c.maxArguments = 1;
    c.run = Commands::help;
    return c;
}

} // namespace

OptionInfo OptionInfo::flag(const QString &names, const QString &description,
                            bool Invocation::*target)
{
    OptionInfo o;
    o.names = namesOf(names);
    o.description = description;
    o.flagTarget = target;
    return o;
}

OptionInfo OptionInfo::text(const QString &names, const QString &valueName,
                            const QString &description, QString Invocation::*target)
{
    OptionInfo o;
    o.names = namesOf(names);
    o.valueName = valueName;
    o.description = description;
    o.kind = Kind::Text;
    o.textTarget = target;
    return o;
}

OptionInfo OptionInfo::choice(const QString &names, const QStringList &choices,
                              const QString &description, QString Invocation::*target)
{
    OptionInfo o = text(names, choices.join(QLatin1Char('|')), description, target);
    o.kind = Kind::Choice;
    return o;
}

OptionInfo OptionInfo::number(const QString &names, const QString &valueName,
                              const QString &description, int Invocation::*target, int minimum)
{
    OptionInfo o;
    o.names = namesOf(names);
    o.valueName = valueName;
    o.description = description;
    o.kind = Kind::Number;
    o.numberTarget = target;
    o.minimum = minimum;
    return o;
}

QString CommandInfo::synopsis() const
{
    QStringList words;
    for (const OptionInfo &option : options) {
        const QString name = option.names.constLast();
        words.append(
            QStringLiteral("[%1%2%3]")
                .arg(name.size() == 1 ? QLatin1String("-") : QLatin1String("--"), name,
                     option.valueName.isEmpty() ? QString() : QLatin1Char(' ') + option.valueName));
    }
    if (!arguments.isEmpty())
        words.append(arguments);
    return words.join(QLatin1Char(' '));
}

bool CommandInfo::needsPort(int argumentCount) const
{
    return servo == Servo::Always || (servo == Servo::OneArgument && argumentCount == 1);
}

namespace CommandTable {

const QVector<CommandInfo> &commands()
{
    static const QVector<CommandInfo> table = {ports(), read(),  write(), set(),
                                               diff(),  batch(), help()};
    return table;
}

const QVector<OptionInfo> &servoOptions()
{
    static const QVector<OptionInfo> options = {
        OptionInfo::text(QStringLiteral("p,port"), QStringLiteral("PORT"),
                         QStringLiteral("Serial port: a name (ttyUSB0, COM3) or a path "
                                        "(/dev/serial/by-id/...). Default: the environment "
                                        "variable NIMBAL_PORT."),
                         &Invocation::port),
        OptionInfo::number(QStringLiteral("timeout"), QStringLiteral("MS"),
                           QStringLiteral("Time to wait for each answer, in milliseconds "
                                          "(default %1).")
                               .arg(ServoClient::kDefaultTimeoutMs),
                           &Invocation::timeoutMs, 1),
        OptionInfo::number(QStringLiteral("retries"), QStringLiteral("N"),
                           QStringLiteral("Times a request is sent again after a timeout "
                                          "(default %1).")
                               .arg(ServoClient::kDefaultRetries),
                           &Invocation::retries, 0),
        OptionInfo::flag(QStringLiteral("v,verbose"),
                         QStringLiteral("Print every frame sent and received on standard "
                                        "error, as timestamped hex."),
                         &Invocation::verbose),
    };
    return options;
}

const CommandInfo *find(const QString &name)
{
    for (const CommandInfo &command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

} // namespace CommandTable
