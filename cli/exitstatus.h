#ifndef NIMBAL_EXITSTATUS_H
#define NIMBAL_EXITSTATUS_H

// nimbalctl's exit statuses and what each means. The help prints this
// table; the manual page and the README say the same words (a test
// compares them).
namespace ExitStatus {

inline constexpr int kSuccess = 0;
inline constexpr int kDifferent = 1;
inline constexpr int kBadInput = 2;
inline constexpr int kPortTrouble = 3;
inline constexpr int kNoAnswer = 4;
inline constexpr int kStopped = 5;

struct Meaning
{
    int status;
    const char *text;
};

inline constexpr Meaning kMeanings[] = {
    {kSuccess, "success"},
    {kDifferent, "a verification mismatch, or diff found differences; batch: a servo failed"},
    {kBadInput, "bad usage or a bad input file (nothing is sent), or output that cannot be "
                "written (standard output, --out, --log)"},
    {kPortTrouble, "the port could not be opened, or was lost during the command"},
    {kNoAnswer, "no answer after all retries"},
    {kStopped, "batch: stopped by SIGINT or SIGTERM before the --count servos were done"},
};

} // namespace ExitStatus

#endif
