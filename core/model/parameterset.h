#ifndef NIMBAL_PARAMETERSET_H
#define NIMBAL_PARAMETERSET_H

#include <QString>
#include <QVector>

#include <array>
#include <cstddef>
#include <optional>

// The servo's parameter set: eleven integers and three switches. The index
// order is the order of the fields in a parameter file, which is also the
// order in which the controls are set up; the frame on the serial line uses
// an order of its own (see parameterframe.h).
enum class Parameter
{
    TorqueGain,
    BrakeGain,
    IntegralGain,
    IntegralSpeed,
    MinPulseWidth,
    MAXPulseWidth,
    Sensitivity,
    NeutralPoint,
    MAXDuty,
    LeftAngleCoefficient,
    RightAngleCoefficient,
    ReversedRotation,
    SoftStart,
    LOCKProtection,
};

constexpr std::size_t kParameterCount = 14;
constexpr std::size_t kNumericParameterCount = 11;

struct ParameterInfo
{
    Parameter id;
    const char *name;    // object-name stem, e.g. "TorqueGain"
    const char *caption; // the text of its label
    int minimum;
    int maximum;
    int start;
};

// Ranges and start values. A switch counts as 0 (off) to 1 (on).
constexpr std::array<ParameterInfo, kParameterCount> kParameters = {{
    {Parameter::TorqueGain, "TorqueGain", "Torque Gain", 0, 255, 0},
    {Parameter::BrakeGain, "BrakeGain", "Brake Gain", 0, 255, 0},
    {Parameter::IntegralGain, "IntegralGain", "Integral Gain", 0, 255, 0},
    {Parameter::IntegralSpeed, "IntegralSpeed", "Integral Speed", 0, 255, 0},
    {Parameter::MinPulseWidth, "MinPulseWidth", "Min Pulse Width", 500, 2500, 500},
    {Parameter::MAXPulseWidth, "MAXPulseWidth", "MAX Pulse Width", 500, 2500, 2500},
    {Parameter::Sensitivity, "Sensitivity", "Sensitivity", 0, 50, 0},
    {Parameter::NeutralPoint, "NeutralPoint", "Neutral Point", 500, 2500, 1500},
    {Parameter::MAXDuty, "MAXDuty", "MAX Duty", 0, 399, 0},
    {Parameter::LeftAngleCoefficient, "LeftAngleCoefficient", "Left Angle Coefficient", 0, 255, 0},
    {Parameter::RightAngleCoefficient, "RightAngleCoefficient", "Right Angle Coefficient", 0, 255,
     0},
    {Parameter::ReversedRotation, "ReversedRotation", "Reversed Rotation", 0, 1, 0},
    {Parameter::SoftStart, "SoftStart", "Soft Start", 0, 1, 0},
    {Parameter::LOCKProtection, "LOCKProtection", "LOCK Protection", 0, 1, 0},
}};

constexpr std::size_t indexOf(Parameter p)
{
    return static_cast<std::size_t>(p);
}
constexpr const ParameterInfo &infoOf(Parameter p)
{
    return kParameters[indexOf(p)];
}
constexpr bool isSwitch(Parameter p)
{
    return indexOf(p) >= kNumericParameterCount;
}

// The parameter a person means by `name`: its object-name stem or its
// caption, in any letter case, with blanks, '-' and '_' ignored
// ("neutral-point", "Soft Start", "softstart").
std::optional<Parameter> parameterNamed(const QString &name);

// The parameter a person probably meant by a name that names none: the one
// whose name or caption is within a few slips of it (a letter missing,
// added, changed or two swapped: about one in three), or the only one whose
// name begins with it. Nothing when no parameter is that close.
std::optional<Parameter> parameterNearest(const QString &name);

// One value per parameter, indexed by Parameter. Values are not limited to
// the ranges: a frame or a file may carry anything, and the controls clamp.
class ParameterSet
{
public:
    ParameterSet() = default;

    static ParameterSet startValues();

    int value(Parameter p) const { return m_values[indexOf(p)]; }
    void setValue(Parameter p, int v) { m_values[indexOf(p)] = v; }
    bool isOn(Parameter p) const { return m_values[indexOf(p)] != 0; }

    // Each value limited to its parameter's range; a switch becomes 0 or 1.
    ParameterSet clamped() const;
    // The parameters whose values differ from `other`'s, in file order; a
    // switch differs when one is on and the other off.
    QVector<Parameter> differingFrom(const ParameterSet &other) const;

    bool operator==(const ParameterSet &other) const { return m_values == other.m_values; }
    bool operator!=(const ParameterSet &other) const { return !(*this == other); }

private:
    std::array<int, kParameterCount> m_values{};
};

#endif
