#include "engine/rozpoznawanie_bajtow.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "engine/przebieg.h"
#include "engine/wysokie_bajty.h"

namespace engine {

namespace {

// A byte that cannot stand where it does in UTF-8 is far rarer in a UTF-8 file than the
// rarest letter of the model in its least likely place.
constexpr double LOG_BLEDNEGO_UTF8 = -30.0;

// The Polish letters in UTF-8, U+00D3 to U+017C, begin with these bytes.
constexpr unsigned PIERWSZY_BAJT_LITERY_UTF8 = 0xC3;
constexpr unsigned OSTATNI_BAJT_LITERY_UTF8 = 0xC5;

bool moznaLiteraUtf8(unsigned bajt)
{
    return Wiodacy<PIERWSZY_BAJT_LITERY_UTF8, OSTATNI_BAJT_LITERY_UTF8>(bajt);
}

// Masks of `blokow` blocks of 64 bytes from `tekst`, a kilobyte at a time for one call
// through a pointer.
using ZnajdzWysokie = void (*)(const unsigned char* tekst, std::size_t blokow, MaskiWysokich* maski);

void znajdzWysokieZwykle(const unsigned char* tekst, std::size_t blokow, MaskiWysokich* maski)
{
    for (std::size_t j = 0; j < blokow; ++j) {
        maski[j] = MaskiZwykle<PIERWSZY_BAJT_LITERY_UTF8, OSTATNI_BAJT_LITERY_UTF8>(tekst + j * BLOK_MASKI);
    }
}

#if defined(ZNAKOMAT_SIMD_X86)
void znajdzWysokieSse2(const unsigned char* tekst, std::size_t blokow, MaskiWysokich* maski)
{
    for (std::size_t j = 0; j < blokow; ++j) {
        maski[j] = MaskiSse2<PIERWSZY_BAJT_LITERY_UTF8, OSTATNI_BAJT_LITERY_UTF8>(tekst + j * BLOK_MASKI);
    }
}

__attribute__((target("avx2"))) void znajdzWysokieAvx2(const unsigned char* tekst, std::size_t blokow,
                                                       MaskiWysokich* maski)
{
    for (std::size_t j = 0; j < blokow; ++j) {
        maski[j] = MaskiAvx2<PIERWSZY_BAJT_LITERY_UTF8, OSTATNI_BAJT_LITERY_UTF8>(tekst + j * BLOK_MASKI);
    }
}
#endif

ZnajdzWysokie znajdzWysokie()
{
#if defined(ZNAKOMAT_SIMD_X86)
    switch (BiezacyWariant()) {
        case Wariant::Zwykly:
            break;
        case Wariant::Sse2:
        case Wariant::Ssse3:
            return znajdzWysokieSse2;
        case Wariant::Avx2:
        case Wariant::Avx512Vbmi:
            return znajdzWysokieAvx2;
    }
#endif
    return znajdzWysokieZwykle;
}

// The mask without its bits below `ile`.
std::uint64_t bezPierwszych(std::uint64_t maska, std::size_t ile)
{
    return ile < BLOK_MASKI ? maska & (~std::uint64_t{0} << ile) : 0;
}

// Sum of counts times logarithms over the columns the model has; a last column of counts
// beyond them is not scored.
template <class Liczniki, class Logarytmy>
double iloczyn(const Liczniki& liczniki, const Logarytmy& logarytmy)
{
    double suma = 0;
    for (std::size_t k = 0; k < logarytmy.size(); ++k) {
        suma += static_cast<double>(liczniki[k]) * logarytmy[k];
    }
    return suma;
}

// A character read as letter `wiersz` (or model::INNY), from its counts by neighbours.
template <class Kontekst, class Litery>
double wynikZnaku(std::size_t wiersz, const Kontekst& wKontekscie, const Litery& przedLitera,
                  const Litery& poLiterze)
{
    return iloczyn(wKontekscie, model::LOG_CZESTOSC[wiersz]) +
           iloczyn(przedLitera, model::LOG_LITERY_PRZED[wiersz]) +
           iloczyn(poLiterze, model::LOG_LITERY_PO[wiersz]);
}

}  // namespace

template <bool NaKoncu>
bool LicznikiBajtow::policzLitereUtf8(const TabliceRozpoznawania& tablice, const unsigned char* tekst,
                                      std::size_t dlugosc, std::size_t i)
{
    const unsigned drugi = NaKoncu && i + 1 >= dlugosc ? 0u : tekst[i + 1];
    if (!Kontynuacja(drugi)) {
        return false;
    }
    const unsigned litera = tablice.literaUtf8[(tekst[i] - 0xC0u) * 64 + (drugi - 0x80)];
    if (litera == ZADNA_LITERA) {
        return false;
    }
    const unsigned poprzedni = i == 0 ? poprzedni_ : tekst[i - 1];
    const unsigned nastepny = NaKoncu && i + 2 >= dlugosc ? 0u : tekst[i + 2];
    literyUtf8_[litera][tablice.klasa[poprzedni] * 4 + tablice.klasa[nastepny]]++;
    literyUtf8PrzedLitera_[litera][tablice.literaAscii[poprzedni]]++;
    literyUtf8PoLiterze_[litera][tablice.literaAscii[nastepny]]++;
    return true;
}

template <bool NaKoncu>
void LicznikiBajtow::policzBajt(const TabliceRozpoznawania& tablice, const unsigned char* tekst,
                                std::size_t dlugosc, std::size_t i, std::size_t& pominDo)
{
    // Past the end of the text stands nothing: no neighbour, no continuation.
    const auto bajt = [&](std::size_t j) -> unsigned {
        if constexpr (NaKoncu) {
            return j < dlugosc ? tekst[j] : 0u;
        } else {
            return tekst[j];
        }
    };
    const unsigned b = tekst[i];
    const unsigned poprzedni = i == 0 ? poprzedni_ : tekst[i - 1];
    const unsigned przed = tablice.klasa[poprzedni];
    const unsigned drugi = bajt(i + 1);
    bajty_[b - 0x80][przed * 4 + tablice.klasa[drugi]]++;
    bajtyPrzedLitera_[b - 0x80][tablice.literaAscii[poprzedni]]++;
    bajtyPoLiterze_[b - 0x80][tablice.literaAscii[drugi]]++;

    if (i < pominDo) {
        return;
    }
    pominDo = i + 1;
    // Settled at once for most bytes of a text that is no UTF-8, before the lengths.
    // Without branching on each part: in such a text either part fails at random.
    const unsigned dlugoscZnaku = tablice.dlugoscUtf8[b];
    const bool blad = (dlugoscZnaku == 0) | !Kontynuacja(drugi);
    bledneUtf8_ += blad;
    if (blad) {
        return;
    }
    switch (dlugoscZnaku) {
        case 2:
            // Polish letters never come here.
            ++obceUtf8_;
            pominDo = i + 2;
            return;
        case 3: {
            // No overlong forms, no surrogates.
            const unsigned od = b == 0xE0 ? 0xA0 : 0x80;
            const unsigned doBajtu = b == 0xED ? 0x9F : 0xBF;
            if (drugi >= od && drugi <= doBajtu && Kontynuacja(bajt(i + 2))) {
                ++obceUtf8_;
                pominDo = i + 3;
                return;
            }
            break;
        }
        case 4: {
            // No overlong forms, nothing beyond U+10FFFF.
            const unsigned od = b == 0xF0 ? 0x90 : 0x80;
            const unsigned doBajtu = b == 0xF4 ? 0x8F : 0xBF;
            if (drugi >= od && drugi <= doBajtu && Kontynuacja(bajt(i + 2)) && Kontynuacja(bajt(i + 3))) {
                ++obceUtf8_;
                pominDo = i + 4;
                return;
            }
            break;
        }
        default:
            break;
    }
    ++bledneUtf8_;
}

template <bool NaKoncu>
void LicznikiBajtow::przejdz(const unsigned char* tekst, std::size_t dlugosc, std::size_t pozycji)
{
    const TabliceRozpoznawania& tab = TabliceRozpoznawania::wspolne();
    std::size_t pominDo = doPominiecia_;
    // The first position not counted yet.
    std::size_t od = juzPoliczonych_;
    std::size_t i = 0;
    // Most bytes are ASCII: only those of 80 and above are visited, found by a vector pass
    // over a kilobyte at a time (more was slower), 64 to a mask. The Polish letters of a
    // UTF-8 text go first, each counted once, as a letter, its second byte not visited: what
    // its bytes count as bytes follows at the end (dolozBajtyLiterUtf8). A one-byte text
    // has no such letters and pays nothing for them.
    const ZnajdzWysokie znajdz = znajdzWysokie();
    std::array<MaskiWysokich, 16> maski;
    while (i + BLOK_MASKI <= pozycji) {
        const std::size_t blokow = std::min(maski.size(), (pozycji - i) / BLOK_MASKI);
        znajdz(tekst + i, blokow, maski.data());
        for (std::size_t k = 0; k < blokow; ++k, i += BLOK_MASKI) {
            std::uint64_t wysokie = maski[k].wysokie;
            std::uint64_t wiodace = maski[k].wiodace;
            if (od > i) {
                wysokie = bezPierwszych(wysokie, od - i);
                wiodace = bezPierwszych(wiodace, od - i);
            }
            for (; wiodace != 0; wiodace &= wiodace - 1) {
                const auto bit = std::countr_zero(wiodace);
                if (policzLitereUtf8<NaKoncu>(tab, tekst, dlugosc, i + static_cast<std::size_t>(bit))) {
                    wysokie &= ~(std::uint64_t{3} << bit);
                    od = i + static_cast<std::size_t>(bit) + 2;
                }
            }
            for (; wysokie != 0; wysokie &= wysokie - 1) {
                policzBajt<NaKoncu>(tab, tekst, dlugosc,
                                    i + static_cast<std::size_t>(std::countr_zero(wysokie)), pominDo);
            }
        }
    }
    for (i = std::max(i, od); i < pozycji; ++i) {
        if (moznaLiteraUtf8(tekst[i]) && policzLitereUtf8<NaKoncu>(tab, tekst, dlugosc, i)) {
            ++i;
        } else if ((tekst[i] & 0x80) != 0) {
            policzBajt<NaKoncu>(tab, tekst, dlugosc, i, pominDo);
        }
    }
    if (pozycji > 0) {
        poprzedni_ = tekst[pozycji - 1];
    }
    juzPoliczonych_ = std::max(i, od) - pozycji;
    doPominiecia_ = pominDo > pozycji ? pominDo - pozycji : 0;
}

void LicznikiBajtow::dodaj(const unsigned char* dane, std::size_t rozmiar)
{
    if (dlugoscOgona_ > 0) {
        // The waiting bytes followed by the start of the new piece.
        std::array<unsigned char, 2 * ZAPAS> szew{};
        std::memcpy(szew.data(), ogon_.data(), dlugoscOgona_);
        const std::size_t doloz = std::min(rozmiar, ZAPAS);
        std::memcpy(szew.data() + dlugoscOgona_, dane, doloz);
        const std::size_t razem = dlugoscOgona_ + doloz;
        if (doloz < ZAPAS) {
            const std::size_t gotowe = razem > ZAPAS ? razem - ZAPAS : 0;
            przejdz<false>(szew.data(), razem, gotowe);
            dlugoscOgona_ = razem - gotowe;
            std::memcpy(ogon_.data(), szew.data() + gotowe, dlugoscOgona_);
            return;
        }
        przejdz<false>(szew.data(), razem, dlugoscOgona_);
        dlugoscOgona_ = 0;
    }
    if (rozmiar > ZAPAS) {
        przejdz<false>(dane, rozmiar, rozmiar - ZAPAS);
        dane += rozmiar - ZAPAS;
        rozmiar = ZAPAS;
    }
    std::memcpy(ogon_.data(), dane, rozmiar);
    dlugoscOgona_ = rozmiar;
}

void LicznikiBajtow::zakoncz()
{
    przejdz<true>(ogon_.data(), dlugoscOgona_, dlugoscOgona_);
    dlugoscOgona_ = 0;
    dolozBajtyLiterUtf8();
    liczbaObecnych_ = 0;
    for (std::size_t b = 0; b < bajty_.size(); ++b) {
        if (std::any_of(bajty_[b].begin(), bajty_[b].end(), [](std::uint64_t n) { return n > 0; })) {
            obecne_[liczbaObecnych_++] = static_cast<std::uint8_t>(b);
        }
    }
}

void LicznikiBajtow::dolozBajtyLiterUtf8()
{
    const TabliceRozpoznawania& tab = TabliceRozpoznawania::wspolne();
    for (std::size_t litera = 0; litera < literyUtf8_.size(); ++litera) {
        const std::string_view znak = Litera(UTF8_INDEX, static_cast<int>(litera) + 1);
        const auto pierwszy = static_cast<unsigned char>(znak[0]);
        const auto drugi = static_cast<unsigned char>(znak[1]);
        auto& bajtyPierwszego = bajty_[pierwszy - 0x80u];
        auto& bajtyDrugiego = bajty_[drugi - 0x80u];
        std::uint64_t razem = 0;
        for (std::size_t kontekst = 0; kontekst < model::LICZBA_KONTEKSTOW; ++kontekst) {
            const std::uint64_t ile = literyUtf8_[litera][kontekst];
            // The first byte has the letter's left neighbour and the second byte on its
            // right; the second has the first on its left and the letter's right neighbour.
            bajtyPierwszego[kontekst / 4 * 4 + tab.klasa[drugi]] += ile;
            bajtyDrugiego[tab.klasa[pierwszy] * 4u + kontekst % 4] += ile;
            razem += ile;
        }
        for (std::size_t a = 0; a < SASIEDNICH_LITER; ++a) {
            bajtyPrzedLitera_[pierwszy - 0x80u][a] += literyUtf8PrzedLitera_[litera][a];
            bajtyPoLiterze_[drugi - 0x80u][a] += literyUtf8PoLiterze_[litera][a];
        }
        bajtyPoLiterze_[pierwszy - 0x80u][tab.literaAscii[drugi]] += razem;
        bajtyPrzedLitera_[drugi - 0x80u][tab.literaAscii[pierwszy]] += razem;
    }
}

double LicznikiBajtow::wynikJednobajtowy(int standard) const
{
    const auto& litera = TabliceRozpoznawania::wspolne().litera[static_cast<std::size_t>(standard)];
    double suma = 0;
    for (const std::size_t b : obecne()) {
        const std::size_t wiersz = litera[b] == ZADNA_LITERA ? model::INNY : litera[b];
        suma += wynikZnaku(wiersz, bajty_[b], bajtyPrzedLitera_[b], bajtyPoLiterze_[b]);
    }
    return suma;
}

double LicznikiBajtow::wynikUtf8() const
{
    double suma = static_cast<double>(obceUtf8_) * model::LOG_CZESTOSC_INNEGO +
                  static_cast<double>(bledneUtf8_) * LOG_BLEDNEGO_UTF8;
    for (std::size_t litera = 0; litera < literyUtf8_.size(); ++litera) {
        suma += wynikZnaku(litera, literyUtf8_[litera], literyUtf8PrzedLitera_[litera],
                           literyUtf8PoLiterze_[litera]);
    }
    return suma;
}

std::uint64_t LicznikiBajtow::liter(int standard) const
{
    std::uint64_t suma = 0;
    if (standard == UTF8_INDEX) {
        for (const auto& wiersz : literyUtf8_) {
            for (const std::uint64_t liczba : wiersz) {
                suma += liczba;
            }
        }
        return suma;
    }
    const auto& litera = TabliceRozpoznawania::wspolne().litera[static_cast<std::size_t>(standard)];
    for (const std::size_t b : obecne()) {
        if (litera[b] != ZADNA_LITERA) {
            for (const std::uint64_t liczba : bajty_[b]) {
                suma += liczba;
            }
        }
    }
    return suma;
}

bool LicznikiBajtow::czytaInaczej(int standard, int drugi) const
{
    if (standard == drugi) {
        return false;
    }
    if (standard == UTF8_INDEX || drugi == UTF8_INDEX) {
        // Letters of two bytes against letters of one: alike only when neither finds any.
        return liter(standard) > 0 || liter(drugi) > 0;
    }
    const auto& tab = TabliceRozpoznawania::wspolne();
    const auto& pierwszaLitera = tab.litera[static_cast<std::size_t>(standard)];
    const auto& drugaLitera = tab.litera[static_cast<std::size_t>(drugi)];
    return std::any_of(obecne().begin(), obecne().end(),
                       [&](std::uint8_t b) { return pierwszaLitera[b] != drugaLitera[b]; });
}

bool LicznikiBajtow::jedenZnakRozni(int standard, int drugi) const
{
    if (standard == UTF8_INDEX || drugi == UTF8_INDEX || standard == drugi) {
        return false;
    }
    const auto& tab = TabliceRozpoznawania::wspolne();
    const auto& pierwszaLitera = tab.litera[static_cast<std::size_t>(standard)];
    const auto& drugaLitera = tab.litera[static_cast<std::size_t>(drugi)];
    std::uint64_t znakow = 0;
    for (const std::uint8_t b : obecne()) {
        if (pierwszaLitera[b] != drugaLitera[b]) {
            for (const std::uint64_t liczba : bajty_[b]) {
                znakow += liczba;
            }
        }
    }
    return znakow == 1;
}

bool LicznikiBajtow::tylkoLitery(int standard) const
{
    const auto& tab = TabliceRozpoznawania::wspolne();
    const auto& litera = tab.litera[static_cast<std::size_t>(standard)];
    const auto& obca = tab.obcaLitera[static_cast<std::size_t>(standard)];
    return std::all_of(obecne().begin(), obecne().end(),
                       [&](std::uint8_t b) { return litera[b] != ZADNA_LITERA || obca[b]; });
}

std::size_t LicznikiBajtow::rodzajowZnakow() const
{
    std::array<bool, 128> bajtLitery{};
    std::size_t rodzajow = 0;
    for (std::size_t litera = 0; litera < literyUtf8_.size(); ++litera) {
        if (std::any_of(literyUtf8_[litera].begin(), literyUtf8_[litera].end(),
                        [](std::uint64_t n) { return n > 0; })) {
            ++rodzajow;
            for (const char bajt : Litera(UTF8_INDEX, static_cast<int>(litera) + 1)) {
                bajtLitery[static_cast<unsigned char>(bajt) - 0x80u] = true;
            }
        }
    }
    for (const std::uint8_t b : obecne()) {
        rodzajow += !bajtLitery[b];
    }
    return rodzajow;
}

}  // namespace engine
