#ifndef NIMBAL_BATCHRUN_H
#define NIMBAL_BATCHRUN_H

#include "batchlog.h"
#include "invocation.h"
#include "model/parameterset.h"
#include "servosession.h"

#include <QString>
#include <QStringList>

class Console;

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
    static constexpr int kProbeIntervalMs = 250;
    static constexpr int kGoneAfterMs = 1000;

    BatchRun(const Invocation &invocation, Console &console);

    int run();

private:
    struct Result
    {
        bool passed = false;
        QStringList problems; // "name: wanted X, servo Y", or why it failed
        ParameterSet before;
        bool haveAfter = false;
        ParameterSet after;
    };

    // Each returns an exit status; 0 to go on.
    int loop();
    int waitForServo(ParameterSet *before, bool *found);
    int setUp(Result *result);
    int finishServo(Result result);
    int waitUntilGone();
    bool openLog();
    int finish(int status);
    void report(const Result &result);
    QStringList logRow(const Result &result) const;

    const Invocation &m_invocation;
    Console &m_console;
    ServoSession m_session;
    ParameterSet m_wanted;
    BatchLog m_log;
    int m_number = 0;
    int m_passed = 0;
    int m_failed = 0;
};

#endif
