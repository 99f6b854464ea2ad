#include "listengine/internal/personcheck.h"

#include <span>

#include "core/cp1252.h"
#include "core/namechars.h"
#include "listengine/messagetext.h"

namespace kennfix::listengine::internal {
namespace {

// The texts of the column Fehler, in UTF-8.
constexpr std::string_view kFamilyNameMissing = "Name fehlt";
constexpr std::string_view kFirstNameMissing = "Vorname fehlt";
constexpr std::string_view kFamilyNameWithoutLetter = "Familienname enthält keinen Buchstaben";
constexpr std::string_view kFirstNameWithoutLetter = "Vorname enthält keinen Buchstaben";
constexpr std::string_view kFamilyNameForbidden = "Name enthält unzulässige Zeichen: ";
constexpr std::string_view kFirstNameForbidden = "Vorname enthält unzulässige Zeichen: ";
constexpr std::string_view kFamilyNameNotConvertible = "Name enthält nicht darstellbare Zeichen";
constexpr std::string_view kFirstNameNotConvertible = "Vorname enthält nicht darstellbare Zeichen";
constexpr std::string_view kBirthDateMissing = "Geburtsdatum fehlt";
constexpr std::string_view kBirthDateInFuture = "Geburtsdatum liegt in der Zukunft";
constexpr std::string_view kBirthDateInvalid = "Geburtsdatum ungültig: ";

// The typographic apostrophe ’ keeps its byte, as in the window.
constexpr char kWindows1252RightQuote = '\x92';

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

NameVerdict ConvertName(std::string_view cell, RowEncoding encoding, AnsiText& out, std::string& forbidden)
{
    out.clear();
    bool filled = false;
    bool letter = false;
    bool convertible = true;
    bool refused = false;
    for (std::size_t pos = 0; pos < cell.size() && !refused;) {
        // Plain letters, the most of any name, without decoding and at once.
        std::size_t letters = pos;
        while (letters < cell.size() && IsAsciiLetter(cell[letters]))
            ++letters;
        if (letters > pos) {
            filled = letter = true;
            out.append(cell, pos, letters - pos);
            pos = letters;
            continue;
        }
        const CellCharacter c = ReadCharacter(cell, pos, encoding);
        if (!c.valid) {
            convertible = false;
            pos += c.length;
            continue;
        }
        switch (ClassifyNameCharacter(c.codePoint)) {
        case NameCharacterClass::Letter:
            filled = letter = true;
            if (encoding == RowEncoding::Windows1252)
                out += cell[pos];
            else if (!AppendWindows1252(c.codePoint, out))
                convertible = false;
            break;
        case NameCharacterClass::Blank:
            out += ' ';
            break;
        case NameCharacterClass::Hyphen:
            filled = true;
            out += '-';
            break;
        case NameCharacterClass::Apostrophe:
            filled = true;
            out += c.codePoint == '\'' ? '\'' : kWindows1252RightQuote;
            break;
        case NameCharacterClass::Control:
        case NameCharacterClass::Other:
            refused = true;
            forbidden.clear();
            AppendForMessage(forbidden, ToUtf8(cell.substr(pos, c.length), encoding));
            break;
        }
        pos += c.length;
    }
    if (refused)
        return NameVerdict::Forbidden;
    if (!filled)
        return NameVerdict::Empty;
    if (!convertible)
        return NameVerdict::NotConvertible;
    return letter ? NameVerdict::Ok : NameVerdict::NoLetter;
}

PersonCheck::PersonCheck(const DateSettings& settings, int currentYear)
    : m_settings(settings), m_currentYear(currentYear)
{
}

void PersonCheck::Check(const PersonCells& cells, PersonResult& result)
{
    result.ok = false;
    result.etin.clear();
    result.error.clear();

    const NameVerdict family = ConvertName(cells.familyName, cells.encoding, m_family, m_forbiddenFamily);
    const NameVerdict first = ConvertName(cells.firstName, cells.encoding, m_first, m_forbiddenFirst);
    // A name without a letter is as good as none.
    if (family == NameVerdict::Empty) {
        result.error = kFamilyNameMissing;
    } else if (family == NameVerdict::NoLetter) {
        result.error = kFamilyNameWithoutLetter;
    } else if (first == NameVerdict::Empty) {
        result.error = kFirstNameMissing;
    } else if (first == NameVerdict::NoLetter) {
        result.error = kFirstNameWithoutLetter;
    } else if (family == NameVerdict::Forbidden) {
        result.error.append(kFamilyNameForbidden).append(Quoted(m_forbiddenFamily));
    } else if (family == NameVerdict::NotConvertible) {
        result.error = kFamilyNameNotConvertible;
    } else if (first == NameVerdict::Forbidden) {
        result.error.append(kFirstNameForbidden).append(Quoted(m_forbiddenFirst));
    } else if (first == NameVerdict::NotConvertible) {
        result.error = kFirstNameNotConvertible;
    } else if (Date date{}; CheckDate(cells, result, date)) {
        EtinResult r = ComputeEtin(m_family, m_first, date);
        result.etin = std::move(r.etin);
        result.ok = true;
    }
}

// The window reads an empty date field as 01.01.00; in a list an empty cell
// is a missing value. A year of one or three digits is a typing error, a
// missing one too (the window never hands over either), and a four-digit
// year after this one cannot be right.
bool PersonCheck::CheckDate(const PersonCells& cells, PersonResult& result, Date& date)
{
    const std::string_view text = TrimBlanks(cells.birthDate, cells.encoding);
    if (text.empty() || cells.birthDate == kEmptyDateText) {
        result.error = kBirthDateMissing;
        return false;
    }
    // The date as the core reads it, in Windows-1252; mostly it is ASCII.
    bool valid = true;
    std::string_view ansiDate = text;
    if (cells.encoding == RowEncoding::Utf8 && !IsAscii(text)) {
        Windows1252Text converted = Utf8ToWindows1252(text);
        valid = converted.unmapped.empty();
        m_date = std::move(converted.text);
        ansiDate = m_date;
    }
    if (valid) {
        try {
            const ShortDate read = ReadShortDate(ansiDate, m_settings, m_currentYear);
            if (read.yearDigits == 2 || read.yearDigits >= 4) {
                if (read.yearDigits >= 4 && read.date.year > m_currentYear) {
                    result.error = kBirthDateInFuture;
                    return false;
                }
                // Given back field by field: a copy of the whole would wait
                // for the fields just written, a few per cent of a row.
                date = read.date;
                return true;
            }
        } catch (const DateConversionError&) {
        }
    }
    // The cell as it stands, so that the reader finds it.
    std::string shown;
    AppendForMessage(shown, ToUtf8(cells.birthDate, cells.encoding));
    result.error.append(kBirthDateInvalid).append(Quoted(shown));
    return false;
}

StoredEtinVerdict JudgeStoredEtin(std::string_view storedCell, RowEncoding encoding, std::string_view computedEtin)
{
    const std::string_view stored = TrimBlanks(storedCell, encoding);
    if (stored.empty())
        return {StoredEtinCheck::Filled, {}};
    EtinDifference difference;
    ForEachCharacter(storedCell.substr(0, static_cast<std::size_t>(stored.data() - storedCell.data())), encoding,
                     [&](const CellCharacter&) { ++difference.leadingBlanks; });
    // Character by character as they stand: a base letter would make Ł the
    // same as L. A byte that is no character matches none.
    std::size_t i = 0;
    ForEachCharacter(stored, encoding, [&](const CellCharacter& c) {
        if (i < computedEtin.size() &&
            (!c.valid || c.codePoint != Windows1252CodePoint(static_cast<unsigned char>(computedEtin[i]))))
            difference.characters |= static_cast<std::uint16_t>(1u << i);
        ++i;
    });
    difference.length = i;
    constexpr std::uint16_t kCheckCharacter = 1u << (kEtinLength - 1);
    if (difference.lengthDiffers())
        return {StoredEtinCheck::Differs, difference};
    if (difference.characters == 0)
        return {StoredEtinCheck::Matches, {}};
    if (difference.characters == kCheckCharacter)
        return {StoredEtinCheck::WrongCheckCharacter, difference};
    return {StoredEtinCheck::Differs, difference};
}

bool IsEmptyEtinCell(std::string_view storedCell, RowEncoding encoding)
{
    return TrimBlanks(storedCell, encoding).empty();
}

void AppendCheckText(std::string& out, const StoredEtinVerdict& verdict, std::string_view computedEtinUtf8)
{
    switch (verdict.check) {
    case StoredEtinCheck::None: return;
    case StoredEtinCheck::Matches: out += "stimmt"; return;
    case StoredEtinCheck::Filled: out += "ergänzt"; return;
    case StoredEtinCheck::WrongCheckCharacter: out += "Prüfzeichen falsch"; break;
    case StoredEtinCheck::Differs: {
        // The parts before the check character, which mostly differs along with them.
        const EtinDifference& d = verdict.difference;
        out += "weicht ab (";
        if (d.lengthDiffers()) {
            out += GroupedNumber(d.length) + " statt " + std::to_string(kEtinLength) + " Zeichen";
        } else {
            const char* separator = "";
            for (const EtinPart& part : std::span(kEtinParts).first(3)) {
                if (d.differs(part)) {
                    out.append(separator).append(part.name);
                    separator = ", ";
                }
            }
        }
        out += ")";
        break;
    }
    }
    out += ", berechnet: ";
    out += computedEtinUtf8;
}

}  // namespace kennfix::listengine::internal
