#!/usr/bin/env python3
"""Polish prose from the Polish manual pages of manpages-pl, for recognising standards.

The pages are split in two halves by a hash of their file names, the messages of the
Polish translations (/usr/share/locale/pl) and the forms of the word list of wpolish by a
hash of themselves: the models are built from one half only, the recognition test measures
on the other. Only the pages and translations listed in proza_polska.zrodla are read, so
that a package installed later changes neither the models nor the test's texts.

  proza_polska.py model              prints engine/model_polszczyzny.cpp
  proza_polska.py ngramy             prints engine/ngramy_polszczyzny.inc
  proza_polska.py proba KATALOG [tlumaczenia]
                                     writes the test's texts, cut from the other half
                                     (of the pages, or of the installed programs' Polish
                                     messages), each with a Polish letter, UTF-8, texts
                                     separated by NUL: KATALOG/krotkie.txt (100 to 1000
                                     characters), dlugie.txt (2048 characters and more),
                                     male.txt (20 to 100 characters with one to three
                                     Polish letters), wielkie.txt (capitals, 20 to 200
                                     characters) and nazwy.txt (lists of two to eight
                                     names of countries, regions, languages, currencies
                                     from iso-codes) and slowa.txt (lists of two to six
                                     Polish words of the prose)
"""

import functools
import gzip
import math
import os
import random
import re
import sys
import unicodedata
import zlib
from pathlib import Path

KATALOG_STRON = Path("/usr/share/man/pl")
ZRODLA = Path(__file__).with_name("proza_polska.zrodla")
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


@functools.cache
def zrodla():
    """Pages (man1/name.1.gz) and translations (name.mo) the prose may come from."""
    with open(ZRODLA, encoding="utf-8") as plik:
        return frozenset(w.strip() for w in plik if w.strip() and not w.startswith("#"))


def strony(polowa):
    """(name, text) of every page in the given half: 0 builds the model, 1 tests it. A page
    under several names (a link) counts once, under its own name."""
    for sciezka in sorted(KATALOG_STRON.glob("man*/*.gz")):
        if str(sciezka.relative_to(KATALOG_STRON)) not in zrodla():
            continue
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


# A word with a non-ASCII character: its case by what stands before it within ZASIEG
# characters: the word before, by the case of its ASCII letters, and what separates them.
ZASIEG = 32
SLOWO_LUB_ZNAK = re.compile(r"[A-Za-z\u0080-\U0010FFFF]+")
KSZTALTY = ("mała", "Pierwsza", "WIELKIE", "MiEsZaNe")


def ksztalt(wielkie):
    """Shape of a word by the case of its letters (True: a capital), in order: 0 all small,
    1 the first a capital only, 2 all capitals (two or more), 3 mixed; None without letters."""
    if not wielkie:
        return None
    ile = sum(wielkie)
    if ile == 0:
        return 0
    if wielkie[0] and ile == 1:
        return 1
    return 2 if ile == len(wielkie) else 3


def kontekst_slowa(przed):
    """What stands before a word, its last ZASIEG characters at most: 0 no word, else 1 +
    3 x the shape of the word before by its ASCII letters (4 with none) + what separates them:
    0 spaces and the like, 1 a sentence's end (. ! ? : ;), 2 a line break."""
    i = len(przed)
    while i > 0 and not SLOWO_LUB_ZNAK.match(przed[i - 1]):
        i -= 1
    odstep = przed[i:]
    j = i
    while j > 0 and SLOWO_LUB_ZNAK.match(przed[j - 1]):
        j -= 1
    if j == i:
        return 0
    poprzedni = ksztalt([z.isupper() for z in przed[j:i] if z.isascii() and z.isalpha()])
    oddziela = 2 if "\n" in odstep else 1 if any(z in ".!?:;" for z in odstep) else 0
    return 1 + 3 * (4 if poprzedni is None else poprzedni) + oddziela


