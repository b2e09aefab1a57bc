// The command line's cost.
//
// 1. Whole-process wall time of `nimbalctl read --format line` against a
//    simulated servo (its own process) that answers at once, against the
//    anchor: a bare QCoreApplication program that opens the same
//    pseudo-terminal and does one 20-byte exchange. Runs of the two
//    alternate, so drift on a shared machine hits both alike.
// 2. The CPU time of one batch cycle (write, answer, read-back, compare) in
//    the client's thread, next to the time the four frames of that cycle
//    take on a real line at 111100 baud: what the tool adds on top of the
//    line itself.
//
// usage: nimbal-bench-cli [RUNS]   (default 20)

#include "benchsupport.h"
#include "servo/servoclient.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdlib>

namespace {

constexpr int kBatchCycles = 200;
// A cycle's frames: a write and its answer, a read and its answer.
constexpr int kFrames = 4;

// Wall time of one run of `command` with its output discarded; negative
// when it did not exit with 0.
double runMs(const QStringList &command)
{
    const Bench::Run run = Bench::runProgram(command);
    return run.status == 0 ? double(run.endNs - run.startNs) / 1e6 : -1.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int runs = argc > 1 ? qMax(1, std::atoi(argv[1])) : 20;

    Bench::SimulatorProcess servo;
    // Held open by the servo, the port serves each new process at once.
    if (!servo.start(QStringLiteral(NIMBAL_SERVO_SIM), {QStringLiteral("--hold")})) {
        out << "cannot start the simulated servo: " << servo.errorString() << Qt::endl;
        return 1;
    }
    const QString port = servo.slavePath();
    const QStringList cli = {QStringLiteral(NIMBALCTL),  QStringLiteral("read"),
                             QStringLiteral("--port"),   port,
                             QStringLiteral("--format"), QStringLiteral("line")};
    const QStringList anchor = {QStringLiteral(NIMBAL_CLI_ANCHOR), port};

    // One warm-up of each, so no measured run pays for cold caches alone.
    runMs(cli);
    runMs(anchor);
    std::vector<double> cliMs, anchorMs;
    for (int i = 0; i < runs; ++i) {
        const double c = runMs(cli);
        const double a = runMs(anchor);
        if (c < 0 || a < 0) {
            out << "a run failed (nimbalctl " << c << ", anchor " << a << ")" << Qt::endl;
            return 1;
        }
        cliMs.push_back(c);
        anchorMs.push_back(a);
    }
    const double cliMedian = Bench::percentile(cliMs, 0.5);
    const double anchorMedian = Bench::percentile(anchorMs, 0.5);
    out << "cli_runs: " << runs << '\n';
    out << "cli_read_median_ms: " << Bench::figure(cliMedian) << '\n';
    out << "cli_anchor_median_ms: " << Bench::figure(anchorMedian) << '\n';
    out << "cli_read_vs_anchor: " << Bench::figure(cliMedian / anchorMedian) << " (target <= 2)\n";

    // Batch cycles in this process, against the same servo.
    ServoClient client;
    if (!client.open(port)) {
        out << "cannot open " << port << ": " << client.errorString() << Qt::endl;
        return 1;
    }
    ParameterSet values = ParameterSet::startValues();
    int mismatches = 0;
    const qint64 wallStart = Bench::monotonicNs();
    const qint64 cpuStart = Bench::threadCpuNs();
    for (int cycle = 0; cycle < kBatchCycles; ++cycle) {
        values.setValue(Parameter::NeutralPoint, 1000 + cycle);
        const ServoClient::Reply written = client.write(values);
        const ServoClient::Reply readBack = client.read();
        if (written.outcome != ServoClient::Outcome::Answered ||
            readBack.outcome != ServoClient::Outcome::Answered) {
            out << "cycle " << cycle << " went unanswered" << Qt::endl;
            return 1;
        }
        mismatches += readBack.values != values;
    }
    const double cpuMs = double(Bench::threadCpuNs() - cpuStart) / 1e6 / kBatchCycles;
    const double wallMs = double(Bench::monotonicNs() - wallStart) / 1e6 / kBatchCycles;
    out << "cli_batch_cycles: " << kBatchCycles << " (" << mismatches << " mismatches)\n";
    out << "cli_batch_cycle_cpu_ms: " << Bench::figure(cpuMs) << '\n';
    out << "cli_batch_cycle_wall_ms_on_pty: " << Bench::figure(wallMs) << '\n';
    const double lineMs = kFrames * Bench::frameOnLineMs();
    out << "cli_batch_cycle_line_ms_at_111100_baud: " << Bench::figure(lineMs) << '\n';
    out << "cli_batch_cycle_cpu_vs_line: " << Bench::figure(cpuMs / lineMs) << '\n';
    out.flush();
    servo.stop();
    return mismatches == 0 ? 0 : 1;
}
