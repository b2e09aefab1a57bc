#ifndef NIMBAL_INVOCATION_H
#define NIMBAL_INVOCATION_H

#include "servo/servoclient.h"

#include <QString>
#include <QStringList>

struct CommandInfo;

// One run of nimbalctl as its command line asks for it: the command, its
// arguments, and every option with its default.
struct Invocation
{
    const CommandInfo *command = nullptr;
    QStringList arguments;

    // How to reach the servo.
    QString port;
    int timeoutMs = ServoClient::kDefaultTimeoutMs;
    int retries = ServoClient::kDefaultRetries;
    bool verbose = false;

    // What the commands themselves take.
    bool json = false;                        // ports
    QString format = QStringLiteral("table"); // read
    QString outFile;                          // read
    bool noVerify = false;                    // write
    QString logFile;                          // batch
    int count = 0;                            // batch; 0 runs until stopped
};

#endif
