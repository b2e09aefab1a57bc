// The window's own receive path on arbitrary bytes in arbitrary splits: the
// fuzzer plays the servo on the master side of a kernel pseudo-terminal
// whose slave the window's port has open, and each arrival reaches the
// window's readyRead slot as it would from a serial adapter. After each
// arrival the controls show what the reference codec finds in the bytes
// (the last answer, clamped), each within its range, and the status log
// holds one line per answer.

#include "app/widget.h"
#include "model/parameterset.h"
#include "pseudoterminal.h"
#include "referenceframe.h"
#include "windowcontrols.h"
#include "windowtest.h"

#include "arrivals.h"
#include "fuzzcheck.h"

#include <QApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace {

// How long an arrival may take to reach the window before the run fails;
// it takes well under a millisecond, so only a window that stopped reading
// hits it.
constexpr int kArrivalDeadlineMs = 10000;

const QString kReading = QStringLiteral("参数读取成功  Reading successful");
const QString kWriting = QStringLiteral("参数写入成功  Write successfully");

// The window on its pseudo-terminal, and a count of the bytes its port has
// taken in: a counter ahead of the window's slot on readyRead adds what
// came in since the slot last ran, one behind it notes what the slot left.
struct Bench
{
    Widget *window = nullptr;
    QSerialPort *port = nullptr;
    PseudoTerminal *device = nullptr;
    WindowControls *controls = nullptr;
    QEventLoop loop;
    QTimer deadline;
    qint64 delivered = 0; // taken in by the port
    qint64 left = 0;      // in the port's buffer after the window's slot
    qint64 expected = 0;  // written to the master
};

Bench &bench()
{
    static int argc = 1;
    static char name[] = "fuzz_window";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    static Bench *b = [] {
        auto *b = new Bench;
        b->device = new PseudoTerminal;
        FUZZ_CHECK(b->device->isOpen());
        b->window = new Widget;
        b->port = WindowTest::serialPort(*b->window);
        FUZZ_CHECK(b->port);
        b->controls = new WindowControls(*b->window);
        FUZZ_CHECK(b->controls->isValid());
        // Qt calls a signal's slots in the order they were connected: the
        // window's own connection is taken out and put back between the
        // two counters.
        FUZZ_CHECK(
            QObject::disconnect(b->port, SIGNAL(readyRead()), b->window, SLOT(serialDataRead())));
        QObject::connect(b->port, &QSerialPort::readyRead, b->port,
                         [b] { b->delivered += b->port->bytesAvailable() - b->left; });
        FUZZ_CHECK(
            QObject::connect(b->port, SIGNAL(readyRead()), b->window, SLOT(serialDataRead())));
        QObject::connect(b->port, &QSerialPort::readyRead, b->port, [b] {
            b->left = b->port->bytesAvailable();
            if (b->delivered == b->expected && b->left == 0)
                b->loop.exit(0);
        });
        b->deadline.setSingleShot(true);
        b->deadline.setInterval(kArrivalDeadlineMs);
        QObject::connect(&b->deadline, &QTimer::timeout, &b->loop, [b] { b->loop.exit(1); });
        FUZZ_CHECK(WindowTest::choosePort(*b->window, b->device->slavePath()));
        return b;
    }();
    return *b;
}

// Writes the arrival to the master and runs the event loop until the
// window's slot has read every byte of it.
void deliver(Bench &b, const QByteArray &arrival)
{
    FUZZ_CHECK(b.device->write(arrival));
    b.expected += arrival.size();
    b.deadline.start();
    const int status = b.loop.exec();
    b.deadline.stop();
    FUZZ_CHECK(status == 0);
    FUZZ_CHECK(b.delivered == b.expected && b.left == 0);
}

// Every control within its parameter's range, whatever the servo sent.
void checkRanges(const ParameterSet &values)
{
    for (const ParameterInfo &param : kParameters) {
        const int v = values.value(param.id);
        FUZZ_CHECK(v >= param.minimum && v <= param.maximum);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Bench &b = bench();
    // Each input starts as on a freshly chosen port, without the cost of
    // choosing it (a lock file a time): a frame needs 0x55 at its start and
    // 0xAA nineteen bytes later, so nineteen zero bytes leave nothing of the
    // previous input that could join this one's bytes.
    const QByteArray separator(19, '\0');
    deliver(b, separator);
    QTextBrowser *log = b.controls->log();
    ParameterSet shown = b.controls->values();
    QByteArray servoBytes = separator; // what the reference search has not yet taken
    forEachArrival(data, size, [&](const QByteArray &arrival) {
        if (!log->document()->isEmpty())
            log->clear();
        servoBytes += arrival;
        QStringList messages;
        for (const QByteArray &frame : Reference::takeFrames(servoBytes)) {
            const unsigned flags = Reference::flagsOf(frame);
            if (!(flags & (Reference::kReadAnswer | Reference::kWriteAnswer)))
                continue; // a request: no answer to apply
            messages.append(flags & Reference::kReadAnswer ? kReading : kWriting);
            shown = Reference::clamped(Reference::decode(frame));
        }

        deliver(b, arrival);

        const ParameterSet values = b.controls->values();
        checkRanges(values);
        FUZZ_CHECK(values == shown);
        // The log may keep its last few lines only.
        const int limit = log->document()->maximumBlockCount();
        const int kept = limit > 0 ? std::min<int>(messages.size(), limit) : messages.size();
        FUZZ_CHECK(WindowTest::logMessages(*b.window) == messages.mid(messages.size() - kept));
    });
    return 0;
}
