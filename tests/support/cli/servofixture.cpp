#include "servofixture.h"

#include "referenceframe.h"
#include "referenceline.h"

#include <QCoreApplication>
#include <QFile>
#include <QtTest>

void ServoFixture::setUpServo()
{
    QVERIFY(m_dir.isValid());
    m_servo = std::make_unique<ServoSimulator>();
    QVERIFY2(m_servo->isOpen(), qPrintable(m_servo->errorString()));
    m_port = m_servo->slavePath();
}

void ServoFixture::drain()
{
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
}

QString ServoFixture::dataPath(const QString &name)
{
    return QStringLiteral(NIMBAL_TEST_DATA "/") + name;
}

QByteArray ServoFixture::dataLine(const QString &name)
{
    return readAll(dataPath(name));
}

ParameterSet ServoFixture::wanted()
{
    return ReferenceLine::values(QString::fromLatin1(dataLine(kWanted))).value_or(ParameterSet());
}

QByteArray ServoFixture::readRequest()
{
    return Reference::bytes("55 00 00 00 00 00 00 00 00 F4 01 C4 09 00 00 00 DC 05 A3 AA");
}

QString ServoFixture::writeFile(const QTemporaryDir &dir, const QString &name,
                                const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray ServoFixture::readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}
