#ifndef NIMBAL_SERVOSESSION_H
#define NIMBAL_SERVOSESSION_H

#include "servo/servoclient.h"
#include "servo/servosetup.h"

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
        QString port;      // the last one given
        QStringList ports; // every one given (batch takes several)
        int timeoutMs = ServoClient::kDefaultTimeoutMs;
        int retries = ServoClient::kDefaultRetries;
        bool verbose = false;
    };

    ServoSession(const Options &options, Console &console);

    // What a command says of a client on `port`: with `verbose`, each frame
    // sent and each arrival; always, a lost port.
    static void watch(ServoClient &client, const QString &port, Console &console, bool verbose);

    // Each returns an exit status: 0, or 3 (port) and 4 (no answer) after
    // saying so.
    int open();
    int read(ParameterSet *values);
    int openAndRead(ParameterSet *values);

    // Writes `values` and, with `verify`, reads them back and compares, as
    // the production loop does; says nothing.
    ServoSetUp::Result writeAndVerify(const ParameterSet &values, bool verify);
    // The exit status of a set-up (0 passed, 1 differs, 3 port lost, 4 no
    // answer), after printing the differences on standard output or
    // saying what failed.
    int report(const ServoSetUp::Result &result);
    // What went wrong in setting a servo up, in the link's words, and for
    // no answer where to look for the cause.
    static QStringList problems(const ServoSetUp::Result &result, int timeoutMs);

    QString port() const { return m_port; }

private:
    Console &m_console;
    QString m_port;
    ServoClient m_client;
};

#endif
