#ifndef NIMBAL_STATIONWINDOW_H
#define NIMBAL_STATIONWINDOW_H

#include "lane/lanegroup.h"
#include "model/parameterset.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <memory>
#include <optional>

class LabelEntry;
class LaneTile;
class LineLabels;
class PortChooser;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QLocale;
class QPushButton;
class RecordSender;

// Nimbal Station: servo after servo on up to eight adapters at once, for
// people who do not use a shell. One parameter file, one lane per adapter
// with a tile that says what to do next, one label field for a scanner,
// Start and Stop for all, totals and the audit log; with a database, every
// row goes to the line's record as well, and waits in the log while the
// database is away. While it runs, the file, the lanes, the label setting,
// the log and the record's settings stay as they are. Closing it while a
// servo is being set up finishes that servo first. What it was set up with
// is kept for the next run.
class StationWindow : public QWidget
{
    Q_OBJECT

public:
    explicit StationWindow(QWidget *parent = nullptr);
    ~StationWindow() override;

    // The station's texts in the language of `locale`, where there is a
    // translation (Simplified Chinese), over English; false otherwise.
    static bool installTranslation(const QLocale &locale);

    // A parameter file that fails the strict rule of parameter files is
    // refused, with the reason shown, and no file is set then: Start waits
    // for a valid one.
    bool setParameterFile(const QString &path);
    bool hasValidFile() const { return m_wanted.has_value(); }

    // Lanes, the log and whether labels are asked for, while stopped.
    void setPorts(const QStringList &ports);
    QStringList ports() const;
    void setLogPath(const QString &path);
    void setAskForLabels(bool ask);
    // The line's database (empty: none), the station's name in the record
    // (empty: the host name) and who sets the servos up.
    void setDatabase(const QString &connection);
    void setStationName(const QString &name);
    void setOperatorName(const QString &name);

    // Starts every lane; false, with the reason shown, when the file, the
    // lanes or the log will not do.
    bool start();
    void stop();
    bool isRunning() const { return m_group != nullptr; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildFileArea();
    QWidget *buildFooter();
    void chooseFile();
    void chooseLog();
    // false, after saying why, when the station has every lane it may, or
    // one on the same device.
    bool addLane(const QString &port);
    void removeLane(LaneTile *tile);
    void updateControls();
    void watch(Lane *lane, LaneTile *tile);
    void servoDone(Lane *lane, const ServoSetUp::Result &result);
    void showLabelTarget();
    void showTotals();
    // Sends the group's rows to the database, if one is set.
    void record(LaneGroup &group);
    void showDatabase(int waiting, const QString &problem);
    void finished();
    void say(const QString &message);
    void restoreSettings();
    void saveSettings() const;

    QString m_file;
    std::optional<ParameterSet> m_wanted;
    QString m_logPath;
    QLabel *m_fileName;
    QLabel *m_fileStatus;
    QVector<QLabel *> m_values;
    QPushButton *m_chooseFile;
    LabelEntry *m_labelEntry;
    QGridLayout *m_tileGrid;
    QVector<LaneTile *> m_tiles;
    PortChooser *m_portChooser;
    QCheckBox *m_askForLabels;
    QLabel *m_logName;
    QPushButton *m_chooseLog;
    QPushButton *m_start;
    QPushButton *m_stop;
    QLabel *m_totals;
    QLineEdit *m_station;
    QLineEdit *m_operator;
    QLineEdit *m_database;
    QLabel *m_databaseStatus;
    QLabel *m_message;
    std::unique_ptr<LaneGroup> m_group;
    std::unique_ptr<RecordSender> m_sender;
    std::unique_ptr<LineLabels> m_lineLabels;
    bool m_closeWhenStopped = false;
};

#endif
