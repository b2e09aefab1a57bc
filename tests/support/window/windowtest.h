#ifndef NIMBAL_TESTS_WINDOWTEST_H
#define NIMBAL_TESTS_WINDOWTEST_H

#include "parametervalues.h"
#include "serial/mycombobox.h"
#include "windowcontrols.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSpinBox>
#include <QString>
#include <QStringList>
#include <QTextBrowser>

// What the tests, the benchmarks and the screenshot tool read back from the
// window and do to it: its controls, the status log and the serial port,
// found by object name or type as a user of the window would find them.
namespace WindowTest {

// A numeric parameter's spin box, a switch's check box.
inline QSpinBox *spinBox(const QWidget &window, Parameter parameter)
{
    return window.findChild<QSpinBox *>(QLatin1String("spinBox_") +
                                        QLatin1String(infoOf(parameter).name));
}

inline QCheckBox *checkBox(const QWidget &window, Parameter parameter)
{
    return window.findChild<QCheckBox *>(QLatin1String("cB_") +
                                         QLatin1String(infoOf(parameter).name));
}

inline QTextBrowser *statusLog(const QWidget &window)
{
    return window.findChild<QTextBrowser *>(QStringLiteral("textBrowser_StateShow"));
}

inline QSerialPort *serialPort(const QWidget &window)
{
    return window.findChild<QSerialPort *>();
}

inline MyComboBox *portList(const QWidget &window)
{
    return window.findChild<MyComboBox *>(QStringLiteral("comboBox_Port"));
}

// The fourteen controls as a parameter set (see WindowControls for the
// details and for looking them up only once).
inline ParameterSet values(const QWidget &window)
{
    return WindowControls(window).values();
}

inline bool setValues(const QWidget &window, const ParameterSet &values)
{
    return WindowControls(window).set(values);
}

// Chooses `path` in the port list as a user choosing an entry would; true
// when the port is open afterwards.
inline bool choosePort(const QWidget &window, const QString &path)
{
    MyComboBox *ports = portList(window);
    QSerialPort *port = serialPort(window);
    if (!ports || !port)
        return false;
    emit ports->textActivated(path);
    return port->isOpen();
}

// The log's lines as shown; an empty log has none.
inline QStringList logLines(const QWidget &window)
{
    const QString text = statusLog(window)->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The line without its "[stamp] " prefix, the stamp being empty (before the
// clock's first tick) or "yyyy-MM-dd HH:mm:ss"; a null string when the line
// has no such prefix.
inline QString messageOf(const QString &line)
{
    static const QRegularExpression prefix(
        QStringLiteral("^\\[(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)?\\] "));
    const QRegularExpressionMatch match = prefix.match(line);
    return match.hasMatch() ? line.mid(match.capturedLength()) : QString();
}

inline QStringList logMessages(const QWidget &window)
{
    QStringList messages;
    for (const QString &line : logLines(window))
        messages.append(messageOf(line));
    return messages;
}

// "<name> 打开成功  <name> Open successfully" and its kin.
inline QString portMessage(const QString &name, const char *chinese, const char *english)
{
    return name + QString::fromUtf8(chinese) + name + QLatin1String(english);
}

inline QString openedMessage(const QString &name)
{
    return portMessage(name, " 打开成功  ", " Open successfully");
}

inline QString failedMessage(const QString &name)
{
    return portMessage(name, " 打开失败  ", " Failed to open");
}

inline QString disconnectedMessage(const QString &name)
{
    return portMessage(name, " 连接断开  ", " Disconnected");
}

} // namespace WindowTest

#endif
