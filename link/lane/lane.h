#ifndef NIMBAL_LANE_H
#define NIMBAL_LANE_H

#include "model/parameterset.h"
#include "nimbaldefaults.h"
#include "port/portproblem.h"
#include "servo/servoclient.h"
#include "servo/servosetup.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class QTimer;

// One port's production loop, servo after servo, as a state machine driven
// by the event loop: it waits for a servo (a read request every 250 ms),
// sets it up (write, read back, compare every field), gives its verdict,
// and waits until the servo is gone (no answer for a second) before it
// waits for the next. While it waits, an answer that holds other values
// than the servo was left with is another servo, swapped in faster than a
// second: it is set up at once. A servo left plugged in is set up once,
// however long it stays. When the adapter goes away it tries to open the
// port again every second and carries on from waiting for a servo when it
// is back, its counts kept. It never waits in a loop of its own, so any
// number of lanes, and a window, share one thread.
class Lane : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Stopped,
        AdapterGone,      // the port is not there, or does not open: it is tried every second
        WaitingForServo,  // read requests, until a servo answers
        WaitingForLabel,  // a servo answered; it is asked on while its label is awaited
        SettingUp,        // writing, then reading back, then the servo's row logged
        WaitingUntilGone, // the verdict is in; the servo should be unplugged
    };

    struct Settings
    {
        QString port;
        ParameterSet wanted;
        int timeoutMs = ServoClient::kDefaultTimeoutMs;
        int retries = ServoClient::kDefaultRetries;
        bool labels = false; // each servo waits for setLabel() before it is set up
    };

    using Result = ServoSetUp::Result;

    static constexpr int kProbeIntervalMs = NIMBAL_PROBE_INTERVAL_MS;
    static constexpr int kGoneAfterMs = NIMBAL_GONE_AFTER_MS;
    static constexpr int kReopenIntervalMs = 1000;

    explicit Lane(const Settings &settings, QObject *parent = nullptr);

    // Opens the port; false, with adapterProblem() saying why, when it does
    // not open. start() opens it too where it is not open yet.
    bool open();
    // Why the adapter is gone: the last reopen's problem, or the loss.
    PortProblem adapterProblem() const { return m_adapterProblem; }
    // Starts the loop; a port that does not open is tried every second.
    void start();
    // Ends the loop; a servo being set up is finished first.
    void stop();
    // The label of the servo that waits for one: what it holds is read
    // again, and it is set up.
    void setLabel(const QString &label);
    // Asked before each servo is set up; when it says no, the lane stops
    // instead (a count of servos reached elsewhere).
    void setAdmission(std::function<bool()> mayStart) { m_mayStart = std::move(mayStart); }
    // Where each servo's result goes before its verdict is told: with a
    // recorder, the lane waits in SettingUp until recorded() is called.
    void setRecorder(std::function<void(const Result &)> record) { m_record = std::move(record); }
    // The result given to the recorder is on the record: the verdict is told.
    void recorded();

    State state() const { return m_state; }
    QString port() const { return m_settings.port; }
    // The label of the servo on the lane now, once it has been given one.
    QString label() const { return m_servo.label; }
    int passed() const { return m_passed; }
    int failed() const { return m_failed; }
    // Times the port was opened, or tried.
    int openAttempts() const { return m_openAttempts; }
    ServoClient &client() { return *m_client; }

signals:
    void stateChanged(Lane::State state);
    // The adapter is gone, or a reopen failed for another reason than before.
    void adapterProblemChanged(const PortProblem &problem);
    // A servo's verdict, once it is on the record.
    void servoDone(const ServoSetUp::Result &result);
    void portLost(const QString &reason);
    void stopped();

private:
    void enter(State state);
    void tick();
    void answered(const ParameterSet &values);
    void found(const ParameterSet &before);
    void conclude(const Result &result);
    void lost();
    void setAdapterProblem(const PortProblem &problem);

    Settings m_settings;
    ServoClient *m_client;
    ServoSetUp *m_setUp;
    QTimer *m_timer;
    State m_state = State::Stopped;
    bool m_stopping = false;
    std::function<bool()> m_mayStart;
    std::function<void(const Result &)> m_record;
    PortProblem m_adapterProblem;
    int m_openAttempts = 0;
    QElapsedTimer m_sinceAnswer;
    Result m_servo;           // the servo found, and once set up, its result
    ParameterSet m_known;     // what the servo on the lane was last known to hold
    bool m_recording = false; // set up, and waiting for recorded()
    int m_passed = 0;
    int m_failed = 0;
};

#endif
