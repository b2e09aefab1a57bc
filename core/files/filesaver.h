#ifndef NIMBAL_FILESAVER_H
#define NIMBAL_FILESAVER_H

#include <QByteArray>
#include <QString>

#include <optional>

// Puts bytes into a file as a careful editor does. A regular file is
// replaced whole or not at all: the bytes go to a new file beside it, which
// takes the old file's mode and owner and then takes its place, so a
// failure at any step leaves the old bytes as they were. A FIFO or a
// character device (a pipe, a terminal, /dev/null, /dev/stdout) is written
// through; it is never replaced. Anything else (a folder, a block device,
// a socket) is refused.
class FileSaver
{
public:
    // What went wrong, and where.
    struct Problem
    {
        enum class Place
        {
            File,     // the file itself, or the disk it is on
            Folder,   // the folder that holds it: `folder`
            NotAFile, // neither a regular file, a FIFO nor a character device
            Owner,    // its owner or group could not be kept
        };
        Place place = Place::File;
        int error = 0;  // the system's error number, 0 for NotAFile
        QString reason; // the system's words for it
        QString folder; // with Folder
    };

    // Nothing when the bytes are in place.
    static std::optional<Problem> save(const QString &path, const QByteArray &bytes);

    // Writes all of `bytes` to the open descriptor `fd`, through
    // interruptions, short writes and a descriptor left non-blocking; false,
    // with errno saying why, when the system refuses. The one writer of
    // whole buffers: the program's files and standard streams, the
    // simulated servo and the benchmarks all write through it. On a
    // non-blocking descriptor it waits for room as long as it takes, or,
    // with `stallMs` of 0 or more, gives up (ETIMEDOUT) once no byte could
    // be written for that long: a full queue that no one drains.
    static bool writeAll(int fd, const QByteArray &bytes, int stallMs = -1);

    // The system's words for the error number `error`.
    static QString reason(int error);
};

#endif
