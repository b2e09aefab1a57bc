#include "servosimulator.h"

#include "referenceframe.h"

#include <QSocketNotifier>
#include <QTimer>

#include <utility>

namespace {

// How often a hung-up master is looked at again for a new opener.
constexpr int kPeerCheckIntervalMs = 50;
constexpr int kFrameLength = 20;
constexpr uchar kFrameHeader = 0x55;

} // namespace

ServoSimulator::ServoSimulator(QObject *parent)
    : QObject(parent), m_peerTimer(new QTimer(this)), m_pieceTimer(new QTimer(this)),
      m_values(startValues())
{
    m_peerTimer->setInterval(kPeerCheckIntervalMs);
    connect(m_peerTimer, &QTimer::timeout, this, &ServoSimulator::checkPeer);
    m_pieceTimer->setSingleShot(true);
    connect(m_pieceTimer, &QTimer::timeout, this, &ServoSimulator::writeNextPiece);
    if (!m_pty.isOpen())
        return;

    m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServoSimulator::onReadable);
}

ServoSimulator::~ServoSimulator()
{
    // The notifier must go before the master it watches is closed.
    delete m_notifier;
    m_notifier = nullptr;
}

ParameterSet ServoSimulator::startValues()
{
    ParameterSet set;
    set.setValue(Parameter::TorqueGain, 32);
    set.setValue(Parameter::BrakeGain, 200);
    set.setValue(Parameter::IntegralGain, 16);
    set.setValue(Parameter::IntegralSpeed, 50);
    set.setValue(Parameter::MinPulseWidth, 900);
    set.setValue(Parameter::MAXPulseWidth, 2100);
    set.setValue(Parameter::Sensitivity, 25);
    set.setValue(Parameter::NeutralPoint, 1520);
    set.setValue(Parameter::MAXDuty, 399);
    set.setValue(Parameter::LeftAngleCoefficient, 100);
    set.setValue(Parameter::RightAngleCoefficient, 120);
    // Soft Start on and LOCK Protection off, so a swap of their bits shows.
    set.setValue(Parameter::ReversedRotation, 1);
    set.setValue(Parameter::SoftStart, 1);
    set.setValue(Parameter::LOCKProtection, 0);
    return set;
}

void ServoSimulator::setSplit(int pieces)
{
    m_splitPieces = qBound(1, pieces, kFrameLength);
    m_splitSizes.clear();
}

void ServoSimulator::setSplitSizes(const QVector<int> &sizes)
{
    m_splitSizes = sizes;
    m_splitPieces = 1;
}

void ServoSimulator::setNoise(int count, bool allowHeader)
{
    m_noiseCount = qMax(0, count);
    m_noiseAllowsHeader = allowHeader;
}

void ServoSimulator::forceStoredValue(Parameter id, int value)
{
    m_forced.append({id, value});
}

void ServoSimulator::vanish()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_peerTimer->stop();
    m_pieceTimer->stop();
    m_outQueue.clear();
    m_pty.closeMaster();
}

bool ServoSimulator::sendRaw(const QByteArray &bytes)
{
    return m_pty.write(bytes);
}

void ServoSimulator::onReadable()
{
    ++m_readWakeups;
    bool peerGone = false;
    const QByteArray bytes = m_pty.readAvailable(&peerGone);
    if (!bytes.isEmpty()) {
        m_received += bytes;
        if (m_echo)
            m_pty.write(bytes);
        m_pending += bytes;
        handleFrames();
    }
    if (peerGone) {
        // A hung-up master stays readable; look again later instead of
        // spinning on it.
        m_notifier->setEnabled(false);
        m_hungUp = true;
        m_peerTimer->start();
    }
}

void ServoSimulator::checkPeer()
{
    if (!m_pty.peerOpen())
        return;
    m_peerTimer->stop();
    m_hungUp = false;
    m_notifier->setEnabled(true);
}

// The frames are found and read with the tests' own codec, not the tool's:
// a fault in the tool's codec then shows as a servo that does not
// understand it.
void ServoSimulator::handleFrames()
{
    const QList<QByteArray> frames = Reference::takeFrames(m_pending);
    for (const QByteArray &frame : frames) {
        const unsigned flags = Reference::flagsOf(frame);
        // Answers are the servo's own kind of frame, not something to act on.
        if (flags & (Reference::kReadAnswer | Reference::kWriteAnswer))
            continue;
        m_requests.append(frame);
        ++m_requestsSeen;
        emit requestReceived(frame);
        if (m_silent)
            continue;
        const bool write = flags & Reference::kWriteRequest;
        if (write) {
            m_values = Reference::decode(frame);
            for (const auto &forced : std::as_const(m_forced))
                m_values.setValue(forced.first, forced.second);
        }
        const bool writeAnswer = write != (m_fault == Fault::OtherKind);
        QByteArray answer = Reference::encode(m_values, writeAnswer ? Reference::kWriteAnswer
                                                                    : Reference::kReadAnswer);
        if (m_fault == Fault::BadChecksum)
            answer[18] = char(uchar(answer.at(18)) + 1);
        queueAnswer(m_fault == Fault::Garbled ? randomBytes(kFrameLength, false) : answer);
    }
}

void ServoSimulator::queueAnswer(const QByteArray &frame)
{
    const auto enqueue = [this, frame] {
        if (m_noiseCount > 0)
            m_outQueue.append({randomBytes(m_noiseCount, m_noiseAllowsHeader), QByteArray()});
        const QList<QByteArray> pieces = piecesOf(frame);
        for (int i = 0; i < pieces.size(); ++i)
            m_outQueue.append({pieces.at(i), i + 1 == pieces.size() ? frame : QByteArray()});
        if (!m_pieceTimer->isActive())
            writeNextPiece();
    };
    if (m_answerDelayMs > 0)
        QTimer::singleShot(m_answerDelayMs, this, enqueue);
    else
        enqueue();
}

QList<QByteArray> ServoSimulator::piecesOf(const QByteArray &frame) const
{
    QList<QByteArray> pieces;
    const int length = frame.size();
    if (!m_splitSizes.isEmpty()) {
        int pos = 0;
        for (int size : m_splitSizes) {
            if (size <= 0 || pos >= length)
                continue;
            pieces.append(frame.mid(pos, size));
            pos += size;
        }
        if (pos < length)
            pieces.append(frame.mid(pos));
        return pieces;
    }
    for (int i = 0; i < m_splitPieces; ++i) {
        const int from = length * i / m_splitPieces;
        const int to = length * (i + 1) / m_splitPieces;
        pieces.append(frame.mid(from, to - from));
    }
    return pieces;
}

QByteArray ServoSimulator::randomBytes(int count, bool allowHeader)
{
    QByteArray bytes;
    bytes.reserve(count);
    while (bytes.size() < count) {
        const char b = char(m_random.bounded(256));
        if (!allowHeader && uchar(b) == kFrameHeader)
            continue;
        bytes.append(b);
    }
    return bytes;
}

void ServoSimulator::writeNextPiece()
{
    if (m_outQueue.isEmpty())
        return;
    const Piece piece = m_outQueue.takeFirst();
    m_pty.write(piece.bytes);
    if (!piece.completesAnswer.isEmpty()) {
        ++m_answersSent;
        emit answerSent(piece.completesAnswer);
    }
    if (!m_outQueue.isEmpty())
        m_pieceTimer->start(m_pieceIntervalMs);
}
