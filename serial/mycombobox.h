#ifndef NIMBAL_MYCOMBOBOX_H
#define NIMBAL_MYCOMBOBOX_H

#include <QComboBox>
#include <QStringList>

#include <functional>

// The port list: a blank entry, then the name of every serial port present.
// It lists the ports afresh on each left press, so an adapter plugged in
// after start-up shows up the next time the list is opened.
class MyComboBox : public QComboBox
{
    Q_OBJECT

public:
    // Returns the names of the serial ports present, in the system's order.
    using PortEnumerator = std::function<QStringList()>;

    explicit MyComboBox(QWidget *parent = nullptr);
    ~MyComboBox() override;

    // The enumerator every port list uses from now on; an empty function
    // restores the system's enumeration. Pseudo-terminals are never
    // enumerated by the system, so tests put theirs here.
    static void setPortEnumerator(PortEnumerator enumerator);
    static QStringList systemPortNames();

    void scanPorts();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

#endif
