#ifndef NIMBAL_PARAMETERFILE_H
#define NIMBAL_PARAMETERFILE_H

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

// The fourteen values of a line, or nothing when it holds fewer than
// fourteen fields. A field that is not a decimal integer counts as 0; fields
// after the fourteenth are ignored. Values are not clamped.
std::optional<ParameterSet> parseLine(const QString &line);

// Writes `line` to `fileName` so that an existing file keeps its old bytes
// until the new content is complete on disk. False when anything failed.
bool save(const QString &fileName, const QString &line);

// The first line of `fileName` without its line end, at most
// kMaximumLineLength characters; nothing when the file does not open.
std::optional<QString> readFirstLine(const QString &fileName);

} // namespace ParameterFile

#endif
