// Starts like the program and quits at the window's first expose, printing
// the monotonic clock at that moment (nanoseconds) on stdout.
//
// usage: nimbal-startup-probe tool|station|bare
//   tool: the program's start-up, its window and all;
//   station: the station's start-up;
//   bare: a program that shows one empty QWidget, the baseline.
// The window is closed as a user would close it, so the run also serves a
// leak check of start-up and teardown.

#include "app/applicationsetup.h"
#include "app/widget.h"
#include "benchsupport.h"
#include "stationwindow.h"

#include <QApplication>
#include <QEvent>
#include <QLocale>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

class FirstExpose : public QObject
{
public:
    explicit FirstExpose(QWidget *widget) : m_widget(widget) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_seen) {
            m_seen = true;
            std::printf("%lld\n", static_cast<long long>(Bench::monotonicNs()));
            std::fflush(stdout);
            QTimer::singleShot(0, m_widget, &QWidget::close);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_widget;
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    const bool station = argc > 1 && std::strcmp(argv[1], "station") == 0;
    ApplicationSetup::beforeApplication();
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
    } else if (station) {
        // As its main() starts it: its translation, then its window, which
        // takes up its kept settings.
        StationWindow::installTranslation(QLocale::system());
        window = std::make_unique<StationWindow>();
    } else {
        ApplicationSetup::applyFont();
        window = std::make_unique<Widget>();
    }
    // Expose events go to the native window, so watch that.
    FirstExpose probe(window.get());
    window->winId(); // creates the native window now
    window->windowHandle()->installEventFilter(&probe);
    window->show();
    return app.exec();
}
