#include "labelentry.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

LabelEntry::LabelEntry(QWidget *parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_target(new QLabel(this)),
      m_message(new QLabel(this))
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(tr("La&bel:"), this);
    caption->setBuddy(m_edit);
    m_edit->setObjectName(QStringLiteral("labelEntry"));
    m_edit->setAccessibleName(tr("Label of the next servo"));
    m_edit->setPlaceholderText(tr("Scan or type the label, then Enter"));
    QFont larger = m_edit->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.4);
    m_edit->setFont(larger);
    m_target->setObjectName(QStringLiteral("labelTarget"));
    m_target->setAccessibleName(tr("Where the next label goes"));
    m_target->setFont(larger);
    m_message->setObjectName(QStringLiteral("labelMessage"));
    m_message->setAccessibleName(tr("Label refused"));
    m_message->setWordWrap(true);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(m_edit, 0, 1);
    layout->addWidget(m_target, 0, 2);
    layout->addWidget(m_message, 1, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        const QString text = m_edit->text();
        m_edit->clear();
        m_message->clear();
        emit entered(text);
    });
    showTarget(QString(), QString());
}

void LabelEntry::showTarget(const QString &port, const QString &kept)
{
    if (!port.isEmpty())
        m_target->setText(tr("→ the servo on %1").arg(port));
    else if (!kept.isEmpty())
        m_target->setText(tr("%1 is kept for the next servo").arg(kept));
    else
        m_target->setText(tr("No servo waits for a label"));
}

void LabelEntry::showRefusal(const QString &label, const QString &reason)
{
    m_message->setText(label.isEmpty() ? tr("Refused: %1").arg(reason)
                                       : tr("%1 refused: %2").arg(label, reason));
}

void LabelEntry::takeFocus()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}
