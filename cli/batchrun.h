#ifndef NIMBAL_BATCHRUN_H
#define NIMBAL_BATCHRUN_H

#include "lane/lane.h"
#include "servosession.h"

#include <QHash>
#include <QString>

#include <memory>

#include <optional>

class Console;
class LaneGroup;
class LineLabels;
class RecordSender;
class StdinLines;
struct Invocation;

// nimbalctl batch: the production loop of link/'s lanes on up to eight
// ports at once, each servo's result printed as it comes (with its port
// when there are several) and kept in the audit log. With --labels, each
// servo's label is read from standard input, a line each, given to the
// servos in the order they are found. It waits in the event loop until the
// count is reached, SIGINT or SIGTERM stops the lanes, or the labels end; a
// servo being set up is finished first. The batch passes (exit 0) only when
// every servo passed and, with --count N, N servos were done.
class BatchRun
{
public:
    BatchRun(const Invocation &invocation, Console &console);

    int run();

private:
    // The values to set servos up with; nothing, after saying why, when the
    // file, the ports or the log will not do.
    std::optional<ParameterSet> checkedInput();
    void watch(LaneGroup &group);
    // With --db: the sender of the group's rows, and with --labels the
    // line's label check in `lineLabels`; none without.
    std::unique_ptr<RecordSender> record(LaneGroup &group, std::unique_ptr<LineLabels> *lineLabels);
    // Waits for a pass that holds the last rows; says what still waits.
    void sendLastRows(RecordSender &sender);
    // Labels from standard input for the servos that wait for them.
    void takeLabels(LaneGroup &group, StdinLines &lines);
    // Says once when the database goes away, and once when it is back.
    void watchDatabase(int waiting, const QString &problem);
    // Gives the lines that have come to the servos that wait for labels.
    void feedLabels(LaneGroup &group, StdinLines &lines);
    void report(Lane *lane, int number, const Lane::Result &result, bool withPort);
    void waitUntilFinished(LaneGroup &group);

    Console &m_console;
    ServoSession::Options m_servo;
    QString m_file;
    QString m_logFile;
    int m_count = 0;
    QString m_db;
    QString m_station;
    QString m_operator;
    QString m_dbProblem;
    bool m_labels = false;
    bool m_feeding = false;
    bool m_logFailed = false;
    QHash<Lane *, int> m_numbers; // each lane's latest servo
};

#endif
