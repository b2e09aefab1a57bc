#ifndef NIMBAL_TESTS_WINDOWCONTROLS_H
#define NIMBAL_TESTS_WINDOWCONTROLS_H

// Reaches the window's parameter controls and status log by object name.

#include "referenceframe.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QTextBrowser>
#include <QWidget>

namespace WindowControls {

inline QSpinBox *spinBox(const QWidget &window, const QString &name)
{
    return window.findChild<QSpinBox *>(QLatin1String("spinBox_") + name);
}

inline QCheckBox *checkBox(const QWidget &window, const QString &name)
{
    return window.findChild<QCheckBox *>(QLatin1String("cB_") + name);
}

// Sets every parameter named in `v`; returns false if a control is missing.
inline bool set(const QWidget &window, const Reference::Values &v)
{
    for (auto it = v.cbegin(); it != v.cend(); ++it) {
        if (QSpinBox *box = spinBox(window, it.key()))
            box->setValue(it.value());
        else if (QCheckBox *box = checkBox(window, it.key()))
            box->setChecked(it.value() != 0);
        else
            return false;
    }
    return true;
}

// The fourteen parameters as the controls show them (-1 for a missing one).
inline Reference::Values values(const QWidget &window)
{
    Reference::Values v;
    for (const QString &name : Reference::names()) {
        if (QSpinBox *box = spinBox(window, name))
            v.insert(name, box->value());
        else if (QCheckBox *box = checkBox(window, name))
            v.insert(name, box->isChecked() ? 1 : 0);
        else
            v.insert(name, -1);
    }
    return v;
}

inline QTextBrowser *log(const QWidget &window)
{
    return window.findChild<QTextBrowser *>(QStringLiteral("textBrowser_StateShow"));
}

// The messages in the status log, without their "[stamp] " prefix.
inline QStringList logMessages(const QWidget &window)
{
    QStringList messages;
    const QStringList lines = log(window)->toPlainText().split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        const int cut = line.indexOf(QLatin1String("] "));
        messages.append(cut < 0 ? line : line.mid(cut + 2));
    }
    return messages;
}

} // namespace WindowControls

#endif
