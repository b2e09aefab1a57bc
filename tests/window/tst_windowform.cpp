// The window as built: its object tree, texts, sizes, layouts, style sheets,
// tab order and pictures.

#include "app/widget.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTextBrowser>
#include <QtTest>

#include <iterator>

namespace {

struct Group
{
    const char *name;
    const char *caption;
    const char *section;
    int row; // in the section's grid
    const char *grid;
    const char *captionBox;
    const char *buttonRow; // null for a switch
    int spacerWidth;
};

// The fourteen parameter groups, in creation (and tab) order.
const Group kGroups[] = {
    {"TorqueGain", "Torque Gain", "groupBox", 0, "gridLayout", "verticalLayout_2",
     "horizontalLayout_2", 33},
    {"BrakeGain", "Brake Gain", "groupBox", 1, "gridLayout_2", "verticalLayout_3",
     "horizontalLayout_3", 19},
    {"IntegralGain", "Integral Gain", "groupBox", 2, "gridLayout_3", "verticalLayout_4",
     "horizontalLayout_4", 33},
    {"IntegralSpeed", "Integral Speed", "groupBox", 3, "gridLayout_4", "verticalLayout_5",
     "horizontalLayout_5", 1},
    {"MAXDuty", "MAX Duty", "groupBox_3", 0, "gridLayout_9", "verticalLayout_10",
     "horizontalLayout_10", 28},
    {"LeftAngleCoefficient", "Left Angle Coefficient", "groupBox_3", 1, "gridLayout_10",
     "verticalLayout_11", "horizontalLayout_11", 5},
    {"RightAngleCoefficient", "Right Angle Coefficient", "groupBox_3", 2, "gridLayout_11",
     "verticalLayout_12", "horizontalLayout_12", 3},
    {"MinPulseWidth", "Min Pulse Width", "groupBox_2", 0, "gridLayout_5", "verticalLayout_6",
     "horizontalLayout_6", 26},
    {"MAXPulseWidth", "MAX Pulse Width", "groupBox_2", 1, "gridLayout_6", "verticalLayout_7",
     "horizontalLayout_7", 20},
    {"Sensitivity", "Sensitivity", "groupBox_2", 2, "gridLayout_7", "verticalLayout_8",
     "horizontalLayout_8", 63},
    {"NeutralPoint", "Neutral Point", "groupBox_2", 3, "gridLayout_8", "verticalLayout_9",
     "horizontalLayout_9", 1},
    {"ReversedRotation", "Reversed Rotation", "groupBox_4", 0, "gridLayout_18", "verticalLayout_15",
     nullptr, 46},
    {"SoftStart", "Soft Start", "groupBox_4", 1, "gridLayout_20", "verticalLayout_16", nullptr, 95},
    {"LOCKProtection", "LOCK Protection", "groupBox_4", 2, "gridLayout_21", "verticalLayout_17",
     nullptr, 95},
};

QString named(const char *prefix, const Group &g, const char *suffix = "")
{
    return QLatin1String(prefix) + QLatin1String(g.name) + QLatin1String(suffix);
}

// Every named object of the window but the window itself: name, class,
// parent (the widget or layout it belongs to).
QVector<QStringList> namedObjectTable()
{
    QVector<QStringList> rows = {
        {"gridLayout_15", "QGridLayout", "Widget"},
        {"horizontalLayout_15", "QHBoxLayout", "gridLayout_15"},
        {"horizontalLayout", "QHBoxLayout", "horizontalLayout_15"},
        {"verticalLayout", "QVBoxLayout", "horizontalLayout"},
        {"label_PortE", "QLabel", "Widget"},
        {"comboBox_Port", "MyComboBox", "Widget"},
        {"widget", "QWidget", "Widget"},
        {"horizontalLayout_14", "QHBoxLayout", "gridLayout_15"},
        {"verticalLayout_13", "QVBoxLayout", "horizontalLayout_14"},
        {"verticalLayout_14", "QVBoxLayout", "horizontalLayout_14"},
        {"groupBox", "QGroupBox", "Widget"},
        {"groupBox_2", "QGroupBox", "Widget"},
        {"groupBox_3", "QGroupBox", "Widget"},
        {"groupBox_4", "QGroupBox", "Widget"},
        {"gridLayout_13", "QGridLayout", "groupBox"},
        {"gridLayout_16", "QGridLayout", "groupBox_2"},
        {"gridLayout_12", "QGridLayout", "groupBox_3"},
        {"gridLayout_17", "QGridLayout", "groupBox_4"},
        {"horizontalLayout_13", "QHBoxLayout", "gridLayout_15"},
        {"groupBox_5", "QGroupBox", "Widget"},
        {"gridLayout_14", "QGridLayout", "groupBox_5"},
        {"pB_SaveParameter", "QPushButton", "groupBox_5"},
        {"pB_OpenParameter", "QPushButton", "groupBox_5"},
        {"pB_ReadParameter", "QPushButton", "groupBox_5"},
        {"pB_WriteParameter", "QPushButton", "groupBox_5"},
        {"textBrowser_StateShow", "QTextBrowser", "groupBox_5"},
    };
    for (const Group &g : kGroups) {
        const QString box = named("groupBox_", g);
        rows.append({box, "QGroupBox", g.section});
        rows.append({g.grid, "QGridLayout", box});
        rows.append({g.captionBox, "QVBoxLayout", g.grid});
        rows.append({named("label_", g, "E"), "QLabel", box});
        if (g.buttonRow) {
            rows.append({g.buttonRow, "QHBoxLayout", g.grid});
            rows.append({named("pB_", g, "Minus"), "QPushButton", box});
            rows.append({named("spinBox_", g), "MySpinBox", box});
            rows.append({named("pB_", g, "Add"), "QPushButton", box});
        } else {
            rows.append({named("cB_", g), "QCheckBox", box});
        }
    }
    return rows;
}

// The toolkit names some of its own inner objects; those are not the form's.
QSet<QString> formObjectNames(const QWidget &window)
{
    QSet<QString> names;
    for (const QObject *o : window.findChildren<QObject *>()) {
        if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_")))
            names.insert(o->objectName());
    }
    return names;
}

// Whitespace around braces and semicolons carries no meaning in a sheet.
QString normalizedSheet(QString sheet)
{
    static const QRegularExpression space(QStringLiteral("\\s*([{};])\\s*"));
    return sheet.replace(space, QStringLiteral("\\1")).trimmed();
}

QStringList groupNames(const char *prefix, const char *suffix, bool numeric, bool switches)
{
    QStringList names;
    for (const Group &g : kGroups) {
        if (g.buttonRow ? numeric : switches)
            names.append(named(prefix, g, suffix));
    }
    return names;
}

template <typename T = QObject> T *child(const QWidget &window, const QString &name)
{
    return window.findChild<T *>(name);
}

// An item of a layout as the tables below write it: the object name of its
// widget or layout, or "spacer WxH" for a spacer (Expanding x Minimum, as
// every spacer of the window); in a grid, its cell follows.
QString describe(const QLayout *layout, int index)
{
    QLayoutItem *item = layout->itemAt(index);
    QString text;
    if (const QSpacerItem *spacer = item->spacerItem()) {
        text = QStringLiteral("spacer %1x%2")
                   .arg(spacer->sizeHint().width())
                   .arg(spacer->sizeHint().height());
        if (spacer->sizePolicy().horizontalPolicy() != QSizePolicy::Expanding ||
            spacer->sizePolicy().verticalPolicy() != QSizePolicy::Minimum)
            text += QLatin1String(" of another policy");
    } else {
        text = item->widget() ? item->widget()->objectName() : item->layout()->objectName();
    }
    if (auto *grid = qobject_cast<const QGridLayout *>(layout)) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        text += QStringLiteral(" @%1,%2").arg(row).arg(column);
        if (rowSpan != 1 || columnSpan != 1)
            text += QStringLiteral(" span %1x%2").arg(rowSpan).arg(columnSpan);
    }
    return text;
}

