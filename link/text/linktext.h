#ifndef NIMBAL_LINKTEXT_H
#define NIMBAL_LINKTEXT_H

#include "doctor/linefinding.h"
#include "model/parameterset.h"
#include "port/portproblem.h"
#include "servo/servoclient.h"
#include "servo/servosetup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QLocale;

// The words for what the serial link found, once for every front end:
// why a port does not open and what to do about it, what came back on the
// line instead of an answer and its usual cause, and what became of a
// servo's set-up. Translatable: nimbalctl speaks English, the station the
// language of its user.
class LinkText
{
    Q_DECLARE_TR_FUNCTIONS(LinkText)

public:
    // Installs the link's words in the language of `locale`, over English
    // (which gives the plural forms: "1 attempt", "3 attempts"); false when
    // there is no translation into that language.
    static bool installTranslation(const QLocale &locale);

    // The system's reason why a port would not open, and what to do about
    // it: the group to join, the program that holds it, the adapter to
    // plug in.
    static QString openProblem(const PortProblem &problem);
    // "cannot open: " and the same.
    static QString cannotOpen(const PortProblem &problem);
    // "port lost: " and the port's own reason.
    static QString portLost(const QString &reason);

    // What came back instead of an answer, in a few words: "nothing came
    // back", "only the request's echo came back", ...
    static QString finding(const LineFinding &finding);
    // What usually causes it, and what to do.
    static QString cause(LineFinding::Kind kind);

    // No answer to the request of `step`, and what came back instead.
    static QString noAnswer(const ServoClient::Reply &reply, ServoSetUp::Result::Step step,
                            int timeoutMs);
    // What went wrong in setting a servo up: "Neutral Point: wanted 1520,
    // servo 1500" for each field that differs, or the one reason its
    // setting is unknown; none when it passed.
    static QStringList problems(const ServoSetUp::Result &result, int timeoutMs);

    // A run's servos: "3 servos: 2 passed, 1 failed".
    static QString totals(int done, int passed, int failed);

    // A value as a person reads it: the number, or "on"/"off".
    static QString valueText(Parameter id, int value);
    // Bytes as a person reads them: "55 00 1F ...".
    static QString hex(const QByteArray &bytes);
};

#endif
