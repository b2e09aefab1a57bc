#ifndef NIMBAL_CONSOLE_H
#define NIMBAL_CONSOLE_H

#include <QByteArray>
#include <QString>

// Where nimbalctl speaks: data on standard output, messages on standard
// error, one line each, each line written at once in one piece, so that a
// script or a person watching a batch sees it as soon as it is complete.
//
// Every write is checked. A failed write to standard output (a full disk, a
// reader that has gone) is said once on standard error, nothing more is
// written there, and outputFailed() tells the command to end. Echoed text
// has its control characters escaped, so a file name or a field cannot
// move the cursor, clear the screen or split a line. On Windows a console
// gets its text as UTF-16, so it shows every character.
class Console
{
public:
    Console();

    // A line of data on standard output.
    void out(const QString &line);
    // Text on standard output as it stands (help texts, JSON, tables).
    void outText(const QString &text);
    // "nimbalctl: SUBJECT: TEXT" on standard error, for errors and progress
    // alike; SUBJECT names the port or file concerned.
    void message(const QString &subject, const QString &text);
    // "nimbalctl: TEXT" on standard error.
    void message(const QString &text);
    // One frame or arrival for -v: "HH:mm:ss.zzz TX 55 00 ...".
    void trace(const char *direction, const QByteArray &bytes);

    // Whether a write to standard output failed.
    bool outputFailed() const { return m_out.failed; }

    // `text` with every control character written as an escape: "\n",
    // "\t", "\x1B".
    static QString escaped(const QString &text);

    // To be called first in main(), before anything opens a file: a
    // standard stream that is closed (as cron or a udev rule may leave it)
    // is opened on /dev/null, for reading only where it is an output, so
    // that no later file or port takes its number and nothing meant for
    // the terminal reaches it; a write there fails and is said. A closed
    // pipe's reader makes writes fail too, instead of ending the process.
    static void secureStandardStreams();
    // Qt's own warnings go nowhere unless `shown` (-v): nimbalctl speaks
    // only through its own lines.
    static void showQtMessages(bool shown);

private:
    struct Stream
    {
        int fd;
        const char *name;
        bool failed = false;
    };

    bool write(Stream &stream, const QString &text);

    Stream m_out{1, "standard output"};
    Stream m_err{2, "standard error"};
};

#endif
