#!/usr/bin/env python3
"""Polish prose from the Polish manual pages of manpages-pl, for recognising standards.

The pages are split in two halves by a hash of their file names: the model is built from
one half only, the recognition test measures on the other.

  proza_polska.py model              prints engine/model_polszczyzny.cpp
  proza_polska.py proba KATALOG      writes the test's texts, cut from the other half:
                                     KATALOG/krotkie.txt (100 to 1000 characters, each
                                     with a Polish letter) and KATALOG/dlugie.txt (2048
                                     characters and more, each with a Polish letter too),
                                     UTF-8, texts separated by NUL
"""

import gzip
import math
import os
import random
import re
import sys
import zlib
from pathlib import Path

KATALOG_STRON = Path("/usr/share/man/pl")
LITERY = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż"

# Characters a roff escape stands for; any other escape stands for nothing.
ZNAKI_ROFF = {
    "aq": "'", "cq": "’", "oq": "‘", "dq": '"', "lq": "„", "rq": "”", "Bq": "„",
    "em": "—", "en": "–", "hy": "-", "bu": "•", "co": "©", "rg": "®", "de": "°",
    "mu": "×", "pl": "+", "mi": "-", "ti": "~", "ha": "^", "rs": "\\", "sl": "/",
    "ga": "`", "at": "@", "sh": "#", "Do": "$", "lB": "[", "rB": "]", "lC": "{",
    "rC": "}", "la": "⟨", "ra": "⟩", "<=": "≤", ">=": "≥", "->": "→", "<-": "←",
}
# Macros whose arguments are text; every other request is dropped.
MAKRA_TEKSTU = {
    "SH", "SS", "B", "I", "BR", "BI", "IB", "IR", "RB", "RI", "SM", "SB", "IP", "Nd", "Dq",
    "Sh", "Ss", "It", "Nm", "Ar", "Fl", "Pa", "Em", "Sy", "Li", "Ql", "Xr", "Cm", "Ic",
    "Op", "Va", "Ev", "Dv", "Er", "Fn", "Ft", "Pq", "Sq", "D1", "Dl", "Qq", "Aq", "Tn",
}
MAKRO_MDOC = re.compile(r"^[A-Z][a-z]$")

ESKEJPY = re.compile(
    r"\\\"" r".*$"                     # comment to the end of the line
    r"|\\f(?:\(..|\[[^\]]*\]|.)"       # font
    r"|\\s[-+]?(?:\d|\(\d\d|\[\d+\])"  # size
    r"|\\[hvwlLDoxNbk]'[^']*'"         # motions and the like, with an argument
    r"|\\\*(?:\(..|\[[^\]]*\]|.)"      # strings
    r"|\\\((..)"                       # special character, two letters
    r"|\\\[([^\]]*)\]"                 # special character, long name
    r"|\\(.)",
    re.M,
)


def zamien_eskejp(dopasowanie):
    nazwa = dopasowanie.group(1) or dopasowanie.group(2)
    if nazwa is not None:
        return ZNAKI_ROFF.get(nazwa, "")
    znak = dopasowanie.group(3)
    if znak is None:
        return ""
    return {"-": "-", "e": "\\", "\\": "\\", " ": " ", "~": " ", "0": " ", "`": "`"}.get(znak, "")


def argumenty(reszta):
    return [a if not a.startswith('"') else a.strip('"') for a in re.findall(r'"[^"]*"?|\S+', reszta)]


def tekst_strony(zrodlo):
    """The text of a roff page: requests dropped, text of text macros kept, escapes resolved."""
    wiersze = []
    pomijaj_do = None
    for wiersz in zrodlo.splitlines():
        if pomijaj_do is not None:
            if wiersz.startswith(pomijaj_do) or (pomijaj_do == "tbl" and wiersz.rstrip().endswith(".")):
                pomijaj_do = None
            continue
        if wiersz.startswith((".", "'")):
            czesci = wiersz[1:].strip().split(None, 1)
            if not czesci:
                wiersze.append("")
                continue
            makro, reszta = czesci[0], czesci[1] if len(czesci) > 1 else ""
            if makro in ("de", "ig"):
                pomijaj_do = ".."
            elif makro == "TS":
                pomijaj_do = "tbl"
            elif makro in MAKRA_TEKSTU:
                slowa = [a for a in argumenty(reszta) if not MAKRO_MDOC.match(a)]
                laczone = makro in ("BR", "BI", "IB", "IR", "RB", "RI")
                wiersze.append(("" if laczone else " ").join(slowa))
            else:
                wiersze.append("")
            continue
        wiersze.append(wiersz)
    tekst = ESKEJPY.sub(zamien_eskejp, "\n".join(wiersze))
    # Paragraphs on one line each, as prose reads; an empty line between them.
    akapity = [" ".join(a.split()) for a in re.split(r"\n\s*\n", tekst)]
    return "\n".join(a for a in akapity if a)


