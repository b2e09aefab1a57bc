#ifndef NIMBAL_SERVOSESSION_H
#define NIMBAL_SERVOSESSION_H

#include "servo/servoclient.h"

#include <QString>
#include <QStringList>

#include <optional>

class Console;

// A command's conversation with the servo on its port: the client set up as
// the command line asks, each outcome turned into nimbalctl's exit status,
// and every failure said in one line that names the port and the reason.
class ServoSession
{
public:
    // The servo options of the command line.
    struct Options
    {
        QString port;
        int timeoutMs = ServoClient::kDefaultTimeoutMs;
        int retries = ServoClient::kDefaultRetries;
        bool verbose = false;
    };

    // What writing a set and reading it back came to, worded once for
    // every command that writes.
    struct Verdict
    {
        int status = 0; // an exit status: 0 passed, 1 differs, 3 port lost, 4 no answer
        // "Neutral Point: wanted 1520, servo 1500" for each field that
        // differs; or the one reason the servo's setting is unknown ("no
        // answer to the write request after 3 attempts of 500 ms", "port
        // lost during the read-back").
        QStringList problems;
        std::optional<ParameterSet> readBack;
    };

    ServoSession(const Options &options, Console &console);

    // Each returns an exit status: 0, or 3 (port) and 4 (no answer) after
    // saying so.
    int open();
    int read(ParameterSet *values);
    int openAndRead(ParameterSet *values);

    // Writes `values` and, with `verify`, reads them back and compares; says
    // nothing. The one write step of write, set and batch.
    Verdict writeAndVerify(const ParameterSet &values, bool verify);
    // The verdict's exit status, after printing the differences on standard
    // output or saying what failed.
    int report(const Verdict &verdict);

    ServoClient &client() { return m_client; }
    QString port() const { return m_port; }

private:
    QString noAnswerText(const ServoClient::Reply &reply, const char *request) const;

    Console &m_console;
    QString m_port;
    ServoClient m_client;
};

#endif
