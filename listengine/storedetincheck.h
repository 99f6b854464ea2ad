#pragma once

// What became of an eTIN the list already held (the column Prüfung), and
// where it differs from the one computed.

#include <cstddef>
#include <cstdint>

#include "core/etin.h"

namespace kennfix::listengine {

enum class StoredEtinCheck {
    None,                 // the list has no eTIN column, or the row no eTIN
    Matches,              // "stimmt"
    Filled,               // "ergänzt": the cell was empty and holds the computed eTIN now
    Differs,              // "weicht ab (Geburtsdatum), berechnet: ...": another person's, or no eTIN
    WrongCheckCharacter,  // "Prüfzeichen falsch, berechnet: ...": only the 14th character differs
};

// Where a stored eTIN differs from the computed one. Characters are counted
// from the first one that is no blank; a text of another length than 14 is
// not compared character by character.
struct EtinDifference {
    std::uint16_t characters = 0;  // bit i: character i + 1 differs
    std::size_t length = kEtinLength;  // characters of the stored eTIN, blanks around it aside
    std::size_t leadingBlanks = 0;     // blank characters before it in its cell

    bool lengthDiffers() const { return length != kEtinLength; }
    bool differs(const EtinPart& part) const
    {
        const auto bits = static_cast<std::uint16_t>(((1u << part.last) - 1) & ~((1u << (part.first - 1)) - 1));
        return !lengthDiffers() && (characters & bits) != 0;
    }
};

}  // namespace kennfix::listengine
