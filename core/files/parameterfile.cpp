#include "files/parameterfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

namespace ParameterFile {

QString formatLine(const QStringList &fields)
{
    return fields.join(QLatin1Char(','));
}

QString lineOf(const ParameterSet &values)
{
    QStringList fields;
    for (const ParameterInfo &param : kParameters)
        fields.append(QString::number(isSwitch(param.id) ? int(values.isOn(param.id))
                                                         : values.value(param.id)));
    return formatLine(fields);
}

namespace {

QString allowedValues(const ParameterInfo &param)
{
    if (isSwitch(param.id))
        return QStringLiteral("0 or 1");
    return QStringLiteral("%1 to %2").arg(param.minimum).arg(param.maximum);
}

// Checks one field; an empty string when it is fit.
QString fieldProblem(const ParameterInfo &param, const QString &field, int *value)
{
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+$"));
    const QString head = QStringLiteral("field %1 (%2) is \"%3\", ")
                             .arg(indexOf(param.id) + 1)
                             .arg(QLatin1String(param.caption), field);
    if (!decimal.match(field).hasMatch())
        return head + QStringLiteral("not a decimal integer (%1)").arg(allowedValues(param));
    bool ok = false;
    *value = field.toInt(&ok, 10);
    if (!ok || *value < param.minimum || *value > param.maximum)
        return head + (isSwitch(param.id) ? QStringLiteral("not 0 or 1")
                                          : QStringLiteral("outside %1").arg(allowedValues(param)));
    return QString();
}

} // namespace

std::optional<ParameterSet> parseLineStrict(const QString &line, LineProblem *problem)
{
    const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() < int(kParameterCount)) {
        const QString count = fields.size() == 1 ? QStringLiteral("1 field")
                                                 : QStringLiteral("%1 fields").arg(fields.size());
        *problem = {0, QStringLiteral("has %1, not %2").arg(count).arg(kParameterCount)};
        return std::nullopt;
    }
    ParameterSet values;
    for (const ParameterInfo &param : kParameters) {
        int value = 0;
        const QString reason = fieldProblem(param, fields.at(int(indexOf(param.id))), &value);
        if (!reason.isEmpty()) {
            *problem = {int(indexOf(param.id)) + 1, reason};
            return std::nullopt;
        }
        values.setValue(param.id, value);
    }
    return values;
}

std::optional<ParameterSet> parseLine(const QString &line)
{
    // Empty fields keep their place, so each value stays at its position.
    const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() < int(kParameterCount))
        return std::nullopt;
    ParameterSet values;
    for (const ParameterInfo &param : kParameters)
        values.setValue(param.id, fields.at(int(indexOf(param.id))).toInt(nullptr, 10));
    return values;
}

bool save(const QString &fileName, const QString &line, QString *error)
{
    QSaveFile file(fileName);
    const auto fail = [&] {
        if (error)
            *error = file.errorString();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail();
    QTextStream out(&file);
    out << line;
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return fail();
    }
    return file.commit() || fail();
}

std::optional<QString> readFirstLine(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QTextStream in(&file);
    return in.readLine(kMaximumLineLength);
}

} // namespace ParameterFile
