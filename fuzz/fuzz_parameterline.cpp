// The parameter-line parser on arbitrary text.

#include "files/parameterfile.h"

#include "fuzzcheck.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data),
                                           int(std::min<size_t>(size, 1 << 16)));
    const std::optional<ParameterSet> parsed = ParameterFile::parseLine(line);
    const QStringList fields = line.split(QLatin1Char(','));

    // Fewer than fourteen fields: nothing is taken.
    FUZZ_CHECK(parsed.has_value() == (fields.size() >= int(kParameterCount)));
    if (!parsed)
        return 0;

    // Only the first fourteen fields count: whatever follows them changes
    // nothing, and each value is its field's decimal value or 0.
    const QString firstFourteen = fields.mid(0, int(kParameterCount)).join(QLatin1Char(','));
    FUZZ_CHECK(ParameterFile::parseLine(firstFourteen) == parsed);
    for (const ParameterInfo &param : kParameters) {
        bool ok = false;
        const int v = fields.at(int(indexOf(param.id))).toInt(&ok, 10);
        FUZZ_CHECK(parsed->value(param.id) == (ok ? v : 0));
    }

    // What is written back parses to the same values.
    QStringList written;
    for (const ParameterInfo &param : kParameters)
        written.append(QString::number(parsed->value(param.id)));
    FUZZ_CHECK(ParameterFile::parseLine(ParameterFile::formatLine(written)) == parsed);
    return 0;
}
