#ifndef NIMBAL_WINDOWTESTHELPERS_H
#define NIMBAL_WINDOWTESTHELPERS_H

#include "app/widget.h"

#include <QRegularExpression>
#include <QSerialPort>
#include <QStringList>
#include <QTextBrowser>

// What the tests of the window read back from it: the status log and the
// serial port, found by object name or type as a user of the window would.
namespace WindowTest {

inline QTextBrowser *statusLog(const Widget &window)
{
    return window.findChild<QTextBrowser *>(QStringLiteral("textBrowser_StateShow"));
}

inline QSerialPort *serialPort(const Widget &window)
{
    return window.findChild<QSerialPort *>();
}

// The log's lines as shown; an empty log has none.
inline QStringList logLines(const Widget &window)
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

inline QStringList logMessages(const Widget &window)
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