const QPair<const char *, const char *> kSectionGrids[] = {{"groupBox", "gridLayout_13"},
                                                           {"groupBox_3", "gridLayout_12"},
                                                           {"groupBox_2", "gridLayout_16"},
                                                           {"groupBox_4", "gridLayout_17"}};

} // namespace

class TestWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void titleSizeAndName();
    void namedObjects_data();
    void namedObjects();
    void noOtherNamedObjects();
    void captionsAndButtonTexts_data();
    void captionsAndButtonTexts();
    void groupBoxesAndIconButtonsShowNoText();
    void styleSheets_data();
    void styleSheets();
    void widgetSizes_data();
    void widgetSizes();
    void layoutItems_data();
    void layoutItems();
    void stretchFactors_data();
    void stretchFactors();
    void spacingsAndMargins();
    void extraWidthGoesToTheGaps();
    void extraHeightFollowsTheStretchFactors();
    void tabOrderFollowsCreation();
    void pictures_data();
    void pictures();
    void misspeltPicturePathsDoNotResolve_data();
    void misspeltPicturePathsDoNotResolve();
    void iconFolderHoldsTheTenPictures();
    void windowHasItsIcon();

private:
    // One window serves the checks that only look at it.
    Widget *window = nullptr;
};

void TestWindowForm::initTestCase()
{
    window = new Widget;
}

