#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets to corpus/<target>/, from the
cases of the unit tests and the reference cases (tests/data/reference-etins.tsv),
in each target's input format (described at the top of <target>_fuzzer.cpp).
Run it again after changing a format or the reference cases:
    python3 fuzz/make_seeds.py
"""

import csv
import pathlib
import re
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
REFERENCE_CASES = ROOT / "tests" / "data" / "reference-etins.tsv"


def reference_cases():
    """The reference cases, each a dictionary by the file's column names."""
    with REFERENCE_CASES.open(encoding="utf-8", newline="") as lines:
        return list(csv.DictReader((line for line in lines if not line.startswith("#")),
                                   delimiter="\t", quoting=csv.QUOTE_NONE))


def cp1252(text):
    return text.encode("cp1252")


# --- etin: family, first name, date, separator setting, format, year --------

def fdp_string(data):
    """A string as FuzzedDataProvider's ConsumeRandomLengthString reads it."""
    return data.replace(b"\\", b"\\\\") + b"\\\n"


def etin_input(family, first, date, separator=".", date_format="dd.MM.yyyy", year=2026):
    # ConsumeIntegral<int> reads the last four bytes, the last one highest,
    # and adds INT_MIN.
    year_bytes = struct.pack("<I", (year + 2**31) % 2**32)
    return (fdp_string(cp1252(family)) + fdp_string(cp1252(first)) + fdp_string(cp1252(date))
            + fdp_string(cp1252(separator)) + cp1252(date_format) + year_bytes)


def in_cp1252(*texts):
    try:
        for text in texts:
            cp1252(text)
    except UnicodeEncodeError:
        return False
    return True


# The reference cases whose names Windows-1252 holds as typed: the target
# takes the core's input, after the window has made base letters of the rest.
ETIN_SEEDS = {case["case"]: etin_input(case["family name"], case["first name"], case["date"])
              for case in reference_cases() if in_cp1252(case["family name"], case["first name"])}
ETIN_SEEDS |= {
    "s-chulz": etin_input("S-Chulz", "Eva", "01.02.80."),
    "leap-day-2001": etin_input("Meier", "Li", "29.02.01"),
    "leap-day-1900": etin_input("Meier", "Li", "29.02.1900"),
    "no-year": etin_input("Meier", "Li", "03.07"),
    "year-9999": etin_input("Meier", "Li", "01.01.9999"),
    "year-0999": etin_input("Meier", "Li", "01.02.0999"),
    "family-missing": etin_input("", "", "xx"),
    "first-missing": etin_input("Meier", "", "31.02.80"),
    "us": etin_input("Otto", "Ute", "02/01/80", "/", "M/d/yy"),
    "iso": etin_input("Meier", "Li", "1961-07-03", "-", "yyyy-MM-dd"),
    "iso-no-year": etin_input("Meier", "Li", "07-03", "-", "yyyy-MM-dd"),
    "no-settings": etin_input("Otto", "Ute", "  /  /  ", "", ""),
    "widening-1999": etin_input("Meier", "Li", "01.01.49", year=1999),
    "widening-2051": etin_input("Meier", "Li", "29.02.00", year=2051),
    "nul-in-date": etin_input("Meier", "Li", "01.02\0.80"),
    "backslash-name": etin_input("O\\Neill", "Li", "01.02.80"),
}


# --- cp1252: UTF-8 text, well-formed or not ---------------------------------

CP1252_SEEDS = {
    "names": "Müller Schön-Schulze José María Weiß Zoë Åsa".encode(),
    "lukasiewicz": "Łukasiewicz Ştefănescu Ștefan".encode(),
    "turkish": "Erdoğan Yıldız İnce".encode(),
    "hungarian": "Gödöllő ǟ Ḁ Nguyễn Đorđević".encode(),
    "sharp-s": "ẞ Ĳsselmeer Ǆ ſ ĸ Ŋŋ Ɛɔ Ǿ Dvořák".encode(),
    "code-page": "€ Š Œ Ž š œ ž Ÿ ƒ „Müller“ – ‘x’ … \u212A\u212B".encode(),
    "unmapped": "王小明 Ana😀Lu Ωmega \u2126 Əliyev Mu\u0308ller a\u2260b \uFFFD \U0010FFFF ?".encode(),
    "c1-controls": "\u0080\u0081\u008D\u008F\u0090\u009D".encode(),
    "greek-question-mark": "\u037E\u0387".encode(),
    "invalid-ff": b"\xFF",
    "lone-continuation": b"A\x80B",
    "cut-at-end": b"\xC3",
    "cut-before-ascii": b"\xC3A",
    "cut-three": b"\xE2\x82",
    "overlong-two": b"\xC0\xAF",
    "overlong-three": b"\xE0\x80\xAF",
    "surrogate": b"\xED\xA0\x80",
    "above-max": b"\xF4\x90\x80\x80",
    "f5": b"\xF5\x80",
    "windows-1252": b"M\xFCller",
    "cut-then-whole": b"\xE2\x82\xE2\x82\xAC",
    "nul": b"a\0b",
}


