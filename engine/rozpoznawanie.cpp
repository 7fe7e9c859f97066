#include "engine/rozpoznawanie.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

#include "engine/ngramy_polszczyzny.h"

#include "engine/przebieg.h"
#include "engine/strona.h"
#include "engine/wszystkie_znaki.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(ZNAKOMAT_SIMD_X86)
#include <immintrin.h>
#endif

namespace engine {

namespace {

constexpr std::uint8_t ZADNA_LITERA = LICZBA_LITER;

// Bytes of one mask of the vector pass.
constexpr std::size_t BLOK = 64;

// A byte that cannot stand where it does in UTF-8 is far rarer in a UTF-8 file than the
// rarest letter of the model in its least likely place.
constexpr double LOG_BLEDNEGO_UTF8 = -30.0;

// How much the words and their case count beside the counts by neighbours; with
// PROG_BLISKOSCI chosen on held-out text, so that few wrong choices go without a note and
// most notes are due.
constexpr double WAGA_SLOW = 1.5;
constexpr double WAGA_KSZTALTU = 0.5;
// A word whose case is mixed only because of how a reading takes its bytes of 80 and above
// (KRYPTOGRAFICZNą, zrobĘ) is that reading's fault, not the writer's: the case model alone,
// learned from prose where such words are rare but not absent, let a few through.
constexpr double KARA_MIESZANEJ_WIELKOSCI = 12.0;

bool kontynuacja(unsigned bajt)
{
    return (bajt & 0xC0) == 0x80;
}

// A word is a run of ASCII letters and bytes of 80 and above, which are letters in some
// standard.
bool bajtSlowa(unsigned bajt)
{
    return bajt >= 0x80 || ((bajt | 0x20) >= 'a' && (bajt | 0x20) <= 'z');
}

std::size_t nastepnyWysoki(const unsigned char* dane, std::size_t od, std::size_t rozmiar)
{
#if defined(__SSE2__)
    for (; od + 16 <= rozmiar; od += 16) {
        const auto maska = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dane + od))));
        if (maska != 0) {
            return od + static_cast<std::size_t>(std::countr_zero(maska));
        }
    }
#endif
    while (od < rozmiar && dane[od] < 0x80) {
        ++od;
    }
    return od;
}

// The Polish letters in UTF-8, U+00D3 to U+017C, begin with these bytes.
constexpr unsigned PIERWSZY_BAJT_LITERY_UTF8 = 0xC3;
constexpr unsigned OSTATNI_BAJT_LITERY_UTF8 = 0xC5;

bool moznaLiteraUtf8(unsigned bajt)
{
    return bajt - PIERWSZY_BAJT_LITERY_UTF8 <= OSTATNI_BAJT_LITERY_UTF8 - PIERWSZY_BAJT_LITERY_UTF8;
}

// Of 64 bytes, bit k set for byte k when it is 80 or above, and when it may begin a Polish
// letter in UTF-8.
struct Maski {
    std::uint64_t wysokie;
    std::uint64_t wiodace;
};

using ZnajdzWysokie = void (*)(const unsigned char* tekst, std::size_t blokow, Maski* maski);

void znajdzWysokieZwykle(const unsigned char* tekst, std::size_t blokow, Maski* maski)
{
    constexpr std::uint64_t WYSOKIE_BITY = 0x8080808080808080;
    for (std::size_t j = 0; j < blokow; ++j, tekst += BLOK) {
        Maski m{0, 0};
        for (std::size_t k = 0; k < BLOK / 8; ++k) {
            std::uint64_t slowo = 0;
            for (std::size_t b = 8; b-- > 0;) {
                slowo = slowo << 8 | tekst[8 * k + b];
            }
            // The high bits of eight bytes gathered into one byte, the first byte's lowest,
            // by a multiplication whose partial products never meet.
            m.wysokie |= ((slowo & WYSOKIE_BITY) >> 7) * 0x0102040810204080 >> 56 << (8 * k);
        }
        for (std::uint64_t w = m.wysokie; w != 0; w &= w - 1) {
            const auto bit = std::countr_zero(w);
            m.wiodace |= std::uint64_t{moznaLiteraUtf8(tekst[bit])} << bit;
        }
        maski[j] = m;
    }
}

