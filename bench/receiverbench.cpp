// Cost of the frame receiver per received byte, for one large arrival: what
// the window's serialDataRead does (hex text appended, frames cut out),
// without a window or a port. Prints one "name: value" line per figure.
//
// Cases: noise without a header byte; back-to-back valid answers; and the
// worst case for the search, "55 AA" repeated, where every other byte
// starts a candidate (0xAA nineteen bytes later) whose checksum fails.
// Each figure is the minimum over several runs of the thread's CPU time,
// set against the cost of toHex().toUpper() of the same bytes measured in
// the same run.

#include "benchsupport.h"
#include "protocol/framereceiver.h"
#include "protocol/parameterframe.h"

#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

struct Size
{
    const char *name;
    int bytes;
    int runs;
};

const Size kSizes[] = {
    {"16KiB", 16 * 1024, 201},
    {"256KiB", 256 * 1024, 21},
    {"1MiB", 1024 * 1024, 25},
};

QByteArray noise(int size, QRandomGenerator &random)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        uchar b = uchar(random.bounded(256));
        if (b == ParameterFrame::kHeader)
            b = 0;
        bytes[i] = char(b);
    }
    return bytes;
}

QByteArray answers(int size, QRandomGenerator &random)
{
    QByteArray bytes;
    bytes.reserve(size + ParameterFrame::kLength);
    while (bytes.size() < size) {
        ParameterSet values = ParameterSet::startValues();
        values.setValue(Parameter::TorqueGain, int(random.bounded(256)));
        values.setValue(Parameter::NeutralPoint, int(random.bounded(500, 2501)));
        bytes += ParameterFrame::encode(values, ParameterFrame::kReadAnswerBit);
    }
    bytes.truncate(size);
    return bytes;
}

QByteArray falseHeaders(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i % 2 == 0 ? 0x55 : 0xAA);
    return bytes;
}

// Minimum time of `runs` calls, in ns; one untimed call first.
double minimumNs(int runs, const std::function<void()> &work)
{
    work();
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const qint64 start = Bench::threadCpuNs();
        work();
        best = std::min(best, double(Bench::threadCpuNs() - start));
    }
    return best;
}

} // namespace

int main()
{
#ifdef __GLIBC__
    // A program that has run a while keeps its heap. Without this, glibc
    // hands each run's megabytes back to the kernel and the next run pays
    // for fresh zeroed pages, which swamps the figures of the large sizes.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
#endif
    QTextStream out(stdout);
    QRandomGenerator random(1234);

    struct Case
    {
        const char *name;
        std::function<QByteArray(int)> make;
        bool framesExpected;
    };
    const std::vector<Case> cases = {
        {"noise", [&random](int n) { return noise(n, random); }, false},
        {"answers", [&random](int n) { return answers(n, random); }, true},
        {"false_headers", [](int n) { return falseHeaders(n); }, false},
    };

    std::map<QString, double> nsPerByte; // "case size"
    std::map<QString, double> hexRatio;
    for (const Case &c : cases) {
        for (const Size &size : kSizes) {
            const QByteArray data = c.make(size.bytes);

            // The result must be right, or the time means nothing.
            QString check;
            FrameReceiver::appendBytes(check, data);
            const int found = FrameReceiver::takeAnswers(check).size();
            const int expected = c.framesExpected ? size.bytes / ParameterFrame::kLength : 0;
            if (found != expected || check.size() > 2 * (ParameterFrame::kLength - 1)) {
                out << "error: " << c.name << ' ' << size.name << ": " << found
                    << " answers, expected " << expected << Qt::endl;
                return 1;
            }

            int sink = 0;
            const double receiverNs = minimumNs(size.runs, [&] {
                QString buffer;
                FrameReceiver::appendBytes(buffer, data);
                sink += FrameReceiver::takeAnswers(buffer).size() + buffer.size();
            });
            const double hexNs =
                minimumNs(size.runs, [&] { sink += data.toHex().toUpper().size(); });
            if (sink == 42) // keeps the work from being optimised away
                out << "";

            const QString key = QLatin1String(c.name) + QLatin1Char(' ') + QLatin1String(size.name);
            nsPerByte[key] = receiverNs / size.bytes;
            hexRatio[key] = receiverNs / hexNs;
            out << "receiver_" << c.name << '_' << size.name
                << "_ns_per_byte: " << Bench::figure(receiverNs / size.bytes) << Qt::endl;
            out << "receiver_" << c.name << '_' << size.name
                << "_vs_hex: " << Bench::figure(receiverNs / hexNs) << Qt::endl;
        }
    }

    for (const Case &c : cases) {
        const QString small = QLatin1String(c.name) + QLatin1String(" 16KiB");
        const QString large = QLatin1String(c.name) + QLatin1String(" 1MiB");
        out << "receiver_linearity_" << c.name
            << "_1MiB_vs_16KiB: " << Bench::figure(nsPerByte[large] / nsPerByte[small])
            << " (target <= 2)" << Qt::endl;
    }
    out << "receiver_noise_1MiB_vs_hex: " << Bench::figure(hexRatio[QStringLiteral("noise 1MiB")])
        << " (target <= 10)" << Qt::endl;
    return 0;
}
