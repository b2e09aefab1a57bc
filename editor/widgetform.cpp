#include "editor/widgetform.h"

#include "editor/myspinbox.h"
#include "model/parameterset.h"
#include "serial/mycombobox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QSpacerItem>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// The look of the window is given by per-widget style sheets only.
const char kWindowSheet[] = "#Widget{background-color: rgb(0, 0, 0);}";
const char kCaptionSheet[] = "color: rgb(255, 255, 255);";
const char kPortListSheet[] = "QComboBox{\n"
                              "border: 2px solid #f3f3f3;\n"
                              "background-color: rgb(66, 66, 68);\n"
                              "border-color:rgb(66, 66, 68);\n"
                              "color: rgb(255, 255, 255);\n"
                              "border-radius: 5px;\n"
                              "}\n"
                              "QComboBox::drop-down{\n"
                              "subcontrol-origin: padding;\n"
                              "subcontrol-position: center right;\n"
                              "width: 20px;\n"
                              "border: none;\n"
                              "}\n"
                              "QComboBox::down-arrow{\n"
                              "image: url(:/ICON/007.png);\n"
                              "width: 20px;\n"
                              "height: 20px;\n"
                              "}\n"
                              "QComboBox QAbstractItemView{\n"
                              "border: 2px solid #f3f3f3;\n"
                              "background-color: rgb(66, 66, 68);\n"
                              "border-color:rgb(66, 66, 68);\n"
                              "color: rgb(255, 255, 255);\n"
                              "}";
const char kPictureSheet[] = "border-image: url(:/ICON/011.jpeg);";
const char kSectionSheet[] = "background-color: rgb(46, 46, 46);\nborder-radius: 15px;";
const char kGroupSheet[] = "background-color: rgb(66, 66, 66);\nborder-radius: 10px;";
const char kMinusSheet[] = "border-image: url(:/ICON/002_jian.png);";
const char kPlusSheet[] = "border-image: url(:/ICON/003_jia.png);";
const char kValueSheet[] = "QSpinBox{\n"
                           "border:1px solid #242424;\n"
                           "color: #FFFFFF;\n"
                           "border-style:solid; border-width:0px 0px 1px 0px; "
                           "border-color:rgb(255, 255, 255);\n"
                           "border-radius: 0px;\n"
                           "}\n"
                           "QSpinBox::up-button,QSpinBox::down-button{\n"
                           "width:0px;\n"
                           "}";
const char kSwitchSheet[] = "QCheckBox{\n"
                            "border: 0px solid #FFFFFF;\n"
                            "border-radius: 20px;\n"
                            "padding: 4px;\n"
                            "spacing: 10px;\n"
                            "}\n"
                            "QCheckBox::indicator{\n"
                            "border: 0px solid #FFFFFF;\n"
                            "width: 25px;\n"
                            "height: 25px;\n"
                            "}\n"
                            "QCheckBox::indicator:unchecked{\n"
                            "image: url(:/ICON/005_.png);\n"
                            "}\n"
                            "QCheckBox::indicator:checked{\n"
                            "image: url(:/ICON/006_.png);\n"
                            "}";
const char kFileButtonSheet[] = "border-radius: 5px;\nbackground-color: rgb(6, 91, 172);";
const char kDeviceButtonSheet[] = "border-radius: 5px;\nbackground-color: rgb(5, 136, 218);";
const char kLogSheet[] =
    "background-color: rgb(66, 66, 66);\nborder-radius: 3px;\ncolor: rgb(255, 255, 255);";

const QSize kWindowSize(600, 676);
const QSize kStepButtonSize(30, 30);
const QSize kPictureSize(290, 50);
constexpr int kQWidgetMaximum = 16777215;

// One parameter group: a rounded panel with the caption at the left and the
// minus button, value field and plus button (or the check box) at the right.
// The fourteen groups differ only in what this table holds.
struct GroupEntry
{
    Parameter id;
    QGroupBox *WidgetForm::*group;
    QGridLayout *WidgetForm::*grid;
    const char *gridName;
    QVBoxLayout *WidgetForm::*captionBox;
    const char *captionBoxName;
    QLabel *WidgetForm::*label;
    QSpacerItem *WidgetForm::*spacer;
    int spacerWidth;
    QHBoxLayout *WidgetForm::*buttonRow; // null for a switch
    const char *buttonRowName;
    QPushButton *WidgetForm::*minus;
    MySpinBox *WidgetForm::*spinBox;
    QPushButton *WidgetForm::*plus;
    QCheckBox *WidgetForm::*checkBox; // null for a numeric group
};

