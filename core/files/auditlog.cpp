#include "files/auditlog.h"

#include "files/filesaver.h"
#include "files/parameterfile.h"

#include <QCryptographicHash>
#include <QUuid>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Whether the data written so far is on the disk.
bool synced(int fd)
{
#ifdef Q_OS_WIN
    return ::_commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// Cuts the file back to `size` bytes.
bool cutBack(int fd, qint64 size)
{
#ifdef Q_OS_WIN
    return ::_chsize_s(fd, size) == 0;
#else
    return ::ftruncate(fd, off_t(size)) == 0;
#endif
}

void appendValues(QStringList *fields, const std::optional<ParameterSet> &values)
{
    for (const ParameterInfo &param : kParameters)
        fields->append(values ? QString::number(values->value(param.id)) : QString());
}

// Whether a spreadsheet would take a cell that begins with `text` for a
// formula; the apostrophe that guards one is guarded too, so that every
// field reads back as it was written.
bool needsGuard(const QString &text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r'");
    return !text.isEmpty() && kFormulaStarts.contains(text.at(0));
}

// Rows are a few hundred bytes; a line longer than this is no row.
constexpr qint64 kLongestLine = 64 * 1024;

} // namespace

AuditLog::Run AuditLog::Run::begin(const QString &station, const QString &recipePath,
                                   const ParameterSet &wanted, const QString &operatorName,
                                   const QString &software)
{
    const QByteArray line = ParameterFile::lineOf(wanted).toUtf8();
    return {station,
            QUuid::createUuid().toString(QUuid::WithoutBraces),
            QFileInfo(recipePath).fileName(),
            QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex()),
            operatorName,
            software};
}

QStringList AuditLog::header()
{
    QStringList names = {QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("number"),
                         QStringLiteral("result")};
    for (const char *when : {"before", "after"}) {
        for (const ParameterInfo &param : kParameters)
            names.append(
                QStringLiteral("%1_%2").arg(QLatin1String(when), QLatin1String(param.name)));
    }
    return names << QStringLiteral("label") << QStringLiteral("station") << QStringLiteral("run")
                 << QStringLiteral("recipe_file") << QStringLiteral("recipe_sha256")
                 << QStringLiteral("operator") << QStringLiteral("software")
                 << QStringLiteral("recorded_at") << QStringLiteral("label_checked")
                 << QStringLiteral("failed_fields");
}

