#include "stationsettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

QSettings store()
{
    return QSettings(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station"));
}

} // namespace

StationSettings StationSettings::load()
{
    const QSettings stored = store();
    StationSettings kept;
    kept.file = stored.value(QStringLiteral("file")).toString();
    kept.ports = stored.value(QStringLiteral("ports")).toStringList();
    kept.log = stored.value(QStringLiteral("log")).toString();
    kept.labels = stored.value(QStringLiteral("labels"), false).toBool();
    kept.station = stored.value(QStringLiteral("station")).toString();
    kept.database = stored.value(QStringLiteral("database")).toString();
    kept.geometry = stored.value(QStringLiteral("geometry")).toByteArray();
    return kept;
}

void StationSettings::save() const
{
    QSettings stored = store();
    stored.setValue(QStringLiteral("file"), file);
    stored.setValue(QStringLiteral("ports"), ports);
    stored.setValue(QStringLiteral("log"), log);
    stored.setValue(QStringLiteral("labels"), labels);
    stored.setValue(QStringLiteral("station"), station);
    stored.setValue(QStringLiteral("database"), database);
    stored.setValue(QStringLiteral("geometry"), geometry);
}

QString StationSettings::defaultLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/nimbal-station-log.csv");
}