def ksztalty_slow():
    """Counts [context][shape] of the words with a non-ASCII character in the prose, the
    messages and the names of the half not tested on."""
    liczby = [[0] * len(KSZTALTY) for _ in range(16)]
    teksty = [t for _, t in strony(0)] + list(komunikaty(0, False)) + list(komunikaty(0, True))
    for t in teksty:
        t = t.translate(ZAMIENNIKI)
        for slowo in SLOWO_LUB_ZNAK.finditer(t):
            if slowo.group().isascii():
                continue
            k = ksztalt([z.isupper() for z in slowo.group() if z.isalpha()])
            if k is not None:
                liczby[kontekst_slowa(t[max(0, slowo.start() - ZASIEG):slowo.start()])][k] += 1
    return liczby


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
    ksztalty = ksztalty_slow()
    slow_z_ksztaltem = sum(map(sum, ksztalty))
    nazwy_kontekstow = ["początek"] + [f"{k} {o}" for k in ("mała", "Pierwsza", "WIELKIE", "MiEsZaNe", "-")
                                       for o in ("_", ".", "\\n")]
    wiersze_ksztaltow = "\n".join(
        f"    /* {n:>11} */ {{{', '.join(f'{math.log((x + 0.5) / (sum(w) + 0.5 * len(w))):5.1f}' for x in w)}}},"
        for n, w in zip(nazwy_kontekstow, ksztalty))
    print(f"""// Generated by scripts/proza_polska.py model: do not edit by hand.
#include "engine/model_polszczyzny.h"

namespace engine::model {{

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

// The case of a word with a non-ASCII character by the word before it, from {slow_z_ksztaltem} such words
// of the pages, the messages and the names of installed programs' translations (the half of
// each not tested on). Rows: nothing before within {ZASIEG} characters, or the word before by
// the case of its ASCII letters (- none), separated by spaces and the like (_), a sentence's
// end (.) or a line break (\\n). Columns: all small, the first a capital only, all capitals,
// mixed.
// clang-format off
const std::array<std::array<double, LICZBA_KSZTALTOW>, LICZBA_KONTEKSTOW_SLOWA> LOG_KSZTALTU = {{{{
{wiersze_ksztaltow}
}}}};
// clang-format on

}}  // namespace engine::model"""
          )


# Words and their letters: the n-gram model reads words, with case folded, every Polish
# letter as itself, a foreign one as its plain letter and every other non-ASCII character
# as one symbol.
KATALOG_TLUMACZEN = Path("/usr/share/locale/pl/LC_MESSAGES")
LISTA_SLOW = Path("/usr/share/dict/polish")
SYMBOLE = "_abcdefghijklmnopqrstuvwxyz" + "ąćęłńóśźż" + "*"
INNY_SYMBOL = len(SYMBOLE) - 1
PIERWSZY_NIE_ASCII = 27
RZAD = 5
SLOWO = re.compile(r"[A-Za-z\u0080-\U0010FFFF]+")
# Names of countries, regions, languages and currencies: the names of the test.
NAZWY = re.compile(r"^iso_")


def symbol(znak):
    if znak < "\x80":
        return ord(znak.lower()) - ord("a") + 1
    i = LITERY.find(znak)
    if i >= 0:
        return PIERWSZY_NIE_ASCII + i % 9
    # A foreign letter counts as its plain letter ("León" as "Leon"), as the old code pages,
    # which lack it, write it: "*" is then only what stands in no word, and a byte that a
    # standard reads as no letter is unlikely between letters.
    podstawa = unicodedata.normalize("NFD", znak)[0]
    return symbol(podstawa) if podstawa.isascii() and podstawa.isalpha() else INNY_SYMBOL


def komunikaty(polowa, nazwy):
    """Polish translations of installed programs (nazwy: only the lists of names), split in
    halves by a hash of the original text: 0 builds the model, 1 tests it."""
    import gettext
    widziane = set()
    for sciezka in sorted(KATALOG_TLUMACZEN.glob("*.mo")):
        if sciezka.name not in zrodla() or bool(NAZWY.match(sciezka.name)) != nazwy:
            continue
        with open(sciezka, "rb") as plik:
            katalog = gettext.GNUTranslations(plik)._catalog
        for klucz, tekst in sorted(katalog.items(), key=lambda p: str(p[0])):
            oryginal = klucz[0] if isinstance(klucz, tuple) else klucz
            if not oryginal or not isinstance(tekst, str) or tekst in widziane:
                continue
            if zlib.crc32(oryginal.encode()) % 2 != polowa:
                continue
            widziane.add(tekst)
            yield tekst


