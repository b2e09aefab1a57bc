#include "console.h"

#include <QTime>

#include <cstdio>

Console::Console() : m_out(stdout), m_err(stderr) {}

void Console::out(const QString &line)
{
    m_out << line << '\n';
    m_out.flush();
}

void Console::outText(const QString &text)
{
    m_out << text;
    m_out.flush();
}

void Console::message(const QString &subject, const QString &text)
{
    message(subject + QLatin1String(": ") + text);
}

void Console::message(const QString &text)
{
    m_err << "nimbalctl: " << text << '\n';
    m_err.flush();
}

void Console::trace(const char *direction, const QByteArray &bytes)
{
    m_err << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << direction
          << ' ' << QString::fromLatin1(bytes.toHex(' ').toUpper()) << '\n';
    m_err.flush();
}
