#ifndef NIMBAL_TESTS_SERVOFIXTURE_H
#define NIMBAL_TESTS_SERVOFIXTURE_H

#include "model/parameterset.h"
#include "servosimulator.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// What the command line's tests share: a simulated servo on a
// pseudo-terminal, a fresh one for each test function, a folder for the
// files of a test class, and the reference files in tests/data. A test class
// derives from it and calls setUpServo() from its init(). The test's event
// loop keeps running while nimbalctl does (runProgram), so the servo
// answers as a real one would.
class ServoFixture : public QObject
{
    Q_OBJECT

protected:
    void setUpServo();

    // Lets the servo take in whatever is still on its way to it.
    static void drain();

    // A file in tests/data, and what it holds.
    static QString dataPath(const QString &name);
    static QByteArray dataLine(const QString &name);
    // The values the writing tests send, from kWanted.
    static ParameterSet wanted();
    // The read request of a tool with its start values.
    static QByteArray readRequest();

    // Writes `content` to `name` in `dir`; the file's path.
    static QString writeFile(const QTemporaryDir &dir, const QString &name,
                             const QByteArray &content);
    static QByteArray readAll(const QString &path);

    QTemporaryDir m_dir;
    std::unique_ptr<ServoSimulator> m_servo;
    QString m_port;
};

// Files in tests/data: the values the writing tests send, and the simulated
// servo's start values.
inline const QString kWanted = QStringLiteral("wanted-values.txt");
inline const QString kServoStart = QStringLiteral("servo-start-values.txt");

#endif
