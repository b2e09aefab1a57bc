#ifndef NIMBAL_BATCHRUN_H
#define NIMBAL_BATCHRUN_H

#include "files/batchlog.h"
#include "model/parameterset.h"
#include "nimbaldefaults.h"
#include "servosession.h"

#include <QString>
#include <QStringList>

#include <optional>

class Console;
struct Invocation;

// The production loop: servo after servo on one port, each set up from the
// same file and verified. It waits for a servo by sending a read request
// every 250 ms, writes and verifies, reports PASS or FAIL, and waits until
// the servo has stopped answering for a second (a person unplugged it)
// before it waits for the next. With --log every servo's settings from
// before the write are kept, so no servo's original setup is ever lost.
//
// SIGINT and SIGTERM end the loop between servos; a servo being set up
// when one arrives is finished first. The batch passes (exit 0) only when
// every servo passed and, with --count N, N servos were done.
class BatchRun
{
public:
    static constexpr int kProbeIntervalMs = NIMBAL_PROBE_INTERVAL_MS;
    static constexpr int kGoneAfterMs = NIMBAL_GONE_AFTER_MS;

    BatchRun(const Invocation &invocation, Console &console);

    int run();

private:
    // The exit status of the loop, before the servos' results count.
    int loop();
    // The values of the next servo to answer; nothing when the batch was
    // stopped or the port lost first.
    std::optional<ParameterSet> waitForServo();
    // Logs the servo, then prints its result; false when either failed.
    bool record(const ParameterSet &before, const ServoSession::Verdict &verdict);
    void waitUntilGone();
    bool countReached() const { return m_count != 0 && m_number >= m_count; }
    bool openLog();
    QStringList logRow(const ParameterSet &before, const ServoSession::Verdict &verdict) const;

    Console &m_console;
    QString m_file;
    QString m_logFile;
    int m_count = 0;
    ServoSession m_session;
    ParameterSet m_wanted;
    BatchLog m_log;
    int m_number = 0;
    int m_passed = 0;
    int m_failed = 0;
};

#endif