#if defined(ZNAKOMAT_SIMD_X86)
void znajdzWysokieSse2(const unsigned char* tekst, std::size_t blokow, Maski* maski)
{
    const __m128i pierwszy = _mm_set1_epi8(static_cast<char>(PIERWSZY_BAJT_LITERY_UTF8));
    const __m128i rozpietosc = _mm_set1_epi8(OSTATNI_BAJT_LITERY_UTF8 - PIERWSZY_BAJT_LITERY_UTF8);
    for (std::size_t j = 0; j < blokow; ++j, tekst += BLOK) {
        Maski m{0, 0};
        for (int k = 0; k < 4; ++k) {
            const __m128i bajty = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tekst + 16 * k));
            // byte - C3 no more than C5 - C3, unsigned
            const __m128i odPierwszego = _mm_sub_epi8(bajty, pierwszy);
            const __m128i wiodace = _mm_cmpeq_epi8(_mm_min_epu8(odPierwszego, rozpietosc), odPierwszego);
            m.wysokie |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(bajty))} << (16 * k);
            m.wiodace |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(wiodace))} << (16 * k);
        }
        maski[j] = m;
    }
}

__attribute__((target("avx2"))) void znajdzWysokieAvx2(const unsigned char* tekst, std::size_t blokow,
                                                       Maski* maski)
{
    const __m256i pierwszy = _mm256_set1_epi8(static_cast<char>(PIERWSZY_BAJT_LITERY_UTF8));
    const __m256i rozpietosc = _mm256_set1_epi8(OSTATNI_BAJT_LITERY_UTF8 - PIERWSZY_BAJT_LITERY_UTF8);
    for (std::size_t j = 0; j < blokow; ++j, tekst += BLOK) {
        Maski m{0, 0};
        for (int k = 0; k < 2; ++k) {
            const __m256i bajty = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tekst + 32 * k));
            const __m256i odPierwszego = _mm256_sub_epi8(bajty, pierwszy);
            const __m256i wiodace =
                _mm256_cmpeq_epi8(_mm256_min_epu8(odPierwszego, rozpietosc), odPierwszego);
            m.wysokie |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(bajty))} << (32 * k);
            m.wiodace |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(wiodace))} << (32 * k);
        }
        maski[j] = m;
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
    return ile < BLOK ? maska & (~std::uint64_t{0} << ile) : 0;
}

// The n-grams by key, for a few steps per look-up where a search would take fifteen.
class TablicaNGramow {
public:
    TablicaNGramow()
    {
        std::size_t rozmiar = 1;
        // At most 70 % full, each key beside its value: a few steps past a key's place, each
        // in one cache line, in 1 MB for the table.
        while (rozmiar * 7 < model::NGRAMY.size() * 10) {
            rozmiar *= 2;
        }
        miejsca_.assign(rozmiar, model::NGram{0, 0.0f});
        for (const model::NGram& ngram : model::NGRAMY) {
            std::size_t i = miejsce(ngram.klucz);
            while (miejsca_[i].klucz != 0) {
                i = (i + 1) & (rozmiar - 1);
            }
            miejsca_[i] = ngram;
        }
    }

    // Log-likelihood of symbol s[i] after the (up to) four before it: from the longest
    // context it was seen after, with the share each longer context leaves to symbols it
    // was never seen with.
    double log(const std::uint8_t* s, std::size_t i) const
    {
        double udzial = 0;
        for (int rzad = model::RZAD_NGRAMU; rzad >= 1; --rzad) {
            const std::size_t od = i + 1 - static_cast<std::size_t>(rzad);
            std::uint32_t klucz = static_cast<std::uint32_t>(rzad);
            std::uint32_t kluczKontekstu = static_cast<std::uint32_t>(model::RZAD_NGRAMU + rzad - 1);
            for (std::size_t j = od; j <= i; ++j) {
                klucz = klucz * model::LICZBA_SYMBOLI + s[j];
                if (j < i) {
                    kluczKontekstu = kluczKontekstu * model::LICZBA_SYMBOLI + s[j];
                }
            }
            if (const float* log = znajdz(klucz)) {
                return udzial + *log;
            }
            if (const float* log = rzad > 1 ? znajdz(kluczKontekstu) : nullptr) {
                udzial += *log;
            }
        }
        return udzial;  // not reached: every symbol alone has its entry
    }

private:
    const float* znajdz(std::uint32_t klucz) const
    {
        for (std::size_t k = miejsce(klucz); miejsca_[k].klucz != 0; k = (k + 1) & (miejsca_.size() - 1)) {
            if (miejsca_[k].klucz == klucz) {
                return &miejsca_[k].log;
            }
        }
        return nullptr;
    }

    std::size_t miejsce(std::uint32_t klucz) const
    {
        return static_cast<std::size_t>((klucz * 2654435761u) >> 7) & (miejsca_.size() - 1);
    }

