#include "listengine/internal/frontendreport.h"

#include "listengine/errors.h"
#include "listengine/internal/listwriter.h"

namespace kennfix::listengine::internal {

void FrontEndReport::Header(const ListLayout& layout) const
{
    if (m_onHeader)
        m_onHeader(layout);
}

void FrontEndReport::Row(const InputRow& row, const ComputedRow& computed, std::span<const std::string_view> cells,
                         Encoding output) const
{
    if (!m_onRow)
        return;
    RowResult r;
    r.line = row.line;
    r.blank = computed.blank;
    r.cells = cells;
    r.etin = computed.etinCell;
    r.computedEtin = computed.computedEtin;
    r.check = computed.verdict.check;
    r.difference = computed.verdict.difference;
    r.checkText = computed.checkText;
    r.error = computed.errorText;
    r.textEncoding = TextEncodingFor(output);
    m_onRow(r);
}

void FrontEndReport::Progress(std::uint64_t bytesRead, std::size_t rows) const
{
    if (m_onProgress && !m_onProgress({.bytesRead = bytesRead, .rows = rows}))
        throw ListCancelled();
}

}  // namespace kennfix::listengine::internal