# Code tables list the letters one by one between spaces: no prose.
TABLICE_KODOW = re.compile(r"^(ascii|iso[-_]8859.*|koi8-.*|latin\d*|cp\d+)\.")


def strony(polowa):
    """(name, text) of every page in the given half: 0 builds the model, 1 tests it. A page
    under several names (a link) counts once, under its own name."""
    for sciezka in sorted(KATALOG_STRON.glob("man*/*.gz")):
        if sciezka.is_symlink() or TABLICE_KODOW.match(sciezka.name):
            continue
        if zlib.crc32(sciezka.name.encode()) % 2 != polowa:
            continue
        with gzip.open(sciezka, "rt", encoding="utf-8", errors="replace") as plik:
            yield sciezka.name, tekst_strony(plik.read())


def klasa(znak):
    """Context class of a neighbour: 0 none (space, digit, punctuation, edge), 1 a-z, 2 A-Z, 3 non-ASCII."""
    if znak is None:
        return 0
    if "a" <= znak <= "z":
        return 1
    if "A" <= znak <= "Z":
        return 2
    return 3 if ord(znak) >= 0x80 else 0


def grupa(wiersz):
    """Letters of one case share what is known of their neighbours: 0 capitals, 1 small, 2 others."""
    return 0 if wiersz < 9 else 1 if wiersz < 18 else 2


def wygladzone(wystapienia, waga):
    """Logarithms of P(row, column) per character: each row's own counts, drawn towards its
    group's so that what a rare letter never met in the prose is as likely as for its group."""
    wierszy, kolumn = len(wystapienia), len(wystapienia[0])
    grup = [[0] * kolumn for _ in range(3)]
    for wiersz, liczby in enumerate(wystapienia):
        for k, n in enumerate(liczby):
            grup[grupa(wiersz)][k] += n
    wynik = []
    for wiersz, liczby in enumerate(wystapienia):
        razem_grupy = sum(grup[grupa(wiersz)])
        razem = sum(liczby)
        wynik.append([math.log((n + waga * (g + 0.5) / (razem_grupy + 0.5 * kolumn)) / (razem + waga))
                      for n, g in zip(liczby, grup[grupa(wiersz)])])
    return wynik


def tabela(nazwa, typ, wiersze_liczb, naglowek):
    nazwy = list(LITERY) + ["inny"]
    wiersze = []
    for etykieta, liczby in zip(nazwy, wiersze_liczb):
        pola = ", ".join(f"{x:5.1f}" for x in liczby)
        wiersze.append(f"    /* {etykieta:>4} */ {{{pola}}},")
    return f"""const {typ} {nazwa} = {{{{
    //{" " * 10}{naglowek}
{chr(10).join(wiersze)}
}}}};"""


