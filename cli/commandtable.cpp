#include "commandtable.h"

#include "batchrun.h"
#include "commands.h"
#include "doctor/portdoctor.h"
#include "lane/lanegroup.h"
#include "parameterformat.h"
#include "port/linesettings.h"
#include "recordcommands.h"

namespace CommandTable {

namespace {

using Servo = CommandInfo::Servo;

// The table is data, laid out by hand: name, arguments, summary, description,
// options, servo, the fewest and most arguments, the function, and help
// after the options. Its texts are built once, from plain literals.
// clang-format off
const QVector<CommandInfo> kCommands = {
    {"ports", "", "List the serial ports the system knows.",
     "Lists every serial port the system knows: name, system location, USB vendor:product, "
     "serial number, manufacturer and description, and on Linux the stable "
     "/dev/serial/by-id/ path that points at it. Pseudo-terminals are not listed.",
     {{{"json"}, "", "Print a JSON array of objects instead of a table."}},
     Servo::Never, 0, 0, Commands::ports},
    {"read", "", "Read the servo's fourteen parameters.",
     "Reads the servo's fourteen parameters and prints them as the window shows them after "
     "Read Parameter: a value outside its parameter's range is shown at the nearer end of "
     "the range, with a message.",
     {{{"format"}, "table|line|json",
       "table (default): name, value and range. line: the line Save Parameter writes. json: "
       "an object keyed by parameter name, integers for numbers, true/false for switches."},
      {{"out"}, "FILE",
       "Save the line format to FILE, as Save Parameter does (the old file stays whole until "
       "the new one is complete), and print nothing."}},
     Servo::Always, 0, 0, Commands::read},
    {"write", "FILE", "Write a parameter file to the servo and verify it.",
     "Writes the values of the parameter file FILE to the servo and waits for its write "
     "answer, then reads the servo back and compares all fourteen values. A file that is not "
     "strictly valid (other than fourteen fields, a field that is not a decimal integer, a "
     "value outside its range, a switch other than 0 or 1) is refused and nothing is sent.",
     {{{"no-verify"}, "", "Do not read back and compare after the write answer."}},
     Servo::Always, 1, 1, Commands::write},
    {"set", "NAME=VALUE...", "Change parameters on the servo and verify them.",
     "Reads the servo, changes the named parameters, writes, and verifies. NAME is the "
     "parameter's name (NeutralPoint) or its caption (\"Neutral Point\"), in any letter case, "
     "with blanks, '-' and '_' ignored: neutral-point=1520. Numbers are decimal digits only, "
     "as in a parameter file; switches take on/off, true/false or 1/0. Each parameter may be "
     "named once.",
     {}, Servo::Always, 1, -1, Commands::set,
     QStringLiteral("Parameters:\n") + ParameterFormat::parameterList()},
    {"diff", "FILE | FILE1 FILE2", "Compare the servo with a file, or two files.",
     "With one file, compares the servo with it; with two, compares the files. Prints one line "
     "per field that differs and exits with 1 when any does.",
     {}, Servo::OneArgument, 1, 2, Commands::diff},
    {"batch", "FILE", "Set up one servo after another from a file.",
     QStringLiteral(
         "The production loop. Sends a read request every %1 ms until a servo answers, writes "
         "the values of FILE and verifies them, and prints one line per servo: number, time, "
         "PASS or FAIL, and on failure each field as \"name: wanted X, servo Y\". Then waits "
         "until the servo has stopped answering for %2 ms (unplug it) and starts over; an "
         "answer with other values than the servo was left with is another servo, set up at "
         "once. SIGINT or SIGTERM ends the loop between servos and prints a summary. With "
         "--port given up to %3 times, a loop runs on each port at once, and each result line "
         "names its port; an adapter that goes away is tried again every second. Servos are "
         "numbered on from the last number in the log. Exits with 0 when every servo passed "
         "and, with --count, all N were done.")
         .arg(Lane::kProbeIntervalMs)
         .arg(Lane::kGoneAfterMs)
         .arg(LaneGroup::kMostLanes),
     {{{"log"}, "CSV",
       "Append one row per servo to CSV: time (ISO 8601), port, number, result, the fourteen "
       "values the servo held before the write, the fourteen read back, and its label. Never "
       "the parameter file itself."},
      {{"count"}, "N", "Stop after N servos.", 1},
      {{"labels"}, "",
       "Read each servo's label from standard input, a line each, given to the servos in the "
       "order they are found; a label that is refused (empty, with a control character, "
       "longer than 64 characters, beginning with =, +, - or @, on another port's servo, or "
       "passed already in the log, or with --db on any station of the line) is said on "
       "standard error and the next line is read. The batch stops when standard input ends "
       "and a servo waits for a label."},
      {{"db"}, "DB",
       "Send each servo's row to the line's database as well (a libpq connection string or "
       "service name: \"service=line1\", \"host=db.local dbname=line\"; default: the "
       "environment variable NIMBAL_DB), from the --log file, which is needed. While the "
       "database is away the rows wait in the log and go when it is back, or with the next "
       "run."},
      {{"station"}, "NAME", "The station's name in the record (default: the host name)."},
      {{"operator"}, "NAME", "Who sets the servos up, for the record."}},
     Servo::Always, 1, 1, Commands::batch},
    {"doctor", "", "Say why a servo does not answer on a port.",
 QStringLiteral(
     "Looks for the usual causes of a servo that does not answer, in order, and stops at the "
     "first problem: the port is there, it opens, its driver runs at %1 baud (within %2 %), a "
     "read request gets an answer within a second (nothing, only the request's echo, bytes "
     "that never make a frame, frames that fail their checksum, or a frame of another kind "
     "come back otherwise), and the answer comes in good time (not held back by the "
     "adapter's latency timer). Prints one line per check: ok, or the problem and what to do "
     "about it. Exits with 0 when a servo answered, 3 for a problem of the port, 4 when no "
     "usable answer came back.")
     .arg(LineSettings::kBaudRate)
     .arg(PortDoctor::kSpeedTolerance * 100),
 {{{"json"}, "", "Print the checks and what was measured as one JSON object, for a support "
                 "request."}},
 Servo::Always, 0, 0, Commands::doctor},
{"db", "init [DB] | send LOG", "Set up the line's database, or send a log's waiting rows.",
     "init creates the line record's tables in the database DB (or --db), or brings them up "
     "to date; it may be run again, and refuses a database whose schema is newer than this "
     "nimbalctl knows. It needs a login that may create tables and roles, and creates the "
     "role nimbal_station, which may only insert and read rows. send sends the rows of the "
     "audit log LOG that are not in the database --db yet, as batch does while it runs.",
     {{{"db"}, "DB", "The database (default: the environment variable NIMBAL_DB)."}},
     Servo::Never, 1, 2, RecordCommands::db},
    {"history", "LABEL [LOG...]", "Show every row of one servo's label, newest first.",
     "Shows every row the line record holds for LABEL, on every station, newest first: when, "
     "where, the result, the recipe, the operator, and the values before and after. From the "
     "database --db, or from the audit logs LOG given as files. Exits with 1 when there is no "
     "row.",
     {{{"db"}, "DB", "The database (default: the environment variable NIMBAL_DB)."},
      {{"json"}, "", "Print a JSON array of the rows, every field of each."}},
     Servo::Never, 1, -1, RecordCommands::history},
    {"report", "[LOG...]", "Show what each station did each day.",
     "For each station and day (UTC): the servos set up, passed and failed, and the fields "
     "that failed most. From the database --db, or from the audit logs LOG given as files.",
     {{{"db"}, "DB", "The database (default: the environment variable NIMBAL_DB)."},
      {{"since"}, "DATE", "Only days from DATE (YYYY-MM-DD) on."},
      {{"json"}, "", "Print a JSON array, an object a station and day."}},
     Servo::Never, 0, -1, RecordCommands::report},
{"help", "[COMMAND]", "Show this help, or the help of COMMAND.",
     "Shows the help of nimbalctl, or of one of its commands.",
     {}, Servo::Never, 0, 1, Commands::help},
};

const QVector<OptionInfo> kServoOptions = {
    {{"p", "port"}, "PORT",
     "Serial port: a name (ttyUSB0, COM3) or a path (/dev/serial/by-id/...). Default: the "
     "environment variable NIMBAL_PORT."},
    {{"timeout"}, "MS",
     QStringLiteral("Time to wait for each answer, in milliseconds (default %1).")
         .arg(ServoClient::kDefaultTimeoutMs), 1},
    {{"retries"}, "N",
     QStringLiteral("Times a request is sent again after a timeout (default %1).")
         .arg(ServoClient::kDefaultRetries), 0},
    {{"v", "verbose"}, "",
     "Print every frame sent and received on standard error, as timestamped hex."},
};
// clang-format on

} // namespace

const QVector<CommandInfo> &commands()
{
    return kCommands;
}

const QVector<OptionInfo> &servoOptions()
{
    return kServoOptions;
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
