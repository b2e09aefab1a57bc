#ifndef NIMBAL_TESTS_TEXTLINES_H
#define NIMBAL_TESTS_TEXTLINES_H

#include <QFile>
#include <QString>
#include <QStringList>

// The lines of a text file such as an audit log, empty ones left out; none
// when it cannot be read.
inline QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

#endif
