#include "lane/lane.h"

#include "text/linktext.h"

#include <QTimer>

Lane::Lane(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_client(new ServoClient(this)),
      m_setUp(new ServoSetUp(m_client, this)), m_timer(new QTimer(this))
{
    m_client->setTimeout(settings.timeoutMs);
    m_client->setRetries(settings.retries);
    connect(m_timer, &QTimer::timeout, this, &Lane::tick);
    connect(m_client, &ServoClient::answerSeen, this,
            [this](FrameReceiver::AnswerKind kind, const ParameterSet &values) {
                if (kind == FrameReceiver::AnswerKind::ReadAnswer)
                    answered(values);
            });
    connect(m_setUp, &ServoSetUp::finished, this, &Lane::conclude);
    connect(m_client, &ServoClient::portLost, this, [this](const QString &reason) {
        PortProblem problem;
        problem.systemReason = LinkText::portLost(reason);
        setAdapterProblem(problem);
        emit portLost(reason);
        // A servo being set up is concluded by its exchange's reply, and
        // one being logged once it is on the record.
        if (m_state != State::SettingUp)
            lost();
    });
}

bool Lane::open()
{
    ++m_openAttempts;
    if (m_client->isOpen() || m_client->open(m_settings.port))
        return true;
    setAdapterProblem(m_client->openProblem());
    return false;
}

void Lane::setAdapterProblem(const PortProblem &problem)
{
    if (problem == m_adapterProblem)
        return;
    m_adapterProblem = problem;
    emit adapterProblemChanged(problem);
}

void Lane::start()
{
    m_stopping = false;
    enter(open() ? State::WaitingForServo : State::AdapterGone);
}

void Lane::stop()
{
    if (m_state == State::SettingUp) {
        m_stopping = true;
        return;
    }
    if (m_state == State::Stopped)
        return;
    m_stopping = false;
    m_client->close();
    enter(State::Stopped);
    emit stopped();
}

void Lane::setLabel(const QString &label)
{
    if (m_state != State::WaitingForLabel)
        return;
    m_servo.label = label;
    enter(State::SettingUp);
    // The servo may have been swapped while its label was awaited: what it
    // holds before the write is read now, from the servo that is set up.
    m_setUp->start(m_servo, true, true);
}

void Lane::enter(State state)
{
    m_state = state;
    m_timer->stop();
    const bool probing = state == State::WaitingForServo || state == State::WaitingForLabel ||
                         state == State::WaitingUntilGone;
    if (state == State::AdapterGone) {
        m_timer->start(kReopenIntervalMs);
    } else if (probing) {
        m_sinceAnswer.start();
        m_timer->start(kProbeIntervalMs);
    }
    emit stateChanged(state);
    // The first read request goes out at once (unless a slot of
    // stateChanged() has moved the lane on).
    if (probing && m_state == state)
        tick();
}

void Lane::tick()
{
    switch (m_state) {
    case State::AdapterGone:
        if (open())
            enter(State::WaitingForServo);
        break;
    case State::WaitingForLabel:
    case State::WaitingUntilGone:
        // Gone when no answer came for a second, and for longer than a
        // slow servo may take to answer.
        if (m_sinceAnswer.elapsed() >=
            qMax(kGoneAfterMs, m_settings.timeoutMs + kProbeIntervalMs)) {
            enter(State::WaitingForServo);
            break;
        }
        m_client->sendProbe();
        break;
    case State::WaitingForServo:
        // Each request has the whole timeout to be answered: answers are
        // taken whenever they come, not only before the next request.
        m_client->sendProbe();
        break;
    case State::Stopped:
    case State::SettingUp:
        break;
    }
}

void Lane::answered(const ParameterSet &values)
{
    switch (m_state) {
    case State::WaitingForServo:
        found(values);
        break;
    case State::WaitingForLabel:
        m_sinceAnswer.restart();
        break;
    case State::WaitingUntilGone:
        // The servo just set up still answers with what it was left with;
        // anything else is another servo, swapped in within the second.
        if (values == m_known)
            m_sinceAnswer.restart();
        else
            found(values);
        break;
    case State::Stopped:
    case State::AdapterGone:
    case State::SettingUp:
        break;
    }
}

void Lane::found(const ParameterSet &before)
{
    m_servo = Result();
    m_servo.port = m_settings.port;
    m_servo.wanted = m_settings.wanted;
    m_servo.before = before;
    if (m_mayStart && !m_mayStart())
        return stop();
    if (m_settings.labels)
        return enter(State::WaitingForLabel);
    enter(State::SettingUp);
    if (m_state == State::SettingUp)
        m_setUp->start(m_servo);
}

void Lane::conclude(const Result &result)
{
    m_servo = result;
    // What a servo left plugged in answers with from now on.
    m_known = result.after.value_or(result.before);
    m_recording = true;
    if (m_record)
        m_record(result);
    else
        recorded();
}

void Lane::recorded()
{
    if (!m_recording)
        return;
    m_recording = false;
    (m_servo.passed() ? m_passed : m_failed) += 1;
    emit servoDone(m_servo);
    if (!m_client->isOpen()) {
        lost(); // during the set-up, or while it was logged
    } else if (m_stopping) {
        m_state = State::WaitingUntilGone; // not setting up any more: stop() ends it now
        stop();
    } else {
        enter(State::WaitingUntilGone);
    }
}

void Lane::lost()
{
    m_client->close();
    if (m_state == State::Stopped)
        return;
    if (!m_stopping)
        return enter(State::AdapterGone);
    m_state = State::AdapterGone; // nothing being set up any more: stop() ends it now
    stop();
}
