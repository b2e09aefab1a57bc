#ifndef NIMBAL_TESTS_PARAMETERVALUES_H
#define NIMBAL_TESTS_PARAMETERVALUES_H

// The fourteen values on the test side are always the program's
// ParameterSet; this makes them pleasant to write down and to compare.

#include "model/parameterset.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QMetaType>

#include <initializer_list>
#include <optional>
#include <utility>

Q_DECLARE_METATYPE(Parameter)
Q_DECLARE_METATYPE(ParameterSet)
Q_DECLARE_METATYPE(std::optional<ParameterSet>)

// "TorqueGain 1, BrakeGain 2, ..., LOCKProtection 0": what a failed
// comparison of two parameter sets prints.
inline char *toString(const ParameterSet &values)
{
    QByteArrayList parts;
    for (const ParameterInfo &param : kParameters)
        parts.append(QByteArray(param.name) + ' ' + QByteArray::number(values.value(param.id)));
    return qstrdup(parts.join(", ").constData());
}

namespace ParameterValues {

// The fourteen values written out in file order (as a parameter file's line
// has them): of(0, 0, 0, 0, 500, 2500, 0, 1500, 0, 0, 0, 0, 0, 0).
template <typename... Ints> ParameterSet of(Ints... values)
{
    static_assert(sizeof...(values) == kParameterCount, "fourteen values, in file order");
    const int list[] = {values...};
    ParameterSet set;
    for (std::size_t i = 0; i < kParameterCount; ++i)
        set.setValue(kParameters[i].id, list[i]);
    return set;
}

// `values` with some of them changed.
inline ParameterSet with(ParameterSet values,
                         std::initializer_list<std::pair<Parameter, int>> changes)
{
    for (const auto &change : changes)
        values.setValue(change.first, change.second);
    return values;
}

} // namespace ParameterValues

#endif