# --- datemask: commands -----------------------------------------------------

KEYS = {"Left": "L", "Right": "R", "Up": "U", "Down": "D", "Home": "H", "End": "E", "Del": "X", "BS": "B",
        "Esc": "Q", "Tab": "T", "In": "O", "Leave": "l", "Enter": "n", "Cut": "x"}
COMMAND_BYTES = set(b"LRUDHEXBQTOKClnoxvsy")
ORDERS = {"dmy": 0, "mdy": 1, "ymd": 2}


def character(c):
    code = ord(c)
    if code < 0xFF and code not in COMMAND_BYTES:
        return bytes([code])
    return b"\xFF" + struct.pack("<I", code)


def pasted(c):
    code = ord(c)
    return bytes([code]) if code < 0xFF else b"\xFF" + struct.pack("<I", code)


def position(n):
    return bytes([(n + ord("0")) % 256])


def datemask_input(script, separator="."):
    """A script as the unit test writes it: {Tab}, {In@4}, {Paste:12.03.80}, ..."""
    out = bytearray(pasted(separator))
    for token in re.findall(r"\{[^}]*\}|.", script, re.DOTALL):
        if not token.startswith("{"):
            out += character(token)
            continue
        action = token[1:-1]
        if action in KEYS:
            out += KEYS[action].encode()
        elif action.startswith("In@"):
            out += b"K" + position(int(action[3:]))
        elif action.startswith("@"):
            out += b"C" + position(int(action[1:]))
        elif action.startswith("Paste:"):
            text = action[6:]
            out += b"v" + bytes([len(text)]) + b"".join(pasted(c) for c in text)
        elif action.startswith("Sep:"):
            out += b"s" + pasted(action[4])
        elif action.startswith("Order:"):
            out += b"y" + bytes([ORDERS[action[6:]]])
        else:
            raise ValueError(f"unknown action {token}")
    return bytes(out)


DATE = "{In}120380{Leave}"
DATEMASK_SEEDS = {
    "typed-date": datemask_input("{Tab}120380{Leave}"),
    "separator-jumps": datemask_input("{In}3.7.61{Leave}"),
    "tab-letter-leave": datemask_input(DATE + "{Tab}x{Leave}{Leave}{Esc}{Leave}"),
    "click-and-type": datemask_input("{In@4}7{@2}5{Enter}"),
    "navigation": datemask_input("1203{Left}{Left}{Left}9{Right}{Up}{Down}{Home}{End}{BS}{BS}{BS}{Del}"),
    "selection": datemask_input(DATE + "{Tab}{Right}{Tab}{Left}{Tab}{BS}{Tab}{Del}"),
    "cut": datemask_input("120380{In@3}{Cut}{Tab}{Cut}"),
    "escape": datemask_input(DATE + "{Tab}99{Esc}{Leave}"),
    "paste-long": datemask_input("{In}{Paste:12.03.19801}{Leave}"),
    "paste-four-digit-year": datemask_input("{In}{Paste:12.03.1980\r\n}{Leave}"),
    "paste-year-first": datemask_input("{Order:ymd}{Tab}{Paste:1980-03-12}{Order:mdy}{Home}{Paste:03-12-1980}", separator="-"),
    "paste-digits": datemask_input("{In}{Paste:12031980}"),
    "paste-letters": datemask_input("120380{Home}{Paste:1a2b}{In@2}{Paste:5}"),
    "paste-empty": datemask_input(DATE + "{Tab}{Paste:}"),
    "new-separator": datemask_input("{Sep:/}12/03{Tab}{Cut}{Paste:1 /03/80}"),
    "only-a-day": datemask_input("{Tab}12{Leave}{In}{Esc}{Leave}"),
    "only-the-year": datemask_input("{In@6}80{Leave}"),
    "refocus": datemask_input("{In}120380{Leave}{In@7}1{Leave}{In}{Home}99{Esc}"),
    "other-separator": datemask_input("3-7-61{Home}.{Sep:.}", separator="-"),
    "hostile": datemask_input("{In@-1}\0\t\n_ \u0663\uFF11\uFFFF{@9}{Paste:\U0010FFFF_7}", separator="_"),
}


# --- list: two bytes of options, then the file --------------------------------

