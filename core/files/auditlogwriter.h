#ifndef NIMBAL_AUDITLOGWRITER_H
#define NIMBAL_AUDITLOGWRITER_H

#include "files/auditlog.h"
#include "thread/workthread.h"

#include <QObject>
#include <QString>

// The audit log written on a thread of its own. Each row is written and
// synced there, so a slow or network disk holds up neither the lanes'
// exchanges nor the window that shares their thread; appended() tells, in
// the order the rows were given, once each is on the disk (or why not), and
// only then may a front end show the servo's verdict.
class AuditLogWriter : public QObject
{
    Q_OBJECT

public:
    explicit AuditLogWriter(QObject *parent = nullptr);
    // Writes the rows still waiting, then ends its thread.
    ~AuditLogWriter() override;

    // Opens `path` as AuditLog::open() does, here and at once: false with
    // the system's reason.
    bool open(const QString &path, QString *reason);
    bool isOpen() const { return m_open; }

    // Appends `row` on the writer's thread; appended() tells how it went.
    void append(const AuditLog::Row &row);

signals:
    void appended(bool written, const QString &reason);

private:
    AuditLog m_log; // used on m_thread once it is open
    bool m_open = false;
    WorkThread m_thread; // ends, after the rows given, before the log is closed
};

#endif
