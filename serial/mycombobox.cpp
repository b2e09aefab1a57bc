#include "serial/mycombobox.h"

#include <QMouseEvent>
#include <QSerialPortInfo>

namespace {
MyComboBox::PortEnumerator &portEnumerator()
{
    static MyComboBox::PortEnumerator enumerator;
    return enumerator;
}
} // namespace

MyComboBox::MyComboBox(QWidget *parent) : QComboBox(parent)
{
    scanPorts();
}

MyComboBox::~MyComboBox() = default;

void MyComboBox::setPortEnumerator(PortEnumerator enumerator)
{
    portEnumerator() = std::move(enumerator);
}

QStringList MyComboBox::systemPortNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    return names;
}

// Rebuilds the whole list; the current entry becomes the blank one. Changing
// the entry from code never emits textActivated, so no port is touched.
void MyComboBox::scanPorts()
{
    clear();
    insertItem(count(), QString());
    const QStringList names = portEnumerator() ? portEnumerator()() : systemPortNames();
    for (const QString &name : names)
        insertItem(count(), name);
}

void MyComboBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        scanPorts();
    QComboBox::mousePressEvent(event);
}
