// nimbal-station: servo after servo on up to eight adapters at once. See
// `nimbal-station --help`.

#include "nimbalversion.h"
#include "stationoptions.h"
#include "stationwindow.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int terminationPipe[2] = {-1, -1};

void onTermination(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(terminationPipe[1], &c, 1);
}

// SIGTERM and SIGINT close the window, as its close button does: a servo
// being set up is finished first.
void closeOnTermination(QWidget *window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char c = 0;
        [[maybe_unused]] const ssize_t n = ::read(terminationPipe[0], &c, 1);
        window->close();
    });
    struct sigaction action = {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace
#endif

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
#ifdef Q_OS_UNIX
    closeOnTermination(&window);
#endif
    window.show();
    if (options->start)
        window.start();
    return app.exec();
}
