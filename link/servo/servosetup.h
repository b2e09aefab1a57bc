#ifndef NIMBAL_SERVOSETUP_H
#define NIMBAL_SERVOSETUP_H

#include "model/parameterset.h"
#include "servo/servoclient.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

// Setting a servo up, the one way every front end does it: write the
// values, wait for the write answer, read back and compare every field;
// where what the servo held may have changed since it was last asked (a
// lane that waited for a label), read it first. Driven by the event loop;
// finished() tells the result.
class ServoSetUp : public QObject
{
    Q_OBJECT

public:
    // What became of one servo.
    struct Result
    {
        enum class Outcome
        {
            Passed,
            Mismatch, // read back, but `differing` fields do not hold what was written
            NoAnswer, // at `step`: `reply` says what came back instead
            PortLost, // at `step`
        };
        enum class Step
        {
            Read, // what it holds, before the write
            Write,
            ReadBack,
        };

        QString port;
        QString label;
        ParameterSet wanted;
        ParameterSet before;               // what it held, where it was read first
        std::optional<ParameterSet> after; // what was read back
        Outcome outcome = Outcome::Passed;
        Step step = Step::Write;
        QVector<Parameter> differing;
        ServoClient::Reply reply; // of the step that failed

        bool passed() const { return outcome == Outcome::Passed; }
    };

    explicit ServoSetUp(ServoClient *client, QObject *parent = nullptr);

    // Writes `result.wanted` and, with `verify`, reads back and compares;
    // the rest of `result` (port, label, before) is handed on as it is,
    // but for `before`, which with `readFirst` is read from the servo.
    void start(const Result &result, bool verify = true, bool readFirst = false);
    bool isRunning() const { return m_running; }

signals:
    void finished(const ServoSetUp::Result &result);

private:
    void replied(const ServoClient::Reply &reply);
    void finish(Result::Outcome outcome, const ServoClient::Reply &reply);

    ServoClient *m_client;
    Result m_result;
    bool m_verify = true;
    bool m_running = false;
};

Q_DECLARE_METATYPE(ServoSetUp::Result)

#endif
