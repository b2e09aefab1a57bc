#ifndef NIMBAL_LABELREGISTER_H
#define NIMBAL_LABELREGISTER_H

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QString>

// The labels of a production run, for the station and nimbalctl batch
// alike. A label comes from a barcode scanner, which types whatever the
// code on the part holds, or from a keyboard: it is untrusted input, and
// one rule says which labels are taken. It also knows which label each
// lane's servo holds, so that no label is on two servos at once, and which
// labels have passed, in the log and on this run, so that none passes
// twice.
class LabelRegister
{
    Q_DECLARE_TR_FUNCTIONS(LabelRegister)

public:
    // Characters (code points) a label may have at most.
    static constexpr int kLongest = 64;

    // A label as scanned, with the spaces at either end taken off.
    static QString trimmed(const QString &scanned);
    // Why the rule refuses `label` (trimmed already): empty, a control or
    // format character (a tab, a line end, an escape, a zero-width joiner),
    // longer than kLongest, or the start of a spreadsheet formula (=, +, -,
    // @). Empty when the rule takes it.
    static QString ruleRefusal(const QString &label);
    // A label as a screen may show it, whatever it holds: each control or
    // format character as "<U+0009>", and no more than kLongest characters
    // of it, then "…".
    static QString shown(const QString &label);

    // The labels that passed already in this log.
    void setPassed(const QSet<QString> &labels) { m_passed = labels; }
    void addPassed(const QString &label) { m_passed.insert(label); }

    // Why `label` cannot go to the servo of `owner` (a lane's port): the
    // rule's reason, another lane's servo holding it, or its passing
    // already. Empty when it may.
    QString refusal(const QString &label, const QString &owner) const;
    // `owner`'s servo holds `label` from now on, until released.
    void claim(const QString &owner, const QString &label) { m_held.insert(owner, label); }
    void release(const QString &owner) { m_held.remove(owner); }

private:
    QSet<QString> m_passed;
    QHash<QString, QString> m_held; // owner -> label
};

#endif