void TestWindowForm::cleanupTestCase()
{
    delete window;
}

// It opens at 600 x 676, cannot be made smaller and can be made larger.
void TestWindowForm::titleSizeAndName()
{
    Widget w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Nimbal Servo"));
    QCOMPARE(w.objectName(), QStringLiteral("Widget"));
    QCOMPARE(w.minimumSize(), QSize(600, 676));
    QCOMPARE(w.maximumSize(), QSize(16777215, 16777215));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.isWindow());
    QCOMPARE(w.size(), QSize(600, 676));
    w.resize(300, 200);
    QCOMPARE(w.size(), QSize(600, 676));
    w.resize(1900, 1400);
    QCOMPARE(w.size(), QSize(1900, 1400));
}

void TestWindowForm::namedObjects_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    for (const QStringList &row : namedObjectTable())
        QTest::newRow(qPrintable(row[0])) << row[0] << row[1] << row[2];
}

void TestWindowForm::namedObjects()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);

    const Widget &w = *window;
    const QList<QObject *> found = w.findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QObject *object = found.first();
    QCOMPARE(QLatin1String(object->metaObject()->className()), className);
    QVERIFY(object->parent());
    QCOMPARE(object->parent()->objectName(), parentName);
    if (auto *widget = qobject_cast<QWidget *>(object))
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
}

void TestWindowForm::noOtherNamedObjects()
{
    Widget w;
    QSet<QString> expected;
    for (const QStringList &row : namedObjectTable())
        expected.insert(row[0]);
    QCOMPARE(expected.size(), 129);
    QCOMPARE(formObjectNames(w), expected);
}

void TestWindowForm::captionsAndButtonTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const auto row = [](const QString &name, const char *text) {
        QTest::newRow(text) << name << QString::fromLatin1(text);
    };
    row("label_PortE", "Port");
    for (const Group &g : kGroups)
        row(named("label_", g, "E"), g.caption);
    row("pB_ReadParameter", "Read Parameter");
    row("pB_WriteParameter", "Write Parameter");
    row("pB_OpenParameter", "Open Parameter");
    row("pB_SaveParameter", "Save Parameter");
}

void TestWindowForm::captionsAndButtonTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const Widget &w = *window;
    QWidget *widget = child<QWidget>(w, name);
    QVERIFY(widget);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else
        QCOMPARE(qobject_cast<QAbstractButton *>(widget)->text(), text);
}

