#ifndef NIMBAL_LANEGROUP_H
#define NIMBAL_LANEGROUP_H

#include "files/auditlog.h"
#include "files/labelcheck.h"
#include "lane/labelregister.h"
#include "lane/lane.h"

#include <QHash>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVector>

class AuditLogWriter;

// Lanes side by side, one a port, all setting servos up from the same
// values, counted together and logged to one audit log: what nimbalctl
// batch and the station both run. Each servo is in the log before its
// verdict is told; the log is written on a thread of its own.
//
// With labels, one scanner serves every lane: the lanes wait for their
// labels in the order their servos were found, and a label offered goes
// whole to the lane that has waited longest. A label offered while no
// servo waits is kept for the next one found. The register of labels
// refuses what its rule refuses, a label on another lane's servo, and one
// that passed in the log or on this run; with a line check, one that
// passed on any station of the line.
class LaneGroup : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMostLanes = 8;

    struct Settings
    {
        QStringList ports; // at most kMostLanes
        ParameterSet wanted;
        int timeoutMs = ServoClient::kDefaultTimeoutMs;
        int retries = ServoClient::kDefaultRetries;
        bool labels = false;
        int count = 0;     // servos of all lanes together; 0: until stopped
        AuditLog::Run run; // what each row says of the run
    };

    explicit LaneGroup(const Settings &settings, QObject *parent = nullptr);
    ~LaneGroup() override;

    // The first of `ports` that names the same device as one before it
    // (two lanes cannot share an adapter); -1 when none does.
    static int firstRepeatedPort(const QStringList &ports);

    // The audit log the servos go to; false with the system's reason when
    // it does not open. Its servos are numbered on from the log's last, and
    // the labels that passed in it are refused. Without one, nothing is
    // logged and servos are numbered from 1.
    bool openLog(const QString &path, QString *reason);

    const QVector<Lane *> &lanes() const { return m_lanes; }
    void start();
    // Stops every lane; servos being set up are finished first.
    void stop();
    bool isRunning() const;

    // Asked of every label the register takes, before it is given: whether
    // it passed on another station of the line.
    void setLineCheck(LabelCheck::Ask check) { m_lineCheck = std::move(check); }
    // A label scanned or typed: it goes to laneForNextLabel(), or is kept
    // for the next servo found, or labelRefused() says why not. Labels
    // offered while the line is asked about one wait their turn.
    void offerLabel(const QString &scanned);
    // Whether the line is being asked about a label.
    bool isCheckingLabel() const { return m_checking; }
    // The lane the next label goes to; null when no servo waits for one.
    Lane *laneForNextLabel() const { return m_awaitingLabel.value(0); }
    // A label kept for the next servo found; empty when none is.
    QString keptLabel() const { return m_kept; }

    // Servos of this run on the record.
    int done() const { return m_done; }
    int passed() const { return m_passed; }
    int failed() const { return m_done - m_passed; }
    // The number the next servo found will have.
    int nextNumber() const { return m_lastNumber + 1; }
    // Whether any lane's port was lost during the run.
    bool portWasLost() const { return m_portWasLost; }

signals:
    // A servo is set up (or failed) and in the log; `number` goes on from
    // the log's last.
    void servoDone(Lane *lane, int number, const ServoSetUp::Result &result);
    // A servo's row could not be logged; the group stops.
    void logFailed(const QString &reason);
    // Which lane the next label goes to, or the label kept, has changed.
    void labelsChanged();
    void labelRefused(const QString &label, const QString &reason);
    // The line could not be asked about a label: only this log was.
    void lineUnchecked(const QString &why);
    // Every lane has stopped.
    void finished();

private:
    struct Pending
    {
        Lane *lane;
        int number;
        Lane::Result result;
    };

    bool admits(const Lane *asking) const;
    void record(Lane *lane, const Lane::Result &result);
    void written(bool logged, const QString &reason);
    void laneMoved(Lane *lane, Lane::State state);
    void takeOffers();
    void lineAnswered(const QString &label, const LabelCheck::Answer &answer);
    // Gives a label that has been checked to the lane that waits, or keeps
    // it; `checked` is how far ("line", "local").
    void place(const QString &label, const QString &checked);
    QString keptAlready() const;
    void giveKeptLabel();
    void giveLabel(Lane *lane, const QString &label, const QString &checked);

    Settings m_settings;
    QVector<Lane *> m_lanes;
    AuditLogWriter *m_log;
    QQueue<Pending> m_pending; // rows on their way to the log, in order
    LabelRegister m_labels;
    QVector<Lane *> m_awaitingLabel; // in the order their servos were found
    QString m_kept;
    QString m_keptChecked;
    QHash<Lane *, QString> m_labelChecked; // how the label of each lane's servo was checked
    LabelCheck::Ask m_lineCheck;
    QQueue<QString> m_offers; // scanned while the line was asked about one
    bool m_checking = false;
    int m_lastNumber = 0;
    int m_toldNumber = 0; // of the servo whose verdict a lane tells
    int m_done = 0;
    int m_passed = 0;
    bool m_portWasLost = false;
};

#endif