#define NUMERIC_GROUP(Name, grid, captionBox, buttonRow, spacer, width)                            \
    {                                                                                              \
        Parameter::Name, &WidgetForm::groupBox_##Name, &WidgetForm::grid, #grid,                   \
            &WidgetForm::captionBox, #captionBox, &WidgetForm::label_##Name##E,                    \
            &WidgetForm::spacer, width, &WidgetForm::buttonRow, #buttonRow,                        \
            &WidgetForm::pB_##Name##Minus, &WidgetForm::spinBox_##Name,                            \
            &WidgetForm::pB_##Name##Add, nullptr                                                   \
    }
#define SWITCH_GROUP(Name, grid, captionBox, spacer, width)                                        \
    {                                                                                              \
        Parameter::Name, &WidgetForm::groupBox_##Name, &WidgetForm::grid, #grid,                   \
            &WidgetForm::captionBox, #captionBox, &WidgetForm::label_##Name##E,                    \
            &WidgetForm::spacer, width, nullptr, nullptr, nullptr, nullptr, nullptr,               \
            &WidgetForm::cB_##Name                                                                 \
    }

// In creation order, section by section.
const GroupEntry kGroupBoxGroups[] = {
    NUMERIC_GROUP(TorqueGain, gridLayout, verticalLayout_2, horizontalLayout_2, horizontalSpacer_2,
                  33),
    NUMERIC_GROUP(BrakeGain, gridLayout_2, verticalLayout_3, horizontalLayout_3, horizontalSpacer_3,
                  19),
    NUMERIC_GROUP(IntegralGain, gridLayout_3, verticalLayout_4, horizontalLayout_4,
                  horizontalSpacer_4, 33),
    NUMERIC_GROUP(IntegralSpeed, gridLayout_4, verticalLayout_5, horizontalLayout_5,
                  horizontalSpacer_5, 1),
};
const GroupEntry kGroupBox3Groups[] = {
    NUMERIC_GROUP(MAXDuty, gridLayout_9, verticalLayout_10, horizontalLayout_10, horizontalSpacer_6,
                  28),
    NUMERIC_GROUP(LeftAngleCoefficient, gridLayout_10, verticalLayout_11, horizontalLayout_11,
                  horizontalSpacer_7, 5),
    NUMERIC_GROUP(RightAngleCoefficient, gridLayout_11, verticalLayout_12, horizontalLayout_12,
                  horizontalSpacer_8, 3),
};
const GroupEntry kGroupBox2Groups[] = {
    NUMERIC_GROUP(MinPulseWidth, gridLayout_5, verticalLayout_6, horizontalLayout_6,
                  horizontalSpacer_9, 26),
    NUMERIC_GROUP(MAXPulseWidth, gridLayout_6, verticalLayout_7, horizontalLayout_7,
                  horizontalSpacer_10, 20),
    NUMERIC_GROUP(Sensitivity, gridLayout_7, verticalLayout_8, horizontalLayout_8,
                  horizontalSpacer_11, 63),
    NUMERIC_GROUP(NeutralPoint, gridLayout_8, verticalLayout_9, horizontalLayout_9,
                  horizontalSpacer_12, 1),
};
const GroupEntry kGroupBox4Groups[] = {
    SWITCH_GROUP(ReversedRotation, gridLayout_18, verticalLayout_15, horizontalSpacer_13, 46),
    SWITCH_GROUP(SoftStart, gridLayout_20, verticalLayout_16, horizontalSpacer_14, 95),
    SWITCH_GROUP(LOCKProtection, gridLayout_21, verticalLayout_17, horizontalSpacer_15, 95),
};

#undef NUMERIC_GROUP
#undef SWITCH_GROUP

struct SectionEntry
{
    QGroupBox *WidgetForm::*section;
    const char *sectionName;
    QGridLayout *WidgetForm::*grid;
    const char *gridName;
    const GroupEntry *groups;
    int groupCount;
};

template <int N>
constexpr SectionEntry section(QGroupBox *WidgetForm::*box, const char *boxName,
                               QGridLayout *WidgetForm::*grid, const char *gridName,
                               const GroupEntry (&groups)[N])
{
    return {box, boxName, grid, gridName, groups, N};
}

