#include "engine/rozpoznawanie.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace znakomat {

namespace {

constexpr std::uint8_t ZADNA_LITERA = LICZBA_LITER;

// A byte that cannot stand where it does in UTF-8 is far rarer in a UTF-8 file than the
// rarest letter of the model in its least likely place.
constexpr double LOG_BLEDNEGO_UTF8 = -30.0;

bool kontynuacja(unsigned bajt)
{
    return (bajt & 0xC0) == 0x80;
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
    }
};

const Rozpoznawacz::Tablice& Rozpoznawacz::tablice()
{
    static const Tablice tablice;
    return tablice;
}

template <bool NaKoncu>
std::size_t Rozpoznawacz::policzBajt(const Tablice& tablice, const unsigned char* tekst, std::size_t dlugosc,
                                     std::size_t i, std::size_t pominDo)
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
        return pominDo;
    }
    pominDo = i + 1;
    // Settled at once for most bytes of a text that is no UTF-8, before the lengths.
    // Without branching on each part: in such a text either part fails at random.
    const unsigned dlugoscZnaku = tablice.dlugoscUtf8[b];
    const bool blad = (dlugoscZnaku == 0) | !kontynuacja(drugi);
    bledneUtf8_ += blad;
    if (blad) {
        return pominDo;
    }
    switch (dlugoscZnaku) {
        case 2: {
            const unsigned litera = tablice.literaUtf8[(b - 0xC0) * 64 + (drugi - 0x80)];
            if (litera != ZADNA_LITERA) {
                const unsigned nastepny = bajt(i + 2);
                literyUtf8_[litera][przed * 4 + tablice.klasa[nastepny]]++;
                literyUtf8PrzedLitera_[litera][tablice.literaAscii[poprzedni]]++;
                literyUtf8PoLiterze_[litera][tablice.literaAscii[nastepny]]++;
            } else {
                ++obceUtf8_;
            }
            pominDo = i + 2;
            return pominDo;
        }
        case 3: {
            // No overlong forms, no surrogates.
            const unsigned od = b == 0xE0 ? 0xA0 : 0x80;
            const unsigned doBajtu = b == 0xED ? 0x9F : 0xBF;
            if (drugi >= od && drugi <= doBajtu && kontynuacja(bajt(i + 2))) {
                ++obceUtf8_;
                pominDo = i + 3;
                return pominDo;
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
                return pominDo;
            }
            break;
        }
        default:
            break;
    }
    ++bledneUtf8_;
    return pominDo;
}

template <bool NaKoncu>
void Rozpoznawacz::przejdz(const unsigned char* tekst, std::size_t dlugosc, std::size_t pozycji)
{
    const Tablice& tab = tablice();
    std::size_t pominDo = doPominiecia_;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Most bytes are ASCII: 64 at a time, visiting only those of 80 and above.
    for (; i + 64 <= pozycji; i += 64) {
        std::uint64_t maska = 0;
        for (int czesc = 0; czesc < 4; ++czesc) {
            const __m128i blok = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tekst + i + 16 * czesc));
            maska |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(blok)))
                     << (16 * czesc);
        }
        while (maska != 0) {
            pominDo = policzBajt<NaKoncu>(tab, tekst, dlugosc,
                                          i + static_cast<std::size_t>(std::countr_zero(maska)), pominDo);
            maska &= maska - 1;
        }
    }
#endif
    for (; i < pozycji; ++i) {
        if (tekst[i] & 0x80) {
            pominDo = policzBajt<NaKoncu>(tab, tekst, dlugosc, i, pominDo);
        }
    }
    if (pozycji > 0) {
        poprzedni_ = tekst[pozycji - 1];
    }
    doPominiecia_ = pominDo > pozycji ? pominDo - pozycji : 0;
}

void Rozpoznawacz::dodaj(std::string_view kawalek)
{
    const auto* dane = reinterpret_cast<const unsigned char*>(kawalek.data());
    std::size_t rozmiar = kawalek.size();
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

Rozpoznanie Rozpoznawacz::ocen() const
{
    Rozpoznanie rozpoznanie{Werdykt::Rozpoznany, {}, {}};
    for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
        if (standard != BRAK) {
            rozpoznanie.ranking.push_back(
                {standard, standard == UTF8_INDEX ? wynikUtf8() : wynikJednobajtowy(standard)});
        }
    }
    std::stable_sort(rozpoznanie.ranking.begin(), rozpoznanie.ranking.end(),
                     [](const Kandydat& a, const Kandydat& b) { return a.wynik > b.wynik; });
    const Kandydat& pierwszy = rozpoznanie.ranking.front();
    for (const Kandydat& kandydat : rozpoznanie.ranking) {
        if (pierwszy.wynik - kandydat.wynik > PROG_BLISKOSCI) {
            break;
        }
        // One of several standards that read the text alike stands for them all.
        const auto inaczej = [&](int inny) { return czytaInaczej(kandydat.standard, inny); };
        if (inaczej(pierwszy.standard) &&
            std::all_of(rozpoznanie.bliskie.begin(), rozpoznanie.bliskie.end(), inaczej)) {
            rozpoznanie.bliskie.push_back(kandydat.standard);
        }
    }
    if (!rozpoznanie.bliskie.empty()) {
        rozpoznanie.werdykt = Werdykt::Niejednoznaczny;
    } else if (liter(pierwszy.standard) == 0) {
        rozpoznanie.werdykt = Werdykt::BezPolskichLiter;
    }
    return rozpoznanie;
}

Rozpoznanie RozpoznajStandard(std::string_view tekst)
{
    Rozpoznawacz rozpoznawacz;
    rozpoznawacz.dodaj(tekst);
    return rozpoznawacz.wynik();
}

}  // namespace znakomat
