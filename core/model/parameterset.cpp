#include "model/parameterset.h"

#include <algorithm>

namespace {

QString nameKey(const QString &name)
{
    QString key;
    for (QChar c : name) {
        if (c.isSpace() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            continue;
        key.append(c.toCaseFolded());
    }
    return key;
}

} // namespace

std::optional<Parameter> parameterNamed(const QString &name)
{
    const QString key = nameKey(name);
    for (const ParameterInfo &param : kParameters) {
        if (key == nameKey(QLatin1String(param.name)) ||
            key == nameKey(QLatin1String(param.caption)))
            return param.id;
    }
    return std::nullopt;
}

ParameterSet ParameterSet::startValues()
{
    ParameterSet set;
    for (const ParameterInfo &param : kParameters)
        set.setValue(param.id, param.start);
    return set;
}

ParameterSet ParameterSet::clamped() const
{
    ParameterSet set;
    for (const ParameterInfo &param : kParameters) {
        const int v = value(param.id);
        if (isSwitch(param.id))
            set.setValue(param.id, v != 0 ? 1 : 0);
        else
            set.setValue(param.id, std::clamp(v, param.minimum, param.maximum));
    }
    return set;
}