const SectionEntry kSections[] = {
    section(&WidgetForm::groupBox, "groupBox", &WidgetForm::gridLayout_13, "gridLayout_13",
            kGroupBoxGroups),
    section(&WidgetForm::groupBox_3, "groupBox_3", &WidgetForm::gridLayout_12, "gridLayout_12",
            kGroupBox3Groups),
    section(&WidgetForm::groupBox_2, "groupBox_2", &WidgetForm::gridLayout_16, "gridLayout_16",
            kGroupBox2Groups),
    section(&WidgetForm::groupBox_4, "groupBox_4", &WidgetForm::gridLayout_17, "gridLayout_17",
            kGroupBox4Groups),
};

QSpacerItem *makeSpacer(int width, int height)
{
    return new QSpacerItem(width, height, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QPushButton *stepButton(QWidget *parent, const QString &name, const char *sheet)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    button->setMinimumSize(kStepButtonSize);
    button->setMaximumSize(kStepButtonSize);
    button->setStyleSheet(QLatin1String(sheet));
    return button;
}

QPushButton *actionButton(QWidget *parent, const char *name, const char *sheet)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(QSize(0, 40));
    button->setStyleSheet(QLatin1String(sheet));
    return button;
}

QString translate(const char *text)
{
    return QCoreApplication::translate("Widget", text, nullptr);
}

} // namespace

namespace {

// Builds one parameter group into its section and places it at `row`.
void buildGroup(WidgetForm &f, const GroupEntry &g, QGroupBox *section, QGridLayout *sectionGrid,
                int row)
{
    const QString name = QLatin1String(infoOf(g.id).name);

    QGroupBox *box = f.*g.group = new QGroupBox(section);
    box->setObjectName(QLatin1String("groupBox_") + name);
    box->setStyleSheet(QLatin1String(kGroupSheet));

    QGridLayout *grid = f.*g.grid = new QGridLayout(box);
    grid->setObjectName(QLatin1String(g.gridName));

    QVBoxLayout *captionBox = f.*g.captionBox = new QVBoxLayout();
    captionBox->setSpacing(0);
    captionBox->setObjectName(QLatin1String(g.captionBoxName));
    // The caption is the buddy of the value field or check box, which ties
    // the two together for assistive tools; having no mnemonic, it changes
    // nothing else.
    QLabel *label = f.*g.label = new QLabel(box);
    label->setObjectName(QLatin1String("label_") + name + QLatin1Char('E'));
    label->setStyleSheet(QLatin1String(kCaptionSheet));
    captionBox->addWidget(label);
    grid->addLayout(captionBox, 0, 0, 1, 1);

    QSpacerItem *spacer = f.*g.spacer = makeSpacer(g.spacerWidth, 20);
    grid->addItem(spacer, 0, 1, 1, 1);

    if (g.checkBox) {
        grid->setContentsMargins(-1, -1, 50, -1);
        QCheckBox *check = f.*g.checkBox = new QCheckBox(box);
        check->setObjectName(QLatin1String("cB_") + name);
        check->setMinimumSize(kStepButtonSize);
        check->setMaximumSize(kStepButtonSize);
        check->setStyleSheet(QLatin1String(kSwitchSheet));
        grid->addWidget(check, 0, 2, 1, 1);
        label->setBuddy(check);
    } else {
        QHBoxLayout *row = f.*g.buttonRow = new QHBoxLayout();
        row->setObjectName(QLatin1String(g.buttonRowName));
        QPushButton *minus =
            f.*g.minus =
                stepButton(box, QLatin1String("pB_") + name + QLatin1String("Minus"), kMinusSheet);
        row->addWidget(minus);
        MySpinBox *spin = f.*g.spinBox = new MySpinBox(box);
        spin->setObjectName(QLatin1String("spinBox_") + name);
        spin->setMinimumSize(QSize(50, 0));
        spin->setStyleSheet(QLatin1String(kValueSheet));
        spin->setAlignment(Qt::AlignCenter);
        spin->setMaximum(9);
        row->addWidget(spin);
        label->setBuddy(spin);
        QPushButton *plus =
            f.*g.plus =
                stepButton(box, QLatin1String("pB_") + name + QLatin1String("Add"), kPlusSheet);
        row->addWidget(plus);
        row->setStretch(0, 3);
        row->setStretch(1, 6);
        row->setStretch(2, 3);
        grid->addLayout(row, 0, 2, 1, 1);
        grid->setColumnStretch(1, 1);
    }

    sectionGrid->addWidget(box, row, 0, 1, 1);
}

// A section panel with its groups, one per row of its grid.
QGroupBox *buildSection(WidgetForm &f, const SectionEntry &s, QWidget *window)
{
    QGroupBox *box = f.*s.section = new QGroupBox(window);
    box->setObjectName(QLatin1String(s.sectionName));
    box->setStyleSheet(QLatin1String(kSectionSheet));
    QGridLayout *grid = f.*s.grid = new QGridLayout(box);
    grid->setObjectName(QLatin1String(s.gridName));
    for (int row = 0; row < s.groupCount; ++row)
        buildGroup(f, s.groups[row], box, grid, row);
    return box;
}

const GroupEntry &groupOf(Parameter id)
{
    for (const SectionEntry &s : kSections) {
        for (int i = 0; i < s.groupCount; ++i) {
            if (s.groups[i].id == id)
                return s.groups[i];
        }
    }
    Q_UNREACHABLE();
}

QVBoxLayout *column(const char *name)
{
    auto *layout = new QVBoxLayout();
    layout->setSpacing(12);
    layout->setObjectName(QLatin1String(name));
    return layout;
}

} // namespace