void TestWindowForm::groupBoxesAndIconButtonsShowNoText()
{
    Widget w;
    const auto boxes = w.findChildren<QGroupBox *>();
    QCOMPARE(boxes.size(), 19);
    for (const QGroupBox *box : boxes)
        QVERIFY2(box->title().isEmpty(), qPrintable(box->objectName()));

    const QStringList iconButtons = groupNames("pB_", "Minus", true, false) +
                                    groupNames("pB_", "Add", true, false) +
                                    groupNames("cB_", "", false, true);
    QCOMPARE(iconButtons.size(), 25);
    for (const QString &name : iconButtons) {
        auto *button = child<QAbstractButton>(w, name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY2(button->text().isEmpty(), qPrintable(name));
    }
}

void TestWindowForm::styleSheets_data()
{
    QTest::addColumn<QStringList>("carriers");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<bool>("exact"); // else compared without layout whitespace

    QTest::newRow("window") << QStringList{"Widget"} << "#Widget{background-color: rgb(0, 0, 0);}"
                            << true;
    QTest::newRow("caption") << QStringList{"label_PortE"} + groupNames("label_", "E", true, true)
                             << "color: rgb(255, 255, 255);" << true;
    QTest::newRow("port list")
        << QStringList{"comboBox_Port"}
        << "QComboBox{border: 2px solid #f3f3f3; background-color: rgb(66, 66, 68); "
           "border-color:rgb(66, 66, 68); color: rgb(255, 255, 255); border-radius: 5px;}"
           "QComboBox::drop-down{subcontrol-origin: padding; subcontrol-position: center right; "
           "width: 20px; border: none;}"
           "QComboBox::down-arrow{image: url(:/ICON/007.png); width: 20px; height: 20px;}"
           "QComboBox QAbstractItemView{border: 2px solid #f3f3f3; "
           "background-color: rgb(66, 66, 68); border-color:rgb(66, 66, 68); "
           "color: rgb(255, 255, 255);}"
        << false;
    QTest::newRow("picture") << QStringList{"widget"} << "border-image: url(:/ICON/011.jpeg);"
                             << true;
    QTest::newRow("section") << QStringList{"groupBox", "groupBox_2", "groupBox_3", "groupBox_4",
                                            "groupBox_5"}
                             << "background-color: rgb(46, 46, 46); border-radius: 15px;" << false;
    QTest::newRow("group") << groupNames("groupBox_", "", true, true)
                           << "background-color: rgb(66, 66, 66); border-radius: 10px;" << false;
    QTest::newRow("minus") << groupNames("pB_", "Minus", true, false)
                           << "border-image: url(:/ICON/002_jian.png);" << true;
    QTest::newRow("plus") << groupNames("pB_", "Add", true, false)
                          << "border-image: url(:/ICON/003_jia.png);" << true;
    QTest::newRow("value") << groupNames("spinBox_", "", true, false)
                           << "QSpinBox{border:1px solid #242424; color: #FFFFFF; "
                              "border-style:solid; border-width:0px 0px 1px 0px; "
                              "border-color:rgb(255, 255, 255); border-radius: 0px;}"
                              "QSpinBox::up-button,QSpinBox::down-button{width:0px;}"
                           << false;
    QTest::newRow("switch") << groupNames("cB_", "", false, true)
                            << "QCheckBox{border: 0px solid #FFFFFF; border-radius: 20px; "
                               "padding: 4px; spacing: 10px;}"
                               "QCheckBox::indicator{border: 0px solid #FFFFFF; width: 25px; "
                               "height: 25px;}"
                               "QCheckBox::indicator:unchecked{image: url(:/ICON/005_.png);}"
                               "QCheckBox::indicator:checked{image: url(:/ICON/006_.png);}"
                            << false;
    QTest::newRow("file button") << QStringList{"pB_SaveParameter", "pB_OpenParameter"}
                                 << "border-radius: 5px; background-color: rgb(6, 91, 172);"
                                 << false;
    QTest::newRow("device button")
        << QStringList{"pB_ReadParameter", "pB_WriteParameter"}
        << "border-radius: 5px; background-color: rgb(5, 136, 218);" << false;
    QTest::newRow("log") << QStringList{"textBrowser_StateShow"}
                         << "background-color: rgb(66, 66, 66); border-radius: 3px; "
                            "color: rgb(255, 255, 255);"
                         << false;
}

void TestWindowForm::styleSheets()
{
    QFETCH(QStringList, carriers);
    QFETCH(QString, sheet);
    QFETCH(bool, exact);

    const Widget &w = *window;
    QList<QWidget *> widgets = w.findChildren<QWidget *>();
    widgets.prepend(window);
    QStringList carrying;
    for (const QWidget *widget : widgets) {
        const bool same = exact ? widget->styleSheet() == sheet
                                : normalizedSheet(widget->styleSheet()) == normalizedSheet(sheet);
        if (same)
            carrying.append(widget->objectName());
    }
    carrying.sort();
    carriers.sort();
    QCOMPARE(carrying, carriers);
}

void TestWindowForm::widgetSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    QTest::addColumn<int>("horizontalPolicy"); // -1: the toolkit's default
    QTest::addColumn<int>("verticalPolicy");

    const QSize none(16777215, 16777215);
    const QSize step(30, 30);
    QTest::newRow("comboBox_Port") << "comboBox_Port" << QSize(120, 35) << none
                                   << int(QSizePolicy::Fixed) << int(QSizePolicy::Fixed);
    QTest::newRow("widget") << "widget" << QSize(290, 50) << QSize(290, 50) << -1 << -1;
    QTest::newRow("groupBox_5") << "groupBox_5" << QSize(0, 100) << none << -1 << -1;
    QTest::newRow("read") << "pB_ReadParameter" << QSize(0, 40) << none << int(QSizePolicy::Minimum)
                          << int(QSizePolicy::Minimum);
    for (const char *name :
         {"pB_WriteParameter", "pB_OpenParameter", "pB_SaveParameter", "textBrowser_StateShow"})
        QTest::newRow(name) << name << QSize(0, 40) << none << -1 << -1;
    for (const QString &name :
         groupNames("pB_", "Minus", true, false) + groupNames("pB_", "Add", true, false))
        QTest::newRow(qPrintable(name))
            << name << step << step << int(QSizePolicy::Minimum) << int(QSizePolicy::Minimum);
    for (const QString &name : groupNames("spinBox_", "", true, false))
        QTest::newRow(qPrintable(name)) << name << QSize(50, 0) << none << -1 << -1;
    for (const QString &name : groupNames("cB_", "", false, true))
        QTest::newRow(qPrintable(name)) << name << step << step << -1 << -1;
}

