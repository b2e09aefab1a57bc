#ifndef NIMBAL_WIDGETFORM_H
#define NIMBAL_WIDGETFORM_H

class MyComboBox;
class MySpinBox;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpacerItem;
class QTextBrowser;
class QVBoxLayout;
class QWidget;

// The window's form: builds every child widget, layout and spacer of the
// main window and then serves as the directory through which the rest of the
// program reaches them. It owns none of them; they belong to the window.
// The members stand in the order in which buildForm creates the objects, and
// each named object's member carries its object name.
class WidgetForm
{
public:
    void buildForm(QWidget *window);
    void translateForm(QWidget *window);

    // Header row: port caption, port list and picture.
    QGridLayout *gridLayout_15 = nullptr;
    QHBoxLayout *horizontalLayout_15 = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QLabel *label_PortE = nullptr;
    MyComboBox *comboBox_Port = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    QWidget *widget = nullptr;

    // Left column: sections groupBox and groupBox_3.
    QHBoxLayout *horizontalLayout_14 = nullptr;
    QVBoxLayout *verticalLayout_13 = nullptr;
    QGroupBox *groupBox = nullptr;
    QGridLayout *gridLayout_13 = nullptr;
    QGroupBox *groupBox_TorqueGain = nullptr;
    QGridLayout *gridLayout = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QLabel *label_TorqueGainE = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QPushButton *pB_TorqueGainMinus = nullptr;
    MySpinBox *spinBox_TorqueGain = nullptr;
    QPushButton *pB_TorqueGainAdd = nullptr;
    QGroupBox *groupBox_BrakeGain = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    QVBoxLayout *verticalLayout_3 = nullptr;
    QLabel *label_BrakeGainE = nullptr;
    QSpacerItem *horizontalSpacer_3 = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QPushButton *pB_BrakeGainMinus = nullptr;
    MySpinBox *spinBox_BrakeGain = nullptr;
    QPushButton *pB_BrakeGainAdd = nullptr;
    QGroupBox *groupBox_IntegralGain = nullptr;
    QGridLayout *gridLayout_3 = nullptr;
    QVBoxLayout *verticalLayout_4 = nullptr;
    QLabel *label_IntegralGainE = nullptr;
    QSpacerItem *horizontalSpacer_4 = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QPushButton *pB_IntegralGainMinus = nullptr;
    MySpinBox *spinBox_IntegralGain = nullptr;
    QPushButton *pB_IntegralGainAdd = nullptr;
    QGroupBox *groupBox_IntegralSpeed = nullptr;
    QGridLayout *gridLayout_4 = nullptr;
    QVBoxLayout *verticalLayout_5 = nullptr;
    QLabel *label_IntegralSpeedE = nullptr;
    QSpacerItem *horizontalSpacer_5 = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QPushButton *pB_IntegralSpeedMinus = nullptr;
    MySpinBox *spinBox_IntegralSpeed = nullptr;
    QPushButton *pB_IntegralSpeedAdd = nullptr;
    QGroupBox *groupBox_3 = nullptr;
    QGridLayout *gridLayout_12 = nullptr;
    QGroupBox *groupBox_MAXDuty = nullptr;
    QGridLayout *gridLayout_9 = nullptr;
    QVBoxLayout *verticalLayout_10 = nullptr;
    QLabel *label_MAXDutyE = nullptr;
    QSpacerItem *horizontalSpacer_6 = nullptr;
    QHBoxLayout *horizontalLayout_10 = nullptr;
    QPushButton *pB_MAXDutyMinus = nullptr;
    MySpinBox *spinBox_MAXDuty = nullptr;
    QPushButton *pB_MAXDutyAdd = nullptr;
    QGroupBox *groupBox_LeftAngleCoefficient = nullptr;
    QGridLayout *gridLayout_10 = nullptr;
    QVBoxLayout *verticalLayout_11 = nullptr;
    QLabel *label_LeftAngleCoefficientE = nullptr;
    QSpacerItem *horizontalSpacer_7 = nullptr;
    QHBoxLayout *horizontalLayout_11 = nullptr;
    QPushButton *pB_LeftAngleCoefficientMinus = nullptr;
    MySpinBox *spinBox_LeftAngleCoefficient = nullptr;
    QPushButton *pB_LeftAngleCoefficientAdd = nullptr;
    QGroupBox *groupBox_RightAngleCoefficient = nullptr;
    QGridLayout *gridLayout_11 = nullptr;
    QVBoxLayout *verticalLayout_12 = nullptr;
    QLabel *label_RightAngleCoefficientE = nullptr;
    QSpacerItem *horizontalSpacer_8 = nullptr;
    QHBoxLayout *horizontalLayout_12 = nullptr;
    QPushButton *pB_RightAngleCoefficientMinus = nullptr;
    MySpinBox *spinBox_RightAngleCoefficient = nullptr;
    QPushButton *pB_RightAngleCoefficientAdd = nullptr;

