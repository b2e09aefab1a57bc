#ifndef NIMBAL_COMMANDTABLE_H
#define NIMBAL_COMMANDTABLE_H

#include "invocation.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Console;

// An option and where its value goes in the Invocation.
struct OptionInfo
{
    enum class Kind
    {
        Flag,   // sets a bool
        Text,   // a non-empty value, kept as it is
        Choice, // one of the words of `valueName`, "table|line|json"
        Number, // a whole number of at least `minimum`
    };

    static OptionInfo flag(const QString &names, const QString &description,
                           bool Invocation::*target);
    static OptionInfo text(const QString &names, const QString &valueName,
                           const QString &description, QString Invocation::*target);
    static OptionInfo choice(const QString &names, const QStringList &choices,
                             const QString &description, QString Invocation::*target);
    static OptionInfo number(const QString &names, const QString &valueName,
                             const QString &description, int Invocation::*target, int minimum);

    QStringList names; // "p", "port": one-letter names take one dash
    QString valueName; // empty for a flag
    QString description;
    Kind kind = Kind::Flag;
    bool Invocation::*flagTarget = nullptr;
    QString Invocation::*textTarget = nullptr;
    int Invocation::*numberTarget = nullptr;
    int minimum = 0;
};

// A command: its help, its options, how many arguments it takes, whether it
// needs a port, and the function that runs it.
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
    QString appendix;            // more help after the options, such as a list
    QVector<OptionInfo> options; // its own; the servo options come on top
    Servo servo = Servo::Never;
    int minArguments = 0;
    int maxArguments = 0; // -1: no limit
    int (*run)(const Invocation &, Console &) = nullptr;

    bool takesServoOptions() const { return servo != Servo::Never; }
    // What follows "nimbalctl NAME": its own options, then its arguments.
    QString synopsis() const;
    bool needsPort(int argumentCount) const;
};

// Every command of nimbalctl, and the options of those that talk to a servo.
namespace CommandTable {

const QVector<CommandInfo> &commands();
const QVector<OptionInfo> &servoOptions();
// The command called `name`; null when there is none.
const CommandInfo *find(const QString &name);

} // namespace CommandTable

#endif
