#include "model/parameterset.h"

#include <algorithm>
#include <vector>

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

// The number of letters to add, remove or change to turn `a` into `b`, two
// neighbours swapped counting as one.
int slips(const QString &a, const QString &b)
{
    const int n = int(b.size());
    std::vector<int> before(n + 1), previous(n + 1), current(n + 1);
    for (int j = 0; j <= n; ++j)
        previous[j] = j;
    for (int i = 1; i <= int(a.size()); ++i) {
        current[0] = i;
        for (int j = 1; j <= n; ++j) {
            const int change = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(current);
    }
    return previous[n];
}

} // namespace

std::optional<Parameter> parameterNearest(const QString &name)
{
    const QString key = nameKey(name);
    if (key.isEmpty())
        return std::nullopt;
    std::optional<Parameter> nearest;
    int fewest = std::max(1, int(key.size()) / 3) + 1;
    std::optional<Parameter> startsWith;
    int starting = 0;
    for (const ParameterInfo &param : kParameters) {
        const QString paramKey = nameKey(QLatin1String(param.name));
        const int n = slips(key, paramKey);
        if (n < fewest) {
            fewest = n;
            nearest = param.id;
        }
        if (paramKey.startsWith(key)) {
            startsWith = param.id;
            ++starting;
        }
    }
    if (nearest)
        return nearest;
    return starting == 1 && key.size() >= 3 ? startsWith : std::nullopt;
}

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

QVector<Parameter> ParameterSet::differingFrom(const ParameterSet &other) const
{
    QVector<Parameter> differing;
    for (const ParameterInfo &param : kParameters) {
        const bool same = isSwitch(param.id) ? isOn(param.id) == other.isOn(param.id)
                                             : value(param.id) == other.value(param.id);
        if (!same)
            differing.append(param.id);
    }
    return differing;
}