bool AuditLog::append(const Row &row, QString *reason)
{
    QStringList fields = {row.time.toOffsetFromUtc(row.time.offsetFromUtc()).toString(Qt::ISODate),
                          field(row.port), QString::number(row.number),
                          row.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL")};
    appendValues(&fields, row.before);
    appendValues(&fields, row.after);
    for (const QString &text : {row.label, row.run.station, row.run.id, row.run.recipeFile,
                                row.run.recipeSha256, row.run.operatorName, row.run.software})
        fields.append(field(text));
    fields << row.recordedAt.toUTC().toString(Qt::ISODateWithMs) << field(row.labelChecked)
           << field(row.failedFields.join(QLatin1Char(' ')));
    return appendLine(fields, reason);
}

QVector<int> AuditLog::columnsOf(const QStringList &header)
{
    // A row appended to a log of an earlier version has the columns its
    // header lacks, by today's names.
    const QStringList today = AuditLog::header();
    const QStringList names = today.mid(0, int(header.size())) == header ? today : header;
    QVector<int> columns;
    for (const QString &name : today)
        columns.append(int(names.indexOf(name)));
    return columns;
}

std::optional<AuditLog::Row> AuditLog::rowOf(const QStringList &header, const QStringList &fields)
{
    return rowOf(columnsOf(header), fields);
}

std::optional<AuditLog::Row> AuditLog::rowOf(const QVector<int> &columns, const QStringList &fields)
{
    // Today's columns, in order (header()).
    enum Column
    {
        Time,
        Port,
        Number,
        Result,
        Before,
        After = Before + int(kParameterCount),
        Label = After + int(kParameterCount),
        Station,
        Run,
        RecipeFile,
        RecipeSha256,
        Operator,
        Software,
        RecordedAt,
        LabelChecked,
        FailedFields
    };
    const auto value = [&](int column) {
        return fields.value(columns.value(column, -1));
    };
    const auto values = [&](int first, ParameterSet *set) {
        for (const ParameterInfo &param : kParameters) {
            bool ok = false;
            set->setValue(param.id, value(first + int(indexOf(param.id))).toInt(&ok));
            if (!ok)
                return false;
        }
        return true;
    };
    Row row;
    bool ok = false;
    row.number = value(Number).toInt(&ok);
    const QString result = value(Result);
    if (!ok || (result != QLatin1String("PASS") && result != QLatin1String("FAIL")) ||
        !values(Before, &row.before))
        return std::nullopt;
    row.time = QDateTime::fromString(value(Time), Qt::ISODate);
    if (!row.time.isValid())
        return std::nullopt;
    row.passed = result == QLatin1String("PASS");
    ParameterSet after;
    if (values(After, &after))
        row.after = after;
    row.port = value(Port);
    row.label = value(Label);
    row.run = {value(Station),      value(Run),      value(RecipeFile),
               value(RecipeSha256), value(Operator), value(Software)};
    row.recordedAt = QDateTime::fromString(value(RecordedAt), Qt::ISODateWithMs);
    row.labelChecked = value(LabelChecked);
    row.failedFields = value(FailedFields).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return row;
}

QStringList AuditLog::fieldsOf(const QString &text)
{
    int end = int(text.size());
    while (end > 0 &&
           (text.at(end - 1) == QLatin1Char('\n') || text.at(end - 1) == QLatin1Char('\r')))
        --end;
    QStringList fields;
    int i = 0;
    for (;;) {
        QString field;
        if (i < end && text.at(i) == QLatin1Char('"')) {
            // Quoted: a doubled quote stands for one.
            for (++i; i < end; ++i) {
                if (text.at(i) == QLatin1Char('"') && i + 1 < end &&
                    text.at(i + 1) == QLatin1Char('"'))
                    field += text.at(++i);
                else if (text.at(i) == QLatin1Char('"'))
                    break;
                else
                    field += text.at(i);
            }
            ++i; // the closing quote
            const int comma = int(text.indexOf(QLatin1Char(','), qMin(i, end)));
            field +=
                text.mid(qMin(i, end), (comma < 0 || comma > end ? end : comma) - qMin(i, end));
            i = comma < 0 || comma >= end ? end + 1 : comma + 1;
        } else {
            const int comma = int(text.indexOf(QLatin1Char(','), i));
            const int stop = comma < 0 || comma >= end ? end : comma;
            field = text.mid(i, stop - i);
            i = stop + 1;
        }
        if (field.startsWith(QLatin1Char('\'')) && needsGuard(field.mid(1)))
            field.remove(0, 1);
        fields.append(field);
        if (i > end)
            return fields;
    }
}

AuditLog::Contents AuditLog::contentsOf(const QString &path)
{
    Contents contents;
    forEachRow(path, [&contents](const Row &row) {
        contents.lastNumber = qMax(contents.lastNumber, row.number);
        if (row.passed && !row.label.isEmpty())
            contents.passedLabels.insert(row.label);
    });
    return contents;
}

bool AuditLog::forEachRow(const QString &path, const std::function<void(const Row &)> &take)
{
    QFile file(path);
    // Only a regular file holds rows: a FIFO would wait for a writer, and a
    // device gives nothing back that was written to it.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const auto nextLine = [&file] {
        QByteArray line = file.readLine(kLongestLine);
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Longer than a row may be: the rest of it is passed over too.
            while (!file.atEnd() && !file.readLine(kLongestLine).endsWith('\n')) {
            }
            return QStringList();
        }
        return fieldsOf(QString::fromUtf8(line));
    };
    const QVector<int> columns = columnsOf(nextLine());
    while (!file.atEnd()) {
        if (const std::optional<Row> row = rowOf(columns, nextLine()))
            take(*row);
    }
    return true;
}

bool AuditLog::sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat first = {}, second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#else
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() &&
           canonical.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

AuditLog::~AuditLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString AuditLog::field(const QString &text)
{
    const QString guarded = needsGuard(text) ? QLatin1Char('\'') + text : text;
    if (!guarded.contains(QLatin1Char(',')) && !guarded.contains(QLatin1Char('"')) &&
        !guarded.contains(QLatin1Char('\n')) && !guarded.contains(QLatin1Char('\r')))
        return guarded;
    QString quoted = guarded;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool AuditLog::open(const QString &path, QString *reason)
{
    int flags = O_WRONLY | O_APPEND | O_CREAT;
#ifdef Q_OS_WIN
    flags |= O_BINARY;
#else
    flags |= O_CLOEXEC | O_NOCTTY;
#endif
    m_fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (m_fd < 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    struct stat info = {};
    if (::fstat(m_fd, &info) != 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    m_regular = S_ISREG(info.st_mode);
    // A file that holds rows already gets more rows, not a second header.
    if (m_regular && info.st_size > 0)
        return true;
    return appendLine(header(), reason);
}

bool AuditLog::appendLine(const QStringList &fields, QString *reason)
{
    const QByteArray row = fields.join(QLatin1Char(',')).toUtf8() + '\n';
    struct stat before = {};
    if (m_regular && ::fstat(m_fd, &before) != 0) {
        *reason = FileSaver::reason(errno);
        return false;
    }
    if (FileSaver::writeAll(m_fd, row) && (!m_regular || synced(m_fd)))
        return true;
    *reason = FileSaver::reason(errno);
    if (m_regular && !cutBack(m_fd, before.st_size))
        *reason += QStringLiteral("; and the part written could not be taken back: %1")
                       .arg(FileSaver::reason(errno));
    return false;
}
