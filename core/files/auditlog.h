#ifndef NIMBAL_AUDITLOG_H
#define NIMBAL_AUDITLOG_H

#include "model/parameterset.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

// The CSV log of servos set up one after another, by nimbalctl batch and
// the station alike: a header, then one row per servo, appended, with the
// settings it held before and the ones read back, so that no servo's
// original setup is ever lost and every result can be proven later.
//
// Columns: time, port, number, result, before_NAME x14, after_NAME x14,
// label (a servo's serial number, where a line asks for one), then what
// the line record keeps of each servo: station, run, recipe_file,
// recipe_sha256, operator, software, recorded_at (UTC, with milliseconds),
// label_checked (line, local, or empty without a label) and failed_fields
// (the names of the fields read back wrong). Columns are only ever added
// at the end, so readers of earlier logs read the same column by column,
// and rows appended to an earlier log are read by today's names.
//
// A spreadsheet takes a cell that begins with =, +, - or @ (or a tab or a
// carriage return before one) for a formula and runs it; quality engineers
// open these logs in spreadsheets. So a text field that begins with one of
// them, or with the apostrophe that marks such a field, is written with a
// leading apostrophe, which the log's own reader takes off again. Numbers,
// times, PASS and FAIL are never changed.
//
// Each row is written at once, checked, and is on disk before the servo's
// result is shown, so a run that is killed keeps the row of every servo it
// reported. A row that cannot be written whole is cut back off a regular
// file, so the log never holds half a row. A FIFO or a device (/dev/null)
// is written to as it is.
class AuditLog
{
public:
    // What is the same on every row of a run of the production loop.
    struct Run
    {
        QString station;      // the station's name
        QString id;           // new at each start
        QString recipeFile;   // the parameter file's name
        QString recipeSha256; // of its line as written to the servo, in hex
        QString operatorName; // may be empty
        QString software;     // "nimbalctl 1.4.0"

        // A new run of `station`, setting servos up with `wanted` from the
        // parameter file at `recipePath`.
        static Run begin(const QString &station, const QString &recipePath,
                         const ParameterSet &wanted, const QString &operatorName,
                         const QString &software);
    };

    struct Row
    {
        QDateTime time;
        QString port;
        int number = 0;
        bool passed = false;
        ParameterSet before;
        std::optional<ParameterSet> after; // none when nothing was read back
        QString label;
        Run run;
        QDateTime recordedAt;     // UTC
        QString labelChecked;     // "line", "local", or empty without a label
        QStringList failedFields; // parameter names
    };

    AuditLog() = default;
    ~AuditLog();
    AuditLog(const AuditLog &) = delete;
    AuditLog &operator=(const AuditLog &) = delete;

    // Opens `path` for appending and writes the header unless the file
    // holds rows already. False with the system's reason when it cannot.
    bool open(const QString &path, QString *reason);
    bool isOpen() const { return m_fd >= 0; }
    // Appends one row; false with the system's reason when it is not whole
    // on disk (and then it is not in the file at all).
    bool append(const Row &row, QString *reason);

    static QStringList header();
    // A text field of a row: with a leading apostrophe where a spreadsheet
    // would take it for a formula, and quoted when it holds a comma, a
    // quote or a line end.
    static QString field(const QString &text);
    // The text a field of a row stands for: quotes and the formula guard
    // taken off.
    static QStringList fieldsOf(const QString &line);
    // The row that `fields` of a line hold under the log's `header`; none
    // when they are not a row (too few fields, a number or a time that is
    // not one).
    static std::optional<Row> rowOf(const QStringList &header, const QStringList &fields);
    // The same, with the positions of today's columns in a log's fields,
    // as columnsOf() finds them in its header once for all its rows.
    static QVector<int> columnsOf(const QStringList &header);
    static std::optional<Row> rowOf(const QVector<int> &columns, const QStringList &fields);

    // What a run that appends to an existing log must know of it.
    struct Contents
    {
        QSet<QString> passedLabels; // of the servos logged as PASS
        int lastNumber = 0;         // the highest servo number; 0: none
    };
    // Reads the log at `path`; nothing found where it does not exist or has
    // no header.
    static Contents contentsOf(const QString &path);
    // Gives each row of the log at `path` to `take`, in order; a line that
    // is no row, or longer than any row may be, is passed over. False when
    // it is not a regular file that can be read.
    static bool forEachRow(const QString &path, const std::function<void(const Row &)> &take);

    // Whether the two paths name one file: the same device and inode (so a
    // link or another path to it counts), or where the system has none, the
    // same canonical path. False when either does not exist.
    static bool sameFile(const QString &a, const QString &b);

private:
    bool appendLine(const QStringList &fields, QString *reason);

    int m_fd = -1;
    bool m_regular = false;
};

#endif
