#include "files/auditlogwriter.h"

#include <QThread>

AuditLogWriter::AuditLogWriter(QObject *parent)
    : QObject(parent), m_thread(new QThread(this)), m_worker(new QObject)
{
    m_thread->setObjectName(QStringLiteral("audit log"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

AuditLogWriter::~AuditLogWriter()
{
    // Queued after every row given, so those are written first.
    QMetaObject::invokeMethod(
        m_worker, [thread = m_thread] { thread->quit(); }, Qt::QueuedConnection);
    m_thread->wait();
}

bool AuditLogWriter::open(const QString &path, QString *reason)
{
    // Before any row is queued, so the writer's thread sees it opened.
    m_open = m_log.open(path, reason);
    return m_open;
}

void AuditLogWriter::append(const AuditLog::Row &row)
{
    // The writer's thread ends before this object does (see the
    // destructor), and a call queued to an object that has gone is dropped.
    QMetaObject::invokeMethod(
        m_worker,
        [this, row] {
            QString reason;
            const bool written = m_log.append(row, &reason);
            QMetaObject::invokeMethod(
                this, [this, written, reason] { emit appended(written, reason); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