void WidgetForm::buildForm(QWidget *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("Widget"));
    window->resize(kWindowSize);
    window->setMinimumSize(kWindowSize);
    window->setMaximumSize(QSize(kQWidgetMaximum, kQWidgetMaximum));
    QIcon icon;
    icon.addFile(QStringLiteral(":/ICON/000_Set.png"), QSize(), QIcon::Normal, QIcon::Off);
    window->setWindowIcon(icon);
    window->setStyleSheet(QLatin1String(kWindowSheet));

    gridLayout_15 = new QGridLayout(window);
    gridLayout_15->setObjectName(QStringLiteral("gridLayout_15"));
    gridLayout_15->setHorizontalSpacing(6);
    gridLayout_15->setVerticalSpacing(12);
    gridLayout_15->setContentsMargins(12, 12, 12, 12);

    // Header row.
    horizontalLayout_15 = new QHBoxLayout();
    horizontalLayout_15->setObjectName(QStringLiteral("horizontalLayout_15"));
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setSpacing(12);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setContentsMargins(20, -1, -1, -1);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setSpacing(0);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    label_PortE = new QLabel(window);
    label_PortE->setObjectName(QStringLiteral("label_PortE"));
    label_PortE->setStyleSheet(QLatin1String(kCaptionSheet));
    verticalLayout->addWidget(label_PortE);
    horizontalLayout->addLayout(verticalLayout);
    comboBox_Port = new MyComboBox(window);
    comboBox_Port->setObjectName(QStringLiteral("comboBox_Port"));
    comboBox_Port->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    comboBox_Port->setMinimumSize(QSize(120, 35));
    comboBox_Port->setStyleSheet(QLatin1String(kPortListSheet));
    horizontalLayout->addWidget(comboBox_Port);
    horizontalLayout_15->addLayout(horizontalLayout);
    horizontalSpacer = makeSpacer(168, 31);
    horizontalLayout_15->addItem(horizontalSpacer);
    widget = new QWidget(window);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setMinimumSize(kPictureSize);
    widget->setMaximumSize(kPictureSize);
    widget->setStyleSheet(QLatin1String(kPictureSheet));
    horizontalLayout_15->addWidget(widget);
    horizontalLayout_15->setStretch(1, 1);
    gridLayout_15->addLayout(horizontalLayout_15, 0, 0, 1, 1);

    // Parameter area: two columns of equal width, each an upper section of
    // four groups over a lower one of three.
    horizontalLayout_14 = new QHBoxLayout();
    horizontalLayout_14->setSpacing(12);
    horizontalLayout_14->setObjectName(QStringLiteral("horizontalLayout_14"));
    verticalLayout_13 = column("verticalLayout_13");
    verticalLayout_13->addWidget(buildSection(*this, kSections[0], window));
    verticalLayout_13->addWidget(buildSection(*this, kSections[1], window));
    verticalLayout_13->setStretch(0, 3);
    verticalLayout_13->setStretch(1, 2);
    horizontalLayout_14->addLayout(verticalLayout_13);
    verticalLayout_14 = column("verticalLayout_14");
    verticalLayout_14->addWidget(buildSection(*this, kSections[2], window));
    verticalLayout_14->addWidget(buildSection(*this, kSections[3], window));
    verticalLayout_14->setStretch(0, 3);
    verticalLayout_14->setStretch(1, 2);
    horizontalLayout_14->addLayout(verticalLayout_14);
    horizontalLayout_14->setStretch(0, 1);
    horizontalLayout_14->setStretch(1, 1);
    gridLayout_15->addLayout(horizontalLayout_14, 1, 0, 1, 1);

    // Action area. The children are created in the order Save, Open, Read,
    // log, Write, which is also their tab order.
    horizontalLayout_13 = new QHBoxLayout();
    horizontalLayout_13->setObjectName(QStringLiteral("horizontalLayout_13"));
    groupBox_5 = new QGroupBox(window);
    groupBox_5->setObjectName(QStringLiteral("groupBox_5"));
    groupBox_5->setMinimumSize(QSize(0, 100));
    groupBox_5->setStyleSheet(QLatin1String(kSectionSheet));
    groupBox_5->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    gridLayout_14 = new QGridLayout(groupBox_5);
    gridLayout_14->setSpacing(6);
    gridLayout_14->setObjectName(QStringLiteral("gridLayout_14"));
    pB_SaveParameter = actionButton(groupBox_5, "pB_SaveParameter", kFileButtonSheet);
    gridLayout_14->addWidget(pB_SaveParameter, 0, 3, 1, 1);
    pB_OpenParameter = actionButton(groupBox_5, "pB_OpenParameter", kFileButtonSheet);
    gridLayout_14->addWidget(pB_OpenParameter, 0, 2, 1, 1);
    pB_ReadParameter = actionButton(groupBox_5, "pB_ReadParameter", kDeviceButtonSheet);
    pB_ReadParameter->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    gridLayout_14->addWidget(pB_ReadParameter, 0, 0, 1, 1);
    textBrowser_StateShow = new QTextBrowser(groupBox_5);
    textBrowser_StateShow->setObjectName(QStringLiteral("textBrowser_StateShow"));
    textBrowser_StateShow->setMinimumSize(QSize(0, 40));
    textBrowser_StateShow->setStyleSheet(QLatin1String(kLogSheet));
    textBrowser_StateShow->setMidLineWidth(2);
    gridLayout_14->addWidget(textBrowser_StateShow, 1, 0, 1, 4);
    pB_WriteParameter = actionButton(groupBox_5, "pB_WriteParameter", kDeviceButtonSheet);
    gridLayout_14->addWidget(pB_WriteParameter, 0, 1, 1, 1);
    gridLayout_14->setRowStretch(1, 1);
    horizontalLayout_13->addWidget(groupBox_5);
    horizontalLayout_13->setStretch(0, 1);
    gridLayout_15->addLayout(horizontalLayout_13, 2, 0, 1, 1);

    gridLayout_15->setRowStretch(0, 5);
    gridLayout_15->setRowStretch(1, 100);
    gridLayout_15->setRowStretch(2, 14);

    translateForm(window);
    QMetaObject::connectSlotsByName(window);
}

