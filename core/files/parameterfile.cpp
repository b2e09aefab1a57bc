#include "files/parameterfile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace ParameterFile {

QString formatLine(const QStringList &fields)
{
    return fields.join(QLatin1Char(','));
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

bool save(const QString &fileName, const QString &line)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << line;
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QString> readFirstLine(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    return in.readLine(kMaximumLineLength);
}

} // namespace ParameterFile