    std::vector<model::NGram> miejsca_;  // key 0 where empty: no key is
};

const TablicaNGramow& tablicaNGramow()
{
    static const TablicaNGramow tablica;
    return tablica;
}

}  // namespace

struct Rozpoznawacz::Tablice {
    std::array<std::uint8_t, 256> klasa{};
    // a..z for either case, SASIEDNICH_LITER - 1 for any other byte
    std::array<std::uint8_t, 256> literaAscii{};
    // [standard][byte - 0x80]: the letter 0..17 the byte stands for, or ZADNA_LITERA
    std::array<std::array<std::uint8_t, 128>, LICZBA_STANDARDOW> litera{};
    // [first byte - 0xC0][second byte - 0x80]
    std::array<std::uint8_t, 64 * 64> literaUtf8{};
    // Length of the UTF-8 character a byte begins; 0 for a byte that begins none.
    std::array<std::uint8_t, 256> dlugoscUtf8{};
    // [standard][byte - 0x80]: a letter of a code page's own that is no Polish one.
    std::array<std::array<bool, 128>, LICZBA_STANDARDOW> obcaLitera{};

    Tablice()
    {
        for (unsigned b = 0; b < 256; ++b) {
            klasa[b] = b >= 0x80              ? model::NIE_ASCII
                       : b >= 'a' && b <= 'z' ? model::MALA_ASCII
                       : b >= 'A' && b <= 'Z' ? model::WIELKA_ASCII
                                              : model::BRAK_SASIADA;
            literaAscii[b] =
                static_cast<std::uint8_t>(klasa[b] == model::MALA_ASCII     ? b - 'a'
                                          : klasa[b] == model::WIELKA_ASCII ? b - 'A'
                                                                            : SASIEDNICH_LITER - 1);
            dlugoscUtf8[b] = b >= 0xC2 && b <= 0xDF   ? 2
                             : b >= 0xE0 && b <= 0xEF ? 3
                             : b >= 0xF0 && b <= 0xF4 ? 4
                                                      : 0;
        }
        for (auto& wiersz : litera) {
            wiersz.fill(ZADNA_LITERA);
        }
        literaUtf8.fill(ZADNA_LITERA);
        for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
            // Of two equal entries the lower position wins, as in the conversion.
            for (int pozycja = LICZBA_LITER; pozycja >= 1; --pozycja) {
                const std::string_view znak = Litera(standard, pozycja);
                const auto pierwszy = static_cast<unsigned char>(znak[0]);
                const auto numer = static_cast<std::uint8_t>(pozycja - 1);
                if (standard == UTF8_INDEX) {
                    literaUtf8[(pierwszy - 0xC0u) * 64 + (static_cast<unsigned char>(znak[1]) - 0x80u)] =
                        numer;
                } else if (pierwszy >= 0x80) {
                    litera[static_cast<std::size_t>(standard)][pierwszy - 0x80u] = numer;
                }
            }
        }
        for (const int strona : StronyKodowe()) {
            if (strona != UTF8_INDEX) {
                zapiszObceLitery(strona);
            }
        }
    }

    void zapiszObceLitery(int strona)
    {
        // Latin letters: U+00C0 to U+024F without × and ÷.
        const auto lacinska = [](char32_t z) { return z >= 0xC0 && z <= 0x24F && z != 0xD7 && z != 0xF7; };
        try {
            const std::optional<Strona> znaki = StronaStandardu(strona);
            for (unsigned b = 0x80; b < 0x100; ++b) {
                obcaLitera[static_cast<std::size_t>(strona)][b - 0x80] =
                    znaki && lacinska(znaki->znaki[b]) &&
                    litera[static_cast<std::size_t>(strona)][b - 0x80] == ZADNA_LITERA;
            }
        } catch (const std::exception&) {
            // Without the system's table of the page its foreign letters are unknown: a
            // byte outside the Polish letters then counts as no letter.
            obcaLitera[static_cast<std::size_t>(strona)].fill(false);
        }
    }
};

const Rozpoznawacz::Tablice& Rozpoznawacz::tablice()
{
    static const Tablice tablice;
    return tablice;
}