void TestWindowForm::widgetSizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(int, horizontalPolicy);
    QFETCH(int, verticalPolicy);

    const Widget &w = *window;
    auto *widget = child<QWidget>(w, name);
    QVERIFY(widget);
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
    if (horizontalPolicy >= 0)
        QCOMPARE(int(widget->sizePolicy().horizontalPolicy()), horizontalPolicy);
    if (verticalPolicy >= 0)
        QCOMPARE(int(widget->sizePolicy().verticalPolicy()), verticalPolicy);
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        QCOMPARE(spin->alignment(), Qt::AlignCenter);
}

void TestWindowForm::layoutItems_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("items");
    const auto row = [](const QString &layout, const QStringList &items) {
        QTest::newRow(qPrintable(layout)) << layout << items;
    };
    row("gridLayout_15",
        {"horizontalLayout_15 @0,0", "horizontalLayout_14 @1,0", "horizontalLayout_13 @2,0"});
    row("horizontalLayout_15", {"horizontalLayout", "spacer 168x31", "widget"});
    row("horizontalLayout", {"verticalLayout", "comboBox_Port"});
    row("verticalLayout", {"label_PortE"});
    row("horizontalLayout_14", {"verticalLayout_13", "verticalLayout_14"});
    row("verticalLayout_13", {"groupBox", "groupBox_3"});
    row("verticalLayout_14", {"groupBox_2", "groupBox_4"});
    for (const auto &section : kSectionGrids) {
        QStringList groups;
        for (const Group &g : kGroups) {
            if (qstrcmp(g.section, section.first) == 0)
                groups.append(named("groupBox_", g) + QStringLiteral(" @%1,0").arg(g.row));
        }
        row(section.second, groups);
    }
    row("horizontalLayout_13", {"groupBox_5"});
    row("gridLayout_14",
        {"pB_ReadParameter @0,0", "pB_WriteParameter @0,1", "pB_OpenParameter @0,2",
         "pB_SaveParameter @0,3", "textBrowser_StateShow @1,0 span 1x4"});
    for (const Group &g : kGroups) {
        const QString spacer = QStringLiteral("spacer %1x20 @0,1").arg(g.spacerWidth);
        const QString control = g.buttonRow ? QString(g.buttonRow) : named("cB_", g);
        row(g.grid, {QString(g.captionBox) + " @0,0", spacer, control + " @0,2"});
        row(g.captionBox, {named("label_", g, "E")});
        if (g.buttonRow)
            row(g.buttonRow,
                {named("pB_", g, "Minus"), named("spinBox_", g), named("pB_", g, "Add")});
    }
}

