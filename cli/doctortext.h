#ifndef NIMBAL_LINKTEXT_H
#define NIMBAL_LINKTEXT_H

#include "doctor/linefinding.h"
#include "doctor/portdoctor.h"
#include "port/portproblem.h"
#include "servo/servosetup.h"

#include <QString>
#include <QStringList>

// What the serial link found, in nimbalctl's words: why a port does not
// open, what came back on the line instead of an answer, and the doctor's
// checks with what to do about each problem.
namespace LinkText {

// The system's reason why a port would not open, and what to do about it.
QString openProblem(const PortProblem &problem);
// "cannot open: " and the same.
QString cannotOpen(const PortProblem &problem);

// What came back instead of an answer, in a few words: "nothing came back",
// "only the request's echo came back", ...
QString finding(const LineFinding &finding);

// No answer to `request` ("read", "write", "read-back"), and what came
// back instead.
QString noAnswer(const ServoClient::Reply &reply, const char *request, int timeoutMs);

// What went wrong in setting a servo up: "Neutral Point: wanted 1520, servo
// 1500" for each field that differs, or the one reason its setting is
// unknown ("no answer to the write request after ...", "port lost during
// the read-back"); none when it passed.
QStringList problems(const ServoSetUp::Result &result, int timeoutMs);

// One line per check the doctor made, "NAME: ok" or the problem and what to
// do about it; and the same as one JSON object, for a support request.
QStringList doctorLines(const PortDoctor::Result &result);
QString doctorJson(const PortDoctor::Result &result, int status);

} // namespace LinkText

#endif
