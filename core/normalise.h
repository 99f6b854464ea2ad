#pragma once

// A name as the name code reads it: upper case, accents folded, "SCH"
// replaced by "Y", hyphens and blanks removed. "Schön-Schulze" gives
// "YÖNYULZE"; Ö stays, since the name code writes it out as OE.
//
// Defined in etin.cpp, where the eTIN reads a name through the same tables
// in one pass, without making the normalised name.

#include "core/cp1252.h"

namespace kennfix {

// Upper case, accents folded, "SCH" replaced by "Y", hyphens and blanks removed.
AnsiText NormaliseName(const AnsiText& name);

// Windows-1252 upper-casing: a-z, à-þ (but ÷), š œ ž ÿ. ß and µ have no
// capital in the code page and stay.
AnsiText UpperCase(const AnsiText& text);

// Replaces accented letters by their base letter; same length as the input.
AnsiText FoldAccents(const AnsiText& text);

}  // namespace kennfix
