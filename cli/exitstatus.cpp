#include "exitstatus.h"

namespace ExitStatus {

int of(ServoClient::Outcome outcome)
{
    switch (outcome) {
    case ServoClient::Outcome::Answered:
        return kSuccess;
    case ServoClient::Outcome::NoAnswer:
        return kNoAnswer;
    case ServoClient::Outcome::PortLost:
        break;
    }
    return kPortTrouble;
}

int of(const ServoSetUp::Result &result)
{
    using Outcome = ServoSetUp::Result::Outcome;
    switch (result.outcome) {
    case Outcome::Passed:
        return kSuccess;
    case Outcome::Mismatch:
        return kDifferent;
    case Outcome::NoAnswer:
        return of(ServoClient::Outcome::NoAnswer);
    case Outcome::PortLost:
        break;
    }
    return of(ServoClient::Outcome::PortLost);
}

int of(const PortDoctor::Result &result)
{
    if (!result.problem)
        return kSuccess;
    if (*result.problem != PortDoctor::Step::Answer)
        return kPortTrouble;
    return of(result.lostReason.isEmpty() ? ServoClient::Outcome::NoAnswer
                                          : ServoClient::Outcome::PortLost);
}

int of(const BatchEnd &end)
{
    if (end.outputFailed)
        return kBadInput;
    if (end.portLost)
        return kPortTrouble;
    if (end.anyFailed)
        return kDifferent;
    return end.stoppedEarly ? kStopped : kSuccess;
}

} // namespace ExitStatus