void WidgetForm::translateForm(QWidget *window)
{
    window->setWindowTitle(translate("Nimbal Servo"));
    label_PortE->setText(translate("Port"));
    for (const SectionEntry &s : kSections) {
        (this->*s.section)->setTitle(QString());
        for (int i = 0; i < s.groupCount; ++i) {
            const GroupEntry &g = s.groups[i];
            const ParameterInfo &info = infoOf(g.id);
            const QString caption = translate(info.caption);
            (this->*g.group)->setTitle(QString());
            (this->*g.label)->setText(caption);
            // The controls show no text of their own; a screen reader gets
            // the caption, which button it is, and a value field's range.
            if (g.checkBox) {
                (this->*g.checkBox)->setText(QString());
                (this->*g.checkBox)->setAccessibleName(caption);
            } else {
                (this->*g.minus)->setText(QString());
                (this->*g.minus)->setAccessibleName(translate("%1 minus").arg(caption));
                (this->*g.plus)->setText(QString());
                (this->*g.plus)->setAccessibleName(translate("%1 plus").arg(caption));
                (this->*g.spinBox)->setAccessibleName(caption);
                (this->*g.spinBox)
                    ->setAccessibleDescription(
                        translate("%1 to %2").arg(info.minimum).arg(info.maximum));
            }
        }
    }
    groupBox_5->setTitle(QString());
    pB_SaveParameter->setText(translate("Save Parameter"));
    pB_OpenParameter->setText(translate("Open Parameter"));
    pB_ReadParameter->setText(translate("Read Parameter"));
    pB_WriteParameter->setText(translate("Write Parameter"));
}

ParameterControls controlsFor(const WidgetForm &form, Parameter id)
{
    const GroupEntry &g = groupOf(id);
    if (g.checkBox)
        return {nullptr, nullptr, nullptr, form.*g.checkBox};
    return {form.*g.spinBox, form.*g.minus, form.*g.plus, nullptr};
}
