#include "files/auditlogwriter.h"

AuditLogWriter::AuditLogWriter(QObject *parent)
    : QObject(parent), m_thread(QStringLiteral("audit log"))
{}

// The thread, a member, writes the rows still waiting before it ends.
AuditLogWriter::~AuditLogWriter() = default;

bool AuditLogWriter::open(const QString &path, QString *reason)
{
    // Before any row is queued, so the writer's thread sees it opened.
    m_open = m_log.open(path, reason);
    return m_open;
}

void AuditLogWriter::append(const AuditLog::Row &row)
{
    // The writer's thread ends before this object does, and a call queued
    // to an object that has gone is dropped.
    m_thread.post([this, row] {
        QString reason;
        const bool written = m_log.append(row, &reason);
        QMetaObject::invokeMethod(
            this, [this, written, reason] { emit appended(written, reason); },
            Qt::QueuedConnection);
    });
}
