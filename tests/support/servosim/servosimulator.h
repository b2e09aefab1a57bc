#ifndef NIMBAL_SERVOSIMULATOR_H
#define NIMBAL_SERVOSIMULATOR_H

#include "model/parameterset.h"
#include "pseudoterminal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QRandomGenerator>
#include <QString>
#include <QVector>

class QSocketNotifier;
class QTimer;

// A servo controller on the master side of a pseudo-terminal. It answers a
// read request with its parameter set (flag bit 3) and a write request by
// storing the request's values and answering with them (flag bit 2).
// Frames with a bad checksum and frames that are not requests are ignored.
//
// The tool opens slavePath() as it would a serial adapter. Everything runs
// on the event loop of the thread that owns the simulator.
class ServoSimulator : public QObject
{
    Q_OBJECT

public:
    explicit ServoSimulator(QObject *parent = nullptr);
    ~ServoSimulator() override;

    // The set a new simulator starts with: every value differs from the
    // tool's start values, so an applied answer shows in every control.
    static ParameterSet startValues();

    bool isOpen() const { return m_pty.isOpen(); }
    QString slavePath() const { return m_pty.slavePath(); }
    QString errorString() const { return m_pty.errorString(); }

    ParameterSet values() const { return m_values; }
    void setValues(const ParameterSet &values) { m_values = values; }

    // Time between a request's arrival and the first byte of its answer.
    void setAnswerDelay(int ms) { m_answerDelayMs = qMax(0, ms); }
    // Each answer goes out in `pieces` writes of near-equal size (1 or less:
    // in one write), or in pieces of the given sizes (the last piece takes
    // what is left). Between two pieces the event loop runs for
    // pieceInterval ms.
    void setSplit(int pieces);
    void setSplitSizes(const QVector<int> &sizes);
    void setPieceInterval(int ms) { m_pieceIntervalMs = qMax(0, ms); }
    // `count` random bytes are written on their own before every answer;
    // unless `allowHeader`, none of them is 0x55.
    void setNoise(int count, bool allowHeader = false);
    void setNoiseSeed(quint32 seed) { m_random.seed(seed); }
    // A silent servo counts requests but neither answers nor stores them:
    // a servo unplugged from its adapter, while the adapter stays.
    void setSilent(bool silent) { m_silent = silent; }
    // After every write, `id` holds `value` whatever was written: a servo
    // that does not take a setting (a field it limits or ignores).
    void forceStoredValue(Parameter id, int value);
    void clearForcedValues() { m_forced.clear(); }
    // Every byte from the tool goes straight back to it before any answer,
    // as on a line that echoes (a one-wire adapter does, with a servo or
    // without: a silent servo's line echoes too).
    void setEcho(bool echo) { m_echo = echo; }
    // What goes wrong with every answer, as the causes of a servo that
    // seems not to answer leave it on the line.
    enum class Fault
    {
        None,
        Garbled,     // as many random bytes as a frame, never a frame: another speed
        BadChecksum, // the answer with its checksum off by one: a noisy line
        OtherKind,   // a write answer to a read request and the other way round
    };
    void setFault(Fault fault) { m_fault = fault; }
    // Keeps the pseudo-terminal's slave side open, so a program that opens
    // the port anew is answered at once; otherwise a new opener after a
    // hang-up is noticed within 50 ms.
    bool holdSlaveOpen() { return m_pty.holdSlaveOpen(); }
    // The adapter goes away: the master side closes for good, which the
    // tool's port sees as its device vanishing.
    void vanish();

    int requestsSeen() const { return m_requestsSeen; }
    int answersSent() const { return m_answersSent; }
    // Every byte that arrived from the tool, and the valid requests among
    // them, as 20-byte frames.
    QByteArray receivedBytes() const { return m_received; }
    QList<QByteArray> requests() const { return m_requests; }
    // Reads from the master: a busy loop on a hung-up master shows here.
    int readWakeups() const { return m_readWakeups; }
    // Whether the master is hung up: the slave's last opener closed it and
    // no one has opened it again yet.
    bool hungUp() const { return m_hungUp; }

    // Writes the bytes to the tool now, past the answer queue.
    bool sendRaw(const QByteArray &bytes);

signals:
    void requestReceived(const QByteArray &frame);
    void answerSent(const QByteArray &frame);

private:
    void onReadable();
    void checkPeer();
    void handleFrames();
    void queueAnswer(const QByteArray &frame);
    QList<QByteArray> piecesOf(const QByteArray &frame) const;
    QByteArray randomBytes(int count, bool allowHeader);
    void writeNextPiece();

    struct Piece
    {
        QByteArray bytes;
        QByteArray completesAnswer; // set on the last piece of an answer
    };

    PseudoTerminal m_pty;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_peerTimer = nullptr;
    QTimer *m_pieceTimer = nullptr;
    QRandomGenerator m_random;
    ParameterSet m_values;
    QByteArray m_pending; // received bytes not yet part of a frame
    QByteArray m_received;
    QList<QByteArray> m_requests;
    QList<Piece> m_outQueue;
    QVector<QPair<Parameter, int>> m_forced;

    int m_answerDelayMs = 0;
    int m_splitPieces = 1;
    QVector<int> m_splitSizes;
    int m_pieceIntervalMs = 2;
    int m_noiseCount = 0;
    bool m_noiseAllowsHeader = false;
    bool m_silent = false;
    bool m_echo = false;
    Fault m_fault = Fault::None;
    bool m_hungUp = false;

    int m_requestsSeen = 0;
    int m_answersSent = 0;
    int m_readWakeups = 0;
};

#endif