AUTO_DELIMITER, SEMICOLON, COMMA, TAB = 0, 1, 2, 3
UTF8, WINDOWS1252, UTF16LE, UTF16BE = 1, 2, 3, 4
PIPE = 1 << 5


def list_options(delimiter=AUTO_DELIMITER, encoding=0, output=0, pipe=False):
    return bytes([delimiter | encoding << 2 | (PIPE if pipe else 0), output])


def utf16(text, big_endian=False):
    return (b"\xfe\xff" if big_endian else b"\xff\xfe") + text.encode("utf-16-be" if big_endian else "utf-16-le")


HEADER = "Familienname;Vorname;Geburtsdatum\n"
LIST_SEEDS = {
    "personal": (list_options(), "Personalnummer;Familienname;Vorname;Geburtsdatum\n1001;Müller;Hans;01.02.1980\n"
                                 "1002;Schön-Schulze;José María;28.02.52\n1003;Łukasiewicz;Ewa;03.07.1961\n"
                                 "1004;Meier;;15.05.1990\n1005;Weiß;Zoë;31.02.1985\n".encode()),
    "bad-rows": (list_options(), (HEADER + ";;01.02.80\nMeier;Li;29.02.01\nMeier;Li;\nOtto;Ute;  .  .  \n王;Li;01.02.80\n"
                                  "Li;😀;01.02.80\nMeier;Li;01.02.8Ω\n").encode()),
    "names": (list_options(), (HEADER + "Dr. Meier;Hans;01.02.80\nMeier2;Hans;01.02.80\n=HYPERLINK(\"x\");Hans;01.02.80\n"
                               "Meier\u00a0Schulz;Hans;01.02.80\nMeier\u2013Schulz;Hans;01.02.80\nO’Neill;Hans;01.02.80\n"
                               "O'Neill;Hans;01.02.80\nMeier\tSchulz;Hans;01.02.80\nMeier;Hans\x1b[2J;01.02.80\n").encode()),
    "dates": (list_options(), (HEADER + "Meier;Li;01.02.198\nMeier;Li;01.02.2031\nMeier;Li;01.02.8\nMeier;Li;01.02\n"
                               "Meier;Li;31.12.30\nMeier;Li;01.02.2026\n").encode()),
    "stored-etins": (list_options(), ("Familienname;Vorname;Geburtsdatum;eTIN\nMüller;Hans;01.02.80;MLLRHNSA80B01H\n"
                                      "Müller;Hans;01.02.80;\nMüller;Hans;01.02.80;MLLRHNSA80B01A\n"
                                      "Müller;Hans;01.02.80; mllrhnsa80b01h\nMeier;;01.02.80;MREILIXX80B01Z\n"
                                      "Müller;Hans;01.02.80;\u00a0\nMüller;Hans;01.02.80;MLLRHNSA81B01H\n"
                                      "Müller;Hans;01.02.80;MLLRHNSA80B01\n").encode()),
    "no-letter": (list_options(), (HEADER + "-;Hans;01.02.80\nMeier;' \u2013;01.02.80\n").encode()),
    "columns-named-like-ours": (list_options(), "Familienname;Vorname;Geburtsdatum;eTIN;Prüfung;Fehler;Fehler 2\n"
                                                "Müller;Hans;01.02.80;;bestanden;alt;\n".encode()),
    "no-break-spaces": (list_options(), "Familienname\u00a0;Vorname;Geburtsdatum\nMeier;Li;\u00a001.02.80\t\n".encode()),
    "run-again": (list_options(), "fehler;Familienname;Vorname;Geburtsdatum;ETIN;prüfung\nalt;Müller;Hans;01.02.80;;alt\n"
                                  .encode()),
    "quoted-cells": (list_options(), "Nr;Familienname;Vorname;Geburtsdatum;Notiz\r\n1;\"Müller\";Hans;01.02.80;"
                                     "\"Straße 1; 2. Stock\"\r\n2;Meier;Li;01.02.80;\"sagt \"\"Hallo\"\"\"\r\n"
                                     "3;Meier;Li;01.02.80;\"zwei\r\nZeilen\"\r\n4;Meier;Li;01.02.80; Blanks bleiben \r\n"
                                     "5;Meier;Li;01.02.80;Monitor 24\"\r\n6;Meier;Li;01.02.80;Hans \"Hansi\" M.\r\n".encode()),
    "comma": (list_options(), "Familienname,Vorname,Geburtsdatum,Ort\nMüller,Hans,01.02.80,\"Bonn, Rhein\"\n".encode()),
    "comma-given": (list_options(COMMA), "Familienname,Vorname,Geburtsdatum\nMüller,Hans,01.02.80\n".encode()),
    "tab": (list_options(), "Familienname\tVorname\tGeburtsdatum\nMüller\tHans\t01.02.80".encode()),
    "wrong-delimiter": (list_options(SEMICOLON), b"Familienname,Vorname,Geburtsdatum\n"),
    "nothing-lost": (list_options(), (HEADER + "Meier;Li\n\nMeier;Li;01.02.80;;\n;;\nMeier;Li;01.02.80;Hamburg\n\n\n")
                     .encode()),
    "blank-lines-first": (list_options(), b"\r\n  \r\nFamilienname\tVorname\tGeburtsdatum\r\nMeier\tLi\t01.02.80\r\n"),
    "one-empty-cell-first": (list_options(), b'""\r\n' + HEADER.encode()),
    "no-text-before-comma-header": (list_options(), b'""\n;;\n \t\n\nFamilienname,Vorname,Geburtsdatum\nMeier,Li,01.02.80\n'),
    "columns-by-name": (list_options(), "geburtsdatum; VORNAME ;FamilienName\n01.02.80;Hans;Müller\n".encode()),
    "bom": (list_options(), "\ufeffFamilienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.80\n".encode()),
    "windows-1252-pipe": (list_options(pipe=True), (HEADER + "Meier;Li2;01.02.80\nMeier;;01.02.80\n"
                                                    "M\xFCller;J\xFCrgen;03.07.61\n").encode("cp1252")),
    "windows-1252-to-utf8": (list_options(encoding=WINDOWS1252, output=UTF8),
                             (HEADER + "M\xFCller;\u0160arka;01.02.80\n").encode("cp1252")),
    "utf8-to-windows-1252": (list_options(output=WINDOWS1252),
                             "Familienname;Vorname;Geburtsdatum;Ort\nNowak;Zoë;01.02.80;Kraków\n"
                             "Łukasiewicz;Ewa;01.02.80;Łódź\nWang;Li;01.02.80;北京\nWang;;01.02.80;北京\n".encode()),
    "mixed-rows": (list_options(), HEADER.encode() + "Schön;José;28.02.52\n".encode() + b"Sch\xF6n;Jos\xE9;28.02.52\n"
                   + "Schön;José;28.02.52\n".encode()),
    "mixed-rows-pipe": (list_options(pipe=True), HEADER.encode() + b"Meier;Li;01.02.80\nSch\xF6n;Jos\xE9;28.02.52\n"
                        + "Schön;José;28.02.52\n".encode()),
    "invalid-utf8": (list_options(encoding=UTF8), HEADER.encode() + b"M\xFCller;Hans;01.02.80\n"),
    "invalid-utf8-to-utf16": (list_options(encoding=UTF8, output=UTF16BE), HEADER.encode() + b"M\xFCller;Hans;M\xFC\n"),
    "utf16le": (list_options(), utf16("Familienname\tVorname\tGeburtsdatum\r\nMüller\tHans\t01.02.80\r\n"
                                      "Wang\t😀\t01.02.80\r\n")),
    "utf16be-to-utf8": (list_options(output=UTF8), utf16("Familienname\tVorname\tGeburtsdatum\nMüller\tHans\t01.02.80\n",
                                                         big_endian=True)),
    "utf16-given": (list_options(SEMICOLON, encoding=UTF16LE), "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n"
                    .encode("utf-16-le")),
    "utf16-lone-surrogate": (list_options(), b"\xff\xfe" + "Familienname\tVorname\tGeburtsdatum\n".encode("utf-16-le")
                             + b"\x00\xd8x\x00"),
    "utf16-odd-byte": (list_options(), utf16("Familienname\tVorname\tGeburtsdatum\n") + b"x"),
    "missing-columns": (list_options(), b"Name;Vorname;Geburtstag\nMeier;Li;01.02.80\n"),
    "column-twice": (list_options(), b"Familienname;Vorname;vorname;Geburtsdatum\n"),
    "open-quote": (list_options(), (HEADER + "Meier;Li;01.02.80\n\"Meier;Li;01.02.80\nx\n").encode()),
    "text-after-quote": (list_options(), (HEADER + "\"a\nb\"c;Li;01.02.80\n").encode()),
    "empty": (list_options(), b""),
    "header-only": (list_options(), b"Familienname;Vorname;Geburtsdatum"),
}


def write(target, seeds):
    directory = CORPUS / target
    shutil.rmtree(directory, ignore_errors=True)
    directory.mkdir(parents=True)
    for name, data in seeds.items():
        (directory / name).write_bytes(data)


def main():
    write("etin", ETIN_SEEDS)
    write("cp1252", CP1252_SEEDS)
    write("datemask", DATEMASK_SEEDS)
    write("list", {name: options + data for name, (options, data) in LIST_SEEDS.items()})


if __name__ == "__main__":
    main()
