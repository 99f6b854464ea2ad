#pragma once

// What a front end is told while a list goes through the engine
// (ListCallbacks): the columns before the first row, each row as written,
// and progress, at which it may ask to stop.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "listengine/internal/listreader.h"
#include "listengine/internal/rowcomputer.h"
#include "listengine/types.h"

namespace kennfix::listengine::internal {

class FrontEndReport {
public:
    explicit FrontEndReport(const ListCallbacks& callbacks) : m_callbacks(callbacks) {}

    // Whether the front end shows the rows: then the engine lays out each row's cells for it.
    bool wantsRows() const { return static_cast<bool>(m_callbacks.onRow); }

    void Header(const ListLayout& layout) const;
    // `cells`: the row as written (RowWriter::WriteDataRow).
    void Row(const InputRow& row, const ComputedRow& computed, std::span<const std::string_view> cells,
             Encoding output) const;
    // Throws ListCancelled when the front end asks to stop.
    void Progress(std::uint64_t bytesRead, std::size_t rows) const;

private:
    const ListCallbacks& m_callbacks;
};

}  // namespace kennfix::listengine::internal