    // Right column: sections groupBox_2 and groupBox_4.
    QVBoxLayout *verticalLayout_14 = nullptr;
    QGroupBox *groupBox_2 = nullptr;
    QGridLayout *gridLayout_16 = nullptr;
    QGroupBox *groupBox_MinPulseWidth = nullptr;
    QGridLayout *gridLayout_5 = nullptr;
    QVBoxLayout *verticalLayout_6 = nullptr;
    QLabel *label_MinPulseWidthE = nullptr;
    QSpacerItem *horizontalSpacer_9 = nullptr;
    QHBoxLayout *horizontalLayout_6 = nullptr;
    QPushButton *pB_MinPulseWidthMinus = nullptr;
    MySpinBox *spinBox_MinPulseWidth = nullptr;
    QPushButton *pB_MinPulseWidthAdd = nullptr;
    QGroupBox *groupBox_MAXPulseWidth = nullptr;
    QGridLayout *gridLayout_6 = nullptr;
    QVBoxLayout *verticalLayout_7 = nullptr;
    QLabel *label_MAXPulseWidthE = nullptr;
    QSpacerItem *horizontalSpacer_10 = nullptr;
    QHBoxLayout *horizontalLayout_7 = nullptr;
    QPushButton *pB_MAXPulseWidthMinus = nullptr;
    MySpinBox *spinBox_MAXPulseWidth = nullptr;
    QPushButton *pB_MAXPulseWidthAdd = nullptr;
    QGroupBox *groupBox_Sensitivity = nullptr;
    QGridLayout *gridLayout_7 = nullptr;
    QVBoxLayout *verticalLayout_8 = nullptr;
    QLabel *label_SensitivityE = nullptr;
    QSpacerItem *horizontalSpacer_11 = nullptr;
    QHBoxLayout *horizontalLayout_8 = nullptr;
    QPushButton *pB_SensitivityMinus = nullptr;
    MySpinBox *spinBox_Sensitivity = nullptr;
    QPushButton *pB_SensitivityAdd = nullptr;
    QGroupBox *groupBox_NeutralPoint = nullptr;
    QGridLayout *gridLayout_8 = nullptr;
    QVBoxLayout *verticalLayout_9 = nullptr;
    QLabel *label_NeutralPointE = nullptr;
    QSpacerItem *horizontalSpacer_12 = nullptr;
    QHBoxLayout *horizontalLayout_9 = nullptr;
    QPushButton *pB_NeutralPointMinus = nullptr;
    MySpinBox *spinBox_NeutralPoint = nullptr;
    QPushButton *pB_NeutralPointAdd = nullptr;
    QGroupBox *groupBox_4 = nullptr;
    QGridLayout *gridLayout_17 = nullptr;
    QGroupBox *groupBox_ReversedRotation = nullptr;
    QGridLayout *gridLayout_18 = nullptr;
    QVBoxLayout *verticalLayout_15 = nullptr;
    QLabel *label_ReversedRotationE = nullptr;
    QSpacerItem *horizontalSpacer_13 = nullptr;
    QCheckBox *cB_ReversedRotation = nullptr;
    QGroupBox *groupBox_SoftStart = nullptr;
    QGridLayout *gridLayout_20 = nullptr;
    QVBoxLayout *verticalLayout_16 = nullptr;
    QLabel *label_SoftStartE = nullptr;
    QSpacerItem *horizontalSpacer_14 = nullptr;
    QCheckBox *cB_SoftStart = nullptr;
    QGroupBox *groupBox_LOCKProtection = nullptr;
    QGridLayout *gridLayout_21 = nullptr;
    QVBoxLayout *verticalLayout_17 = nullptr;
    QLabel *label_LOCKProtectionE = nullptr;
    QSpacerItem *horizontalSpacer_15 = nullptr;
    QCheckBox *cB_LOCKProtection = nullptr;

    // Action area: the four buttons and the status log.
    QHBoxLayout *horizontalLayout_13 = nullptr;
    QGroupBox *groupBox_5 = nullptr;
    QGridLayout *gridLayout_14 = nullptr;
    QPushButton *pB_SaveParameter = nullptr;
    QPushButton *pB_OpenParameter = nullptr;
    QPushButton *pB_ReadParameter = nullptr;
    QTextBrowser *textBrowser_StateShow = nullptr;
    QPushButton *pB_WriteParameter = nullptr;
};

// The controls of one parameter: value field with its minus and plus
// buttons for a number, check box for a switch; the others are null.
enum class Parameter;
struct ParameterControls
{
    MySpinBox *spinBox;
    QPushButton *minus;
    QPushButton *plus;
    QCheckBox *checkBox;
};
ParameterControls controlsFor(const WidgetForm &form, Parameter id);

#endif
