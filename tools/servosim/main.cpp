// nimbal-servo-sim: a servo controller on a pseudo-terminal. Prints the
// slave's path on one line; point the tool's port at it. Runs until
// SIGINT or SIGTERM. With --hands, lines on standard input unplug the
// servo and plug one in, as a person's hands do on a line.

#include "lane/terminationwatch.h"
#include "servosimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QSocketNotifier>
#include <QTextStream>

#include <unistd.h>

namespace {

bool parseCount(const QCommandLineParser &parser, const QCommandLineOption &option, int *value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    *value = parser.value(option).toInt(&ok);
    return ok && *value >= 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimbal-servo-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays a servo controller on a pseudo-terminal and prints the path of "
                       "its slave side, which the tool opens as its serial port."));
    parser.addHelpOption();
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("Wait MS milliseconds before answering."),
                                         QStringLiteral("MS"));
    const QCommandLineOption splitOption(QStringLiteral("split"),
                                         QStringLiteral("Write each answer in N separate pieces."),
                                         QStringLiteral("N"));
    const QCommandLineOption noiseOption(
        QStringLiteral("noise"),
        QStringLiteral("Write K random bytes (none of them 0x55) before each answer."),
        QStringLiteral("K"));
    const QCommandLineOption silentOption(QStringLiteral("silent"),
                                          QStringLiteral("Take requests in but never answer."));
    const QCommandLineOption holdOption(
        QStringLiteral("hold"),
        QStringLiteral("Keep the slave side open as well, so each program that opens the port is "
                       "answered at once (otherwise a new opener is noticed within 50 ms)."));
    const QCommandLineOption echoOption(QStringLiteral("echo"),
                                        QStringLiteral("Send every byte from the tool straight "
                                                       "back, as a line that echoes."));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("Spoil every answer: garbled (random bytes that never make a frame, as "
                       "at another speed), bad-checksum, or other-kind (a write answer to a "
                       "read request, and the other way round)."),
        QStringLiteral("FAULT"));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        QStringLiteral("After every write, NAME holds VALUE whatever was written: a servo that "
                       "does not take a setting (NeutralPoint=1500). May be given again."),
        QStringLiteral("NAME=VALUE"));
    const QCommandLineOption handsOption(
        QStringLiteral("hands"),
        QStringLiteral("Take a line at a time on standard input: \"out\" unplugs the servo, "
                       "\"in\" plugs a new one in (with the values a servo starts with), "
                       "\"back\" plugs the last one in again."));
    parser.addOptions({delayOption, splitOption, noiseOption, silentOption, holdOption, echoOption,
                       faultOption, forceOption, handsOption});
    parser.process(app);

    int delay = 0;
    int split = 1;
    int noise = 0;
    if (!parseCount(parser, delayOption, &delay) || !parseCount(parser, splitOption, &split) ||
        !parseCount(parser, noiseOption, &noise)) {
        QTextStream(stderr) << "nimbal-servo-sim: --delay, --split and --noise take a whole "
                               "number of 0 or more\n";
        return 2;
    }

    const QHash<QString, ServoSimulator::Fault> faults = {
        {QStringLiteral("garbled"), ServoSimulator::Fault::Garbled},
        {QStringLiteral("bad-checksum"), ServoSimulator::Fault::BadChecksum},
        {QStringLiteral("other-kind"), ServoSimulator::Fault::OtherKind},
    };
    if (parser.isSet(faultOption) && !faults.contains(parser.value(faultOption))) {
        QTextStream(stderr) << "nimbal-servo-sim: --fault takes garbled, bad-checksum or "
                               "other-kind\n";
        return 2;
    }

    ServoSimulator servo;
    if (!servo.isOpen()) {
        QTextStream(stderr) << "nimbal-servo-sim: no pseudo-terminal: " << servo.errorString()
                            << '\n';
        return 1;
    }
    servo.setAnswerDelay(delay);
    servo.setSplit(split);
    servo.setNoise(noise);
    servo.setSilent(parser.isSet(silentOption));
    servo.setEcho(parser.isSet(echoOption));
    servo.setFault(faults.value(parser.value(faultOption), ServoSimulator::Fault::None));
    for (const QString &forced : parser.values(forceOption)) {
        const std::optional<Parameter> id = parameterNamed(forced.section(QLatin1Char('='), 0, 0));
        bool ok = false;
        const int value = forced.section(QLatin1Char('='), 1).toInt(&ok);
        if (!id || !ok) {
            QTextStream(stderr) << "nimbal-servo-sim: --force takes NAME=VALUE, not " << forced
                                << '\n';
            return 2;
        }
        servo.forceStoredValue(*id, value);
    }
    if (parser.isSet(holdOption) && !servo.holdSlaveOpen()) {
        QTextStream(stderr) << "nimbal-servo-sim: cannot hold the slave side open: "
                            << servo.errorString() << '\n';
        return 1;
    }

    // A person's hands: unplugging, a new servo, the same one again.
    QSocketNotifier hands(0, QSocketNotifier::Read);
    hands.setEnabled(parser.isSet(handsOption));
    QObject::connect(&hands, &QSocketNotifier::activated, &servo, [&] {
        char buffer[256];
        const ssize_t got = ::read(0, buffer, sizeof buffer);
        if (got <= 0)
            return hands.setEnabled(false);
        for (const QByteArray &line : QByteArray(buffer, int(got)).split('\n')) {
            if (line.trimmed() == "out") {
                servo.setSilent(true);
            } else if (line.trimmed() == "in") {
                servo.setValues(ServoSimulator::startValues());
                servo.setSilent(false);
            } else if (line.trimmed() == "back") {
                servo.setSilent(false);
            }
        }
    });

    const TerminationWatch termination;
    QObject::connect(&termination, &TerminationWatch::requested, &app, &QCoreApplication::quit);

    QTextStream out(stdout);
    out << servo.slavePath() << Qt::endl;

    const int status = app.exec();
    QTextStream(stderr) << "nimbal-servo-sim: " << servo.requestsSeen() << " requests, "
                        << servo.answersSent() << " answers\n";
    return status;
}
