#include "parameterformat.h"

#include "text/linktext.h"

#include "console.h"
#include "files/parameterfile.h"

namespace {

// A range as a table column shows it: "0..255", "off/on".
QString rangeColumn(const ParameterInfo &param)
{
    if (isSwitch(param.id))
        return QStringLiteral("off/on");
    return QStringLiteral("%1..%2").arg(param.minimum).arg(param.maximum);
}

// A switch's value as a person may write it; nothing for anything else.
std::optional<int> switchValue(const QString &text)
{
    const QString word = text.toLower();
    if (word == QLatin1String("on") || word == QLatin1String("true") || word == QLatin1String("1"))
        return 1;
    if (word == QLatin1String("off") || word == QLatin1String("false") ||
        word == QLatin1String("0"))
        return 0;
    return std::nullopt;
}

// A field as it is echoed, in quotes; a long one cut, with its length said.
QString quoted(const QString &field)
{
    constexpr int kShown = 24;
    if (field.size() <= kShown)
        return QLatin1Char('"') + field + QLatin1Char('"');
    return QStringLiteral("\"%1...\" (%2 characters)").arg(field.left(kShown)).arg(field.size());
}

// What is wrong with "NAME=VALUE"; empty when `id` and `value` hold it.
QString assignmentProblem(const QString &assignment, Parameter *id, int *value)
{
    const int equals = assignment.indexOf(QLatin1Char('='));
    if (equals < 0)
        return QStringLiteral("'%1' is not NAME=VALUE").arg(assignment);
    const QString name = assignment.left(equals);
    const QString text = assignment.mid(equals + 1);
    const std::optional<Parameter> named = parameterNamed(name);
    if (!named) {
        const std::optional<Parameter> meant = parameterNearest(name);
        return QStringLiteral("no parameter is called '%1'").arg(name) +
               (meant ? QStringLiteral("; did you mean %1?").arg(QLatin1String(infoOf(*meant).name))
                      : QString());
    }
    *id = *named;
    const ParameterInfo &param = infoOf(*id);
    if (isSwitch(*id)) {
        const std::optional<int> on = switchValue(text);
        *value = on.value_or(0);
        return on ? QString()
                  : QStringLiteral("%1 takes on/off, true/false or 1/0, not '%2'")
                        .arg(QLatin1String(param.caption), text);
    }
    // The strict rule of parameter files.
    if (ParameterFile::checkField(param, text, value))
        return QStringLiteral("%1 takes a whole number from %2, not '%3'")
            .arg(QLatin1String(param.caption), ParameterFormat::rangeText(param), text);
    return QString();
}

} // namespace

QString ParameterFormat::rangeText(const ParameterInfo &param)
{
    if (isSwitch(param.id))
        return QStringLiteral("0 or 1");
    return QStringLiteral("%1 to %2").arg(param.minimum).arg(param.maximum);
}

QString ParameterFormat::lineProblemText(const ParameterFile::LineProblem &problem)
{
    using Kind = ParameterFile::LineProblem::Kind;
    if (problem.kind == Kind::Empty)
        return QStringLiteral("is empty");
    if (problem.kind == Kind::FieldCount) {
        const QString count = problem.fieldCount == 1
                                  ? QStringLiteral("1 field")
                                  : QStringLiteral("%1 fields").arg(problem.fieldCount);
        return QStringLiteral("has %1, not %2").arg(count).arg(kParameterCount);
    }
    const ParameterInfo &param = kParameters[std::size_t(problem.position - 1)];
    const QString head = QStringLiteral("field %1 (%2) is %3, ")
                             .arg(problem.position)
                             .arg(QLatin1String(param.caption), quoted(problem.value));
    if (problem.kind == Kind::NotDecimal)
        return head + QStringLiteral("not a decimal integer (%1)").arg(rangeText(param));
    return head + (isSwitch(param.id) ? QStringLiteral("not ") : QStringLiteral("outside ")) +
           rangeText(param);
}

