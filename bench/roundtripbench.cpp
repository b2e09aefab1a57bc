// Time of one Read round trip through the real window: from the click on
// Read Parameter to the moment the answer of a simulated servo (in its own
// process, on a pseudo-terminal) shows in all fourteen controls and the
// status log says "Reading successful". Set against a plain ping-pong of
// 20 bytes each way over another pseudo-terminal between two processes,
// measured in the same run: blocks of the two alternate, so drift on a
// shared machine hits both alike.
//
// The window is shown (offscreen), as a user's would be. Its repaint with
// the answer comes after the time stops; roundtrip_to_painted includes it.
//
// usage: nimbal-bench-roundtrip [ROUND_TRIPS]   (default 1000)

#include "app/widget.h"
#include "benchsupport.h"
#include "files/filesaver.h"
#include "pseudoterminal.h"
#include "serial/statuslog.h"
#include "servosimulator.h"
#include "windowcontrols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFrameBytes = 20;
constexpr int kBlocks = 10;
constexpr int kWarmUp = 20;
// An answer that has not come by then is a failure, not a slow sample.
constexpr int kAnswerLimitMs = 2000;

bool readExactly(int fd, char *buf, int size)
{
    int got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buf + got, size_t(size - got));
        if (n > 0)
            got += int(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return false;
    }
    return true;
}

// The baseline: this process on the slave of a raw pseudo-terminal, a
// forked echo on its master. Blocking reads and writes, nothing else.
class PingPong
{
public:
    bool start()
    {
        if (!m_pty.isOpen() || !m_pty.setBlocking(true))
            return false;
        m_slave =
            ::open(QFile::encodeName(m_pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0)
            return false;

        const int master = m_pty.masterFd();
        const int slave = m_slave;
        m_echo = Bench::forkChild([master, slave] {
            ::close(slave);
            QByteArray frame(kFrameBytes, '\0');
            // Ends when the parent closes the slave: the read fails.
            while (readExactly(master, frame.data(), kFrameBytes))
                if (!FileSaver::writeAll(master, frame))
                    return 1;
            return 0;
        });
        m_pty.closeMaster();
        return m_echo > 0;
    }

    ~PingPong()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_echo > 0)
            Bench::waitChild(m_echo);
    }

    // One exchange, in nanoseconds; -1 on failure.
    qint64 exchange()
    {
        char in[kFrameBytes];
        const qint64 start = Bench::monotonicNs();
        if (!FileSaver::writeAll(m_slave, m_frame) || !readExactly(m_slave, in, kFrameBytes))
            return -1;
        return Bench::monotonicNs() - start;
    }

private:
    PseudoTerminal m_pty;
    const QByteArray m_frame = QByteArray::fromHex("55565758595a5b5c5d5e5f606162636465666768");
    int m_slave = -1;
    pid_t m_echo = -1;
};

// Clicks Read Parameter and waits in the event loop, without sleeping,
// until the answer is applied and logged.
class RoundTrip
{
public:
    RoundTrip(Widget &window, const ParameterSet &servoValues)
        : m_controls(window), m_servoValues(servoValues),
          m_read(window.findChild<QAbstractButton *>(QStringLiteral("pB_ReadParameter"))),
          m_reading(QString::fromUtf8(StatusLog::kReadingSuccessful))
    {
        m_limit.setSingleShot(true);
        QObject::connect(&m_limit, &QTimer::timeout, &m_loop, [this] { m_loop.quit(); });
        if (!isValid())
            return;
        // The window applies the controls first and logs last, so the log's
        // change is the moment the whole answer has taken effect.
        QObject::connect(m_controls.log()->document(), &QTextDocument::contentsChanged, &m_loop,
                         [this] {
                             if (m_end == 0 && answerShown()) {
                                 m_end = Bench::monotonicNs();
                                 m_loop.quit();
                             }
                         });
    }

    bool isValid() const { return m_read && m_controls.isValid(); }

    struct Times
    {
        qint64 shownNs = -1;   // click to the answer in the controls and the log
        qint64 paintedNs = -1; // click to the window repainted with it
    };

