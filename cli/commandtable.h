#ifndef NIMBAL_COMMANDTABLE_H
#define NIMBAL_COMMANDTABLE_H

#include "servosession.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class Console;
struct CommandInfo;

// One run of nimbalctl as its command line asks for it: the command, its
// arguments, the servo options (for the commands that talk to a servo)
// and the command's own options as given, by their long names.
struct Invocation
{
    const CommandInfo *command = nullptr;
    QStringList arguments;
    ServoSession::Options servo;
    QHash<QString, QStringList> options; // each value given; a flag's is empty

    bool isSet(const char *name) const { return options.contains(QLatin1String(name)); }
    // The value given last.
    QString value(const char *name, const QString &otherwise = QString()) const
    {
        return isSet(name) ? options.value(QLatin1String(name)).constLast() : otherwise;
    }
    QStringList values(const char *name) const { return options.value(QLatin1String(name)); }
    // A whole number the command line has checked already.
    int number(const char *name, int otherwise) const
    {
        return isSet(name) ? value(name).toInt() : otherwise;
    }
};

// An option as the help shows it and the command line checks it. Without
// a value name it is a flag; a value name of words parted by '|' is a
// choice ("table|line|json"); with a minimum, the value is a whole number
// of at least that; any other value is text that may not be empty.
struct OptionInfo
{
    QStringList names; // {"p", "port"}: the long name last
    QString valueName;
    QString description;
    std::optional<int> minimum = std::nullopt;

    QString longName() const { return names.constLast(); }
};

// A command: its help, its options, how many arguments it takes, whether it
// talks to a servo, and the function that runs it.
struct CommandInfo
{
    enum class Servo
    {
        Never,       // takes no servo option
        Always,      // takes the servo options and needs a port
        OneArgument, // takes the servo options; needs a port with one argument
    };

    QString name;
    QString arguments; // "FILE", "NAME=VALUE..."
    QString summary;
    QString description;
    QVector<OptionInfo> options; // its own; the servo options come on top
    Servo servo;
    int minArguments;
    int maxArguments; // -1: no limit
    int (*run)(const Invocation &, Console &);
    QString appendix = QString(); // more help after the options, such as a list

    bool takesServoOptions() const { return servo != Servo::Never; }
    bool needsPort(int argumentCount) const
    {
        return servo == Servo::Always || (servo == Servo::OneArgument && argumentCount == 1);
    }
};

// Every command of nimbalctl, and the options of those that talk to a servo.
namespace CommandTable {

const QVector<CommandInfo> &commands();
const QVector<OptionInfo> &servoOptions();
// The command called `name`; null when there is none.
const CommandInfo *find(const QString &name);

} // namespace CommandTable

#endif
