#ifndef NIMBAL_STATIONWINDOW_H
#define NIMBAL_STATIONWINDOW_H

#include "lane/lanegroup.h"
#include "model/parameterset.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <memory>
#include <optional>

class LaneTile;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLocale;
class QPushButton;

// Nimbal Station: servo after servo on up to eight adapters at once, for
// people who do not use a shell. One parameter file, one lane per adapter
// with a tile that says what to do next, Start and Stop for all, totals and
// the audit log. While it runs, the file, the lanes and the log stay as
// they are. Closing it while a servo is being set up finishes that servo
// first. What it was set up with is kept for the next run.
class StationWindow : public QWidget
{
    Q_OBJECT

public:
    explicit StationWindow(QWidget *parent = nullptr);
    ~StationWindow() override;

    // The station's texts in the language of `locale`, where there is a
    // translation (Simplified Chinese); false otherwise.
    static bool installTranslation(const QLocale &locale);

    // A parameter file that fails the strict rule of parameter files is
    // refused, with the reason shown, and no file is set then: Start waits
    // for a valid one.
    bool setParameterFile(const QString &path);
    bool hasValidFile() const { return m_wanted.has_value(); }

    // Lanes, while stopped.
    void setPorts(const QStringList &ports);
    QStringList ports() const;
    void setLogPath(const QString &path);
    void setAskForLabels(bool ask);

    // Starts every lane; false, with the reason shown, when the file, the
    // lanes or the log will not do.
    bool start();
    void stop();
    bool isRunning() const { return m_group != nullptr; }

protected:
    void closeEvent(QCloseEvent *event) override;
    // The port list is read again whenever it is about to be used, so an
    // adapter plugged in since is in it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildFileArea();
    QWidget *buildLaneControls();
    QWidget *buildFooter();
    void chooseFile();
    void chooseLog();
    void addChosenPort();
    // false, after saying why, when the station has every lane it may, or
    // one on the same device.
    bool addLane(const QString &port);
    void removeLane(LaneTile *tile);
    void refreshPortChoices();
    void updateControls();
    void watch(Lane *lane, LaneTile *tile);
    void servoDone(Lane *lane, const ServoSetUp::Result &result);
    void labelEntered(Lane *lane, LaneTile *tile, const QString &label);
    void finished();
    QString reasonsOf(const ServoSetUp::Result &result) const;
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
    QGridLayout *m_tileGrid;
    QVector<LaneTile *> m_tiles;
    QComboBox *m_portChoice;
    QPushButton *m_addLane;
    QCheckBox *m_askForLabels;
    QLabel *m_logName;
    QPushButton *m_chooseLog;
    QPushButton *m_start;
    QPushButton *m_stop;
    QLabel *m_totals;
    QLabel *m_message;
    std::unique_ptr<LaneGroup> m_group;
    QSet<QString> m_passedLabels;
    bool m_closeWhenStopped = false;
};

#endif