// Box layouts in order; grid items by cell, in whatever order they went in.
void TestWindowForm::layoutItems()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, items);
    const auto *l = child<QLayout>(*window, layout);
    QVERIFY(l);
    QStringList actual;
    for (int i = 0; i < l->count(); ++i)
        actual.append(describe(l, i));
    if (qobject_cast<const QGridLayout *>(l)) {
        actual.sort();
        items.sort();
    }
    QCOMPARE(actual, items);
}

void TestWindowForm::stretchFactors_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("of"); // "items" of a box, "rows" or "columns" of a grid
    QTest::addColumn<QVector<int>>("stretch");
    const auto row = [](const QString &layout, const char *of, const QVector<int> &stretch) {
        QTest::newRow(qPrintable(layout + ' ' + of)) << layout << QString(of) << stretch;
    };
    row("gridLayout_15", "rows", {5, 100, 14});
    row("horizontalLayout_15", "items", {0, 1, 0});
    row("horizontalLayout_14", "items", {1, 1});
    row("verticalLayout_13", "items", {3, 2});
    row("verticalLayout_14", "items", {3, 2});
    row("horizontalLayout_13", "items", {1});
    row("gridLayout_14", "rows", {0, 1});
    for (const Group &g : kGroups) {
        row(g.grid, "columns", {0, g.buttonRow ? 1 : 0, 0});
        if (g.buttonRow)
            row(g.buttonRow, "items", {3, 6, 3});
    }
}

void TestWindowForm::stretchFactors()
{
    QFETCH(QString, layout);
    QFETCH(QString, of);
    QFETCH(QVector<int>, stretch);
    QVector<int> actual;
    if (of == QLatin1String("items")) {
        auto *box = child<QBoxLayout>(*window, layout);
        for (int i = 0; i < box->count(); ++i)
            actual.append(box->stretch(i));
    } else {
        auto *grid = child<QGridLayout>(*window, layout);
        const bool rows = of == QLatin1String("rows");
        for (int i = 0; i < (rows ? grid->rowCount() : grid->columnCount()); ++i)
            actual.append(rows ? grid->rowStretch(i) : grid->columnStretch(i));
    }
    QCOMPARE(actual, stretch);
}

