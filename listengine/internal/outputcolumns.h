#pragma once

// Laying out the output's columns: the input's columns in their order, then
// eTIN and Fehler; beside a column eTIN of the list, Prüfung right after it
// and Fehler last. Ours take the first free name ("Fehler 2" when the list
// has a Fehler of its own): a column of the list is never written over.
// Cells beyond the header follow all columns.

#include <cstddef>
#include <optional>
#include <vector>

#include "listengine/encoding.h"
#include "listengine/internal/columnfinder.h"
#include "listengine/listlayout.h"

namespace kennfix::listengine::internal {

class OutputColumns {
public:
    OutputColumns(const HeaderColumns& header, char delimiter, Encoding output);

    const ListLayout& layout() const { return m_layout; }
    std::size_t inputCount() const { return m_inputCount; }   // columns of the header
    std::size_t count() const { return m_layout.columnNames.size(); }
    // The list's own eTIN column, as an input column.
    std::optional<std::size_t> storedEtin() const { return m_storedEtin; }

    // Where a column of the input goes.
    std::size_t of(std::size_t inputColumn) const
    {
        return inputColumn + (m_storedEtin && inputColumn > *m_storedEtin ? 1 : 0);
    }
    // Whether an output column holds a cell of the input as it was read,
    // rather than eTIN, Prüfung or Fehler of ours.
    bool holdsInputCell(std::size_t outputColumn) const { return m_holdsInputCell[outputColumn]; }

private:
    ListLayout m_layout;
    std::size_t m_inputCount = 0;
    std::optional<std::size_t> m_storedEtin;
    std::vector<char> m_holdsInputCell;
};

}  // namespace kennfix::listengine::internal
