#include "portchooser.h"

#include "port/portlist.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

PortChooser::PortChooser(QWidget *parent)
    : QWidget(parent), m_choice(new QComboBox(this)), m_add(new QPushButton(tr("&Add lane"), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(tr("&Port of a new lane:"), this);
    caption->setBuddy(m_choice);
    m_choice->setEditable(true);
    m_choice->setAccessibleName(tr("Port of a new lane"));
    m_choice->setMinimumContentsLength(36);
    m_choice->installEventFilter(this);
    m_add->setAccessibleName(tr("Add a lane on this port"));
    connect(m_add, &QPushButton::clicked, this, &PortChooser::add);
    layout->addWidget(caption);
    layout->addWidget(m_choice, 1);
    layout->addWidget(m_add);
    refresh();
}

void PortChooser::refresh()
{
    const QString typed = m_choice->currentText();
    m_choice->clear();
    for (const PortList::Entry &entry : PortList::available()) {
        QString text = entry.name;
        if (!entry.description.isEmpty())
            text += QStringLiteral(" — ") + entry.description;
        if (entry.hasUsbIds)
            text += QStringLiteral(" (%1:%2)")
                        .arg(entry.vendorId, 4, 16, QLatin1Char('0'))
                        .arg(entry.productId, 4, 16, QLatin1Char('0'));
        m_choice->addItem(text, entry.byIdPath.isEmpty() ? entry.name : entry.byIdPath);
    }
    m_choice->setEditText(typed);
}

void PortChooser::add()
{
    const int index = m_choice->findText(m_choice->currentText());
    const QString port =
        index >= 0 ? m_choice->itemData(index).toString() : m_choice->currentText().trimmed();
    if (port.isEmpty())
        emit nothingChosen();
    else
        emit portChosen(port);
}

bool PortChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_choice &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress))
        refresh();
    return QWidget::eventFilter(watched, event);
}
