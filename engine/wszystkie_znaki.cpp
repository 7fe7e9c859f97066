#include "engine/wszystkie_znaki.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/standardy.h"
#include "engine/utf8.h"

namespace znakomat {

namespace {

constexpr std::array<int, 4> STRONY_KODOWE = {ISO_LATIN_2, IBM_LATIN_2, WINDOWS_EE, UTF8_INDEX};

// One conversion descriptor of the system's iconv, for building the tables.
class Iconv {
public:
    Iconv(int zrodlo, int cel) : cd_(::iconv_open(NazwaWIconv(cel), NazwaWIconv(zrodlo)))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv nie zna ") + NazwaWIconv(zrodlo) + " albo " +
                                     NazwaWIconv(cel));
        }
    }
    ~Iconv() { ::iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The whole of `tekst` converted, or nothing where iconv stops.
    std::optional<std::string> konwertuj(std::string tekst)
    {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 64> wynik{};
        char* we = tekst.data();
        std::size_t zostalo = tekst.size();
        char* wy = wynik.data();
        std::size_t miejsce = wynik.size();
        if (::iconv(cd_, &we, &zostalo, &wy, &miejsce) == static_cast<std::size_t>(-1) ||
            ::iconv(cd_, nullptr, nullptr, &wy, &miejsce) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        return std::string(wynik.data(), wy);
    }

private:
    iconv_t cd_;
};

// The tag characters, which glibc's iconv drops from a text rather than stop at when the
// target has no room for them: so does this conversion.
constexpr char32_t ZNACZNIKI_OD = 0xE0000;
constexpr char32_t ZNACZNIKI_DO = 0xE007F;

}  // namespace

// What one pair of code pages needs, taken from the system's iconv once.
struct TabliceStronKodowych {
    // From a one-byte source: each byte in the target; length 0 where iconv stops.
    std::array<std::array<char, 4>, 256> bajty{};
    std::array<unsigned char, 256> dlugosci{};
    // The character each source byte stands for; none where the source leaves it empty.
    std::array<std::optional<char32_t>, 256> znaki{};
    // From UTF-8 into a one-byte target: the target's byte for each character of the Basic
    // Multilingual Plane, -1 where it has none. The targets have no character beyond it.
    std::vector<std::int16_t> zUtf8 = std::vector<std::int16_t>(0x10000, -1);
};

namespace {

std::unique_ptr<const TabliceStronKodowych> zbudujTablice(int zrodlo, int cel);

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

const TabliceStronKodowych& tablice(int zrodlo, int cel)
{
    // Threads of a batch share them; each pair is built once.
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::unique_ptr<const TabliceStronKodowych>> gotowe;
    const std::lock_guard blokada(mutex);
    auto& miejsce = gotowe[{zrodlo, cel}];
    if (!miejsce) {
        miejsce = zbudujTablice(zrodlo, cel);
    }
    return *miejsce;
}

std::unique_ptr<const TabliceStronKodowych> zbudujTablice(int zrodlo, int cel)
{
    auto wynik = std::make_unique<TabliceStronKodowych>();
    if (zrodlo != UTF8_INDEX) {
        Iconv doCelu(zrodlo, cel);
        Iconv doUtf8(zrodlo, UTF8_INDEX);
        for (int b = 0; b < 256; ++b) {
            const std::string bajt(1, static_cast<char>(b));
            if (const std::optional<std::string> znak = doUtf8.konwertuj(bajt)) {
                char32_t kod = 0;
                ZnakUtf8(*znak, kod);
                wynik->znaki[static_cast<std::size_t>(b)] = kod;
            }
            const std::optional<std::string> wCelu = doCelu.konwertuj(bajt);
            if (wCelu && !wCelu->empty() && wCelu->size() <= 4) {
                std::memcpy(wynik->bajty[static_cast<std::size_t>(b)].data(), wCelu->data(), wCelu->size());
                wynik->dlugosci[static_cast<std::size_t>(b)] = static_cast<unsigned char>(wCelu->size());
            }
        }
    } else if (cel != UTF8_INDEX) {
        Iconv zCelu(cel, UTF8_INDEX);
        for (int b = 0; b < 256; ++b) {
            if (const std::optional<std::string> znak =
                    zCelu.konwertuj(std::string(1, static_cast<char>(b)))) {
                char32_t kod = 0;
                if (ZnakUtf8(*znak, kod) > 0 && kod < 0x10000) {
                    wynik->zUtf8[kod] = static_cast<std::int16_t>(b);
                }
            }
        }
    }
    return wynik;
}

}  // namespace

std::optional<char32_t> ZnakStronyKodowej(int standard, unsigned char bajt)
{
    if (!JestStronaKodowa(standard) || standard == UTF8_INDEX) {
        throw std::invalid_argument("nie jednobajtowa strona kodowa");
    }
    return tablice(standard, UTF8_INDEX).znaki[bajt];
}

KonwersjaWszystkichZnakow::KonwersjaWszystkichZnakow(int zrodlo, int cel)
    : zrodlo_(zrodlo),
      cel_(cel),
      tablice_((JestStronaKodowa(zrodlo) && JestStronaKodowa(cel))
                   ? tablice(zrodlo, cel)
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
    // A character cut at the end of the last piece is read again whole.
    std::string tekst = std::exchange(czeka_, {});
    tekst += kawalek;
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
    wynik.resize(poczatek + tekst.size());
    char* wy = wynik.data() + poczatek;
    std::size_t i = 0;
    while (i < tekst.size()) {
        char32_t kod = 0;
        const int dlugosc = ZnakUtf8(tekst.substr(i), kod);
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
    ::iconv(iconv_, nullptr, nullptr, nullptr, nullptr);
    std::string wejscie(tekst);
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
        const auto gdzie = static_cast<std::size_t>(we - wejscie.data());
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

}  // namespace znakomat
