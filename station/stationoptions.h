#ifndef NIMBAL_STATIONOPTIONS_H
#define NIMBAL_STATIONOPTIONS_H

#include <QString>
#include <QStringList>

#include <optional>

// The station's command line, so that a station PC starts it from a
// shortcut with everything set and no dialog: --file FILE, --port PORT
// (up to eight times), --log FILE, --labels or --no-labels, --db DB,
// --station NAME, --operator NAME and --start.
// What is given replaces what the station kept from its last run.
struct StationOptions
{
    QString file;
    QStringList ports;
    QString log;
    std::optional<bool> labels; // none: as kept
    QString database;
    QString station;
    QString operatorName;
    bool start = false;

    // The options of `arguments` (the program's name first); nothing, with
    // `message` saying why (or the help or version text, with `exitCode` 0),
    // when the station is not to start.
    static std::optional<StationOptions> parse(const QStringList &arguments, QString *message,
                                               int *exitCode);
};

#endif
