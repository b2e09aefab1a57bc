#ifndef NIMBAL_EXITSTATUS_H
#define NIMBAL_EXITSTATUS_H

// nimbalctl's exit status, as its help and manual page document it.
namespace ExitStatus {
inline constexpr int kSuccess = 0;
// A verification mismatch, differences found by diff, or a servo of a batch
// that failed.
inline constexpr int kDifferent = 1;
// Bad usage, or a bad input file (nothing is sent then); or output that
// could not be written (standard output, --out, --log).
inline constexpr int kBadInput = 2;
// The port could not be opened, or was lost during the command.
inline constexpr int kPortTrouble = 3;
// No answer after all retries.
inline constexpr int kNoAnswer = 4;
// batch: stopped by SIGINT or SIGTERM before the servos asked for with
// --count were done.
inline constexpr int kStopped = 5;
} // namespace ExitStatus

#endif
