#include "texttable.h"

namespace TextTable {

QString of(const std::vector<QStringList> &rows)
{
    if (rows.empty())
        return QString();
    const int columns = int(rows.front().size());
    std::vector<int> widths(std::size_t(columns), 0);
    const auto cell = [](const QStringList &row, int c) {
        const QString text = row.value(c);
        return text.isEmpty() ? QStringLiteral("-") : text;
    };
    for (const QStringList &row : rows) {
        for (int c = 0; c < columns; ++c)
            widths[std::size_t(c)] = qMax(widths[std::size_t(c)], int(cell(row, c).size()));
    }
    QString text;
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < columns; ++c)
            line += c + 1 < columns ? cell(row, c).leftJustified(widths[std::size_t(c)] + 2)
                                    : cell(row, c);
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace TextTable
