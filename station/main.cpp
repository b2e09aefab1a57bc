// nimbal-station: servo after servo on up to eight adapters at once. See
// `nimbal-station --help`.

#include "nimbalversion.h"
#include "stationoptions.h"
#include "stationwindow.h"

#include "lane/terminationwatch.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nimbal-station"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbal Station"));
    QApplication::setApplicationVersion(QStringLiteral(NIMBAL_VERSION));
    StationWindow::installTranslation(QLocale::system());

    QString message;
    int exitCode = 0;
    const std::optional<StationOptions> options =
        StationOptions::parse(QApplication::arguments(), &message, &exitCode);
    if (!options) {
        QTextStream(exitCode == 0 ? stdout : stderr) << message << Qt::endl;
        return exitCode;
    }
    StationWindow window;
    // What the command line gives replaces what was kept from the last run.
    if (!options->file.isEmpty())
        window.setParameterFile(options->file);
    if (!options->ports.isEmpty())
        window.setPorts(options->ports);
    if (!options->log.isEmpty())
        window.setLogPath(options->log);
    if (options->labels)
        window.setAskForLabels(*options->labels);
    if (!options->database.isEmpty())
        window.setDatabase(options->database);
    if (!options->station.isEmpty())
        window.setStationName(options->station);
    if (!options->operatorName.isEmpty())
        window.setOperatorName(options->operatorName);
    // SIGTERM and SIGINT close the window, as its close button does: a
    // servo being set up is finished first.
    const TerminationWatch termination;
    QObject::connect(&termination, &TerminationWatch::requested, &window, &QWidget::close);
    window.show();
    if (options->start)
        window.start();
    return app.exec();
}
