#ifndef NIMBAL_CONSOLE_H
#define NIMBAL_CONSOLE_H

#include <QByteArray>
#include <QString>
#include <QTextStream>

// Where nimbalctl speaks: data on standard output, messages on standard
// error, one line each, every line flushed as soon as it is complete so
// that a script or a person watching a batch sees it at once.
class Console
{
public:
    Console();

    // A line of data on standard output.
    void out(const QString &line);
    // Text on standard output as it stands (help texts, JSON).
    void outText(const QString &text);
    // "nimbalctl: SUBJECT: TEXT" on standard error, for errors and progress
    // alike; SUBJECT names the port or file concerned.
    void message(const QString &subject, const QString &text);
    // "nimbalctl: TEXT" on standard error.
    void message(const QString &text);
    // One frame or arrival for -v: "HH:mm:ss.zzz TX 55 00 ...".
    void trace(const char *direction, const QByteArray &bytes);

private:
    QTextStream m_out;
    QTextStream m_err;
};

#endif
