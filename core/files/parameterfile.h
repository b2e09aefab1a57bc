#ifndef NIMBAL_PARAMETERFILE_H
#define NIMBAL_PARAMETERFILE_H

#include "files/filesaver.h"
#include "model/parameterset.h"

#include <QString>
#include <QStringList>

#include <optional>

// A parameter file: one line of fourteen comma-separated integers in the
// order of Parameter, no line end. The numeric fields hold the value each
// value field shows, in ASCII decimal digits whatever the field's locale
// (an emptied field stays empty); the switches are 1 or 0.
namespace ParameterFile {

// The first line is read up to this many characters; a real line is a few
// hundred bytes at most, and a wrongly picked file must not be read whole.
inline constexpr qint64 kMaximumLineLength = 64 * 1024;

// Joins the fourteen fields with single commas.
QString formatLine(const QStringList &fields);

// The line Save Parameter writes for these values: decimal numbers in
// ASCII digits, the switches as 1 or 0.
QString lineOf(const ParameterSet &values);

// What makes a line unfit to be sent to a servo, and where.
struct LineProblem
{
    enum class Kind
    {
        Empty,      // the line is empty
        FieldCount, // not fourteen fields: `fieldCount` says how many
        NotDecimal, // a field that is not a decimal integer
        OutOfRange, // a number outside its parameter's range (a switch: not 0 or 1)
    };
    Kind kind = Kind::FieldCount;
    int position = 0;   // the field, 1 to 14; 0 for the line as a whole
    QString value;      // the field as it stands in the line
    int fieldCount = 0; // the fields the line holds
};

// The fourteen values of a line, or nothing when it holds fewer than
// fourteen fields. A field that is not a decimal integer counts as 0; fields
// after the fourteenth are ignored. Values are not clamped.
std::optional<ParameterSet> parseLine(const QString &line);

// One field of a strict line for `param`: its value, or what is wrong with
// it (NotDecimal or OutOfRange).
std::optional<LineProblem::Kind> checkField(const ParameterInfo &param, const QString &field,
                                            int *value);

// The fourteen values of a line, checked as strictly as a servo deserves:
// exactly fourteen fields (more is what a shifted or spliced file looks
// like), each a decimal integer within its parameter's range, each switch 0
// or 1. On failure `problem` tells what is wrong with the line or with its
// first bad field.
std::optional<ParameterSet> parseLineStrict(const QString &line, LineProblem *problem);

// Writes `line` to `fileName`: a regular file keeps its old bytes until the
// new content is complete on disk, and then keeps its mode and owner; a FIFO
// or a character device is written through. Nothing when the line is in
// place, otherwise what went wrong and where.
std::optional<FileSaver::Problem> save(const QString &fileName, const QString &line);

// The first line of `fileName` without its line end, at most
// kMaximumLineLength characters; nothing when the file does not open, and
// then `error` (when given) says why.
std::optional<QString> readFirstLine(const QString &fileName, QString *error = nullptr);

} // namespace ParameterFile

#endif
