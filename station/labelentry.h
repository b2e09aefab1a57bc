#ifndef NIMBAL_LABELENTRY_H
#define NIMBAL_LABELENTRY_H

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

// The one field a barcode scanner types every lane's labels into, with the
// lane the next label goes to beside it, and why a label was refused. It
// holds the keyboard focus while labels are asked for, so a scan lands
// whole in it; nothing moves the focus while one is typed.
class LabelEntry : public QWidget
{
    Q_OBJECT

public:
    explicit LabelEntry(QWidget *parent = nullptr);

    // Where the next label goes: the port of the lane whose servo has
    // waited longest (empty: none waits), and a label kept for the next
    // servo found.
    void showTarget(const QString &port, const QString &kept);
    void showRefusal(const QString &label, const QString &reason);
    void takeFocus();

signals:
    // A label scanned or typed, then Enter.
    void entered(const QString &text);

private:
    QLineEdit *m_edit;
    QLabel *m_target;
    QLabel *m_message;
};

#endif