template <bool NaKoncu>
bool Rozpoznawacz::policzLitereUtf8(const Tablice& tablice, const unsigned char* tekst, std::size_t dlugosc,
                                    std::size_t i)
{
    const unsigned drugi = NaKoncu && i + 1 >= dlugosc ? 0u : tekst[i + 1];
    if (!kontynuacja(drugi)) {
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
void Rozpoznawacz::policzBajt(const Tablice& tablice, const unsigned char* tekst, std::size_t dlugosc,
                              std::size_t i, std::size_t& pominDo)
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
    const bool blad = (dlugoscZnaku == 0) | !kontynuacja(drugi);
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
            if (drugi >= od && drugi <= doBajtu && kontynuacja(bajt(i + 2))) {
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
            if (drugi >= od && drugi <= doBajtu && kontynuacja(bajt(i + 2)) && kontynuacja(bajt(i + 3))) {
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
void Rozpoznawacz::przejdz(const unsigned char* tekst, std::size_t dlugosc, std::size_t pozycji)
{
    const Tablice& tab = tablice();
    std::size_t pominDo = doPominiecia_;
    // The first position not counted yet.
    std::size_t od = juzPoliczonych_;
    std::size_t i = 0;
    // Most bytes are ASCII: only those of 80 and above are visited, found by a vector pass
    // over a kilobyte at a time (more was slower), 64 to a mask. The Polish letters of a
    // UTF-8 text go first, each counted once, as a letter, its second byte not visited: what
    // its bytes count as bytes follows when the verdict is taken (dolozBajtyLiterUtf8). A
    // one-byte text has no such letters and pays nothing for them.
    const ZnajdzWysokie znajdz = znajdzWysokie();
    std::array<Maski, 16> maski;
    while (i + BLOK <= pozycji) {
        const std::size_t blokow = std::min(maski.size(), (pozycji - i) / BLOK);
        znajdz(tekst + i, blokow, maski.data());
        for (std::size_t k = 0; k < blokow; ++k, i += BLOK) {
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

void Rozpoznawacz::dolozBajtyLiterUtf8()
{
    const Tablice& tab = tablice();
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

void Rozpoznawacz::dopiszDoSlowa(const unsigned char* od, std::size_t ile)
{
    for (std::size_t k = 0; k < ile; ++k) {
        slowoMaWysoki_ |= od[k] >= 0x80;
    }
    if (slowoZaDlugie_ || dlugoscSlowa_ + ile > MAKS_SLOWA) {
        slowoZaDlugie_ = true;
        return;
    }
    std::memcpy(slowo_.data() + dlugoscSlowa_, od, ile);
    dlugoscSlowa_ += ile;
}

void Rozpoznawacz::zamknijSlowo(bool naKoncuTekstu)
{
    if (slowoMaWysoki_ && !slowoZaDlugie_) {
        if (dlugoscSlow_ + 2 + dlugoscSlowa_ > slowa_.size()) {
            slowaPelne_ = true;
        } else {
            slowa_[dlugoscSlow_++] =
                static_cast<unsigned char>(dlugoscSlowa_ | (naKoncuTekstu ? SLOWO_UCIETE : 0u));
            slowa_[dlugoscSlow_++] = kontekstSlowa_;
            std::memcpy(slowa_.data() + dlugoscSlow_, slowo_.data(), dlugoscSlowa_);
            dlugoscSlow_ += dlugoscSlowa_;
        }
    }
    dlugoscSlowa_ = 0;
    slowoOtwarte_ = slowoZaDlugie_ = slowoMaWysoki_ = false;
}

void Rozpoznawacz::zbierzSlowa(const unsigned char* dane, std::size_t rozmiar)
{
    if (slowaPelne_ || rozmiar == 0) {
        return;
    }
    std::size_t i = 0;
    if (slowoOtwarte_) {
        while (i < rozmiar && bajtSlowa(dane[i])) {
            ++i;
        }
        dopiszDoSlowa(dane, i);
        if (i == rozmiar) {
            return;
        }
        zamknijSlowo();
    }
    while (!slowaPelne_) {
        const std::size_t wysoki = nastepnyWysoki(dane, i, rozmiar);
        if (wysoki == rozmiar) {
            break;
        }
        // Bytes before `i` end in no letter: the word begins at or after it.
        std::size_t poczatek = wysoki;
        while (poczatek > i && bajtSlowa(dane[poczatek - 1])) {
            --poczatek;
        }
        std::size_t koniec = wysoki + 1;
        while (koniec < rozmiar && bajtSlowa(dane[koniec])) {
            ++koniec;
        }
        kontekstSlowa_ = kontekstSlowa(dane, poczatek);
        dopiszDoSlowa(dane + poczatek, koniec - poczatek);
        if (koniec == rozmiar) {
            slowoOtwarte_ = true;
            return;
        }
        zamknijSlowo();
        i = koniec;
    }
    if (slowaPelne_) {
        return;
    }
    // Letters at the end may begin a word the next piece goes on with.
    std::size_t poczatek = rozmiar;
    while (poczatek > i && bajtSlowa(dane[poczatek - 1])) {
        --poczatek;
    }
    if (poczatek < rozmiar) {
        kontekstSlowa_ = kontekstSlowa(dane, poczatek);
        dopiszDoSlowa(dane + poczatek, rozmiar - poczatek);
        slowoOtwarte_ = true;
    }
}

namespace {

// Shape of a word (model::KSZTALT_...) of `liter` letters, `wielkich` of them capitals.
int ksztaltSlowa(std::size_t liter, std::size_t wielkich, bool pierwszaWielka)
{
    if (wielkich == 0) {
        return model::KSZTALT_MALE;
    }
    if (pierwszaWielka && wielkich == 1) {
        return model::KSZTALT_PIERWSZA;
    }
    return wielkich == liter ? model::KSZTALT_WIELKIE : model::KSZTALT_MIESZANY;
}

bool wielkaAscii(unsigned bajt)
{
    return bajt >= 'A' && bajt <= 'Z';
}

// The letters of a word, in order, as far as its shape needs them.
struct LiteryKsztaltu {
    std::size_t liter = 0;
    std::size_t wielkich = 0;
    bool pierwszaWielka = false;

    void dodaj(bool wielka)
    {
        pierwszaWielka |= liter == 0 && wielka;
        ++liter;
        wielkich += wielka;
    }

    int ksztalt() const { return ksztaltSlowa(liter, wielkich, pierwszaWielka); }
};

}  // namespace

std::uint8_t Rozpoznawacz::kontekstSlowa(const unsigned char* dane, std::size_t poczatek) const
{
    // The byte k places before the word, k from 1, from this piece or the ones before.
    const auto przed = [&](std::size_t k) -> unsigned {
        return k <= poczatek ? dane[poczatek - k] : przed_[dlugoscPrzed_ - (k - poczatek)];
    };
    const std::size_t zasieg = std::min<std::size_t>(model::ZASIEG_KONTEKSTU_SLOWA, poczatek + dlugoscPrzed_);
    std::size_t k = 1;
    int odstep = model::ODSTEP_ZWYKLY;
    for (; k <= zasieg && !bajtSlowa(przed(k)); ++k) {
        const unsigned b = przed(k);
        if (b == '\n') {
            odstep = model::ODSTEP_NOWY_WIERSZ;
        } else if (odstep == model::ODSTEP_ZWYKLY &&
                   (b == '.' || b == '!' || b == '?' || b == ':' || b == ';')) {
            odstep = model::ODSTEP_KONIEC_ZDANIA;
        }
    }
    const std::size_t koniecSlowa = k;
    while (k <= zasieg && bajtSlowa(przed(k))) {
        ++k;
    }
    if (k == koniecSlowa) {
        return 0;
    }
    // Its ASCII letters from its first byte on: what a byte above 80 is depends on the standard.
    LiteryKsztaltu litery;
    for (std::size_t j = k - 1; j >= koniecSlowa; --j) {
        if (przed(j) < 0x80) {
            litery.dodaj(wielkaAscii(przed(j)));
        }
    }
    const int ksztalt = litery.liter == 0 ? model::BEZ_LITER_ASCII : litery.ksztalt();
    return static_cast<std::uint8_t>(1 + 3 * ksztalt + odstep);
}

void Rozpoznawacz::zapamietajKoniec(const unsigned char* dane, std::size_t rozmiar)
{
    if (rozmiar >= przed_.size()) {
        std::memcpy(przed_.data(), dane + rozmiar - przed_.size(), przed_.size());
        dlugoscPrzed_ = przed_.size();
        return;
    }
    const std::size_t zostaje = std::min(dlugoscPrzed_, przed_.size() - rozmiar);
    std::memmove(przed_.data(), przed_.data() + dlugoscPrzed_ - zostaje, zostaje);
    std::memcpy(przed_.data() + zostaje, dane, rozmiar);
    dlugoscPrzed_ = zostaje + rozmiar;
}

void Rozpoznawacz::dodaj(std::string_view kawalek)
{
    const auto* dane = reinterpret_cast<const unsigned char*>(kawalek.data());
    std::size_t rozmiar = kawalek.size();
    zbierzSlowa(dane, rozmiar);
    if (!slowaPelne_) {
        zapamietajKoniec(dane, rozmiar);
    }
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

Rozpoznanie Rozpoznawacz::wynik() const
{
    Rozpoznawacz calosc = *this;
    calosc.przejdz<true>(ogon_.data(), dlugoscOgona_, dlugoscOgona_);
    if (calosc.slowoOtwarte_) {
        calosc.zamknijSlowo(true);
    }
    calosc.dolozBajtyLiterUtf8();
    calosc.liczbaObecnych_ = 0;
    for (std::size_t b = 0; b < bajty_.size(); ++b) {
        if (std::any_of(calosc.bajty_[b].begin(), calosc.bajty_[b].end(),
                        [](std::uint64_t n) { return n > 0; })) {
            calosc.obecne_[calosc.liczbaObecnych_++] = static_cast<std::uint8_t>(b);
        }
    }
    return calosc.ocen();
}

namespace {

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

double Rozpoznawacz::wynikJednobajtowy(int standard) const
{
    const auto& litera = tablice().litera[static_cast<std::size_t>(standard)];
    double suma = 0;
    for (std::size_t i = 0; i < liczbaObecnych_; ++i) {
        const std::size_t b = obecne_[i];
        const std::size_t wiersz = litera[b] == ZADNA_LITERA ? model::INNY : litera[b];
        suma += wynikZnaku(wiersz, bajty_[b], bajtyPrzedLitera_[b], bajtyPoLiterze_[b]);
    }
    return suma;
}

double Rozpoznawacz::wynikUtf8() const
{
    double suma = static_cast<double>(obceUtf8_) * model::LOG_CZESTOSC_INNEGO +
                  static_cast<double>(bledneUtf8_) * LOG_BLEDNEGO_UTF8;
    for (std::size_t litera = 0; litera < literyUtf8_.size(); ++litera) {
        suma += wynikZnaku(litera, literyUtf8_[litera], literyUtf8PrzedLitera_[litera],
                           literyUtf8PoLiterze_[litera]);
    }
    return suma;
}

double Rozpoznawacz::wynikSlow(int standard, CzytanieSlow& czytanie) const
{
    czytanie = {};
    const Tablice& tab = tablice();
    const auto& obca = tab.obcaLitera[static_cast<std::size_t>(standard)];
    const TablicaNGramow& ngramy = tablicaNGramow();
    constexpr std::size_t KRAWEDZ = model::RZAD_NGRAMU - 1;
    std::array<std::uint8_t, KRAWEDZ + MAKS_SLOWA + 1> symbole{};
    // Position of the last symbol made from a byte of 80 and above, at or before each.
    std::array<std::size_t, KRAWEDZ + MAKS_SLOWA + 1> ostatniWysoki{};
    const auto symbolLitery = [](unsigned numer) {
        return numer == ZADNA_LITERA ? model::INNY_SYMBOL : model::PIERWSZA_POLSKA_LITERA + numer % 9;
    };
    double suma = 0;
    for (std::size_t p = 0; p < dlugoscSlow_;) {
        const std::size_t dlugosc = slowa_[p] & ~SLOWO_UCIETE;
        const bool uciete = (slowa_[p] & SLOWO_UCIETE) != 0;
        const std::size_t kontekst = slowa_[p + 1];
        const unsigned char* slowo = slowa_.data() + p + 2;
        p += 2 + dlugosc;
        LiteryKsztaltu litery;
        LiteryKsztaltu asciiLitery;
        bool polska = false;
        bool obcaWSlowie = false;
        std::size_t n = KRAWEDZ;
        std::size_t wysoki = 0;  // none: position 0 is an edge
        for (std::size_t i = 0; i < dlugosc;) {
            const unsigned b = slowo[i];
            std::size_t dlugoscZnaku = 1;
            int s = 0;
            unsigned numer = ZADNA_LITERA;
            if (b < 0x80) {
                s = model::PIERWSZA_LITERA_ASCII + static_cast<int>((b | 0x20) - 'a');
                litery.dodaj(wielkaAscii(b));
                asciiLitery.dodaj(wielkaAscii(b));
            } else if (standard != UTF8_INDEX) {
                numer = tab.litera[static_cast<std::size_t>(standard)][b - 0x80];
                s = symbolLitery(numer);
                obcaWSlowie |= obca[b - 0x80];
            } else {
                s = model::INNY_SYMBOL;
                const std::size_t d = tab.dlugoscUtf8[b];
                if (d > 0 && i + d <= dlugosc &&
                    std::all_of(slowo + i + 1, slowo + i + d,
                                [](unsigned char c) { return kontynuacja(c); })) {
                    dlugoscZnaku = d;
                    if (d == 2) {
                        numer = tab.literaUtf8[(b - 0xC0) * 64 + (slowo[i + 1] - 0x80u)];
                        s = symbolLitery(numer);
                    }
                }
            }
            if (numer != ZADNA_LITERA) {
                litery.dodaj(numer < LICZBA_LITER / 2);  // the capitals first
                polska = true;
            }
            if (b >= 0x80) {
                wysoki = n;
            }
            symbole[n] = static_cast<std::uint8_t>(s);
            ostatniWysoki[n++] = wysoki;
            i += dlugoscZnaku;
        }
        if (!uciete) {
            symbole[n] = model::SYMBOL_KRAWEDZI;
            ostatniWysoki[n++] = wysoki;
        }
        // Only the symbols whose context holds one made from such a byte differ between
        // readings; the rest is the same in all.
        for (std::size_t i = KRAWEDZ; i < n; ++i) {
            if (ostatniWysoki[i] != 0 && ostatniWysoki[i] + KRAWEDZ >= i) {
                suma += WAGA_SLOW * ngramy.log(symbole.data(), i);
            }
        }
        if (litery.liter > 0) {
            const int ksztalt = litery.ksztalt();
            suma += WAGA_KSZTALTU * model::LOG_KSZTALTU[kontekst][static_cast<std::size_t>(ksztalt)];
            if (ksztalt == model::KSZTALT_MIESZANY && asciiLitery.ksztalt() != model::KSZTALT_MIESZANY) {
                suma -= KARA_MIESZANEJ_WIELKOSCI;
                czytanie.mieszanaWielkosc = true;
            }
        }
        czytanie.mieszanePismo |= polska && obcaWSlowie;
        czytanie.polskich += polska;
        czytanie.obcych += obcaWSlowie;
    }
    return suma;
}

std::uint64_t Rozpoznawacz::liter(int standard) const
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
    const auto& litera = tablice().litera[static_cast<std::size_t>(standard)];
    for (std::size_t i = 0; i < liczbaObecnych_; ++i) {
        const std::size_t b = obecne_[i];
        if (litera[b] != ZADNA_LITERA) {
            for (const std::uint64_t liczba : bajty_[b]) {
                suma += liczba;
            }
        }
    }
    return suma;
}

bool Rozpoznawacz::zwyczajny(int standard, const CzytanieSlow& czytanie) const
{
    if (czytanie.mieszanaWielkosc) {
        return false;
    }
    if (standard == UTF8_INDEX) {
        return bledneUtf8_ == 0;
    }
    // A foreign word or two among Polish ones ("Müller", "Noël") is ordinary; a text whose
    // words mostly take foreign letters, or mix them with Polish ones, is Polish read in
    // the wrong code page: AmigaPL or ELWRO-Junior in Windows-EE look like that.
    if (czytanie.mieszanePismo || czytanie.obcych > czytanie.polskich + 1) {
        return false;
    }
    const Tablice& tab = tablice();
    const auto& litera = tab.litera[static_cast<std::size_t>(standard)];
    const auto& obca = tab.obcaLitera[static_cast<std::size_t>(standard)];
    return std::all_of(obecne_.begin(), obecne_.begin() + static_cast<std::ptrdiff_t>(liczbaObecnych_),
                       [&](std::uint8_t b) { return litera[b] != ZADNA_LITERA || obca[b]; });
}

bool Rozpoznawacz::czytaInaczej(int standard, int drugi) const
{
    if (standard == drugi) {
        return false;
    }
    if (standard == UTF8_INDEX || drugi == UTF8_INDEX) {
        // Letters of two bytes against letters of one: alike only when neither finds any.
        return liter(standard) > 0 || liter(drugi) > 0;
    }
    const auto& pierwszaLitera = tablice().litera[static_cast<std::size_t>(standard)];
    const auto& drugaLitera = tablice().litera[static_cast<std::size_t>(drugi)];
    for (std::size_t i = 0; i < liczbaObecnych_; ++i) {
        const std::size_t b = obecne_[i];
        if (pierwszaLitera[b] != drugaLitera[b]) {
            return true;
        }
    }
    return false;
}

bool Rozpoznawacz::jedenZnakRozni(int standard, int drugi) const
{
    if (standard == UTF8_INDEX || drugi == UTF8_INDEX || standard == drugi) {
        return false;
    }
    const auto& pierwszaLitera = tablice().litera[static_cast<std::size_t>(standard)];
    const auto& drugaLitera = tablice().litera[static_cast<std::size_t>(drugi)];
    std::uint64_t znakow = 0;
    for (std::size_t i = 0; i < liczbaObecnych_; ++i) {
        const std::size_t b = obecne_[i];
        if (pierwszaLitera[b] != drugaLitera[b]) {
            for (const std::uint64_t liczba : bajty_[b]) {
                znakow += liczba;
            }
        }
    }
    return znakow == 1;
}

bool Rozpoznawacz::skapeDowody() const
{
    std::size_t slow = 0;
    for (std::size_t p = 0; p < dlugoscSlow_; p += 2 + (slowa_[p] & ~SLOWO_UCIETE)) {
        ++slow;
    }
    if (slow <= 1) {
        return !slowaPelne_;
    }
    // Kinds of characters with bytes of 80 and above: a UTF-8 letter is one, not its two bytes.
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
    for (std::size_t i = 0; i < liczbaObecnych_; ++i) {
        rodzajow += !bajtLitery[obecne_[i]];
    }
    return rodzajow <= 1 && slow <= NAJWIECEJ_SLOW_SKAPYCH;
}

Rozpoznanie Rozpoznawacz::ocen() const
{
    Rozpoznanie rozpoznanie{Werdykt::Rozpoznany, {}, {}};
    // Bytes that cannot be UTF-8, and no Polish letter in it: the text is in a one-byte
    // standard, and its few valid sequences are foreign characters pasted in or bytes that
    // happen to pair. Their reading must not hide its letters. A cut end makes one such byte.
    const bool nieUtf8 = bledneUtf8_ >= 2 && liter(UTF8_INDEX) == 0;
    for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
        if (standard == UTF8_INDEX && nieUtf8) {
            rozpoznanie.ranking.push_back({standard, -std::numeric_limits<double>::infinity()});
        } else if (standard != BRAK) {
            CzytanieSlow czytanie;
            const double slowa = wynikSlow(standard, czytanie);
            rozpoznanie.ranking.push_back(
                {standard, (standard == UTF8_INDEX ? wynikUtf8() : wynikJednobajtowy(standard)) + slowa,
                 zwyczajny(standard, czytanie), czytanie.obcych > 0});
        }
    }
    std::stable_sort(rozpoznanie.ranking.begin(), rozpoznanie.ranking.end(),
                     [](const Kandydat& a, const Kandydat& b) { return a.wynik > b.wynik; });
    const double prog = skapeDowody() ? PROG_SKAPYCH_DOWODOW : PROG_BLISKOSCI;
    const Kandydat& pierwszy = rozpoznanie.ranking.front();
    for (const Kandydat& kandydat : rozpoznanie.ranking) {
        const double roznica = pierwszy.wynik - kandydat.wynik;
        if (roznica > std::max(prog, PROG_JEDNEGO_ZNAKU)) {
            break;
        }
        // Two standards told apart by one character only are as close as thin evidence makes
        // them, at a bound of their own: one word of a name ("Dinadźpur") cannot tell them.
        if (roznica > prog &&
            (roznica > PROG_JEDNEGO_ZNAKU || !jedenZnakRozni(pierwszy.standard, kandydat.standard))) {
            continue;
        }
        // One of several standards that read the text alike stands for them all.
        const auto inaczej = [&](int inny) { return czytaInaczej(kandydat.standard, inny); };
        if (inaczej(pierwszy.standard) &&
            std::all_of(rozpoznanie.bliskie.begin(), rozpoznanie.bliskie.end(), inaczej)) {
            rozpoznanie.bliskie.push_back(kandydat.standard);
        }
    }
    if (rozpoznanie.bliskie.empty() && liter(pierwszy.standard) == 0) {
        // No letter in the likeliest reading is no proof of none: a reading with letters
        // not too far below it is named, so that such a text never passes unconverted
        // unnoticed.
        for (const Kandydat& kandydat : rozpoznanie.ranking) {
            if (pierwszy.wynik - kandydat.wynik > PROG_LITER) {
                break;
            }
            const auto inaczej = [&](int inny) { return czytaInaczej(kandydat.standard, inny); };
            if (liter(kandydat.standard) > 0 &&
                std::all_of(rozpoznanie.bliskie.begin(), rozpoznanie.bliskie.end(), inaczej)) {
                rozpoznanie.bliskie.push_back(kandydat.standard);
            }
        }
        if (rozpoznanie.bliskie.empty()) {
            rozpoznanie.werdykt = Werdykt::BezPolskichLiter;
        }
    }
    if (!rozpoznanie.bliskie.empty()) {
        rozpoznanie.werdykt = Werdykt::Niejednoznaczny;
    }
    return rozpoznanie;
}

Rozpoznanie RozpoznajStandard(std::string_view tekst)
{
    Rozpoznawacz rozpoznawacz;
    rozpoznawacz.dodaj(tekst);
    return rozpoznawacz.wynik();
}

}  // namespace engine
