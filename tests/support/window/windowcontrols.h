#ifndef NIMBAL_TESTS_WINDOWCONTROLS_H
#define NIMBAL_TESTS_WINDOWCONTROLS_H

#include "model/parameterset.h"

#include <QString>

#include <array>

class QCheckBox;
class QSpinBox;
class QTextBrowser;
class QWidget;

// The window's fourteen parameter controls and its status log, looked up
// by object name once: the tests read and set the fourteen as a parameter
// set, and the benchmarks do it inside timed spans.
class WindowControls
{
public:
    explicit WindowControls(const QWidget &window);

    // False when a control or the log is missing.
    bool isValid() const { return m_allControls && m_log; }
    // Sets every control that is there; false when one is missing.
    bool set(const ParameterSet &values) const;
    // What the controls show, a switch as 0 or 1; -1 for a missing control.
    ParameterSet values() const;
    QTextBrowser *log() const { return m_log; }
    // The last line of the status log.
    QString lastLogLine() const;

private:
    std::array<QSpinBox *, kParameterCount> m_spinBoxes{};
    std::array<QCheckBox *, kParameterCount> m_checkBoxes{};
    QTextBrowser *m_log = nullptr;
    bool m_allControls = true;
};

#endif
