#ifndef NIMBAL_LABELCHECK_H
#define NIMBAL_LABELCHECK_H

#include <QString>

#include <functional>

// Whether a scanned label has passed on any station of the line: the
// production loop asks when the label is scanned, and the line's record
// answers, within the timeout, from its database. While the database is
// away the answer is Unknown, and only the station's own log was asked.
struct LabelCheck
{
    struct Answer
    {
        enum class Kind
        {
            Free,    // no station has passed it
            Passed,  // on `station`
            Unknown, // the line could not be asked: `why`
        };
        Kind kind = Kind::Unknown;
        QString station;
        QString why;
    };
    using Reply = std::function<void(const Answer &)>;
    // Asks about `label`; `reply` is called once, on the asker's thread.
    using Ask = std::function<void(const QString &label, const Reply &reply)>;
};

#endif
