#include "commands.h"

#include "batchrun.h"
#include "commandline.h"
#include "commandtable.h"
#include "console.h"
#include "doctor/portdoctor.h"
#include "doctortext.h"
#include "exitstatus.h"
#include "files/parameterfile.h"
#include "parameterformat.h"
#include "port/portlist.h"
#include "servo/waituntil.h"
#include "servosession.h"
#include "texttable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>
#include <vector>

namespace {

QString usbIds(const PortList::Entry &entry)
{
    if (!entry.hasUsbIds)
        return QString();
    return QStringLiteral("%1:%2")
        .arg(entry.vendorId, 4, 16, QLatin1Char('0'))
        .arg(entry.productId, 4, 16, QLatin1Char('0'));
}

QString portsJson(const QVector<PortList::Entry> &entries)
{
    QJsonArray ports;
    const auto orNull = [](const QString &text) {
        return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
    };
    for (const PortList::Entry &entry : entries) {
        QJsonObject port;
        port.insert(QStringLiteral("name"), entry.name);
        port.insert(QStringLiteral("systemLocation"), entry.systemLocation);
        port.insert(QStringLiteral("description"), entry.description);
        port.insert(QStringLiteral("manufacturer"), entry.manufacturer);
        port.insert(QStringLiteral("serialNumber"), entry.serialNumber);
        port.insert(QStringLiteral("usb"), orNull(usbIds(entry)));
        port.insert(QStringLiteral("byId"), orNull(entry.byIdPath));
        ports.append(port);
    }
    return QString::fromUtf8(QJsonDocument(ports).toJson(QJsonDocument::Indented));
}

QString portsTable(const QVector<PortList::Entry> &entries)
{
    std::vector<QStringList> rows = {{QStringLiteral("NAME"), QStringLiteral("LOCATION"),
                                      QStringLiteral("USB"), QStringLiteral("SERIAL"),
                                      QStringLiteral("BY-ID"), QStringLiteral("MANUFACTURER"),
                                      QStringLiteral("DESCRIPTION")}};
    for (const PortList::Entry &entry : entries) {
        rows.push_back({entry.name, entry.systemLocation, usbIds(entry), entry.serialNumber,
                        entry.byIdPath, entry.manufacturer, entry.description});
    }
    return TextTable::of(rows);
}

// Values read from a servo as the window would show them, saying which the
// window's controls would have moved into their range.
ParameterSet asShown(const ParameterSet &held, const QString &port, Console &console)
{
    const ParameterSet shown = held.clamped();
    for (const ParameterInfo &param : kParameters) {
        if (isSwitch(param.id) || held.value(param.id) == shown.value(param.id))
            continue;
        console.message(port, QStringLiteral("the servo holds %1 %2, outside %3; shown as %4")
                                  .arg(QLatin1String(param.caption))
                                  .arg(held.value(param.id))
                                  .arg(ParameterFormat::rangeText(param))
                                  .arg(shown.value(param.id)));
    }
    return shown;
}

} // namespace

int Commands::ports(const Invocation &invocation, Console &console)
{
    const QVector<PortList::Entry> entries = PortList::available();
    console.outText(invocation.isSet("json") ? portsJson(entries) : portsTable(entries));
    return ExitStatus::kSuccess;
}

int Commands::read(const Invocation &invocation, Console &console)
{
    ServoSession session(invocation.servo, console);
    ParameterSet held;
    const int status = session.openAndRead(&held);
    if (status != ExitStatus::kSuccess)
        return status;
    const ParameterSet shown = asShown(held, session.port(), console);

    const QString format = invocation.value("format", QStringLiteral("table"));
    if (invocation.isSet("out"))
        return ParameterFormat::saveFile(invocation.value("out"), shown, console)
                   ? ExitStatus::kSuccess
                   : ExitStatus::kBadInput;
    if (format == QLatin1String("line"))
        console.out(ParameterFile::lineOf(shown));
    else if (format == QLatin1String("json"))
        console.outText(ParameterFormat::json(shown));
    else
        console.outText(ParameterFormat::table(shown));
    return ExitStatus::kSuccess;
}

int Commands::write(const Invocation &invocation, Console &console)
{
    const std::optional<ParameterSet> values =
        ParameterFormat::loadFile(invocation.arguments.first(), console);
    if (!values)
        return ExitStatus::kBadInput;
    ServoSession session(invocation.servo, console);
    const int status = session.open();
    if (status != ExitStatus::kSuccess)
        return status;
    return session.report(session.writeAndVerify(*values, !invocation.isSet("no-verify")));
}

int Commands::set(const Invocation &invocation, Console &console)
{
    std::vector<std::pair<Parameter, int>> changes;
    QString error;
    if (!ParameterFormat::parseAssignments(invocation.arguments, &changes, &error))
        return CommandLine::usageError(console, QStringLiteral("set"), error);

    ServoSession session(invocation.servo, console);
    ParameterSet held;
    const int status = session.openAndRead(&held);
    if (status != ExitStatus::kSuccess)
        return status;
    // What the window would hold after Read Parameter and the changes.
    ParameterSet values = asShown(held, session.port(), console);
    for (const auto &change : changes)
        values.setValue(change.first, change.second);
    return session.report(session.writeAndVerify(values, true));
}

int Commands::diff(const Invocation &invocation, Console &console)
{
    const QString &firstFile = invocation.arguments.at(0);
    const std::optional<ParameterSet> first = ParameterFormat::loadFile(firstFile, console);
    if (!first)
        return ExitStatus::kBadInput;

    ParameterSet second;
    QString secondLabel;
    if (invocation.arguments.size() == 2) {
        secondLabel = invocation.arguments.at(1);
        const std::optional<ParameterSet> loaded = ParameterFormat::loadFile(secondLabel, console);
        if (!loaded)
            return ExitStatus::kBadInput;
        second = *loaded;
    } else {
        ServoSession session(invocation.servo, console);
        const int status = session.openAndRead(&second);
        if (status != ExitStatus::kSuccess)
            return status;
        secondLabel = QStringLiteral("servo");
    }
    const QStringList lines = ParameterFormat::differences(*first, firstFile, second, secondLabel);
    for (const QString &line : lines)
        console.out(line);
    return lines.isEmpty() ? ExitStatus::kSuccess : ExitStatus::kDifferent;
}

int Commands::batch(const Invocation &invocation, Console &console)
{
    return BatchRun(invocation, console).run();
}

int Commands::doctor(const Invocation &invocation, Console &console)
{
    PortDoctor doctor;
    const PortDoctor::Result result = waitUntil<PortDoctor::Result>(
        &doctor, &PortDoctor::finished, [&] { doctor.start(invocation.servo.port); });
    const int status = ExitStatus::of(result);
    if (invocation.isSet("json"))
        console.outText(DoctorText::json(result, status));
    else
        for (const QString &line : DoctorText::lines(result))
            console.out(line);
    return status;
}

int Commands::help(const Invocation &invocation, Console &console)
{
    if (invocation.arguments.isEmpty()) {
        console.outText(CommandLine::overview());
        return ExitStatus::kSuccess;
    }
    const QString &topic = invocation.arguments.first();
    const CommandInfo *command = CommandTable::find(topic);
    if (!command)
        return CommandLine::usageError(console, QString(),
                                       QStringLiteral("no such command: %1").arg(topic));
    console.outText(CommandLine::commandHelp(*command));
    return ExitStatus::kSuccess;
}
