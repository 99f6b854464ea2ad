#include "liste/listmodel.h"

#include <QApplication>
#include <QColor>
#include <QStyle>

#include <algorithm>
#include <climits>

namespace kennfix::liste {
namespace {

// Light backgrounds with black text, readable in light and dark themes alike.
const QColor kErrorBackground(0xF8, 0xD7, 0xDA);
const QColor kDeviationBackground(0xFF, 0xF0, 0xC2);
const QColor kMarkedText(Qt::black);

QString Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// "Abweichend: Geburtsdatum (Zeichen 9–13), Prüfzeichen (Zeichen 14)"
QString DifferenceText(const listengine::EtinDifference& difference)
{
    if (difference.lengthDiffers())
        return QStringLiteral("Abweichend: %1 statt %2 Zeichen").arg(difference.length).arg(kEtinLength);
    QStringList parts;
    for (const EtinPart& part : kEtinParts) {
        if (!difference.differs(part))
            continue;
        const QString place = part.first == part.last ? QString::number(part.first)
                                                      : QStringLiteral("%1\u2013%2").arg(part.first).arg(part.last);
        parts << QStringLiteral("%1 (Zeichen %2)").arg(Text(part.name), place);
    }
    return QStringLiteral("Abweichend: ") + parts.join(QStringLiteral(", "));
}

// Where the characters that differ stand in the cell's text: the engine
// counts characters after the blanks before the eTIN, a QString counts
// UTF-16 units.
TextRanges DifferingCharacters(const QString& cell, const listengine::EtinDifference& difference)
{
    qsizetype pos = 0;
    const auto next = [&] { return pos + (cell[pos].isHighSurrogate() && pos + 1 < cell.size() ? 2 : 1); };
    for (std::size_t i = 0; i < difference.leadingBlanks && pos < cell.size(); ++i)
        pos = next();
    TextRanges ranges;
    for (std::size_t i = 0; i < difference.length && pos < cell.size(); ++i) {
        const qsizetype end = next();
        if (difference.lengthDiffers() || (i < kEtinLength && (difference.characters >> i & 1) != 0)) {
            if (!ranges.isEmpty() && ranges.back().first + ranges.back().second == pos)
                ranges.back().second += static_cast<int>(end - pos);
            else
                ranges.append({static_cast<int>(pos), static_cast<int>(end - pos)});
        }
        pos = end;
    }
    return ranges;
}

}  // namespace

ListModel::ListModel(QObject* parent)
    : QAbstractTableModel(parent), m_errorIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical)),
      m_deviationIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning))
{
}

void ListModel::setList(std::shared_ptr<const ListTable> table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

void ListModel::setOnlyAttention(bool only)
{
    if (only == m_onlyAttention)
        return;
    beginResetModel();
    m_onlyAttention = only;
    endResetModel();
}

std::size_t ListModel::tableRow(int row) const
{
    const auto r = static_cast<std::size_t>(row);
    return m_onlyAttention ? m_table->attentionRows()[r] : r;
}

int ListModel::modelRow(std::size_t tableRow) const
{
    if (!m_table || tableRow >= m_table->rowCount())
        return -1;
    if (!m_onlyAttention)
        return static_cast<int>(tableRow);
    const auto rows = m_table->attentionRows();
    const auto at = std::lower_bound(rows.begin(), rows.end(), tableRow);
    return at != rows.end() && *at == tableRow ? static_cast<int>(at - rows.begin()) : -1;
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    const std::size_t rows = m_onlyAttention ? m_table->attentionRows().size() : m_table->rowCount();
    return static_cast<int>(std::min<std::size_t>(rows, INT_MAX));
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    return static_cast<int>(std::min<std::size_t>(m_table->columnCount(), INT_MAX));
}

QString ListModel::problem(std::size_t row) const
{
    const RowMarks marks = m_table->marks(row);
    const listengine::ListLayout& layout = m_table->layout();
    QStringList parts;
    if (marks.hasError)
        parts << QStringLiteral("Fehler: ") + Text(m_table->cell(row, layout.errorColumn));
    if (marks.deviates() && layout.checkColumn)
        parts << QStringLiteral("Prüfung: ") + Text(m_table->cell(row, *layout.checkColumn));
    return parts.join(QStringLiteral("; "));
}

bool ListModel::isDeviatingEtin(std::size_t row, int column) const
{
    return static_cast<std::size_t>(column) == m_table->layout().etinColumn && m_table->marks(row).deviates();
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_table)
        return {};
    const std::size_t row = tableRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Text(m_table->cell(row, static_cast<std::size_t>(index.column())));
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        const RowMarks marks = m_table->marks(row);
        if (!marks.needsAttention())
            return {};
        if (role == Qt::ForegroundRole)
            return kMarkedText;
        return marks.hasError ? kErrorBackground : kDeviationBackground;
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        QString text = problem(row);
        if (isDeviatingEtin(row, index.column()))
            text += QStringLiteral("; ") + DifferenceText(m_table->etinDifference(row));
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case kDifferingCharactersRole:
        if (!isDeviatingEtin(row, index.column()))
            return {};
        return QVariant::fromValue(DifferingCharacters(Text(m_table->cell(row, static_cast<std::size_t>(index.column()))),
                                                       m_table->etinDifference(row)));
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_table || section < 0)
        return {};
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            return Text(m_table->columnName(static_cast<std::size_t>(section)));
        return {};
    }
    const std::size_t row = tableRow(section);
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(m_table->line(row));
    case Qt::DecorationRole: {
        const RowMarks marks = m_table->marks(row);
        if (!marks.needsAttention())
            return {};
        return marks.hasError ? m_errorIcon : m_deviationIcon;
    }
    case Qt::ToolTipRole: {
        const QString line = QStringLiteral("Zeile %1 der Datei").arg(m_table->line(row));
        const QString text = problem(row);
        return text.isEmpty() ? line : line + QStringLiteral(": ") + text;
    }
    default:
        return {};
    }
}

}  // namespace kennfix::liste