def ngramy():
    from collections import Counter
    liczby = Counter()
    zrodla = {"stron": 0, "komunikatów": 0, "nazw": 0, "słów": 0}

    def policz(slowo, waga):
        s = [0] * (RZAD - 1) + [symbol(z) for z in slowo] + [0]
        for i in range(RZAD - 1, len(s)):
            for rzad in range(1, RZAD + 1):
                liczby[tuple(s[i - rzad + 1:i + 1])] += waga

    def tekst(t, waga=1.0):
        # Typographic quotes and dashes glued to words, which the old code pages mostly
        # lack, would make any byte read as no letter likely at a word's edge.
        for slowo in SLOWO.findall(t.translate(ZAMIENNIKI)):
            policz(slowo, waga)

    for _, t in strony(0):
        zrodla["stron"] += 1
        tekst(t)
    for t in komunikaty(0, False):
        zrodla["komunikatów"] += 1
        tekst(t)
    for t in komunikaty(0, True):
        zrodla["nazw"] += 1
        tekst(t)
    # Every form of the word list once: rare forms and names, lightly.
    with open(LISTA_SLOW, encoding="utf-8") as plik:
        for slowo in plik:
            slowo = slowo.strip()
            if slowo and zlib.crc32(slowo.encode()) % 2 == 0:
                zrodla["słów"] += 1
                policz(slowo, 0.05)

    # Witten-Bell: a context seen often with few different symbols after it leaves little
    # to the symbols never seen there, which take the shorter context's share of it.
    konteksty, rodzaje = Counter(), Counter()
    for ngram, n in liczby.items():
        konteksty[ngram[:-1]] += n
        rodzaje[ngram[:-1]] += 1
    wszystkich = konteksty[()]

    def prawdopodobienstwo(ngram):
        if len(ngram) == 1:
            return (liczby.get(ngram, 0) + 0.5) / (wszystkich + 0.5 * len(SYMBOLE))
        kontekst = ngram[:-1]
        nizszy = prawdopodobienstwo(ngram[1:])
        if kontekst not in konteksty:
            return nizszy
        return (liczby.get(ngram, 0) + rodzaje[kontekst] * nizszy) / (konteksty[kontekst] + rodzaje[kontekst])

    def klucz(rzad, symbole):
        k = rzad
        for x in symbole:
            k = k * len(SYMBOLE) + x
        return k

    wpisy = []
    uzyte_konteksty = set()
    for ngram, n in liczby.items():
        rzad = len(ngram)
        nie_ascii = any(x >= PIERWSZY_NIE_ASCII for x in ngram)
        if rzad >= 3 and (n < 1 or (rzad >= 4 and not nie_ascii)):
            continue
        wpisy.append((klucz(rzad, ngram), math.log(prawdopodobienstwo(ngram)), ngram))
        if rzad > 1:
            uzyte_konteksty.add(ngram[:-1])
    for x in range(len(SYMBOLE)):
        if (x,) not in liczby:
            wpisy.append((klucz(1, (x,)), math.log(prawdopodobienstwo((x,))), (x,)))
    # A context's own entry: the logarithm of the share it leaves to the symbols not seen
    # after it, the order being RZAD more than the context's length.
    for kontekst in uzyte_konteksty:
        wpisy.append((klucz(RZAD + len(kontekst), kontekst),
                      math.log(rodzaje[kontekst] / (konteksty[kontekst] + rodzaje[kontekst])),
                      kontekst + (None,)))
    wpisy.sort()
    wiersze = "\n".join(f"    {{{k:#010x}, {l:6.2f}f}},  // {''.join(SYMBOLE[x] if x is not None else ' ?' for x in g)}"
                        for k, l, g in wpisy)
    print(f"""// Generated by scripts/proza_polska.py ngramy > engine/ngramy_polszczyzny.inc: do not edit
// by hand. The entries of NGRAMY, included by engine/ngramy_polszczyzny.cpp.
//
// From {zrodla["stron"]} Polish manual pages of manpages-pl, {zrodla["komunikatów"]} Polish messages and
// {zrodla["nazw"]} names of installed programs' translations, and {zrodla["słów"]} forms of the word list
// of wpolish (each counting as a twentieth of a word of prose); each the half not tested on.
// Natural logarithm of how often a symbol follows its context inside a word: the key is the
// order, then the symbols, {len(SYMBOLE)} to a digit ("_" the edge of a word, "*" any non-ASCII
// character that is no letter: a foreign letter counts as its plain one). Of three to five
// symbols only those seen once in prose or twenty times in the list, and of four and five
// only those with a non-ASCII symbol: the only ones by which two standards' readings differ.
// A context's own entry ("?" after it, the order {RZAD} more than its length) is the share it
// leaves to symbols never seen after it, which take that of the context one shorter
// (Witten-Bell).
{wiersze}""")


# Characters of the held-out prose that stand for themselves in ASCII; every other
# character no standard has is left out, since it has no bytes in most of them.
ZAMIENNIKI = str.maketrans({"„": '"', "”": '"', "“": '"', "’": "'", "‘": "'", "—": "-", "–": "-",
                            "•": "*", "×": "x", "≤": "<=", "≥": ">=", "→": "->", "←": "<-",
                            "⟨": "<", "⟩": ">", "\u00a0": " "})


def oczyszczony(tekst):
    tekst = tekst.translate(ZAMIENNIKI)
    return "".join(z for z in tekst if ord(z) < 0x80 or z in LITERY)


