#ifndef NIMBAL_PARAMETERFORMAT_H
#define NIMBAL_PARAMETERFORMAT_H

#include "files/parameterfile.h"
#include "model/parameterset.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class Console;

// The parameter set as nimbalctl shows it and takes it: a table, JSON,
// field-by-field differences, NAME=VALUE assignments, and parameter files
// checked strictly.
class ParameterFormat
{
public:
    // Name, value and range, one parameter per line under a header.
    static QString table(const ParameterSet &values);
    // An object keyed by the parameters' names in file order, integers for
    // numbers and true/false for switches.
    static QString json(const ParameterSet &values);

    // "Neutral Point: wanted 1520, servo 1500" for every parameter in which
    // `left` and `right` differ, in file order.
    static QStringList differences(const ParameterSet &left, const QString &leftLabel,
                                   const ParameterSet &right, const QString &rightLabel);

    // Parses every "NAME=VALUE" in turn; fails when one does (saying why in
    // `error`, and for a name that names no parameter, which one was
    // probably meant), or when two name the same parameter.
    static bool parseAssignments(const QStringList &assignments,
                                 std::vector<std::pair<Parameter, int>> *changes, QString *error);
    // Every parameter by the name a NAME may be, with its caption and
    // values, a parameter a line: "  TorqueGain  Torque Gain, 0..255".
    static QString parameterList();
    // The values a parameter takes, as messages say them: "0 to 255", or
    // "0 or 1" for a switch.
    static QString rangeText(const ParameterInfo &param);

    // What is wrong with a line of a parameter file: the field's position,
    // its name, the value and what is allowed.
    static QString lineProblemText(const ParameterFile::LineProblem &problem);

    // The values of a parameter file that is strictly valid; otherwise
    // nothing, after one message naming the file, the field's position,
    // its name, the value and what is allowed.
    static std::optional<ParameterSet> loadFile(const QString &fileName, Console &console);
    // Saves `values` as the line Save Parameter writes; false after one
    // message naming the file and what stopped it: the file, its folder,
    // the disk, or an owner that could not be kept.
    static bool saveFile(const QString &fileName, const ParameterSet &values, Console &console);
};

#endif
