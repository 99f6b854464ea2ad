#include "listmodel.h"

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
    const batch::ListLayout& layout = m_table->layout();
    QStringList parts;
    if (marks.hasError)
        parts << QStringLiteral("Fehler: ") + Text(m_table->cell(row, layout.errorColumn));
    if (marks.deviates() && layout.checkColumn)
        parts << QStringLiteral("Prüfung: ") + Text(m_table->cell(row, *layout.checkColumn));
    return parts.join(QStringLiteral("; "));
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
        const QString text = problem(row);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
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
