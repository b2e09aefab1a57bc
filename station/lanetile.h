#ifndef NIMBAL_LANETILE_H
#define NIMBAL_LANETILE_H

#include "lane/lane.h"

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;

// One lane on the station's screen, to be read from two metres: its port,
// and in large type what to do next or what became of the last servo, the
// reasons of a FAIL, and its counts. A verdict stays until the next servo
// is found. A PASS and a FAIL differ in more than hue: one is dark on
// light, the other light on dark, and each says its word. The tile whose
// servo the next scanned label goes to is marked.
class LaneTile : public QFrame
{
    Q_OBJECT

public:
    explicit LaneTile(const QString &port, QWidget *parent = nullptr);

    QString port() const { return m_port; }

    // What the lane does now; `detail` under it (why an adapter is gone,
    // the label of a servo being set up).
    void showState(Lane::State state, const QString &detail = QString());
    // The verdict on a servo, with the reasons of a FAIL.
    void showResult(bool passed, const QString &label, const QString &reasons);
    void showCounts(int passed, int failed);
    // Whether the next label scanned goes to this lane's servo.
    void markForLabel(bool marked);
    void setRemovable(bool removable);

signals:
    void removeClicked();

private:
    void setVerdict(const char *verdict);
    bool showsVerdict() const;
    QString labelTurn() const;
    void repolish();

    QString m_port;
    QLabel *m_headline;
    QLabel *m_detail;
    QLabel *m_counts;
    QPushButton *m_remove;
    QString m_result; // the verdict's label and reasons, while they are shown
    Lane::State m_state = Lane::State::Stopped;
    bool m_marked = false;
};

#endif