// Those the window fixes; the rest are the toolkit's.
void TestWindowForm::spacingsAndMargins()
{
    const Widget &w = *window;
    auto *outer = child<QGridLayout>(w, "gridLayout_15");
    QCOMPARE(outer->horizontalSpacing(), 6);
    QCOMPARE(outer->verticalSpacing(), 12);
    QCOMPARE(outer->contentsMargins(), QMargins(12, 12, 12, 12));
    QCOMPARE(child<QLayout>(w, "horizontalLayout")->spacing(), 12);
    QCOMPARE(child<QLayout>(w, "horizontalLayout")->contentsMargins().left(), 20);
    QCOMPARE(child<QLayout>(w, "verticalLayout")->spacing(), 0);
    for (const char *name : {"horizontalLayout_14", "verticalLayout_13", "verticalLayout_14"})
        QCOMPARE(child<QLayout>(w, name)->spacing(), 12);
    auto *actions = child<QGridLayout>(w, "gridLayout_14");
    QCOMPARE(actions->horizontalSpacing(), 6);
    QCOMPARE(actions->verticalSpacing(), 6);
    QCOMPARE(child<QGroupBox>(w, "groupBox_5")->alignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(child<QTextBrowser>(w, "textBrowser_StateShow")->midLineWidth(), 2);
    for (const Group &g : kGroups) {
        QCOMPARE(child<QLayout>(w, g.captionBox)->spacing(), 0);
        if (!g.buttonRow)
            QCOMPARE(child<QLayout>(w, g.grid)->contentsMargins().right(), 50);
    }
}

// Extra width goes to the gap in the header and inside each group, and is
// shared equally by the two columns.
void TestWindowForm::extraWidthGoesToTheGaps()
{
    Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *port = child<QWidget>(w, "comboBox_Port");
    auto *picture = child<QWidget>(w, "widget");
    const QRect portBefore = port->geometry();

    w.resize(1000, 676);
    QTRY_COMPARE(picture->geometry().right(), w.width() - 1 - 12);
    QCOMPARE(picture->size(), QSize(290, 50));
    QCOMPARE(port->geometry(), portBefore);
    QCOMPARE(child<QWidget>(w, "label_PortE")->width(), portBefore.left() - 12 - 20 - 12);
    for (const Group &g : kGroups) {
        if (!g.buttonRow)
            continue;
        QCOMPARE(child<QWidget>(w, named("pB_", g, "Minus"))->size(), QSize(30, 30));
        QCOMPARE(child<QWidget>(w, named("pB_", g, "Add"))->size(), QSize(30, 30));
    }
    QVERIFY(qAbs(child<QWidget>(w, "groupBox")->width() -
                 child<QWidget>(w, "groupBox_2")->width()) <= 1);
}

// Once every row has its preferred height, further height is shared by the
// stretch factors: parameter area and action area 100 to 14, upper and lower
// section 3 to 2; inside the action area it all goes to the status log.
void TestWindowForm::extraHeightFollowsTheStretchFactors()
{
    Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *log = child<QWidget>(w, "textBrowser_StateShow");
    auto *read = child<QWidget>(w, "pB_ReadParameter");
    const int logHeightBefore = log->height();
    const int readHeightBefore = read->height();

    w.resize(600, 3000);
    QTRY_VERIFY(log->height() > logHeightBefore);
    QCOMPARE(read->height(), readHeightBefore);
    const auto ratio = [&w](const char *a, const char *b) {
        return double(child<QObject>(w, a)->property("geometry").toRect().height()) /
               child<QObject>(w, b)->property("geometry").toRect().height();
    };
    const double areas = double(child<QLayout>(w, "horizontalLayout_14")->geometry().height()) /
                         child<QLayout>(w, "horizontalLayout_13")->geometry().height();
    QVERIFY2(qAbs(areas - 100.0 / 14) < 0.15, qPrintable(QString::number(areas)));
    for (const auto &pair :
         {std::make_pair("groupBox", "groupBox_3"), std::make_pair("groupBox_2", "groupBox_4")}) {
        const double sections = ratio(pair.first, pair.second);
        QVERIFY2(qAbs(sections - 1.5) < 0.03, qPrintable(QString::number(sections)));
    }
}

void TestWindowForm::tabOrderFollowsCreation()
{
    Widget w;
    QStringList expected{"comboBox_Port"};
    for (const Group &g : kGroups) {
        if (g.buttonRow)
            expected << named("pB_", g, "Minus") << named("spinBox_", g) << named("pB_", g, "Add");
        else
            expected << named("cB_", g);
    }
    expected << "pB_SaveParameter"
             << "pB_OpenParameter"
             << "pB_ReadParameter"
             << "textBrowser_StateShow"
             << "pB_WriteParameter";

    const QSet<QString> formNames = formObjectNames(w);
    QWidget *start = child<QWidget>(w, "comboBox_Port");
    QStringList order{start->objectName()};
    for (QWidget *next = start->nextInFocusChain(); next != start;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && formNames.contains(next->objectName()))
            order.append(next->objectName());
    }
    QCOMPARE(order, expected);
}

