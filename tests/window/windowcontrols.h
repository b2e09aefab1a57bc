#ifndef NIMBAL_TESTS_WINDOWCONTROLS_H
#define NIMBAL_TESTS_WINDOWCONTROLS_H

// The window's fourteen parameter controls as the reference frame's values.

#include "frameexamples.h"
#include "model/parameterset.h"
#include "windowtest.h"

namespace WindowControls {

using WindowTest::checkBox;
using WindowTest::spinBox;

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

using FrameExamples::fromParameterSet;

} // namespace WindowControls

#endif
