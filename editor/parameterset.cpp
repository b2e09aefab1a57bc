#include "editor/parameterset.h"

#include <algorithm>

ParameterSet ParameterSet::startValues()
{
    ParameterSet set;
    for (const ParameterSpec &spec : kParameters)
        set.setValue(spec.id, spec.start);
    return set;
}

ParameterSet ParameterSet::clamped() const
{
    ParameterSet set;
    for (const ParameterSpec &spec : kParameters) {
        const int v = value(spec.id);
        if (isSwitch(spec.id))
            set.setValue(spec.id, v != 0 ? 1 : 0);
        else
            set.setValue(spec.id, std::clamp(v, spec.minimum, spec.maximum));
    }
    return set;
}
