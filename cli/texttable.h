#ifndef NIMBAL_TEXTTABLE_H
#define NIMBAL_TEXTTABLE_H

#include <QString>
#include <QStringList>

#include <vector>

// A table as nimbalctl prints it: columns as wide as their widest cell,
// two blanks apart, the last one (free text) unpadded; an empty cell
// shows as "-".
namespace TextTable {

QString of(const std::vector<QStringList> &rows);

} // namespace TextTable

#endif
