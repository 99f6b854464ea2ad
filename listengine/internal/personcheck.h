#pragma once

// The checks of one person's row: family name, first name and date of birth
// -> the eTIN, or the reason there is none (the column Fehler); an eTIN the
// list already holds -> the column Prüfung.
//
// Lists are held to more than the window, since nobody looks at each name
// as it is typed:
// - A name holds letters, blanks, hyphens and apostrophes (' and ’), and at
//   least one letter: "-" typed for "unknown" is no name. Unicode blanks
//   (no-break space, tab, thin space ...) become " " and Unicode dashes
//   (‐ ‑ – —) "-" before the calculation; anything else (digits, ".", "=",
//   "@") is refused, naming the first such character.
// - Blanks around a date do not count, Unicode ones neither. A year is
//   written with two or four digits; a four-digit year after the current one
//   is refused.

#include <string>
#include <string_view>

#include "core/etin.h"
#include "listengine/internal/celltext.h"
#include "listengine/storedetincheck.h"

namespace kennfix::listengine::internal {

enum class NameVerdict {
    Ok,
    Empty,           // nothing but blanks
    NoLetter,        // hyphens or apostrophes, but no letter: "-", "'"
    Forbidden,       // a character no name holds
    NotConvertible,  // a letter without a place in Windows-1252 (王), or bytes that are no UTF-8
};

// Turns a name cell into the Windows-1252 text the calculation takes: letters
// as Utf8ToWindows1252 converts them, as the window does, so a name gives the
// same eTIN in both. For Forbidden, `forbidden` gets the first such
// character as it stands, for a message.
NameVerdict ConvertName(std::string_view cell, RowEncoding encoding, AnsiText& out, std::string& forbidden);

struct PersonCells {
    std::string_view familyName;
    std::string_view firstName;
    std::string_view birthDate;
    RowEncoding encoding = RowEncoding::Ascii;
};

struct PersonResult {
    bool ok = false;
    AnsiText etin;      // Windows-1252, when ok
    std::string error;  // the text for Fehler, UTF-8, input characters escaped; empty when ok
};

// Keeps its buffers from row to row, so that a row needs no heap once the
// first rows have been checked.
class PersonCheck {
public:
    PersonCheck(const DateSettings& settings, int currentYear);
    void Check(const PersonCells& cells, PersonResult& result);

private:
    // The date of birth into date; false, and the reason in result.error,
    // when there is none.
    bool CheckDate(const PersonCells& cells, PersonResult& result, Date& date);

    DateSettings m_settings;
    int m_currentYear;
    AnsiText m_family;
    AnsiText m_first;
    AnsiText m_date;
    std::string m_forbiddenFamily;
    std::string m_forbiddenFirst;
};

struct StoredEtinVerdict {
    StoredEtinCheck check = StoredEtinCheck::None;
    EtinDifference difference;  // for Differs and WrongCheckCharacter
};

// How an eTIN kept in the list compares with the one computed, character by
// character. Blanks around the stored eTIN do not count; anything else does,
// small letters too: only the same 14 characters are "stimmt", and only a
// stored eTIN whose first 13 are the same has a wrong check character.
StoredEtinVerdict JudgeStoredEtin(std::string_view storedCell, RowEncoding encoding, std::string_view computedEtin);

// Whether a stored eTIN cell is empty, blanks aside: then the computed eTIN
// takes its place.
bool IsEmptyEtinCell(std::string_view storedCell, RowEncoding encoding);

// The text for Prüfung, UTF-8; the eTIN in UTF-8 too. A stored eTIN that
// differs names the parts that differ, or its length.
void AppendCheckText(std::string& out, const StoredEtinVerdict& verdict, std::string_view computedEtinUtf8);

}  // namespace kennfix::listengine::internal
