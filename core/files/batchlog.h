#ifndef NIMBAL_BATCHLOG_H
#define NIMBAL_BATCHLOG_H

#include <QString>
#include <QStringList>

// The CSV log of a production run (nimbalctl batch): a header, then one
// row per servo, appended. Each row is written at once, checked, and is on
// disk before the servo's result is shown, so a run that is killed keeps
// the row of every servo it reported. A row that cannot be written whole is cut back off a regular
// file, so the log never holds half a row. A FIFO or a device (/dev/null)
// is written to as it is.
class BatchLog
{
public:
    BatchLog() = default;
    ~BatchLog();
    BatchLog(const BatchLog &) = delete;
    BatchLog &operator=(const BatchLog &) = delete;

    // Opens `path` for appending and writes `header` unless the file holds
    // rows already. False with the system's reason when it cannot.
    bool open(const QString &path, const QStringList &header, QString *reason);
    bool isOpen() const { return m_fd >= 0; }
    // Appends one row; false with the system's reason when it is not whole
    // on disk (and then it is not in the file at all).
    bool append(const QStringList &fields, QString *reason);

    // A CSV field: quoted when it holds a comma, a quote or a line end.
    static QString field(const QString &text);

private:
    int m_fd = -1;
    bool m_regular = false;
};

#endif
