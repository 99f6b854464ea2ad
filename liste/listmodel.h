#pragma once

// The rows of a list for the table view, answered on demand from the
// compact ListTable. Rows with a Fehler or a deviating stored eTIN stand
// out by their background, and for those who do not see it by an icon in
// the row's header and a description that screen readers read. In a
// deviating stored eTIN, the characters that differ are marked too
// (kDifferingCharactersRole, painted by EtinCellDelegate), and the cell's
// description names the parts of the eTIN they belong to. Switched to "only
// those rows", it shows the table's rows that need attention, through the
// index list the table keeps of them.

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QPair>

#include <cstddef>
#include <memory>

#include "liste/listtable.h"

namespace kennfix::liste {

// Stretches of a cell's text: start and length, in QString positions.
using TextRanges = QList<QPair<int, int>>;

// TextRanges: the characters of a deviating stored eTIN that differ from the
// computed one; the whole eTIN when its length differs.
inline constexpr int kDifferingCharactersRole = Qt::UserRole + 1;

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);

    void setList(std::shared_ptr<const ListTable> table);
    const ListTable* table() const { return m_table.get(); }

    void setOnlyAttention(bool only);
    bool onlyAttention() const { return m_onlyAttention; }

    // The table row that a row of the model shows.
    std::size_t tableRow(int row) const;
    // The model row that shows a table row; -1 when it is hidden.
    int modelRow(std::size_t tableRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // What the row's problem is, as a sentence; empty when it has none.
    QString problem(std::size_t tableRow) const;
    // Whether the cell holds a stored eTIN that deviates.
    bool isDeviatingEtin(std::size_t tableRow, int column) const;

    std::shared_ptr<const ListTable> m_table;
    bool m_onlyAttention = false;
    QIcon m_errorIcon;
    QIcon m_deviationIcon;
};

}  // namespace kennfix::liste
