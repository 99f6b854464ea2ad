#include "listengine/summary.h"

#include "listengine/encoding.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine {
namespace {

// "Zeilen 4, 6–9, 12 und weitere"
std::string LinesText(const LineList& lines)
{
    std::string text = lines.rows() == 1 && lines.ranges().size() == 1 ? "Zeile " : "Zeilen ";
    for (std::size_t i = 0; i < lines.ranges().size(); ++i) {
        const LineList::Range& r = lines.ranges()[i];
        text += i == 0 ? "" : ", ";
        text += GroupedNumber(r.first);
        if (r.last != r.first)
            text += "\u2013" + GroupedNumber(r.last);
    }
    if (!lines.complete())
        text += " und weitere";
    return text;
}

std::string Counted(std::size_t n, const char* one, const char* many)
{
    return GroupedNumber(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::string> SummaryMessages(const ListSummary& s)
{
    std::vector<std::string> messages;
    const std::string of = " von " + GroupedNumber(s.rows) + " Zeilen";
    if (s.failedRows > 0)
        messages.push_back(GroupedNumber(s.failedRows) + of + " ohne eTIN; den Grund nennt die Spalte Fehler.");
    if (s.deviatingRows > 0) {
        messages.push_back("Bei " + GroupedNumber(s.deviatingRows) + of +
                           " weicht die gespeicherte eTIN von der berechneten ab; siehe die Spalte Prüfung.");
    }
    const std::string output(EncodingName(s.outputEncoding));
    if (s.lossyRows > 0) {
        messages.push_back(GroupedNumber(s.lossyRows) + of + " mit Zeichen, die " + output +
                           " nicht darstellen kann: sie stehen als Grundbuchstabe oder „?“ in der Ausgabe, und die "
                           "Spalte Fehler nennt die Spalte.");
    }
    if (s.lossyHeader) {
        messages.push_back("Die Kopfzeile enthält Zeichen, die " + output +
                           " nicht darstellen kann; sie stehen als Grundbuchstabe oder „?“ in der Ausgabe.");
    }
    const LineList& other = s.otherEncodingRows;
    if (other.rows() > 0) {
        const bool utf8Main = s.mainEncoding != Encoding::Windows1252;
        const std::string_view otherName = utf8Main ? "Windows-1252" : "UTF-8";
        const std::string_view mainName = utf8Main ? "UTF-8" : "Windows-1252";
        messages.push_back(GroupedNumber(other.rows()) + (other.rows() == 1 ? " Zeile ist" : " Zeilen sind") +
                           " in " + std::string(otherName) + " geschrieben, die übrigen in " + std::string(mainName) +
                           " (" + LinesText(other) + "). Jede Zeile wurde in ihrer Kodierung gelesen und in " +
                           output + " ausgegeben.");
    }
    return messages;
}

void ListCounts::Add(const RowResult& row)
{
    if (row.blank) {
        ++blankRows;
        return;
    }
    ++rows;
    withEtin += !row.computedEtin.empty();
    withError += !row.error.empty();
    deviating += row.check == StoredEtinCheck::Differs || row.check == StoredEtinCheck::WrongCheckCharacter;
}

std::string SummaryLine(const ListCounts& counts, bool keepsEtins)
{
    std::string line = Counted(counts.rows, "Zeile", "Zeilen") + ": " + GroupedNumber(counts.withEtin) +
                       " mit eTIN, " + GroupedNumber(counts.withError) + " mit Fehler";
    if (keepsEtins)
        line += ", " + Counted(counts.deviating, "gespeicherte eTIN weicht", "gespeicherte eTINs weichen") + " ab";
    return line + ".";
}

std::vector<std::string> FurtherMessages(const ListSummary& summary)
{
    ListSummary rest = summary;
    rest.failedRows = 0;
    rest.deviatingRows = 0;
    return SummaryMessages(rest);
}

}  // namespace kennfix::listengine