def ma_litere(tekst, od=1, do=None):
    n = sum(z in LITERY for z in tekst)
    return n >= od and (do is None or n <= do)


def kawalki(tekst, losowanie, najkrotszy, najdluzszy):
    """The text cut into pieces of random lengths, each beginning after a space."""
    poczatek = 0
    while poczatek + najkrotszy <= len(tekst):
        dlugosc = losowanie.randint(najkrotszy, najdluzszy)
        yield tekst[poczatek:poczatek + dlugosc]
        poczatek += dlugosc
        spacja = tekst.find(" ", poczatek)
        poczatek = poczatek if spacja < 0 or spacja - poczatek > 20 else spacja + 1


def proba(katalog, zrodlo):
    """zrodlo: "strony" the held-out manual pages, "tlumaczenia" the held-out messages of the
    installed programs' translations (which differ from machine to machine)."""
    losowanie = random.Random(12)
    krotkie, dlugie, male, wielkie, nazwy = [], [], [], [], []
    if zrodlo == "strony":
        teksty = [oczyszczony(t) for _, t in strony(1)]
    else:
        teksty = [oczyszczony(" ".join(komunikaty(1, False)))]
    for tekst in teksty:
        krotkie += [k for k in kawalki(tekst, losowanie, 100, 1000) if len(k) >= 100 and ma_litere(k)]
        dlugie += [k for k in kawalki(tekst, losowanie, 2048, 4096) if len(k) >= 2048 and ma_litere(k)]
        male += [k.strip() for k in kawalki(tekst, losowanie, 20, 100)
                 if len(k.strip()) >= 20 and ma_litere(k, 1, 3)]
        wielkie += [k.strip().upper() for k in kawalki(tekst, losowanie, 20, 200)
                    if len(k.strip()) >= 20 and ma_litere(k)]
    # Lists of names: countries, regions, languages, currencies, a few to a list, one a line
    # or after commas.
    # Only names wholly in the letters the standards have: one cut short would be no name.
    imiona = [t for t in (t.translate(ZAMIENNIKI) for t in komunikaty(1, True)) if oczyszczony(t) == t]
    losowanie.shuffle(imiona)
    while imiona:
        ile = losowanie.randint(2, 8)
        lista, imiona = imiona[:ile], imiona[ile:]
        tekst = losowanie.choice(["\n", ", ", "\r\n"]).join(lista)
        if ma_litere(tekst):
            nazwy.append(tekst)
    # Lists of words: two to six Polish words of the prose, after commas or one a line, as a
    # list of synonyms or keywords is written; only forms of the half of the word list the
    # model was not built from. A generator of its own leaves the other sets as they were.
    losowanie_slow = random.Random(13)
    with open(LISTA_SLOW, encoding="utf-8") as plik:
        polskie = {s for s in (w.strip() for w in plik) if zlib.crc32(s.encode()) % 2 == 1}
    slowa_prozy = sorted({s for t in teksty for s in re.findall(f"[A-Za-z{LITERY}]{{3,}}", t)} & polskie)
    slowa = []
    while len(slowa) < 2000:
        lista = losowanie_slow.sample(slowa_prozy, losowanie_slow.randint(2, 6))
        tekst = losowanie_slow.choice([",", ", ", "\n"]).join(lista)
        if ma_litere(tekst):
            slowa.append(tekst)
    # A sample spread over all pages keeps the test short.
    zestawy = {"krotkie.txt": (krotkie, 1000), "dlugie.txt": (dlugie, 400), "male.txt": (male, 1000),
               "wielkie.txt": (wielkie, 500), "nazwy.txt": (nazwy, 500), "slowa.txt": (slowa, 500)}
    os.makedirs(katalog, exist_ok=True)
    for nazwa, (teksty, ile) in zestawy.items():
        teksty = losowanie.sample(teksty, min(len(teksty), ile))
        Path(katalog, nazwa).write_text("\0".join(teksty), encoding="utf-8")
        print(f"{nazwa}: {len(teksty)} tekstów")


def main():
    if not KATALOG_STRON.is_dir():
        sys.exit(f"Brak {KATALOG_STRON}: zainstaluj pakiet manpages-pl (apt-get install manpages-pl).")
    if sys.argv[1:] == ["model"]:
        model()
    elif sys.argv[1:] == ["ngramy"]:
        ngramy()
    elif len(sys.argv) in (3, 4) and sys.argv[1] == "proba" and sys.argv[3:] in ([], ["tlumaczenia"]):
        proba(sys.argv[2], "strony" if len(sys.argv) == 3 else "tlumaczenia")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
