#ifndef NIMBAL_SERVOSESSION_H
#define NIMBAL_SERVOSESSION_H

#include "servo/servoclient.h"

#include <QString>

class Console;
struct Invocation;

// A command's conversation with the servo on its port: the client set up as
// the command line asks, each outcome turned into nimbalctl's exit status,
// and every failure said in one line that names the port and the reason.
class ServoSession
{
public:
    ServoSession(const Invocation &invocation, Console &console);

    // Each returns an exit status: 0, or 3 (port) and 4 (no answer) after
    // saying so.
    int open();
    int read(ParameterSet *values);
    int openAndRead(ParameterSet *values);
    int write(const ParameterSet &values);
    // Reads back and compares with `wanted`: 1 when a field differs, with
    // "name: wanted X, servo Y" for each in `differences`.
    int verify(const ParameterSet &wanted, QStringList *differences);

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
