#include "stationoptions.h"

#include "lane/lanegroup.h"

#include <QCommandLineParser>
#include <QCoreApplication>

std::optional<StationOptions> StationOptions::parse(const QStringList &arguments, QString *message,
                                                    int *exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "StationOptions", "Sets up servo after servo on up to eight adapters at once."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption file(
        QStringLiteral("file"),
        QCoreApplication::translate("StationOptions", "The parameter file to set servos up from."),
        QStringLiteral("FILE"));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QCoreApplication::translate("StationOptions",
                                    "A lane on PORT; up to eight times, one lane each."),
        QStringLiteral("PORT"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QCoreApplication::translate("StationOptions", "The audit log, a CSV file."),
        QStringLiteral("FILE"));
    const QCommandLineOption labels(
        QStringLiteral("labels"),
        QCoreApplication::translate("StationOptions", "Ask for each servo's label."));
    const QCommandLineOption noLabels(
        QStringLiteral("no-labels"),
        QCoreApplication::translate("StationOptions", "Do not ask for labels."));
    const QCommandLineOption database(
        QStringLiteral("db"),
        QCoreApplication::translate("StationOptions",
                                    "The line's database, a libpq connection string or service "
                                    "name (\"service=line1\")."),
        QStringLiteral("DB"));
    const QCommandLineOption station(
        QStringLiteral("station"),
        QCoreApplication::translate("StationOptions",
                                    "The station's name in the record (default: the host name)."),
        QStringLiteral("NAME"));
    const QCommandLineOption operatorName(
        QStringLiteral("operator"),
        QCoreApplication::translate("StationOptions", "Who sets the servos up, for the record."),
        QStringLiteral("NAME"));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QCoreApplication::translate("StationOptions", "Start at once, without a click."));
    parser.addOptions({file, port, log, labels, noLabels, database, station, operatorName, start});
    *exitCode = 2;
    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        *exitCode = 0;
        *message = parser.isSet(help) ? parser.helpText()
                                      : QCoreApplication::applicationName() + QLatin1Char(' ') +
                                            QCoreApplication::applicationVersion();
        return std::nullopt;
    }
    if (parser.values(port).size() > LaneGroup::kMostLanes) {
        *message =
            QCoreApplication::translate("StationOptions", "--port may be given %1 times at most")
                .arg(LaneGroup::kMostLanes);
        return std::nullopt;
    }
    if (parser.isSet(labels) && parser.isSet(noLabels)) {
        *message = QCoreApplication::translate("StationOptions",
                                               "--labels and --no-labels exclude each other");
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QCoreApplication::translate("StationOptions", "unexpected argument: %1")
                       .arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    StationOptions options;
    options.file = parser.value(file);
    options.ports = parser.values(port);
    options.log = parser.value(log);
    if (parser.isSet(labels) || parser.isSet(noLabels))
        options.labels = parser.isSet(labels);
    options.database = parser.value(database);
    options.station = parser.value(station);
    options.operatorName = parser.value(operatorName);
    options.start = parser.isSet(start);
    return options;
}
