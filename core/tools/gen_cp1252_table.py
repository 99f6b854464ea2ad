#!/usr/bin/env python3
"""Generates the core's tables of Unicode characters from the Unicode
character database: core/cp1252_table.h, behind Utf8ToWindows1252 and
Windows1252ToUtf8, and with --names core/namechars_table.h, behind
ClassifyNameCharacter.

    python3 core/tools/gen_cp1252_table.py > core/cp1252_table.h
    python3 core/tools/gen_cp1252_table.py --check core/cp1252_table.h
    python3 core/tools/gen_cp1252_table.py --names > core/namechars_table.h
    python3 core/tools/gen_cp1252_table.py --names --check core/namechars_table.h

UnicodeData.txt comes from the Debian package unicode-data; the byte values
of Windows-1252 come from Python's cp1252 codec. The --check forms are run by
CTest, so the checked-in tables always match what this script makes.

What a name in a list may hold (--names), by general category:
  letter      Lu Ll Lt Lo, and the combining marks Mn Mc Me, which belong to
              the letter they sit on. Modifier letters (Lm: ˆ ˇ ʼ ʻ) are
              spacing marks and apostrophe look-alikes, not letters of a name.
  blank       Zs (space, no-break space, thin space ...) and the tab
  hyphen      Pd (hyphen-minus, hyphen, non-breaking hyphen, en and em dash ...)
  apostrophe  the typewriter apostrophe ' and the right single quotation
              mark ’, which word processors put in its place
  control     Cc Cf Zl Zp: control and format characters (soft hyphen,
              zero-width space, direction marks), line and paragraph
              separators, which messages show escaped since they do not show
  other       everything else: digits, punctuation, symbols, unassigned code
              points

Windows-1252 conversion (the default table):

How a character outside the code page finds its byte (the first rule that
gives one wins):

1. Characters of the code page: their own byte. The five bytes the code page
   leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) stand for the C1 controls of
   the same number, as Windows has it, so every byte survives a round trip.
2. Canonical decomposition, anywhere in Unicode: follow the first character
   of the decomposition until one lies in the code page (U+01DF a with
   diaeresis and macron -> a with diaeresis, U+0151 o with double acute -> o,
   U+212B angstrom sign -> A with ring). A decomposition is the same text by
   Unicode's own definition, so this rule is not limited to Latin. For
   anything but a letter only a decomposition into one character counts
   (U+037E Greek question mark -> ";"): the marks of a decomposed symbol
   change its meaning (U+2260 not equal to is "=" and a stroke).
The rules below apply only to letters of Latin Extended-A (U+0100-U+017F),
Latin Extended-B (U+0180-U+024F) and Latin Extended Additional
(U+1E00-U+1EFF), and to the case partners of those letters that Unicode
placed elsewhere (small open e U+025B, capital s with swash tail U+2C7E):
3. A compatibility decomposition made only of letters that map: each of them
   (U+0132 ligature IJ -> "IJ", U+01C4 DZ with caron -> "DŽ", U+017F long
   s -> "s"). A decomposition that holds anything but letters (U+0140 l
   with middle dot) is left to rule 4, so no punctuation enters a name.
4. The character name: "LATIN CAPITAL LETTER L WITH STROKE" -> L. The
   letter may carry a mark ("WITH ...", "BAR", "PRECEDED BY ...") or one of
   these shape words, which leave the letter what it is:
     DOTLESS  Turkish dotless i, dotless j: the letters i and j
     AFRICAN  African D (Ewe): a D
     OPEN     open e, open o (Akan, Ewe): written e and o in Latin-only text
     LONG     long s and its stroked forms: an s
     SMALL    the capital named "small q with hook tail": a Q
   Two letters have a plain base letter by convention rather than by shape:
     ENG  -> N  (Sami, African languages; written n where the letter is missing)
     KRA  -> Q  (Greenlandic replaced it by q in 1973)
   Turned and reversed letters (schwa among them), Greek-derived letters
   (gamma, iota, upsilon, delta), esh, ezh, yogh, wynn, clicks, tone letters
   and digraphs without a decomposition (OI, HV, Middle-Welsh LL) are
   different letters, not a base letter with a mark: they get no byte and are
   reported as not convertible.
5. A letter whose simple case partner is in the code page: that partner
   (U+1E9E capital sharp s -> ß, which the name code writes as SS).

No entry may produce "?": a "?" in a converted name must be one that was
typed.
"""