def model():
    wierszy = len(LITERY) + 1
    w_kontekscie = [[0] * 16 for _ in range(wierszy)]
    przed_litera = [[0] * 26 for _ in range(wierszy)]
    po_literze = [[0] * 26 for _ in range(wierszy)]
    znakow = 0
    stron = 0
    for _, tekst in strony(0):
        stron += 1
        znakow += len(tekst)
        for i, znak in enumerate(tekst):
            if ord(znak) < 0x80:
                continue
            wiersz = LITERY.find(znak)
            wiersz = len(LITERY) if wiersz < 0 else wiersz
            poprzedni = tekst[i - 1] if i > 0 else None
            nastepny = tekst[i + 1] if i + 1 < len(tekst) else None
            w_kontekscie[wiersz][klasa(poprzedni) * 4 + klasa(nastepny)] += 1
            if klasa(poprzedni) in (1, 2):
                przed_litera[wiersz][ord(poprzedni.lower()) - ord("a")] += 1
            if klasa(nastepny) in (1, 2):
                po_literze[wiersz][ord(nastepny.lower()) - ord("a")] += 1

    wierszy_liter = [sum(liczby) for liczby in w_kontekscie]
    czestosc = [math.log((n + 0.5) / znakow) for n in wierszy_liter]
    kontekst = [[c + x for x in wiersz] for c, wiersz in zip(czestosc, wygladzone(w_kontekscie, 20))]
    innych = wierszy_liter[-1]
    typ16 = "std::array<std::array<double, LICZBA_KONTEKSTOW>, LICZBA_LITER + 1>"
    typ26 = "std::array<std::array<double, LICZBA_LITER_ASCII>, LICZBA_LITER + 1>"
    klasy = "  ".join(f"{p + ' ' + n:>5}" for p in "-aA*" for n in "-aA*")
    litery = "  ".join(f"{n:>5}" for n in "abcdefghijklmnopqrstuvwxyz")
    print(f"""// Generated by scripts/proza_polska.py model: do not edit by hand.
#include "model_polszczyzny.h"

namespace znakomat::model {{

// From {stron} Polish manual pages of manpages-pl, {znakow} characters. Rows: the eighteen
// letters, then any other non-ASCII character. Natural logarithms; a letter's counts are
// drawn towards those of the other letters of its case, so that a rare capital is not
// thought impossible where it was merely never seen.
// clang-format off

// How often a character is this one with these neighbours, per character of text.
// Neighbours, before and after: - none (space, digit, punctuation, edge of the text),
// a lower-case ASCII letter, A upper-case ASCII letter, * a non-ASCII character.
{tabela("LOG_CZESTOSC", typ16, kontekst, klasy)}

// Which letter stands before the character, when an ASCII letter does (either case).
{tabela("LOG_LITERY_PRZED", typ26, wygladzone(przed_litera, 20), litery)}

// Which letter follows the character, when an ASCII letter does (either case).
{tabela("LOG_LITERY_PO", typ26, wygladzone(po_literze, 20), litery)}
// clang-format on

// Any other non-ASCII character in UTF-8, wherever it stands.
const double LOG_CZESTOSC_INNEGO = {math.log((innych + 0.5) / znakow):.1f};

}}  // namespace znakomat::model"""
          )


# Characters of the held-out prose that stand for themselves in ASCII; every other
# character no standard has is left out, since it has no bytes in most of them.
ZAMIENNIKI = str.maketrans({"„": '"', "”": '"', "“": '"', "’": "'", "‘": "'", "—": "-", "–": "-",
                            "•": "*", "×": "x", "≤": "<=", "≥": ">=", "→": "->", "←": "<-",
                            "⟨": "<", "⟩": ">", "\u00a0": " "})


def oczyszczony(tekst):
    tekst = tekst.translate(ZAMIENNIKI)
    return "".join(z for z in tekst if ord(z) < 0x80 or z in LITERY)


def proba(katalog):
    losowanie = random.Random(12)
    krotkie, dlugie = [], []
    for _, tekst in strony(1):
        tekst = oczyszczony(tekst)
        poczatek = 0
        while poczatek + 100 <= len(tekst):
            dlugosc = losowanie.randint(100, 1000)
            kawalek = tekst[poczatek:poczatek + dlugosc]
            if len(kawalek) >= 100 and any(z in LITERY for z in kawalek):
                krotkie.append(kawalek)
            poczatek += dlugosc
        poczatek = 0
        while poczatek + 2048 <= len(tekst):
            dlugosc = losowanie.randint(2048, 4096)
            kawalek = tekst[poczatek:poczatek + dlugosc]
            if len(kawalek) >= 2048 and any(z in LITERY for z in kawalek):
                dlugie.append(kawalek)
            poczatek += dlugosc
    # A sample spread over all pages keeps the test short.
    krotkie = losowanie.sample(krotkie, min(len(krotkie), 1000))
    dlugie = losowanie.sample(dlugie, min(len(dlugie), 400))
    os.makedirs(katalog, exist_ok=True)
    for nazwa, teksty in (("krotkie.txt", krotkie), ("dlugie.txt", dlugie)):
        Path(katalog, nazwa).write_text("\0".join(teksty), encoding="utf-8")
    print(f"{len(krotkie)} krótkich i {len(dlugie)} długich tekstów w {katalog}")


def main():
    if not KATALOG_STRON.is_dir():
        sys.exit(f"Brak {KATALOG_STRON}: zainstaluj pakiet manpages-pl (apt-get install manpages-pl).")
    if sys.argv[1:] == ["model"]:
        model()
    elif len(sys.argv) == 3 and sys.argv[1] == "proba":
        proba(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
