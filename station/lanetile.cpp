#include "lanetile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariant>

namespace {

// At least 48 px high, as the station is read from two metres.
constexpr int kHeadlinePixels = 56;

// Dark on light for a PASS, light on dark for a FAIL, so the two differ in
// lightness as well as in hue (and in their words); a thick blue border
// on the tile the next label goes to.
const char kStyle[] = "LaneTile { border: 2px solid #5f6368; border-radius: 8px; }"
                      "LaneTile[verdict=\"pass\"] { background: #d7f5dc; }"
                      "LaneTile[verdict=\"pass\"] QLabel { color: #0b3d14; }"
                      "LaneTile[verdict=\"fail\"] { background: #7a0010; }"
                      "LaneTile[verdict=\"fail\"] QLabel { color: #ffffff; }"
                      "LaneTile[verdict=\"gone\"] { background: #fff3c4; }"
                      "LaneTile[verdict=\"gone\"] QLabel { color: #3d2e00; }"
                      "LaneTile[labelNext=\"true\"] { border: 8px solid #1a56db; }";

QString joined(const QString &first, const QString &second)
{
    return first.isEmpty() ? second : first + QLatin1Char('\n') + second;
}

} // namespace

LaneTile::LaneTile(const QString &port, QWidget *parent)
    : QFrame(parent), m_port(port), m_headline(new QLabel(this)), m_detail(new QLabel(this)),
      m_counts(new QLabel(this)), m_remove(new QPushButton(tr("Remove"), this))
{
    setObjectName(QStringLiteral("lane"));
    setStyleSheet(QLatin1String(kStyle));
    setAccessibleName(tr("Lane %1").arg(port));
    auto *portName = new QLabel(port, this);
    portName->setTextFormat(Qt::PlainText);
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
    // Reasons quote what came from outside: a label, a system's words.
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setObjectName(QStringLiteral("detail"));
    m_detail->setWordWrap(true);
    QFont larger = m_detail->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    m_detail->setFont(larger);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setFont(larger);

    auto *top = new QHBoxLayout;
    top->addWidget(portName, 1);
    top->addWidget(m_remove);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_headline);
    layout->addWidget(m_detail);
    layout->addStretch(1);
    layout->addWidget(m_counts);
    showState(Lane::State::Stopped);
    showCounts(0, 0);
}

void LaneTile::showState(Lane::State state, const QString &detail)
{
    m_state = state;
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
        // A verdict stays until the next servo is found.
        if (showsVerdict()) {
            m_detail->setText(joined(m_result, tr("Plug in the next servo")));
            return;
        }
        setVerdict("none");
        m_headline->setText(tr("Plug in a servo"));
        m_detail->clear();
        return;
    case Lane::State::WaitingForLabel:
        setVerdict("none");
        m_headline->setText(tr("Scan its label"));
        m_detail->setText(labelTurn());
        return;
    case Lane::State::SettingUp:
        setVerdict("none");
        m_headline->setText(tr("Setting up…"));
        m_detail->setText(detail.isEmpty() ? QString() : tr("Label %1").arg(detail));
        return;
    case Lane::State::WaitingUntilGone:
        // The verdict stays, with what to do next.
        m_detail->setText(joined(m_result, tr("Unplug the servo")));
        return;
    }
}

void LaneTile::showResult(bool passed, const QString &label, const QString &reasons)
{
    setVerdict(passed ? "pass" : "fail");
    m_headline->setText(passed ? tr("✔ PASS") : tr("✘ FAIL"));
    m_result = label.isEmpty() ? QString() : tr("Label %1").arg(label);
    if (!reasons.isEmpty())
        m_result = joined(m_result, reasons);
    m_detail->setText(m_result);
}

void LaneTile::showCounts(int passed, int failed)
{
    m_counts->setText(tr("Passed %1 · Failed %2").arg(passed).arg(failed));
}

void LaneTile::markForLabel(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    setProperty("labelNext", marked);
    if (m_state == Lane::State::WaitingForLabel)
        m_detail->setText(labelTurn());
    repolish();
}

void LaneTile::setRemovable(bool removable)
{
    m_remove->setEnabled(removable);
}

QString LaneTile::labelTurn() const
{
    return m_marked ? tr("The next label goes to this servo")
                    : tr("Its label comes after another lane's");
}

bool LaneTile::showsVerdict() const
{
    const QString verdict = property("verdict").toString();
    return verdict == QLatin1String("pass") || verdict == QLatin1String("fail");
}

void LaneTile::setVerdict(const char *verdict)
{
    setProperty("verdict", QLatin1String(verdict));
    repolish();
}

void LaneTile::repolish()
{
    // The labels' colours follow the tile's properties: polish them anew.
    style()->unpolish(this);
    style()->polish(this);
    for (QLabel *label : findChildren<QLabel *>()) {
        label->style()->unpolish(label);
        label->style()->polish(label);
    }
}