    Times run()
    {
        // Back to the tool's start values, so the answer changes every
        // control, and that change painted; neither is part of the time.
        m_controls.set(ParameterSet::startValues());
        QCoreApplication::processEvents();
        m_end = 0;
        const qint64 start = Bench::monotonicNs();
        m_read->click();
        if (m_end == 0) {
            m_limit.start(kAnswerLimitMs);
            m_loop.exec();
            m_limit.stop();
        }
        Times times;
        if (m_end == 0)
            return times;
        times.shownNs = m_end - start;
        // The repaint the answer asked for is a posted event: run it now.
        QCoreApplication::processEvents();
        times.paintedNs = Bench::monotonicNs() - start;
        return times;
    }

private:
    bool answerShown() const
    {
        return m_controls.values() == m_servoValues && m_controls.lastLogLine().endsWith(m_reading);
    }

    WindowControls m_controls;
    ParameterSet m_servoValues;
    QAbstractButton *m_read;
    QString m_reading;
    QEventLoop m_loop;
    QTimer m_limit;
    qint64 m_end = 0;
};

double us(double ns)
{
    return ns / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    const int total = argc > 1 ? std::max(kBlocks, std::atoi(argv[1])) : 1000;
    const int perBlock = total / kBlocks;

    // Forked before the application exists, so the echo is a plain process.
    PingPong pingPong;
    if (!pingPong.start()) {
        std::fprintf(stderr, "nimbal-bench-roundtrip: no pseudo-terminal for the ping-pong\n");
        return 1;
    }

    Bench::useOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QTextStream out(stdout);

    Bench::SimulatorProcess servo;
    if (!servo.start(QStringLiteral(NIMBAL_SERVO_SIM))) {
        out << "error: " << servo.errorString() << Qt::endl;
        return 1;
    }
    Widget window;
    if (!Bench::showWindowOn(window, servo.slavePath(), out))
        return 1;
    // The simulator answers with its start set; the tool starts elsewhere.
    RoundTrip roundTrip(window, ServoSimulator::startValues().clamped());
    if (!roundTrip.isValid()) {
        out << "error: no Read Parameter button or status log" << Qt::endl;
        return 1;
    }

    for (int i = 0; i < kWarmUp; ++i) {
        if (roundTrip.run().shownNs < 0 || pingPong.exchange() < 0) {
            out << "error: no answer during warm-up" << Qt::endl;
            return 1;
        }
    }

    std::vector<double> toolNs, paintedNs, baseNs;
    for (int block = 0; block < kBlocks; ++block) {
        for (int i = 0; i < perBlock; ++i) {
            const qint64 ns = pingPong.exchange();
            if (ns < 0) {
                out << "error: ping-pong failed" << Qt::endl;
                return 1;
            }
            baseNs.push_back(double(ns));
        }
        for (int i = 0; i < perBlock; ++i) {
            const RoundTrip::Times times = roundTrip.run();
            if (times.shownNs < 0) {
                out << "error: round trip " << toolNs.size() + 1 << " got no answer within "
                    << kAnswerLimitMs << " ms" << Qt::endl;
                return 1;
            }
            toolNs.push_back(double(times.shownNs));
            paintedNs.push_back(double(times.paintedNs));
        }
    }

    const double toolMedian = Bench::percentile(toolNs, 0.5);
    const double toolP99 = Bench::percentile(toolNs, 0.99);
    const double baseMedian = Bench::percentile(baseNs, 0.5);
    const double baseP99 = Bench::percentile(baseNs, 0.99);
    out << "roundtrip_count: " << toolNs.size() << Qt::endl;
    out << "roundtrip_median_us: " << Bench::figure(us(toolMedian)) << Qt::endl;
    out << "roundtrip_p99_us: " << Bench::figure(us(toolP99)) << Qt::endl;
    out << "roundtrip_to_painted_median_us: "
        << Bench::figure(us(Bench::percentile(paintedNs, 0.5))) << Qt::endl;
    out << "pingpong_median_us: " << Bench::figure(us(baseMedian)) << Qt::endl;
    out << "pingpong_p99_us: " << Bench::figure(us(baseP99)) << Qt::endl;
    out << "roundtrip_median_vs_pingpong: " << Bench::figure(toolMedian / baseMedian)
        << " (target <= 5)" << Qt::endl;
    out << "roundtrip_p99_vs_pingpong_p99: " << Bench::figure(toolP99 / baseP99) << Qt::endl;
    return 0;
}
