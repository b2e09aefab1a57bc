#ifndef NIMBAL_TESTS_REFERENCELINE_H
#define NIMBAL_TESTS_REFERENCELINE_H

// A second writer and reader of a parameter file's line, sharing none of the
// program's: the fourteen numbers in the file's order, which it keeps
// itself, joined by single commas, the switches as 1 or 0. Only the
// container, the program's ParameterSet, is common.

#include "model/parameterset.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ReferenceLine {

inline const Parameter kFileOrder[] = {
    Parameter::TorqueGain,
    Parameter::BrakeGain,
    Parameter::IntegralGain,
    Parameter::IntegralSpeed,
    Parameter::MinPulseWidth,
    Parameter::MAXPulseWidth,
    Parameter::Sensitivity,
    Parameter::NeutralPoint,
    Parameter::MAXDuty,
    Parameter::LeftAngleCoefficient,
    Parameter::RightAngleCoefficient,
    // The three switches come last.
    Parameter::ReversedRotation,
    Parameter::SoftStart,
    Parameter::LOCKProtection,
};
inline constexpr int kFirstSwitch = 11;

inline QString of(const ParameterSet &values)
{
    QStringList fields;
    for (int i = 0; i < 14; ++i) {
        const int value = values.value(kFileOrder[i]);
        fields.append(QString::number(i >= kFirstSwitch ? int(value != 0) : value));
    }
    return fields.join(QLatin1Char(','));
}

// The values of a line of exactly fourteen decimal numbers; nothing for any
// other line.
inline std::optional<ParameterSet> values(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != 14)
        return std::nullopt;
    ParameterSet values;
    for (int i = 0; i < 14; ++i) {
        bool ok = false;
        values.setValue(kFileOrder[i], fields.at(i).toInt(&ok));
        if (!ok)
            return std::nullopt;
    }
    return values;
}

} // namespace ReferenceLine

#endif
