#ifndef NIMBAL_PSEUDOTERMINAL_H
#define NIMBAL_PSEUDOTERMINAL_H

#include <QByteArray>
#include <QString>

// A kernel pseudo-terminal pair. The owner plays the device on the master
// side; the program under test opens the slave by its full path, as it would
// open a USB-serial adapter. POSIX only.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    // Whether reads and writes on the master side wait; they do not unless
    // this turns it on. write(), read() and readAvailable() expect them not
    // to: it is for an owner that makes its own blocking read() and write()
    // calls on masterFd(). False when the mode cannot be changed.
    bool setBlocking(bool blocking);

    // Writes all of `bytes` to the master side; false on error.
    bool write(const QByteArray &bytes);
    // Reads what arrives within `timeoutMs` (stops early once `atLeast`
    // bytes are in).
    QByteArray read(int timeoutMs, int atLeast = 1);
    // Bytes waiting on the master side right now, without blocking.
    QByteArray readAvailable();
    // The same; `peerGone` tells whether the read ended because no one has
    // the slave open (EIO or end of file) rather than for lack of data.
    QByteArray readAvailable(bool *peerGone);

    // False from the moment the slave's last opener closes it until someone
    // opens it again: meanwhile the master reports a hang-up on every poll
    // and its reads fail with EIO. (Before the slave's first open, Linux
    // reports no hang-up.)
    bool peerOpen() const;

    // Line settings of the slave as its current opener set them, read
    // from the master side with termios2: output baud rate and whether
    // two stop bits are set. False when the query fails.
    bool lineSettings(unsigned *baudRate, bool *twoStopBits, int *dataBits = nullptr,
                      bool *parity = nullptr) const;

    // Closes the master side: to the slave's opener this looks like the
    // device being unplugged.
    void closeMaster();

    // Opens the slave side here too and keeps it open, so the master never
    // hangs up between two openers and a new one is served at once. False
    // when it cannot be opened.
    bool holdSlaveOpen();

private:
    int m_master = -1;
    int m_heldSlave = -1;
    QString m_slavePath;
    QString m_error;
};

#endif
