#include "servo/servosetup.h"

ServoSetUp::ServoSetUp(ServoClient *client, QObject *parent) : QObject(parent), m_client(client)
{
    connect(client, &ServoClient::replied, this, &ServoSetUp::replied);
}

void ServoSetUp::start(const Result &result, bool verify, bool readFirst)
{
    m_result = result;
    m_result.step = readFirst ? Result::Step::Read : Result::Step::Write;
    m_result.after.reset();
    m_result.differing.clear();
    m_verify = verify;
    m_running = true;
    if (readFirst)
        m_client->startRead();
    else
        m_client->startWrite(m_result.wanted);
}

void ServoSetUp::replied(const ServoClient::Reply &reply)
{
    if (!m_running)
        return;
    using Outcome = Result::Outcome;
    if (reply.outcome == ServoClient::Outcome::NoAnswer)
        return finish(Outcome::NoAnswer, reply);
    if (reply.outcome == ServoClient::Outcome::PortLost)
        return finish(Outcome::PortLost, reply);
    if (m_result.step == Result::Step::Read) {
        m_result.before = reply.values;
        m_result.step = Result::Step::Write;
        return m_client->startWrite(m_result.wanted);
    }
    if (m_result.step == Result::Step::Write && m_verify) {
        m_result.step = Result::Step::ReadBack;
        return m_client->startRead();
    }
    if (m_result.step == Result::Step::ReadBack) {
        m_result.after = reply.values;
        m_result.differing = m_result.wanted.differingFrom(reply.values);
    }
    finish(m_result.differing.isEmpty() ? Outcome::Passed : Outcome::Mismatch, reply);
}

void ServoSetUp::finish(Result::Outcome outcome, const ServoClient::Reply &reply)
{
    m_running = false;
    m_result.outcome = outcome;
    m_result.reply = reply;
    emit finished(m_result);
}
