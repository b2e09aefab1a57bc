#ifndef NIMBAL_SERVOSESSION_H
#define NIMBAL_SERVOSESSION_H

#include "servo/servoclient.h"

#include <QString>
#include <QStringList>

#include <optional>

class Console;
struct Invocation;

// A command's conversation with the servo on its port: the client set up as
// the command line asks, each outcome turned into nimbalctl's exit status,
// and every failure said in one line that names the port and the reason.
class ServoSession
{
public:
    // Writing a set and reading it back: what each step gave.
    struct WriteCheck
    {
        ServoClient::Reply written;
        std::optional<ServoClient::Reply> readBack; // none when not read back
        QStringList differences; // "name: wanted X, servo Y" for each field read back otherwise
    };

    ServoSession(const Invocation &invocation, Console &console);

    // Each returns an exit status: 0, or 3 (port) and 4 (no answer) after
    // saying so.
    int open();
    int read(ParameterSet *values);
    int openAndRead(ParameterSet *values);

    // Writes `values` and, with `verify`, reads them back and compares; says
    // nothing. The one write step of write, set and batch.
    WriteCheck writeAndVerify(const ParameterSet &values, bool verify);
    // The exit status of a check, after printing the differences on
    // standard output and saying what failed.
    int report(const WriteCheck &check);

    ServoClient &client() { return m_client; }
    QString port() const { return m_port; }

    // The exit status of a reply that did not answer, after saying why.
    int failure(const ServoClient::Reply &reply, const char *request);

private:
    Console &m_console;
    QString m_port;
    ServoClient m_client;
};

#endif
