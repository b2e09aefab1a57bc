#include "files/parameterfile.h"

#include <QFile>
#include <QRegularExpression>
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

std::optional<LineProblem::Kind> checkField(const ParameterInfo &param, const QString &field,
                                            int *value)
{
    // Digits, and a minus sign so that a negative number is told apart
    // from text; no plus sign, no blanks, no other base. Anchored as a
    // whole: "$" alone would let a line end follow the digits.
    static const QRegularExpression decimal(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+")));
    if (!decimal.match(field).hasMatch())
        return LineProblem::Kind::NotDecimal;
    bool ok = false;
    *value = field.toInt(&ok, 10);
    if (!ok || *value < param.minimum || *value > param.maximum)
        return LineProblem::Kind::OutOfRange;
    return std::nullopt;
}

std::optional<ParameterSet> parseLineStrict(const QString &line, LineProblem *problem)
{
    if (line.isEmpty()) {
        *problem = {LineProblem::Kind::Empty, 0, QString(), 0};
        return std::nullopt;
    }
    const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() != int(kParameterCount)) {
        *problem = {LineProblem::Kind::FieldCount, 0, QString(), int(fields.size())};
        return std::nullopt;
    }
    ParameterSet values;
    for (const ParameterInfo &param : kParameters) {
        const int position = int(indexOf(param.id)) + 1;
        const QString &field = fields.at(position - 1);
        int value = 0;
        if (const auto kind = checkField(param, field, &value)) {
            *problem = {*kind, position, field, int(fields.size())};
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

std::optional<FileSaver::Problem> save(const QString &fileName, const QString &line)
{
    return FileSaver::save(fileName, line.toLocal8Bit());
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
