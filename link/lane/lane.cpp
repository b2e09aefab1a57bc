#include "lane/lane.h"


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
                if (kind != FrameReceiver::AnswerKind::ReadAnswer)
                    return;
                if (m_state == State::WaitingForServo)
                    found(values);
                else if (m_state == State::WaitingUntilGone)
                    m_sinceAnswer.restart();
            });
    connect(m_setUp, &ServoSetUp::finished, this, &Lane::conclude);
    connect(m_client, &ServoClient::portLost, this, [this](const QString &reason) {
        emit portLost(reason);
        // A servo being set up is concluded by its exchange's reply.
        if (m_state != State::SettingUp)
            lost();
    });
}

bool Lane::open()
{
    ++m_openAttempts;
    if (m_client->isOpen() || m_client->open(m_settings.port))
        return true;
    m_openProblem = m_client->openProblem();
    return false;
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
    m_setUp->start(m_servo);
}

void Lane::enter(State state)
{
    m_state = state;
    m_timer->stop();
    if (state == State::AdapterGone) {
        m_timer->start(kReopenIntervalMs);
    } else if (state == State::WaitingForServo || state == State::WaitingUntilGone) {
        m_sinceAnswer.start();
        m_timer->start(kProbeIntervalMs);
    }
    emit stateChanged(state);
    // The first read request goes out at once (unless a slot of
    // stateChanged() has moved the lane on).
    const bool probing = state == State::WaitingForServo || state == State::WaitingUntilGone;
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
    case State::WaitingForLabel:
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
    enter(m_settings.labels ? State::WaitingForLabel : State::SettingUp);
    if (m_state == State::SettingUp)
        m_setUp->start(m_servo);
}

void Lane::conclude(const Result &result)
{
    (result.passed() ? m_passed : m_failed) += 1;
    emit servoDone(result);
    if (result.outcome == Result::Outcome::PortLost) {
        lost();
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
