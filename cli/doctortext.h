#ifndef NIMBAL_DOCTORTEXT_H
#define NIMBAL_DOCTORTEXT_H

#include "doctor/portdoctor.h"

#include <QString>
#include <QStringList>

// The doctor's checks in nimbalctl's words: one line per check, "NAME: ok"
// or the problem and what to do about it, and the same as one JSON object,
// for a support request. What came back on the line and why a port does
// not open are said in the link's words (LinkText).
namespace DoctorText {

QStringList lines(const PortDoctor::Result &result);
QString json(const PortDoctor::Result &result, int status);

} // namespace DoctorText

#endif
