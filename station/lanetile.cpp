#include "lanetile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// At least 48 px high, as the station is read from two metres.
constexpr int kHeadlinePixels = 56;

// Dark on light for a PASS, light on dark for a FAIL, so the two differ in
// lightness as well as in hue (and in their words).
const char kStyle[] = "LaneTile { border: 2px solid #5f6368; border-radius: 8px; }"
                      "LaneTile[verdict=\"pass\"] { background: #d7f5dc; }"
                      "LaneTile[verdict=\"pass\"] QLabel { color: #0b3d14; }"
                      "LaneTile[verdict=\"fail\"] { background: #7a0010; }"
                      "LaneTile[verdict=\"fail\"] QLabel { color: #ffffff; }"
                      "LaneTile[verdict=\"gone\"] { background: #fff3c4; }"
                      "LaneTile[verdict=\"gone\"] QLabel { color: #3d2e00; }";

} // namespace

LaneTile::LaneTile(const QString &port, QWidget *parent)
    : QFrame(parent), m_port(port), m_headline(new QLabel(this)), m_detail(new QLabel(this)),
      m_counts(new QLabel(this)), m_label(new QLineEdit(this)),
      m_remove(new QPushButton(tr("Remove"), this))
{
    setObjectName(QStringLiteral("lane"));
    setStyleSheet(QLatin1String(kStyle));
    setAccessibleName(tr("Lane %1").arg(port));
    auto *portName = new QLabel(port, this);
    QFont bold = portName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    portName->setFont(bold);
    m_remove->setAccessibleName(tr("Remove the lane of %1").arg(port));
    connect(m_remove, &QPushButton::clicked, this, &LaneTile::removeClicked);

    QFont big = m_headline->font();
    big.setPixelSize(kHeadlinePixels);
    big.setBold(true);
    m_headline->setFont(big);
    m_headline->setObjectName(QStringLiteral("headline"));
    m_headline->setWordWrap(true);
    m_detail->setObjectName(QStringLiteral("detail"));
    m_detail->setWordWrap(true);
    QFont larger = m_detail->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    m_detail->setFont(larger);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setFont(larger);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setAccessibleName(tr("Label of the servo on %1").arg(port));
    m_label->setPlaceholderText(tr("Scan or type the label, then Enter"));
    m_label->hide();
    connect(m_label, &QLineEdit::returnPressed, this,
            [this] { emit labelEntered(m_label->text().trimmed()); });

    auto *top = new QHBoxLayout;
    top->addWidget(portName, 1);
    top->addWidget(m_remove);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_headline);
    layout->addWidget(m_detail);
    layout->addWidget(m_label);
    layout->addStretch(1);
    layout->addWidget(m_counts);
    showState(Lane::State::Stopped);
    showCounts(0, 0);
}

void LaneTile::showState(Lane::State state, const QString &detail)
{
    m_label->hide();
    switch (state) {
    case Lane::State::Stopped:
        // The last verdict stays; an adapter gone does not.
        m_headline->setText(tr("Stopped"));
        if (property("verdict") == QLatin1String("gone"))
            setVerdict("none");
        return;
    case Lane::State::AdapterGone:
        setVerdict("gone");
        m_headline->setText(tr("Adapter gone — plug it back in"));
        m_detail->setText(detail);
        return;
    case Lane::State::WaitingForServo:
        setVerdict("none");
        m_headline->setText(tr("Plug in a servo"));
        m_detail->setText(m_last);
        return;
    case Lane::State::WaitingForLabel:
        setVerdict("none");
        m_headline->setText(tr("Scan its label"));
        m_detail->clear();
        return;
    case Lane::State::SettingUp:
        setVerdict("none");
        m_headline->setText(tr("Setting up…"));
        m_detail->clear();
        return;
    case Lane::State::WaitingUntilGone:
        // The verdict stays, with what to do next.
        m_detail->setText(m_detail->text().isEmpty()
                              ? tr("Unplug the servo")
                              : m_detail->text() + QLatin1Char('\n') + tr("Unplug the servo"));
        return;
    }
}

void LaneTile::showResult(bool passed, const QString &label, const QString &reasons)
{
    setVerdict(passed ? "pass" : "fail");
    m_headline->setText(passed ? tr("✔ PASS") : tr("✘ FAIL"));
    m_last = tr("The last servo: %1").arg(m_headline->text());
    QString detail = label.isEmpty() ? QString() : tr("Label %1").arg(label);
    if (!reasons.isEmpty())
        detail += (detail.isEmpty() ? QString() : QStringLiteral("\n")) + reasons;
    m_detail->setText(detail);
}

void LaneTile::showCounts(int passed, int failed)
{
    m_counts->setText(tr("Passed %1 · Failed %2").arg(passed).arg(failed));
}

void LaneTile::askForLabel()
{
    m_label->clear();
    m_label->show();
    m_label->setFocus();
}

void LaneTile::refuseLabel(const QString &why)
{
    m_detail->setText(why);
    m_label->selectAll();
    m_label->setFocus();
}

void LaneTile::setRemovable(bool removable)
{
    m_remove->setEnabled(removable);
}

void LaneTile::setVerdict(const char *verdict)
{
    setProperty("verdict", QLatin1String(verdict));
    // The labels' colours follow the tile's property: polish them anew.
    style()->unpolish(this);
    style()->polish(this);
    for (QLabel *label : findChildren<QLabel *>()) {
        label->style()->unpolish(label);
        label->style()->polish(label);
    }
}