import argparse
import re
import sys

DEFAULT_UNICODE_DATA = "/usr/share/unicode/UnicodeData.txt"

LATIN_BLOCKS = [(0x0100, 0x017F), (0x0180, 0x024F), (0x1E00, 0x1EFF)]
UNDEFINED_BYTES = [0x81, 0x8D, 0x8F, 0x90, 0x9D]
SHAPE_WORDS = {"DOTLESS", "AFRICAN", "OPEN", "LONG", "SMALL"}
CONVENTIONAL_LETTERS = {"ENG": "N", "KRA": "Q"}

NAME_PATTERN = re.compile(
    r"^LATIN (?:CAPITAL|SMALL) LETTER (?:(?P<shape>[A-Z]+) )?(?P<letter>[A-Z]+)"
    r"(?: WITH .*| PRECEDED BY .*| BAR)?$"
)


class Character:
    def __init__(self, fields):
        self.code = int(fields[0], 16)
        self.name = fields[1]
        self.category = fields[2]
        decomposition = fields[5].split()
        self.compatibility = bool(decomposition) and decomposition[0].startswith("<")
        if self.compatibility:
            decomposition = decomposition[1:]
        self.decomposition = [int(c, 16) for c in decomposition]
        self.upper = int(fields[12], 16) if fields[12] else None
        self.lower = int(fields[13], 16) if fields[13] else None


def read_unicode_data(path):
    characters = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split(";")
            if len(fields) != 15 or fields[1].startswith("<"):
                continue  # ranges (CJK, Hangul ...) and controls hold no Latin letter
            c = Character(fields)
            characters[c.code] = c
    return characters


