#include "thread/workthread.h"

#include <QThread>

WorkThread::WorkThread(const QString &name) : m_thread(new QThread), m_context(new QObject)
{
    m_thread->setObjectName(name);
    m_context->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread->start();
}

WorkThread::~WorkThread()
{
    // Queued after everything posted, so that runs first.
    post([thread = m_thread] { thread->quit(); });
    m_thread->wait();
    delete m_thread;
}
