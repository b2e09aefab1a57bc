#include "windowcontrols.h"

#include "windowtest.h"

#include <QTextBlock>
#include <QTextDocument>

WindowControls::WindowControls(const QWidget &window) : m_log(WindowTest::statusLog(window))
{
    for (const ParameterInfo &param : kParameters) {
        const std::size_t i = indexOf(param.id);
        if (isSwitch(param.id))
            m_checkBoxes[i] = WindowTest::checkBox(window, param.id);
        else
            m_spinBoxes[i] = WindowTest::spinBox(window, param.id);
        m_allControls = m_allControls && (m_checkBoxes[i] || m_spinBoxes[i]);
    }
}

bool WindowControls::set(const ParameterSet &values) const
{
    for (const ParameterInfo &param : kParameters) {
        const std::size_t i = indexOf(param.id);
        if (m_checkBoxes[i])
            m_checkBoxes[i]->setChecked(values.isOn(param.id));
        else if (m_spinBoxes[i])
            m_spinBoxes[i]->setValue(values.value(param.id));
    }
    return m_allControls;
}

ParameterSet WindowControls::values() const
{
    ParameterSet values;
    for (const ParameterInfo &param : kParameters) {
        const std::size_t i = indexOf(param.id);
        int value = -1;
        if (m_checkBoxes[i])
            value = m_checkBoxes[i]->isChecked() ? 1 : 0;
        else if (m_spinBoxes[i])
            value = m_spinBoxes[i]->value();
        values.setValue(param.id, value);
    }
    return values;
}

QString WindowControls::lastLogLine() const
{
    return m_log ? m_log->document()->lastBlock().text() : QString();
}
