#include "engine/rozpoznawanie.h"

#include <algorithm>
#include <limits>

namespace engine {

namespace {

// The reading is ordinary text (Kandydat::zwyczajny).
bool zwyczajny(const LicznikiBajtow& bajty, int standard, const CzytanieSlow& czytanie)
{
    if (czytanie.mieszanaWielkosc) {
        return false;
    }
    if (standard == UTF8_INDEX) {
        return bajty.bledneUtf8() == 0;
    }
    // A foreign word or two among Polish ones ("Müller", "Noël") is ordinary; a text whose
    // words mostly take foreign letters, or mix them with Polish ones, is Polish read in
    // the wrong code page: AmigaPL or ELWRO-Junior in Windows-EE look like that.
    if (czytanie.mieszanePismo || czytanie.obcych > czytanie.polskich + 1) {
        return false;
    }
    return bajty.tylkoLitery(standard);
}

// The text's evidence is one word, or one kind of character of 80 and above in a few.
bool skapeDowody(const LicznikiBajtow& bajty, const SlowaTekstu& slowa)
{
    const std::size_t slow = slowa.liczbaSlow();
    if (slow <= 1) {
        return !slowa.pelne();
    }
    return bajty.rodzajowZnakow() <= 1 && slow <= NAJWIECEJ_SLOW_SKAPYCH;
}

Rozpoznanie ocen(const LicznikiBajtow& bajty, const SlowaTekstu& slowa)
{
    Rozpoznanie rozpoznanie{Werdykt::Rozpoznany, {}, {}};
    // Bytes that cannot be UTF-8, and no Polish letter in it: the text is in a one-byte
    // standard, and its few valid sequences are foreign characters pasted in or bytes that
    // happen to pair. Their reading must not hide its letters. A cut end makes one such byte.
    const bool nieUtf8 = bajty.bledneUtf8() >= 2 && bajty.liter(UTF8_INDEX) == 0;
    for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
        if (standard == UTF8_INDEX && nieUtf8) {
            rozpoznanie.ranking.push_back({standard, -std::numeric_limits<double>::infinity()});
        } else if (standard != BRAK) {
            CzytanieSlow czytanie;
            const double wynikSlow = slowa.wynik(standard, czytanie);
            const double wynikBajtow =
                standard == UTF8_INDEX ? bajty.wynikUtf8() : bajty.wynikJednobajtowy(standard);
            rozpoznanie.ranking.push_back({standard, wynikBajtow + wynikSlow,
                                           zwyczajny(bajty, standard, czytanie), czytanie.obcych > 0});
        }
    }
    std::stable_sort(rozpoznanie.ranking.begin(), rozpoznanie.ranking.end(),
                     [](const Kandydat& a, const Kandydat& b) { return a.wynik > b.wynik; });
    const double prog = skapeDowody(bajty, slowa) ? PROG_SKAPYCH_DOWODOW : PROG_BLISKOSCI;
    const Kandydat& pierwszy = rozpoznanie.ranking.front();
    for (const Kandydat& kandydat : rozpoznanie.ranking) {
        const double roznica = pierwszy.wynik - kandydat.wynik;
        if (roznica > std::max(prog, PROG_JEDNEGO_ZNAKU)) {
            break;
        }
        // Two standards told apart by one character only are as close as thin evidence makes
        // them, at a bound of their own: one word of a name ("Dinadźpur") cannot tell them.
        if (roznica > prog &&
            (roznica > PROG_JEDNEGO_ZNAKU || !bajty.jedenZnakRozni(pierwszy.standard, kandydat.standard))) {
            continue;
        }
        // One of several standards that read the text alike stands for them all.
        const auto inaczej = [&](int inny) { return bajty.czytaInaczej(kandydat.standard, inny); };
        if (inaczej(pierwszy.standard) &&
            std::all_of(rozpoznanie.bliskie.begin(), rozpoznanie.bliskie.end(), inaczej)) {
            rozpoznanie.bliskie.push_back(kandydat.standard);
        }
    }
    if (rozpoznanie.bliskie.empty() && bajty.liter(pierwszy.standard) == 0) {
        // No letter in the likeliest reading is no proof of none: a reading with letters
        // not too far below it is named, so that such a text never passes unconverted
        // unnoticed.
        for (const Kandydat& kandydat : rozpoznanie.ranking) {
            if (pierwszy.wynik - kandydat.wynik > PROG_LITER) {
                break;
            }
            const auto inaczej = [&](int inny) { return bajty.czytaInaczej(kandydat.standard, inny); };
            if (bajty.liter(kandydat.standard) > 0 &&
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

}  // namespace

void Rozpoznawacz::dodaj(std::string_view kawalek)
{
    const auto* dane = reinterpret_cast<const unsigned char*>(kawalek.data());
    slowa_.dodaj(dane, kawalek.size());
    bajty_.dodaj(dane, kawalek.size());
}

Rozpoznanie Rozpoznawacz::wynik() const
{
    LicznikiBajtow bajty = bajty_;
    bajty.zakoncz();
    SlowaTekstu slowa = slowa_;
    slowa.zakoncz();
    return ocen(bajty, slowa);
}

Rozpoznanie RozpoznajStandard(std::string_view tekst)
{
    Rozpoznawacz rozpoznawacz;
    rozpoznawacz.dodaj(tekst);
    return rozpoznawacz.wynik();
}

}  // namespace engine
