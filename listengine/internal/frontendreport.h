#pragma once

// What a front end is told while a list goes through the engine
// (ListCallbacks): the columns before the first row, each row as written,
// and progress, at which it may ask to stop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "listengine/encoding.h"
#include "listengine/internal/listreader.h"
#include "listengine/internal/rowcomputer.h"
#include "listengine/listlayout.h"
#include "listengine/listprogress.h"
#include "listengine/rowresult.h"

namespace kennfix::listengine::internal {

// The front end's callbacks (those of ListCallbacks) are held by reference:
// they outlive the report.
class FrontEndReport {
public:
    using HeaderCallback = std::function<void(const ListLayout&)>;
    using RowCallback = std::function<void(const RowResult&)>;
    using ProgressCallback = std::function<bool(const ListProgress&)>;

    FrontEndReport(const HeaderCallback& onHeader, const RowCallback& onRow, const ProgressCallback& onProgress)
        : m_onHeader(onHeader), m_onRow(onRow), m_onProgress(onProgress)
    {
    }

    // Whether the front end shows the rows: then the engine lays out each row's cells for it.
    bool wantsRows() const { return static_cast<bool>(m_onRow); }

    void Header(const ListLayout& layout) const;
    // `cells`: the row as written (RowWriter::WriteDataRow).
    void Row(const InputRow& row, const ComputedRow& computed, std::span<const std::string_view> cells,
             Encoding output) const;
    // Throws ListCancelled when the front end asks to stop.
    void Progress(std::uint64_t bytesRead, std::size_t rows) const;

private:
    const HeaderCallback& m_onHeader;
    const RowCallback& m_onRow;
    const ProgressCallback& m_onProgress;
};

}  // namespace kennfix::listengine::internal