def code_page():
    """Code point -> byte for all 256 bytes, and byte -> code point."""
    to_byte = {}
    to_code = []
    for b in range(256):
        try:
            code = ord(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            assert b in UNDEFINED_BYTES, hex(b)
            code = b
        to_byte[code] = b
        to_code.append(code)
    return to_byte, to_code


class Mapper:
    def __init__(self, characters, to_byte):
        self.characters = characters
        self.to_byte = to_byte

    def canonical(self, code):
        """Byte by rules 1 and 2, or None."""
        while True:
            if code in self.to_byte:
                return self.to_byte[code]
            c = self.characters.get(code)
            if c is None or c.compatibility or not c.decomposition:
                return None
            if len(c.decomposition) > 1 and not c.category.startswith("L"):
                return None  # NOT EQUAL TO is "=" with a stroke through it: not an "="
            code = c.decomposition[0]

    def latin_letter(self, code):
        """Bytes by rules 3 to 5, or None."""
        c = self.characters[code]
        if not c.category.startswith("L"):
            return None
        if c.compatibility and c.decomposition:
            parts = [self.characters.get(p) for p in c.decomposition]
            if all(p is not None and p.category.startswith("L") for p in parts):
                mapped = [self.canonical(p) for p in c.decomposition]
                if all(m is not None for m in mapped) and len(mapped) <= 2:
                    return bytes(mapped)
        letter = self.letter_from_name(c)
        if letter is not None:
            return letter.encode("ascii")
        for partner in (c.lower, c.upper):
            if partner is not None and partner in self.to_byte:
                return bytes([self.to_byte[partner]])
        return None

    @staticmethod
    def letter_from_name(c):
        m = NAME_PATTERN.match(c.name)
        if m is None:
            return None
        shape, letter = m.group("shape"), m.group("letter")
        if shape is None:
            letter = CONVENTIONAL_LETTERS.get(letter, letter)
        elif shape not in SHAPE_WORDS:
            return None
        if len(letter) != 1:
            return None
        return letter.upper() if c.category == "Lu" else letter.lower()


def latin_letters(characters):
    codes = set()
    for first, last in LATIN_BLOCKS:
        for code in range(first, last + 1):
            c = characters.get(code)
            if c is not None and c.name.startswith("LATIN "):
                codes.add(code)
                for partner in (c.lower, c.upper):
                    if partner is not None and characters[partner].name.startswith("LATIN "):
                        codes.add(partner)
    return codes


def build_table(characters):
    to_byte, to_code = code_page()
    mapper = Mapper(characters, to_byte)
    table = {}
    for code, byte in to_byte.items():
        if 0x80 <= code <= 0x9F or code > 0xFF:
            table[code] = bytes([byte])
    for code in characters:
        if code <= 0xFF or code in table:
            continue
        byte = mapper.canonical(code)
        if byte is not None:
            table[code] = bytes([byte])
    for code in latin_letters(characters):
        if code > 0xFF and code not in table:
            mapped = mapper.latin_letter(code)
            if mapped is not None:
                table[code] = mapped
    for code, mapped in table.items():
        assert b"?" not in mapped, "U+%04X would become '?'" % code
        assert 1 <= len(mapped) <= 2 and 0 not in mapped
    return table, to_code


def describe(code, characters):
    if code in characters:
        name = characters[code].name
        return name if name != "<control>" else "control"
    return "U+%04X" % code


def render(table, to_code, characters):
    out = []
    w = out.append
    w("#pragma once")
    w("")
    w("// GENERATED by core/tools/gen_cp1252_table.py from the Unicode character")
    w("// database (Debian package unicode-data); do not edit. Regenerate with")
    w("//     python3 core/tools/gen_cp1252_table.py > core/cp1252_table.h")
    w("// The rules that pick a base letter are described in that script; CTest")
    w("// checks that this file is what it makes.")
    w("")
    w("#include <array>")
    w("")
    w("namespace kennfix::cp1252 {")
    w("")
    w("// The characters of bytes 0x80-0x9F; the undefined ones stand for the C1")
    w("// control of the same number. Every other byte is the code point of its value.")
    w("// clang-format off")
    w("inline constexpr std::array<char32_t, 32> kHighRow = {")
    for row in range(0x80, 0xA0, 8):
        cells = ", ".join("0x%04X" % to_code[b] for b in range(row, row + 8))
        w("    %s,  // 0x%02X" % (cells, row))
    w("};")
    w("// clang-format on")
    w("")
    w("// A code point outside U+0000-U+007F and U+00A0-U+00FF and the one or two")
    w("// bytes it becomes; second is 0 when it becomes one byte.")
    w("struct Mapping {")
    w("    char32_t codePoint;")
    w("    unsigned char first;")
    w("    unsigned char second;")
    w("};")
    w("")
    w("// Sorted by code point, for binary search.")
    w("// clang-format off")
    w("inline constexpr std::array<Mapping, %d> kFromUnicode = {{" % len(table))
    for code in sorted(table):
        mapped = table[code]
        second = "0x%02X" % mapped[1] if len(mapped) > 1 else "0"
        target = "itself" if code < 0xA0 else mapped.decode("cp1252")
        w("    {0x%05X, 0x%02X, %s},  // %s -> %s" % (code, mapped[0], second, describe(code, characters), target))
    w("}};")
    w("// clang-format on")
    w("")
    w("}  // namespace kennfix::cp1252")
    return "\n".join(out) + "\n"


# --- Characters of names -----------------------------------------------------

NAME_CLASSES = {"letter": "kLetter", "blank": "kBlank", "hyphen": "kHyphen", "apostrophe": "kApostrophe",
                "control": "kControl", "other": "kOther"}
CONTROL_CATEGORIES = {"Cc", "Cf", "Zl", "Zp"}
LETTER_CATEGORIES = {"Lu", "Ll", "Lt", "Lo", "Mn", "Mc", "Me"}
APOSTROPHES = {0x0027, 0x2019}
TAB = 0x0009


def read_categories(path):
    """Code point -> (general category, name), with the ranges the file gives
    by their first and last entry (CJK ideographs, Hangul ...) filled in."""
    categories = {}
    with open(path, encoding="utf-8") as f:
        rows = [line.rstrip("\n").split(";") for line in f]
    i = 0
    while i < len(rows):
        code, name, category = int(rows[i][0], 16), rows[i][1], rows[i][2]
        if name.endswith(", First>"):
            last = int(rows[i + 1][0], 16)
            for c in range(code, last + 1):
                categories[c] = (category, name[1:-len(", First>")].upper())
            i += 2
            continue
        if name == "<control>" and rows[i][10]:
            name = rows[i][10]  # the control's old name, such as CHARACTER TABULATION
        categories[code] = (category, name)
        i += 1
    return categories


def name_class(code, category):
    if code in APOSTROPHES:
        return "apostrophe"
    if code == TAB or category == "Zs":
        return "blank"
    if category == "Pd":
        return "hyphen"
    if category in LETTER_CATEGORIES:
        return "letter"
    if category in CONTROL_CATEGORIES:
        return "control"
    return "other"


def name_runs(categories):
    """(first code point, class) wherever the class changes, from U+0000 on."""
    runs = []
    for code in range(0x110000):
        category, _ = categories.get(code, ("Cn", None))
        cls = name_class(code, category)
        if not runs or runs[-1][1] != cls:
            runs.append((code, cls))
    return runs


def render_names(runs, categories):
    out = []
    w = out.append
    w("#pragma once")
    w("")
    w("// GENERATED by core/tools/gen_cp1252_table.py --names from the Unicode")
    w("// character database (Debian package unicode-data); do not edit. Regenerate with")
    w("//     python3 core/tools/gen_cp1252_table.py --names > core/namechars_table.h")
    w("// Which general categories make a letter, a blank or a hyphen is described")
    w("// in that script; CTest checks that this file is what it makes.")
    w("")
    w("#include <array>")
    w("")
    w('#include "core/namechars.h"')
    w("")
    w("namespace kennfix::namechars {")
    w("")
    w("struct Run {")
    w("    char32_t first;  // the run lasts until the next run's first code point")
    w("    NameCharacterClass cls;")
    w("};")
    w("")
    for cls, constant in NAME_CLASSES.items():
        w("inline constexpr NameCharacterClass %s = NameCharacterClass::%s;" % (constant, cls.capitalize()))
    w("")
    w("// Every code point from U+0000 to U+10FFFF in runs of one class, sorted, for")
    w("// binary search; the comment names the run's first character.")
    w("// clang-format off")
    w("inline constexpr std::array<Run, %d> kRuns = {{" % len(runs))
    for code, cls in runs:
        _, name = categories.get(code, ("Cn", None))
        w("    {0x%05X, %s},  // %s" % (code, NAME_CLASSES[cls], name or "unassigned U+%04X" % code))
    w("}};")
    w("// clang-format on")
    w("")
    w("}  // namespace kennfix::namechars")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--unicode-data", default=DEFAULT_UNICODE_DATA, help="path of UnicodeData.txt")
    parser.add_argument("--names", action="store_true", help="make the table of name characters")
    parser.add_argument("--check", metavar="FILE", help="compare FILE with the generated text instead of printing it")
    args = parser.parse_args()

    if args.names:
        categories = read_categories(args.unicode_data)
        text = render_names(name_runs(categories), categories)
    else:
        characters = read_unicode_data(args.unicode_data)
        table, to_code = build_table(characters)
        text = render(table, to_code, characters)
    if args.check is None:
        sys.stdout.write(text)
        return 0
    with open(args.check, encoding="utf-8") as f:
        if f.read() == text:
            return 0
    names = " --names" if args.names else ""
    print("%s differs from what %s%s makes from %s; regenerate it:\n    python3 %s%s > %s"
          % (args.check, sys.argv[0], names, args.unicode_data, sys.argv[0], names, args.check), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
