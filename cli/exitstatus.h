#ifndef NIMBAL_EXITSTATUS_H
#define NIMBAL_EXITSTATUS_H

#include "doctor/portdoctor.h"
#include "servo/servoclient.h"
#include "servo/servosetup.h"

// nimbalctl's exit statuses and what each means. The help prints this
// table; the manual page and the README say the same words (a test
// compares them). Every command's status is decided here, by of().
namespace ExitStatus {

inline constexpr int kSuccess = 0;
inline constexpr int kDifferent = 1;
inline constexpr int kBadInput = 2;
inline constexpr int kPortTrouble = 3;
inline constexpr int kNoAnswer = 4;
inline constexpr int kStopped = 5;
inline constexpr int kDatabase = 6;

struct Meaning
{
    int status;
    const char *text;
};

inline constexpr Meaning kMeanings[] = {
    {kSuccess, "success"},
    {kDifferent, "a verification mismatch, or diff found differences; batch: a servo failed; "
                 "history: no row for the label"},
    {kBadInput, "bad usage or a bad input file (nothing is sent), or output that cannot be "
                "written (standard output, --out, --log)"},
    {kPortTrouble, "the port could not be opened, or was lost during the command"},
    {kNoAnswer, "no answer after all retries"},
    {kStopped, "batch: stopped by SIGINT or SIGTERM, or by the end of the labels on standard "
               "input, before the --count servos were done"},
    {kDatabase, "db, history, report: the database could not be reached or refused, or a log "
                "could not be read"},
};

// How a batch ended, as far as its status goes.
struct BatchEnd
{
    bool outputFailed = false; // standard output or the log
    bool portLost = false;
    bool anyFailed = false;
    bool stoppedEarly = false; // before its count of servos
};

// What became of one exchange, of a servo's set-up, of the doctor's look
// at a port (a port lost while it listened is the port's trouble), and of
// a batch, as an exit status.
int of(ServoClient::Outcome outcome);
int of(const ServoSetUp::Result &result);
int of(const PortDoctor::Result &result);
int of(const BatchEnd &end);

} // namespace ExitStatus

#endif
