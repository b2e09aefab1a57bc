#ifndef NIMBAL_PORTCHOOSER_H
#define NIMBAL_PORTCHOOSER_H

#include <QWidget>

class QComboBox;
class QPushButton;

// Where a new lane's port is chosen from the system's list (with its
// description and USB ids) or typed. The list is read again whenever it is
// about to be used, so an adapter plugged in since is in it; a port is
// given by its /dev/serial/by-id link where it has one, as a tty's number
// may change when the adapter is plugged in again.
class PortChooser : public QWidget
{
    Q_OBJECT

public:
    explicit PortChooser(QWidget *parent = nullptr);

signals:
    void portChosen(const QString &port);
    // Add was pressed with no port chosen or typed.
    void nothingChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void add();

    QComboBox *m_choice;
    QPushButton *m_add;
};

#endif
