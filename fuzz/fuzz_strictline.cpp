// The strict parameter-line check, the gate before anything is sent to a
// servo, on arbitrary text. The target judges each line by its own reading:
// fourteen comma-separated fields, each an optional minus and ASCII digits
// and nothing else, within its parameter's range; on refusal the problem
// names the first bad field.

#include "files/parameterfile.h"

#include "fuzzcheck.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace {

using Kind = ParameterFile::LineProblem::Kind;

// The field's number when it is "-" or nothing, then one or more ASCII
// digits, and nothing else; a number beyond any range is saturated so that
// it stays out of range without overflowing.
bool decimalValue(const QString &field, long long *value)
{
    int i = 0;
    const bool negative = !field.isEmpty() && field.at(0) == QLatin1Char('-');
    if (negative)
        ++i;
    if (i == field.size())
        return false;
    long long magnitude = 0;
    for (; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = std::min(magnitude * 10 + (c.unicode() - '0'), 10'000'000'000LL);
    }
    *value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data),
                                           int(std::min<size_t>(size, 1 << 16)));
    ParameterFile::LineProblem problem;
    const std::optional<ParameterSet> parsed = ParameterFile::parseLineStrict(line, &problem);

    if (line.isEmpty()) {
        FUZZ_CHECK(!parsed);
        FUZZ_CHECK(problem.kind == Kind::Empty);
        FUZZ_CHECK(problem.position == 0);
        FUZZ_CHECK(problem.fieldCount == 0);
        return 0;
    }
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != int(kParameterCount)) {
        FUZZ_CHECK(!parsed);
        FUZZ_CHECK(problem.kind == Kind::FieldCount);
        FUZZ_CHECK(problem.position == 0);
        FUZZ_CHECK(problem.fieldCount == fields.size());
        return 0;
    }

    ParameterSet expected;
    for (const ParameterInfo &param : kParameters) {
        const int position = int(indexOf(param.id)) + 1;
        const QString &field = fields.at(position - 1);
        long long value = 0;
        const bool decimal = decimalValue(field, &value);
        if (decimal && value >= param.minimum && value <= param.maximum) {
            expected.setValue(param.id, int(value));
            continue;
        }
        // The first bad field refuses the line and is the one named.
        FUZZ_CHECK(!parsed);
        FUZZ_CHECK(problem.kind == (decimal ? Kind::OutOfRange : Kind::NotDecimal));
        FUZZ_CHECK(problem.position == position);
        FUZZ_CHECK(problem.value == field);
        FUZZ_CHECK(problem.fieldCount == int(kParameterCount));
        return 0;
    }
    FUZZ_CHECK(parsed);
    FUZZ_CHECK(*parsed == expected);
    return 0;
}