void TestWindowForm::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("000_Set") << ":/ICON/000_Set.png" << QSize(200, 200) << QByteArray("png");
    QTest::newRow("002_jian") << ":/ICON/002_jian.png" << QSize(200, 200) << QByteArray("png");
    QTest::newRow("003_jia") << ":/ICON/003_jia.png" << QSize(200, 200) << QByteArray("png");
    QTest::newRow("005_") << ":/ICON/005_.png" << QSize(450, 450) << QByteArray("png");
    QTest::newRow("006_") << ":/ICON/006_.png" << QSize(450, 450) << QByteArray("png");
    QTest::newRow("007") << ":/ICON/007.png" << QSize(400, 200) << QByteArray("png");
    QTest::newRow("008") << ":/ICON/008.jpg" << QSize(140, 140) << QByteArray("jpeg");
    QTest::newRow("009") << ":/ICON/009.jpg" << QSize(290, 60) << QByteArray("jpeg");
    QTest::newRow("010") << ":/ICON/010.jpg" << QSize(290, 50) << QByteArray("jpeg");
    QTest::newRow("011") << ":/ICON/011.jpeg" << QSize(290, 50) << QByteArray("jpeg");
}

void TestWindowForm::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), size);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    // The PNGs are drawn on a transparent background.
    QCOMPARE(image.hasAlphaChannel(), format == "png");
}

void TestWindowForm::misspeltPicturePathsDoNotResolve_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("jpg for jpeg") << ":/ICON/011.jpg";
    QTest::newRow("lower-case folder") << ":/icon/000_Set.png";
    QTest::newRow("lower-case name") << ":/ICON/000_set.png";
    QTest::newRow("upper-case extension") << ":/ICON/007.PNG";
}

void TestWindowForm::misspeltPicturePathsDoNotResolve()
{
    QFETCH(QString, path);
    QVERIFY(!QFile::exists(path));
    QVERIFY(QImageReader(path).read().isNull());
}

void TestWindowForm::iconFolderHoldsTheTenPictures()
{
    const QStringList expected{"000_Set.png", "002_jian.png", "003_jia.png", "005_.png",
                               "006_.png",    "007.png",      "008.jpg",     "009.jpg",
                               "010.jpg",     "011.jpeg"};
    QCOMPARE(QDir(QStringLiteral(":/ICON")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             expected);
    QCOMPARE(QDir(QStringLiteral(":/")).entryList(QStringList{"ICON"}, QDir::Dirs),
             QStringList{"ICON"});
}

void TestWindowForm::windowHasItsIcon()
{
    Widget w;
    const QIcon icon = w.windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(!icon.pixmap(QSize(32, 32)).isNull());
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(200, 200)});
}

QTEST_MAIN(TestWindowForm)
#include "tst_windowform.moc"
