#include "app/widget.h"

#include "editor/myspinbox.h"
#include "editor/widgetform.h"
#include "files/parameterfile.h"
#include "model/parameterset.h"
#include "port/linesettings.h"
#include "port/portwatch.h"
#include "protocol/framereceiver.h"
#include "protocol/parameterframe.h"
#include "serial/mycombobox.h"
#include "serial/statuslog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

QString desktopSaveDialog(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString desktopOpenDialog(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

const char kFileStartDirectory[] = "/home/";

// A value field shows its number in its locale's digits (Persian,
// Arabic-Indic, Bengali, ...); a parameter file holds ASCII decimal digits
// in every locale. Text that is no number, as in an entry the user has
// emptied, goes into the file as it stands.
QString fileField(const QSpinBox &spin)
{
    const QString shown = spin.text();
    bool isNumber = false;
    const int value = spin.locale().toInt(shown, &isNumber);
    return isNumber ? QString::number(value) : shown;
}

} // namespace

Widget::Widget(QWidget *parent)
    : QWidget(parent), form(new WidgetForm), saveFileDialog(desktopSaveDialog),
      openFileDialog(desktopOpenDialog)
{
    form->buildForm(this);
    setupSerialPort();
    initParameterControls();

    clockTimer = new QTimer(this);
    connect(clockTimer, &QTimer::timeout, clockTimer,
            [this] { currentTime = StatusLog::clockStamp(QDateTime::currentDateTime()); });
    clockTimer->start(StatusLog::kClockIntervalMs);

    resize(600, 676);
    form->textBrowser_StateShow->document()->setMaximumBlockCount(StatusLog::kMaximumLines);
    connect(serialPort, SIGNAL(readyRead()), this, SLOT(serialDataRead()));
}

Widget::~Widget()
{
    delete form;
}

// ---- Serial link -----------------------------------------------------------

void Widget::setupSerialPort()
{
    serialPort = new QSerialPort(this);
    LineSettings::apply(*serialPort);
    // A device that goes away while open (an adapter pulled out) closes the
    // port once and is said once; the port can be chosen again when the
    // device is back.
    connect(new PortWatch(serialPort), &PortWatch::lost, this, [this] {
        receiveBuffer.clear();
        appendStatus(StatusLog::portDisconnected(serialPort->portName()));
    });
}

void Widget::on_comboBox_Port_textActivated(const QString &arg1)
{
    if (arg1.isEmpty())
        return;
    if (serialPort->isOpen())
        serialPort->close();
    serialPort->setPortName(arg1);
    const bool opened = serialPort->open(QIODevice::ReadWrite);
    // Bytes left over from the previous port are no part of this one's frames.
    receiveBuffer.clear();
    // Take in at once whatever has arrived. On Windows this also starts the
    // port's first read, which some serial drivers would otherwise leave
    // waiting for a "character received" event that they never send (Wine's;
    // a port redirected into a remote desktop session): no answer would
    // ever reach the window.
    if (opened)
        serialDataRead();
    const QString name = serialPort->portName();
    appendStatus(opened ? StatusLog::portOpened(name) : StatusLog::portFailedToOpen(name));
}

// The document's block limit drops the oldest line. The newest is kept in
// view: append() scrolls along only when it finds the view at the end, and
// it misjudges that while the lines before are still being laid out (with
// a font taller than the log, as other systems substitute for the window's).
void Widget::appendStatus(const QString &message)
{
    QTextBrowser *log = form->textBrowser_StateShow;
    log->append(StatusLog::line(currentTime, message));
    QTextCursor end(log->document());
    end.movePosition(QTextCursor::End);
    log->setTextCursor(end);
    log->ensureCursorVisible();
}

// ---- Parameter controls ----------------------------------------------------

void Widget::initParameterControls()
{
    for (std::size_t i = 0; i < kNumericParameterCount; ++i) {
        const ParameterInfo &param = kParameters[i];
        const ParameterControls c = controlsFor(*form, param.id);
        MySpinBox *spin = c.spinBox;
        connect(c.plus, SIGNAL(clicked()), spin, SLOT(addData()));
        connect(c.minus, SIGNAL(clicked()), spin, SLOT(minusData()));
        spin->setMaximum(param.maximum);
        spin->setMinimum(param.minimum);
        spin->setSingleStep(1);
        spin->setValue(param.start);
    }
}

ParameterSet Widget::readControls() const
{
    ParameterSet values;
    for (const ParameterInfo &param : kParameters) {
        if (isSwitch(param.id))
            values.setValue(param.id, controlsFor(*form, param.id).checkBox->isChecked() ? 1 : 0);
        else
            values.setValue(param.id, controlsFor(*form, param.id).spinBox->value());
    }
    return values;
}

// Spin boxes clamp what they are given to their range; a switch is on for
// any value but 0.
void Widget::writeControl(Parameter id, int value)
{
    if (isSwitch(id))
        controlsFor(*form, id).checkBox->setChecked(value != 0);
    else
        controlsFor(*form, id).spinBox->setValue(value);
}

// ---- Parameter protocol ----------------------------------------------------

QString Widget::buildParameterFrame(int requestKind) const
{
    return ParameterFrame::requestText(readControls(), requestKind);
}

uint Widget::frameChecksum(const QString &payloadText) const
{
    return ParameterFrame::checksum(payloadText);
}

void Widget::on_pB_ReadParameter_clicked()
{
    sendRequest(ParameterFrame::kReadRequest);
}

void Widget::on_pB_WriteParameter_clicked()
{
    sendRequest(ParameterFrame::kWriteRequest);
}

void Widget::sendRequest(int requestKind)
{
    if (!serialPort->isOpen())
        return;
    const QByteArray frame = QByteArray::fromHex(buildParameterFrame(requestKind).toLatin1());
    serialPort->write(frame.constData(), frame.size());
}

void Widget::serialDataRead()
{
    FrameReceiver::appendBytes(receiveBuffer, serialPort->readAll());
    const auto answers = FrameReceiver::takeAnswers(receiveBuffer);
    for (const FrameReceiver::Answer &answer : answers) {
        applyParameterFrame(answer.frameText);
        appendStatus(QString::fromUtf8(answer.kind == FrameReceiver::AnswerKind::ReadAnswer
                                           ? StatusLog::kReadingSuccessful
                                           : StatusLog::kWriteSuccessful));
    }
}

void Widget::applyParameterFrame(const QString &frameText)
{
    // In the order of the frame: the switches go with the flags byte, which
    // follows the two gains.
    static constexpr Parameter kFrameOrder[] = {
        Parameter::TorqueGain,
        Parameter::IntegralGain,
        Parameter::ReversedRotation,
        Parameter::SoftStart,
        Parameter::LOCKProtection,
        Parameter::LeftAngleCoefficient,
        Parameter::Sensitivity,
        Parameter::IntegralSpeed,
        Parameter::BrakeGain,
        Parameter::MinPulseWidth,
        Parameter::MAXPulseWidth,
        Parameter::MAXDuty,
        Parameter::RightAngleCoefficient,
        Parameter::NeutralPoint,
    };
    const ParameterSet values = ParameterFrame::decode(frameText);
    for (Parameter id : kFrameOrder)
        writeControl(id, values.value(id));
}

// ---- Parameter files -------------------------------------------------------

void Widget::setSaveFileDialog(FileDialog dialog)
{
    saveFileDialog = dialog ? std::move(dialog) : FileDialog(desktopSaveDialog);
}

void Widget::setOpenFileDialog(FileDialog dialog)
{
    openFileDialog = dialog ? std::move(dialog) : FileDialog(desktopOpenDialog);
}

void Widget::on_pB_SaveParameter_clicked()
{
    const QString fileName = saveFileDialog(
        this, tr("保存参数"), QLatin1String(kFileStartDirectory), tr("文本类型 (*.txt)"));
    if (fileName.isEmpty())
        return;
    // The controls are read now, after the dialog has closed.
    QStringList fields;
    for (const ParameterInfo &param : kParameters) {
        if (isSwitch(param.id))
            fields.append(controlsFor(*form, param.id).checkBox->isChecked() ? QStringLiteral("1")
                                                                             : QStringLiteral("0"));
        else
            fields.append(fileField(*controlsFor(*form, param.id).spinBox));
    }
    const bool saved = !ParameterFile::save(fileName, ParameterFile::formatLine(fields));
    appendStatus(QString::fromUtf8(saved ? StatusLog::kSavedSuccessfully : StatusLog::kSaveFailed));
}

void Widget::on_pB_OpenParameter_clicked()
{
    const QString fileName = openFileDialog(
        this, tr("打开参数"), QLatin1String(kFileStartDirectory), tr("文本类型 (*.txt)"));
    if (fileName.isEmpty())
        return;
    const std::optional<QString> line = ParameterFile::readFirstLine(fileName);
    if (!line)
        return;
    const std::optional<ParameterSet> values = ParameterFile::parseLine(*line);
    if (!values)
        return;
    for (const ParameterInfo &param : kParameters)
        writeControl(param.id, values->value(param.id));
    appendStatus(QString::fromUtf8(StatusLog::kLoadingSuccessful));
}
