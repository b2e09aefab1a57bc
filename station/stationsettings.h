#ifndef NIMBAL_STATIONSETTINGS_H
#define NIMBAL_STATIONSETTINGS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the station was set up with, kept for its next start in the
// system's settings store (QSettings: a file under ~/.config, the Windows
// registry).
struct StationSettings
{
    QString file;
    QStringList ports;
    QString log; // empty: defaultLogPath()
    bool labels = false;
    QString station;  // empty: the host name
    QString database; // empty: none; a libpq connection string or service name
    QByteArray geometry;

    static StationSettings load();
    void save() const;

    // The audit log where none was chosen: nimbal-station-log.csv in the
    // user's documents folder.
    static QString defaultLogPath();
};

#endif
