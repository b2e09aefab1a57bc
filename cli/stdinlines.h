#ifndef NIMBAL_STDINLINES_H
#define NIMBAL_STDINLINES_H

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// Standard input, a line at a time, for the event loop: a scanner typing
// into a terminal, or a script feeding lines. A thread of its own waits in
// the blocking read, since no notifier watches a Windows console or pipe;
// it never touches C's stdio, whose locks the end of the process takes. A
// line longer than kLongest bytes is cut there (its rest is dropped).
class StdinLines : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLongest = 4096;

    explicit StdinLines(QObject *parent = nullptr);
    // The reading thread is left to end with the process: it may wait for
    // a line that never comes.
    ~StdinLines() override;

    void start();
    // The next line that has come, without its line end; none while none
    // waits.
    std::optional<QString> take();
    // Whether standard input has ended and every line has been taken.
    bool atEnd() const;

signals:
    // A line has come, or the end.
    void arrived();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

#endif
