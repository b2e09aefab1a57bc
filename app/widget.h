#ifndef NIMBAL_WIDGET_H
#define NIMBAL_WIDGET_H

#include <QString>
#include <QWidget>

#include <functional>

class QSerialPort;
class QTimer;
class WidgetForm;
class ParameterSet;
enum class Parameter;

// The main window: owns the form, the serial port, the status log's clock
// and the receive buffer; every user action and every arrival of data from
// the servo reaches the program as one of its slots.
class Widget : public QWidget
{
    Q_OBJECT

public:
    // Asks the user for a file name: parent, caption, start directory,
    // filter; an empty result means the user cancelled.
    using FileDialog =
        std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;

    explicit Widget(QWidget *parent = nullptr);
    ~Widget() override;

    // Operations of the window, reached by its slots.
    void setupSerialPort();
    void appendStatus(const QString &message);
    void initParameterControls();
    QString buildParameterFrame(int requestKind) const;
    uint frameChecksum(const QString &payloadText) const;
    void applyParameterFrame(const QString &frameText);

    // The dialogs of Save and Open Parameter; an empty function restores the
    // desktop's file dialog.
    void setSaveFileDialog(FileDialog dialog);
    void setOpenFileDialog(FileDialog dialog);

private slots:
    void on_comboBox_Port_textActivated(const QString &arg1);
    void on_pB_ReadParameter_clicked();
    void on_pB_WriteParameter_clicked();
    void on_pB_OpenParameter_clicked();
    void on_pB_SaveParameter_clicked();
    void serialDataRead();

private:
    void sendRequest(int requestKind);
    ParameterSet readControls() const;
    void writeControl(Parameter id, int value);

    WidgetForm *form = nullptr;
    QSerialPort *serialPort = nullptr;
    QTimer *clockTimer = nullptr;
    QString currentTime;
    QString receiveBuffer;

    FileDialog saveFileDialog;
    FileDialog openFileDialog;
};

#endif
