#include "model/parameterset.h"

#include <algorithm>

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
