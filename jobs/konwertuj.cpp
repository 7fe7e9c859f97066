#include "jobs/konwertuj.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <cerrno>
#include <limits>
#include <new>
#include <optional>

#include "engine/konwersja.h"
#include "engine/nie_litery.h"
#include "engine/standardy.h"
#include "engine/strona.h"
#include "jobs/postep_okna.h"
#include "jobs/schowek.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/opis_bledu.h"

namespace jobs {

namespace {

// Written exactly like the converted text: no line break after it.
const std::string slowoProbne = "NADPISYWANIE";

const QString INNA_NAZWA = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");
const QString NIE_ZAMIENIAM = QStringLiteral("Nie mogę zamienić wszystkich znaków pliku tekstowego: ");
const QString BEZ_ZMIAN = QStringLiteral(" Plik wyjściowy pozostał bez zmian.");

std::optional<QString> bladNazw(const QString& wejscie, const QString& wyjscie)
{
    QString komunikat;
    if (wejscie.toLower() == wyjscie.toLower() ||
        pliki::TenSamPlik(SciezkaPliku(wejscie), SciezkaPliku(wyjscie))) {
        komunikat = INNA_NAZWA;
    }
    if (wejscie.isEmpty()) {
        komunikat = QStringLiteral("Podaj nazwę pliku wejściowego");
    }
    if (wyjscie.isEmpty()) {
        komunikat = QStringLiteral("Podaj nazwę pliku wyjściowego");
    }
    if (komunikat.isEmpty()) {
        return std::nullopt;
    }
    return komunikat;
}

void zakonczBledem(OknoZadania& okno, const QString& komunikat, const QString& przyczyna = QString())
{
    okno.ostrzezenie(komunikat, przyczyna);
    okno.EnabledX(true);
}

QString przyczyna(const std::string& opis)
{
    return QStringLiteral("Przyczyna: ") + QString::fromStdString(opis) + QLatin1Char('.');
}

QString przyczyna(int numerBledu)
{
    return przyczyna(pliki::OpisBledu(numerBledu));
}

const QString ZAMIEN_WSZYSTKIE = QStringLiteral("Zamień wszystkie znaki");
const QString RADA_WSZYSTKIE = QStringLiteral(
    "\n\nPrzycisk „Zamień wszystkie znaki” przekonwertuje plik jeszcze raz, każdy jego znak, "
    "a nie tylko polskie litery.");
const QString RADA_ZRODLO = QStringLiteral("\n\nSprawdź, czy standard źródłowy jest właściwy.");

// What passed the letters' conversion unchanged although the target reads it differently,
// for the box that ends the job; empty when nothing did.
QString opisNieLiter(const pliki::WynikKonwersji& wynik, int cel)
{
    if (!wynik.nieLitery || wynik.nieLitery->ile() == 0) {
        return {};
    }
    const engine::NieLitery& nieLitery = *wynik.nieLitery;
    const QString ileIGdzie =
        QStringLiteral("liczba: %1, pierwszy na pozycji %2 pliku wejściowego, licząc od 0")
            .arg(nieLitery.ile())
            .arg(wynik.przesuniecie + nieLitery.pierwszy());
    const QString zrodlo = QString::fromUtf8(engine::Standardy(wynik.zrodlo).Nazwa);
    const QString docelowy = QString::fromUtf8(engine::Standardy(cel).Nazwa);
    switch (nieLitery.rodzaj()) {
        case engine::NieLitery::Rodzaj::BajtyWUtf8:
            return QStringLiteral(
                       "Plik wyjściowy nie jest poprawnym tekstem UTF-8: znaki, które nie są polskimi "
                       "literami, zostały w nim jako bajty standardu %1 (%2).")
                .arg(zrodlo, ileIGdzie);
        case engine::NieLitery::Rodzaj::ZnakiZUtf8:
            return QStringLiteral(
                       "Plik wyjściowy nie jest czystym tekstem standardu %1: znaki UTF-8 inne niż "
                       "polskie litery zostały w nim jako ciągi kilku bajtów (%2).")
                .arg(docelowy, ileIGdzie);
        default:
            return QStringLiteral(
                       "Znaki inne niż polskie litery zostały w pliku wyjściowym bez zmian, jako "
                       "bajty, które standard %1 odczytuje inaczej niż %2 (%3).")
                .arg(docelowy, zrodlo, ileIGdzie);
    }
}

// Runs the file library's conversion of one named file into another, with the window's
// progress and close request. Every way it fails is reported, with the controls enabled
// again; then there is no result.
std::optional<pliki::WynikKonwersji> konwertujNazwane(OknoZadania& okno, const QString& nazwaWejscia,
                                                      const QString& nazwaWyjscia,
                                                      const pliki::UstawieniaKonwersji& ustawienia)
{
    // The boxes stay editable during the job; its messages name the files it opened.
    const auto nazwaPliku = [&](const pliki::BladPliku& blad) {
        return blad.czynnosc == pliki::BladPliku::Zapis ? nazwaWyjscia : nazwaWejscia;
    };
    try {
        std::optional<pliki::WynikKonwersji> wynik;
        // Names are compared before the probes; what was opened is compared in the job.
        WykonajWTle(okno, [&](engine::Postep& postep) {
            wynik = pliki::KonwertujPlik(SciezkaPliku(nazwaWejscia), SciezkaPliku(nazwaWyjscia), ustawienia,
                                         postep);
        });
        return wynik;
    } catch (const pliki::WejscieJestWyjsciem&) {
        zakonczBledem(okno, INNA_NAZWA);
    } catch (const engine::Przerwane&) {
        // Closing the window: the output stays as it was, and there is nobody to tell.
        okno.przywrocTytul();
        okno.EnabledX(true);
    } catch (const pliki::BladPliku& blad) {
        okno.przywrocTytul();
        const QString czynnosc =
            blad.czynnosc == pliki::BladPliku::Zapis ? QStringLiteral("zapisać") : QStringLiteral("odczytać");
        zakonczBledem(
            okno, QStringLiteral("Nie mogę %1 pliku tekstowego: %2\n(%3)")
                      .arg(czynnosc, nazwaPliku(blad), QString::fromStdString(pliki::OpisBledu(blad.numer))));
    } catch (const std::bad_alloc&) {
        okno.przywrocTytul();
        zakonczBledem(okno, QStringLiteral("Za mało pamięci, by przekonwertować plik: ") + nazwaWejscia);
    } catch (const pliki::ZatrzymanaKonwersja& zatrzymana) {
        okno.przywrocTytul();
        zakonczBledem(okno, NIE_ZAMIENIAM + nazwaWejscia,
                      przyczyna(pliki::OpisZatrzymania(zatrzymana, ustawienia.cel)) + BEZ_ZMIAN);
    } catch (const pliki::BrakStronyKodowej& brak) {
        okno.przywrocTytul();
        zakonczBledem(okno, NIE_ZAMIENIAM + nazwaWejscia, przyczyna(brak.powod) + BEZ_ZMIAN);
    }
    return std::nullopt;
}

// The end of a conversion that returned: the controls back, and the box that says it is
// done, with what passed it unchanged, if anything did. True when the user then asked for
// every character to be converted.
bool zakonczKonwersje(OknoZadania& okno, const std::optional<pliki::WynikKonwersji>& wynik, int cel)
{
    if (!wynik) {
        return false;
    }
    okno.EnabledX(true);
    okno.przetworzZdarzenia();
    if (okno.zamkniecieZadane()) {
        // Asked to close while the output was being replaced: the text is whole, and the
        // window closes now rather than wait behind a box.
        return false;
    }
    QString objasnienie = opisNieLiter(*wynik, cel);
    const bool wszystkieMozliwe =
        !objasnienie.isEmpty() && engine::KonwertujeWszystkieZnaki(wynik->zrodlo, cel);
    if (!objasnienie.isEmpty()) {
        objasnienie += wszystkieMozliwe ? RADA_WSZYSTKIE : RADA_ZRODLO;
    }
    return okno.informacja(QStringLiteral("Konwersja"), QStringLiteral("Konwersja została zakończona!"),
                           objasnienie, wszystkieMozliwe ? ZAMIEN_WSZYSTKIE : QString());
}

}  // namespace

std::string SciezkaPliku(const QString& nazwa)
{
    if (nazwa == QLatin1String("-")) {
        return "./-";
    }
    return QFile::encodeName(nazwa).toStdString();
}

bool qKon1(const QString& wejscie)
{
    return pliki::MoznaCzytac(SciezkaPliku(wejscie));
}

bool qKon2(const QString& wyjscie, const QString& wejscie)
{
    return pliki::MoznaNadpisac(SciezkaPliku(wyjscie), slowoProbne, SciezkaPliku(wejscie));
}

void KomendaKonwertuj(OknoKonwersji& okno)
{
    const int zrodlo = okno.pozycjaZrodla();
    const int cel = okno.pozycjaCelu();
    okno.EnabledX(false);
    okno.przetworzZdarzenia();
    if (okno.trybTekstowy()) {
        KonwertujTekstPola(okno, okno.pole(), zrodlo, cel);
    } else {
        KonwertujPlik(okno, okno.nazwaWejscia(), okno.nazwaWyjscia(), zrodlo, cel);
    }
}

void KonwertujPlik(OknoZadania& okno, const QString& nazwaWejscia, const QString& nazwaWyjscia, int zrodlo,
                   int cel)
{
    if (const std::optional<QString> komunikat = bladNazw(nazwaWejscia, nazwaWyjscia)) {
        zakonczBledem(okno, *komunikat);
        return;
    }
    // The probes leave their reason in errno.
    if (!qKon1(nazwaWejscia)) {
        const int numerBledu = errno;
        zakonczBledem(okno, QStringLiteral("Nie mogę otworzyć pliku tekstowego: ") + nazwaWejscia,
                      przyczyna(numerBledu));
        return;
    }
    if (!qKon2(nazwaWyjscia, nazwaWejscia)) {
        const int numerBledu = errno;
        zakonczBledem(okno, QStringLiteral("Nie mogę nadpisać (utworzyć) pliku tekstowego: ") + nazwaWyjscia,
                      przyczyna(numerBledu));
        return;
    }

    if (!zakonczKonwersje(okno, konwertujNazwane(okno, nazwaWejscia, nazwaWyjscia, {zrodlo, cel}), cel)) {
        return;
    }
    // The same input into the same output, every character. The output the letters gave is the
    // user's now: the library replaces it only with a whole text, and the probe, which would
    // overwrite it, is not run again.
    okno.EnabledX(false);
    okno.przetworzZdarzenia();
    zakonczKonwersje(okno, konwertujNazwane(okno, nazwaWejscia, nazwaWyjscia, {zrodlo, cel, true}), cel);
}

void KonwertujTekstPola(OknoZadania& okno, PoleKonwersji& pole, int zrodlo, int cel)
{
    const Zaznaczenie zaznaczenie = pole.zaznaczenie();
    const QString oryginal = pole.tekst();
    std::u16string tekst = oryginal.toStdU16String();
    pole.zastapTekst(QString());
    try {
        okno.przetworzZdarzenia();
        PostepOkna postep(okno);
        tekst = engine::KonwertujTekst(std::move(tekst), zrodlo, cel, postep);
    } catch (...) {
        // The box was emptied for the conversion: the user's text goes back before the
        // error is reported.
        okno.przywrocTytul();
        pole.zastapTekst(oryginal);
        pole.zaznacz(zaznaczenie);
        throw;
    }
    okno.przywrocTytul();
    okno.przetworzZdarzenia();
    okno.przetworzZdarzenia();
    pole.zastapTekst(QString::fromStdU16String(tekst));
    okno.przetworzZdarzenia();
    okno.EnabledX(true);
    pole.zaznacz(zaznaczenie);
    pole.ustawFokus();
}

QString WklejZeSchowka(PoleKonwersji& pole)
{
    pole.zastapTekst(QString());
    const QMimeData* dane = QGuiApplication::clipboard()->mimeData();
    const QString tekst = dane != nullptr ? tekstZeSchowka(*dane) : QString();
    pole.zastapTekst(tekst);
    // The cursor after the last character: zaznacz cuts the start to the text's length.
    pole.zaznacz({std::numeric_limits<int>::max(), 0});
    return tekst;
}

void KopiujDoSchowka(PoleKonwersji& pole)
{
    QClipboard* schowek = QGuiApplication::clipboard();
    schowek->clear();
    schowek->setText(pole.tekst());
    pole.ustawFokus();
}

}  // namespace jobs
