#include "lane/labelregister.h"

#include <QVector>

QString LabelRegister::trimmed(const QString &scanned)
{
    int first = 0;
    int end = int(scanned.size());
    while (first < end && scanned.at(first) == QLatin1Char(' '))
        ++first;
    while (end > first && scanned.at(end - 1) == QLatin1Char(' '))
        --end;
    return scanned.mid(first, end - first);
}

namespace {

bool isControl(uint c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

QString codeOf(uint c)
{
    return QStringLiteral("U+") +
           QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

} // namespace

QString LabelRegister::shown(const QString &label)
{
    const QVector<uint> characters = label.toUcs4();
    QString text;
    for (int i = 0; i < qMin(int(characters.size()), kLongest); ++i) {
        const uint c = characters.at(i);
        if (isControl(c))
            text += QLatin1Char('<') + codeOf(c) + QLatin1Char('>');
        else if (QChar::requiresSurrogates(c))
            text.append(QChar(QChar::highSurrogate(c))).append(QChar(QChar::lowSurrogate(c)));
        else
            text += QChar(c);
    }
    return characters.size() > kLongest ? text + QStringLiteral("…") : text;
}

QString LabelRegister::ruleRefusal(const QString &label)
{
    if (label.isEmpty())
        return tr("the label is empty: scan the servo's label");
    const QVector<uint> characters = label.toUcs4();
    for (const uint c : characters) {
        if (isControl(c))
            return tr("the label holds a control character (%1): scan it again").arg(codeOf(c));
    }
    if (characters.size() > kLongest)
        return tr("the label has %n character(s), more than the %1 a label may have", nullptr,
                  int(characters.size()))
            .arg(kLongest);
    static const QString kFormulaStarts = QStringLiteral("=+-@");
    if (kFormulaStarts.contains(label.at(0)))
        return tr("the label begins with '%1': a spreadsheet would take it for a formula")
            .arg(label.at(0));
    return QString();
}

QString LabelRegister::refusal(const QString &label, const QString &owner) const
{
    const QString rule = ruleRefusal(label);
    if (!rule.isEmpty())
        return rule;
    for (auto held = m_held.cbegin(); held != m_held.cend(); ++held) {
        if (held.key() != owner && held.value() == label)
            return tr("label %1 is on the servo of %2 already").arg(label, held.key());
    }
    if (m_passed.contains(label))
        return tr("label %1 has passed already in this log").arg(label);
    return QString();
}
