#include "engine/wszystkie_znaki.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/standardy.h"
#include "engine/strona.h"
#include "engine/utf8.h"
#include "engine/wysokie_bajty.h"

namespace engine {

namespace {

constexpr std::array<int, 4> STRONY_KODOWE = {ISO_LATIN_2, IBM_LATIN_2, WINDOWS_EE, UTF8_INDEX};

// The tag characters, which glibc's iconv drops from a text rather than stop at when the
// target has no room for them: so does this conversion.
constexpr char32_t ZNACZNIKI_OD = 0xE0000;
constexpr char32_t ZNACZNIKI_DO = 0xE007F;

// Where the run of ASCII bytes from `i` ends: the first byte from 80 up, or the end.
std::size_t koniecAscii(std::string_view tekst, std::size_t i)
{
    return NastepnyWysoki(reinterpret_cast<const unsigned char*>(tekst.data()), i, tekst.size());
}

// Whether the two bytes are a UTF-8 character of two bytes.
bool dwaBajty(char pierwszy, char drugi)
{
    const auto wiodacy = static_cast<unsigned char>(pierwszy);
    return wiodacy >= 0xC2 && wiodacy <= 0xDF && (static_cast<unsigned char>(drugi) & 0xC0) == 0x80;
}

// Copies the run of ASCII bytes from `i` to `wy`, eight at a time, storing up to eight bytes
// past its end; returns where it ends, `wy` moved past it.
std::size_t przepiszAscii(std::string_view tekst, std::size_t i, char*& wy)
{
    while (i + 8 <= tekst.size()) {
        // Read before the store: `wy` might alias the text for all the compiler knows.
        const std::size_t ascii =
            AsciiWSlowie(OsiemBajtow(reinterpret_cast<const unsigned char*>(tekst.data() + i)));
        std::memcpy(wy, tekst.data() + i, 8);
        if (ascii < 8) {
            wy += ascii;
            return i + ascii;
        }
        wy += 8;
        i += 8;
    }
    while (i < tekst.size() && static_cast<unsigned char>(tekst[i]) < 0x80) {
        *wy++ = tekst[i++];
    }
    return i;
}

}  // namespace

// What one pair of standards needs, taken from their pages once.
struct TabliceStronKodowych {
    // From a one-byte source: each byte in the target; length 0 where the conversion stops.
    std::array<std::array<char, 4>, 256> bajty{};
    std::array<unsigned char, 256> dlugosci{};
    // The character each source byte stands for; none where the source leaves it empty.
    std::array<std::optional<char32_t>, 256> znaki{};
    // Into a one-byte target: the target's byte for each character of the Basic Multilingual
    // Plane, -1 where it has none (Strona::odwrotna). No one-byte code page of iconv has a
    // character beyond it.
    std::vector<std::int16_t> zUtf8 = std::vector<std::int16_t>(0x10000, -1);
    // Whether the one-byte target writes every ASCII character as its own byte, as all but a
    // few bases do: runs of ASCII are then copied.
    bool asciiBezZmian = false;
};

namespace {

std::unique_ptr<const TabliceStronKodowych> zbudujTablice(int zrodlo, int cel, const std::string& podstawa);

}  // namespace

std::span<const int> StronyKodowe()
{
    return STRONY_KODOWE;
}

bool JestStronaKodowa(int standard)
{
    return std::find(STRONY_KODOWE.begin(), STRONY_KODOWE.end(), standard) != STRONY_KODOWE.end();
}

const char* NazwaWIconv(int standard)
{
    switch (standard) {
        case ISO_LATIN_2:
            return "ISO-8859-2";
        case IBM_LATIN_2:
            return "IBM852";
        case WINDOWS_EE:
            return "CP1250";
        case UTF8_INDEX:
            return "UTF-8";
        default:
            return nullptr;
    }
}

namespace {

const TabliceStronKodowych& tablice(int zrodlo, int cel, const std::string& podstawa)
{
    // Threads of a batch share them; each pair is built once.
    static std::mutex mutex;
    static std::map<std::tuple<int, int, std::string>, std::unique_ptr<const TabliceStronKodowych>> gotowe;
    const std::lock_guard blokada(mutex);
    auto& miejsce = gotowe[{zrodlo, cel, podstawa}];
    if (!miejsce) {
        miejsce = zbudujTablice(zrodlo, cel, podstawa);
    }
    return *miejsce;
}

std::unique_ptr<const TabliceStronKodowych> zbudujTablice(int zrodlo, int cel, const std::string& podstawa)
{
    auto wynik = std::make_unique<TabliceStronKodowych>();
    const std::optional<Strona> wCelu = StronaStandardu(cel, podstawa);
    if (wCelu) {
        wynik->zUtf8 = wCelu->odwrotna();
        wynik->asciiBezZmian = true;
        for (std::int16_t znak = 0; znak < 0x80; ++znak) {
            wynik->asciiBezZmian =
                wynik->asciiBezZmian && wynik->zUtf8[static_cast<std::size_t>(znak)] == znak;
        }
    }
    if (zrodlo == UTF8_INDEX) {
        return wynik;
    }
    const Strona zrodla = StronaStandardu(zrodlo, podstawa).value();
    for (std::size_t b = 0; b < 256; ++b) {
        const char32_t znak = zrodla.znaki[b];
        if (znak == Strona::BEZ_ZNAKU) {
            continue;
        }
        wynik->znaki[b] = znak;
        if (!wCelu) {
            wynik->dlugosci[b] = static_cast<unsigned char>(ZapiszUtf8(znak, wynik->bajty[b].data()));
        } else if (const int bajt = znak < 0x10000 ? wynik->zUtf8[znak] : wCelu->bajt(znak); bajt >= 0) {
            wynik->bajty[b][0] = static_cast<char>(bajt);
            wynik->dlugosci[b] = 1;
        }
    }
    return wynik;
}

}  // namespace

KonwersjaWszystkichZnakow::KonwersjaWszystkichZnakow(int zrodlo, int cel, std::string_view podstawa)
    : zrodlo_(zrodlo),
      cel_(cel),
      tablice_(KonwertujeWszystkieZnaki(zrodlo, cel, !podstawa.empty())
                   ? tablice(zrodlo, cel, std::string(podstawa))
                   : throw std::invalid_argument("standard bez tablicy wszystkich znaków"))
{
    if (zrodlo == UTF8_INDEX && cel == UTF8_INDEX) {
        iconv_ = ::iconv_open("UTF-8", "UTF-8");
        if (iconv_ == reinterpret_cast<iconv_t>(-1)) {
            iconv_ = nullptr;
            throw std::runtime_error("iconv nie zna UTF-8");
        }
    }
}

KonwersjaWszystkichZnakow::~KonwersjaWszystkichZnakow()
{
    if (iconv_ != nullptr) {
        ::iconv_close(iconv_);
    }
}

void KonwersjaWszystkichZnakow::dopisz(std::string_view kawalek, std::string& wynik)
{
    if (zrodlo_ != UTF8_INDEX) {
        zJednobajtowego(kawalek, wynik);
        return;
    }
    // A character cut at the end of the last piece is read again whole; only then is the
    // piece copied.
    std::string sklejony;
    std::string_view tekst = kawalek;
    if (!czeka_.empty()) {
        sklejony = std::exchange(czeka_, {});
        sklejony += kawalek;
        tekst = sklejony;
    }
    if (cel_ == UTF8_INDEX) {
        zUtf8DoUtf8(tekst, wynik);
    } else {
        zUtf8(tekst, wynik);
    }
    przeczytane_ += tekst.size() - czeka_.size();
}

void KonwersjaWszystkichZnakow::zakoncz()
{
    if (!czeka_.empty()) {
        throw NieprzekonwertowanyZnak{NieprzekonwertowanyZnak::Rodzaj::NiepelnyUtf8, przeczytane_};
    }
}

void KonwersjaWszystkichZnakow::zJednobajtowego(std::string_view kawalek, std::string& wynik)
{
    const std::size_t poczatek = wynik.size();
    wynik.resize(poczatek + 4 * kawalek.size());
    char* wy = wynik.data() + poczatek;
    for (std::size_t i = 0; i < kawalek.size(); ++i) {
        const auto bajt = static_cast<unsigned char>(kawalek[i]);
        const unsigned char dlugosc = tablice_.dlugosci[bajt];
        if (dlugosc == 0) {
            wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
            const std::optional<char32_t>& znak = tablice_.znaki[bajt];
            throw NieprzekonwertowanyZnak{znak ? NieprzekonwertowanyZnak::Rodzaj::BrakWCelu
                                               : NieprzekonwertowanyZnak::Rodzaj::BajtBezZnaku,
                                          przeczytane_ + i, znak.value_or(bajt)};
        }
        std::memcpy(wy, tablice_.bajty[bajt].data(), 4);
        wy += dlugosc;
    }
    wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
    przeczytane_ += kawalek.size();
}

void KonwersjaWszystkichZnakow::zUtf8(std::string_view tekst, std::string& wynik)
{
    const std::size_t poczatek = wynik.size();
    // Eight bytes more: runs of ASCII are stored eight at a time, past their end.
    wynik.resize(poczatek + tekst.size() + 8);
    char* wy = wynik.data() + poczatek;
    const auto bajtTekstu = [&](std::size_t i) { return static_cast<unsigned char>(tekst[i]); };
    std::size_t i = 0;
    while (i < tekst.size()) {
        if (tablice_.asciiBezZmian) {
            i = przepiszAscii(tekst, i, wy);
            if (i == tekst.size()) {
                break;
            }
        }
        char32_t kod = 0;
        int dlugosc = 2;
        // Two bytes, as every Polish letter, read here; the rest by Unicode's rules.
        if (i + 1 < tekst.size() && dwaBajty(tekst[i], tekst[i + 1])) {
            kod = static_cast<char32_t>((bajtTekstu(i) & 0x1F) << 6 | (bajtTekstu(i + 1) & 0x3F));
        } else {
            dlugosc = ZnakUtf8(tekst.substr(i), kod);
        }
        if (dlugosc == 0) {
            czeka_ = tekst.substr(i);
            break;
        }
        if (dlugosc > 0 && kod >= ZNACZNIKI_OD && kod <= ZNACZNIKI_DO) {
            i += static_cast<std::size_t>(dlugosc);
            continue;
        }
        const std::int16_t bajt = dlugosc > 0 && kod < 0x10000 ? tablice_.zUtf8[kod] : -1;
        if (bajt < 0) {
            wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
            bladUtf8(tekst, i);
        }
        *wy++ = static_cast<char>(bajt);
        i += static_cast<std::size_t>(dlugosc);
    }
    wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
}

void KonwersjaWszystkichZnakow::zUtf8DoUtf8(std::string_view tekst, std::string& wynik)
{
    // iconv takes every sequence Unicode allows as it is: those are copied. From the first
    // one that is not (beyond Unicode, invalid, or cut at the end), iconv decides: it takes a
    // few beyond Unicode, and stops where it stops.
    std::size_t i = 0;
    while (i < tekst.size()) {
        i = koniecAscii(tekst, i);
        if (i + 1 < tekst.size() && dwaBajty(tekst[i], tekst[i + 1])) {
            i += 2;
            continue;
        }
        char32_t kod = 0;
        const int dlugosc = i < tekst.size() ? ZnakUtf8(tekst.substr(i), kod) : 0;
        if (dlugosc <= 0) {
            break;
        }
        i += static_cast<std::size_t>(dlugosc);
    }
    wynik.append(tekst.substr(0, i));
    if (i == tekst.size()) {
        return;
    }
    ::iconv(iconv_, nullptr, nullptr, nullptr, nullptr);
    std::string wejscie(tekst.substr(i));
    char* we = wejscie.data();
    std::size_t zostalo = wejscie.size();
    while (zostalo > 0) {
        const std::size_t poczatek = wynik.size();
        wynik.resize(poczatek + zostalo + 16);
        char* wy = wynik.data() + poczatek;
        std::size_t miejsce = zostalo + 16;
        const bool blad = ::iconv(iconv_, &we, &zostalo, &wy, &miejsce) == static_cast<std::size_t>(-1);
        const int numer = errno;
        wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
        if (!blad || numer == E2BIG) {
            continue;
        }
        const std::size_t gdzie = i + static_cast<std::size_t>(we - wejscie.data());
        if (numer == EINVAL) {
            czeka_ = tekst.substr(gdzie);
            return;
        }
        throw NieprzekonwertowanyZnak{NieprzekonwertowanyZnak::Rodzaj::NiepoprawnyUtf8, przeczytane_ + gdzie};
    }
}

void KonwersjaWszystkichZnakow::bladUtf8(std::string_view tekst, std::size_t gdzie) const
{
    char32_t kod = 0;
    const int dlugosc = ZnakUtf8(tekst.substr(gdzie), kod);
    using Rodzaj = NieprzekonwertowanyZnak::Rodzaj;
    throw NieprzekonwertowanyZnak{dlugosc > 0 ? Rodzaj::BrakWCelu : Rodzaj::NiepoprawnyUtf8,
                                  przeczytane_ + gdzie, dlugosc > 0 ? kod : 0};
}

}  // namespace engine
