// znakomat-cli: the conversion of the window for scripts and machines without a display.

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cli/komunikaty.h"
#include "cli/konwersja.h"
#include "cli/nazwy.h"
#include "cli/partia.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"
#include "pliki/sygnaly.h"

namespace {

constexpr std::string_view WERSJA = "znakomat-cli " ZNAKOMAT_WERSJA "\n";

int wykonaj(const cli::Ustawienia& ustawienia)
{
    if (ustawienia.pomoc) {
        return cli::wypisz(cli::Pomoc());
    }
    if (ustawienia.wersja) {
        return cli::wypisz(WERSJA);
    }
    if (ustawienia.lista) {
        return cli::wypisz(cli::listaStandardow());
    }
    if (ustawienia.listaPodstaw) {
        return cli::wypisz(cli::listaPodstaw());
    }
    if (ustawienia.rozpoznaj) {
        pliki::PrzygotujSygnaly();
        return cli::rozpoznaj(ustawienia.wejscia, ustawienia.rekurencyjnie);
    }
    // Without a source standard each input's own is recognised.
    const std::optional<int> zrodlo = cli::toAuto(*ustawienia.zrodlo)
                                          ? std::nullopt
                                          : std::optional(cli::indeksStandardu(*ustawienia.zrodlo));
    const int cel = cli::indeksStandardu(*ustawienia.cel);
    const cli::Zadanie zadanie{
        zrodlo, cel, ustawienia.wszystkieZnaki,
        ustawienia.podstawa ? cli::nazwaPodstawy(*ustawienia.podstawa, zrodlo, cel) : ""};
    if (zadanie.wszystkieZnaki) {
        cli::sprawdzWszystkieZnaki(zadanie.zrodlo, zadanie.cel, !zadanie.podstawa.empty());
    }
    if (ustawienia.katalog) {
        pliki::PrzygotujSygnaly();
        return cli::konwertujPartie(ustawienia.wejscia, *ustawienia.katalog, zadanie,
                                    ustawienia.rekurencyjnie);
    }
#if defined(__GLIBC__)
    // Buffers of half a mebibyte and more, such as a recognised beginning, get mappings of
    // their own that go back to the system when freed; by default malloc raises that bound
    // to the largest such buffer freed and keeps the next ones in its pools for good. Not in
    // a batch: there its threads would map and unmap a beginning for every file, each unmap
    // stopping the other processors, and a file's buffers are reused by the next.
    mallopt(M_MMAP_THRESHOLD, 512 << 10);
#endif
    const std::string wyjscie = ustawienia.wyjscie.value_or("-");
    for (const std::string& wejscie : ustawienia.wejscia) {
        cli::odrzucZamknietyStrumien(wejscie, pliki::BladPliku::Odczyt);
    }
    cli::odrzucZamknietyStrumien(wyjscie, pliki::BladPliku::Zapis);
    pliki::PrzygotujSygnaly();
    return cli::konwertuj(ustawienia.wejscia, wyjscie, zadanie);
}

}  // namespace

int main(int argc, char** argv)
{
    cli::zajmijStandardoweStrumienie();
    try {
        return wykonaj(cli::czytajArgumenty(argc, argv));
    } catch (const cli::ZleUzycie& blad) {
        cli::wypiszBlad(blad.komunikat);
        return cli::KONIEC_ZLE_UZYCIE;
    } catch (const cli::BladKonwersji& blad) {
        cli::wypiszBlad(blad.komunikat);
        return cli::KONIEC_BLAD_KONWERSJI;
    } catch (const pliki::BladPliku& blad) {
        cli::wypiszBlad(cli::opisBleduPliku(blad));
        return cli::KONIEC_BLAD_KONWERSJI;
    } catch (const std::bad_alloc&) {
        cli::wypiszBlad("za mało pamięci");
        return cli::KONIEC_BLAD_KONWERSJI;
    }
}
