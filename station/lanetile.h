#ifndef NIMBAL_LANETILE_H
#define NIMBAL_LANETILE_H

#include "lane/lane.h"

#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// One lane on the station's screen, to be read from two metres: its port,
// and in large type what to do next or what became of the last servo, the
// reasons of a FAIL, its counts, and the field a servo's label goes into
// when the line asks for one. A PASS and a FAIL differ in more than hue:
// one is dark on light, the other light on dark, and each says its word.
class LaneTile : public QFrame
{
    Q_OBJECT

public:
    explicit LaneTile(const QString &port, QWidget *parent = nullptr);

    QString port() const { return m_port; }

    // What the lane does now; `detail` under it (an adapter's reason).
    void showState(Lane::State state, const QString &detail = QString());
    // The verdict on a servo, with the reasons of a FAIL.
    void showResult(bool passed, const QString &label, const QString &reasons);
    void showCounts(int passed, int failed);
    // The label field, with the focus, or a label refused.
    void askForLabel();
    void refuseLabel(const QString &why);
    void setRemovable(bool removable);

signals:
    void labelEntered(const QString &label);
    void removeClicked();

private:
    void setVerdict(const char *verdict);

    QString m_port;
    QLabel *m_headline;
    QLabel *m_detail;
    QLabel *m_counts;
    QLineEdit *m_label;
    QPushButton *m_remove;
    QString m_last; // the last servo's verdict, while the next is awaited
};

#endif