QString ParameterFormat::table(const ParameterSet &values)
{
    constexpr int kNameWidth = 24;
    constexpr int kValueWidth = 6;
    QString text = QStringLiteral("%1%2%3\n")
                       .arg(QStringLiteral("PARAMETER"), -kNameWidth)
                       .arg(QStringLiteral("VALUE"), kValueWidth)
                       .arg(QStringLiteral("  RANGE"));
    for (const ParameterInfo &param : kParameters) {
        text += QStringLiteral("%1%2  %3\n")
                    .arg(QLatin1String(param.caption), -kNameWidth)
                    .arg(LinkText::valueText(param.id, values.value(param.id)), kValueWidth)
                    .arg(rangeColumn(param));
    }
    return text;
}

QString ParameterFormat::json(const ParameterSet &values)
{
    QStringList members;
    for (const ParameterInfo &param : kParameters) {
        const QString value = isSwitch(param.id)
                                  ? QLatin1String(values.isOn(param.id) ? "true" : "false")
                                  : QString::number(values.value(param.id));
        members.append(QStringLiteral("  \"%1\": %2").arg(QLatin1String(param.name), value));
    }
    return QLatin1String("{\n") + members.join(QLatin1String(",\n")) + QLatin1String("\n}\n");
}

QStringList ParameterFormat::differences(const ParameterSet &left, const QString &leftLabel,
                                         const ParameterSet &right, const QString &rightLabel)
{
    QStringList lines;
    for (const Parameter id : left.differingFrom(right))
        lines.append(QStringLiteral("%1: %2 %3, %4 %5")
                         .arg(QLatin1String(infoOf(id).caption), leftLabel,
                              LinkText::valueText(id, left.value(id)), rightLabel,
                              LinkText::valueText(id, right.value(id))));
    return lines;
}

QString ParameterFormat::parameterList()
{
    QString text;
    for (const ParameterInfo &param : kParameters)
        text += QStringLiteral("  %1  %2, %3\n")
                    .arg(QLatin1String(param.name), -22)
                    .arg(QLatin1String(param.caption), rangeColumn(param));
    return text;
}

bool ParameterFormat::parseAssignments(const QStringList &assignments,
                                       std::vector<std::pair<Parameter, int>> *changes,
                                       QString *error)
{
    QVector<QString> given(static_cast<int>(kParameterCount));
    for (const QString &assignment : assignments) {
        Parameter id{};
        int value = 0;
        *error = assignmentProblem(assignment, &id, &value);
        if (!error->isEmpty())
            return false;
        QString &earlier = given[int(indexOf(id))];
        if (!earlier.isEmpty()) {
            *error = QStringLiteral("%1 is given twice: '%2' and '%3'")
                         .arg(QLatin1String(infoOf(id).caption), earlier, assignment);
            return false;
        }
        earlier = assignment;
        changes->emplace_back(id, value);
    }
    return true;
}

std::optional<ParameterSet> ParameterFormat::loadFile(const QString &fileName, Console &console)
{
    QString reason;
    const std::optional<QString> line = ParameterFile::readFirstLine(fileName, &reason);
    if (!line) {
        console.message(fileName, QStringLiteral("cannot read: %1").arg(reason));
        return std::nullopt;
    }
    ParameterFile::LineProblem problem;
    const std::optional<ParameterSet> values = ParameterFile::parseLineStrict(*line, &problem);
    if (!values)
        console.message(fileName, lineProblemText(problem));
    return values;
}

bool ParameterFormat::saveFile(const QString &fileName, const ParameterSet &values,
                               Console &console)
{
    const std::optional<FileSaver::Problem> problem =
        ParameterFile::save(fileName, ParameterFile::lineOf(values));
    if (!problem)
        return true;
    using Place = FileSaver::Problem::Place;
    QString text;
    switch (problem->place) {
    case Place::File:
        text = QStringLiteral("cannot save: %1").arg(problem->reason);
        break;
    case Place::Folder:
        text = QStringLiteral("cannot save in the folder %1: %2")
                   .arg(problem->folder, problem->reason);
        break;
    case Place::NotAFile:
        text = QStringLiteral("cannot save: not a regular file, a FIFO or a character device");
        break;
    case Place::Owner:
        text = QStringLiteral("cannot save: its owner could not be kept: %1").arg(problem->reason);
        break;
    }
    console.message(fileName, text);
    return false;
}
