#include "konwertuj.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <new>
#include <optional>

#include "pliki.h"
#include "schowek.h"

namespace {

// Written exactly like the converted text: no line break after it.
const std::string slowoProbne = "NADPISYWANIE";

std::optional<QString> bladNazw(const QString& wejscie, const QString& wyjscie)
{
    QString komunikat;
    if (wejscie.toLower() == wyjscie.toLower() || pliki::tenSamPlik(wejscie, wyjscie)) {
        komunikat = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");
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

void zakonczBledem(OknoKonwersji& okno, const QString& komunikat)
{
    okno.ostrzezenie(komunikat);
    okno.EnabledX(true);
}

}  // namespace

bool qKon1(const OknoKonwersji& okno)
{
    return pliki::moznaCzytac(okno.nazwaWejscia());
}

bool qKon2(const OknoKonwersji& okno)
{
    return pliki::moznaNadpisac(okno.nazwaWyjscia(), slowoProbne);
}

void KomendaKonwertuj(OknoKonwersji& okno)
{
    const int zrodlo = okno.pozycjaZrodla();
    const int cel = okno.pozycjaCelu();
    okno.EnabledX(false);
    okno.przetworzZdarzenia();
    if (okno.trybTekstowy()) {
        KonwertujTekstPola(okno, zrodlo, cel);
    } else {
        KonwertujPlik(okno, zrodlo, cel);
    }
}

void KonwertujPlik(OknoKonwersji& okno, int zrodlo, int cel)
{
    if (const std::optional<QString> komunikat = bladNazw(okno.nazwaWejscia(), okno.nazwaWyjscia())) {
        zakonczBledem(okno, *komunikat);
        return;
    }
    if (!qKon1(okno)) {
        zakonczBledem(okno, QStringLiteral("Nie mogę otworzyć pliku tekstowego: ") + okno.nazwaWejscia());
        return;
    }
    if (!qKon2(okno)) {
        zakonczBledem(
            okno, QStringLiteral("Nie mogę nadpisać (utworzyć) pliku tekstowego: ") + okno.nazwaWyjscia());
        return;
    }

    // The boxes stay editable during the job; its messages name the files it opened.
    const QString nazwaWejscia = okno.nazwaWejscia();
    try {
        pliki::PlikWejsciowy wejscie(nazwaWejscia);
        pliki::PlikWyjsciowy wyjscie(okno.nazwaWyjscia());
        // A big file takes a while to read and write: the window repaints in between.
        const auto odswiez = [&okno] { okno.przetworzZdarzenia(); };
        std::string tekst = wejscie.czytajCalosc(odswiez);
        tekst = znakomat::KonwertujTekst(std::move(tekst), zrodlo, cel, okno.postep());
        wejscie.zamknij();
        okno.przywrocTytul();
        wyjscie.zapisz(tekst, odswiez);
        std::string().swap(tekst);
        okno.przetworzZdarzenia();
        wyjscie.zamknij();
    } catch (const pliki::BladPliku& blad) {
        okno.przywrocTytul();
        const QString czynnosc =
            blad.czynnosc == pliki::BladPliku::Zapis ? QStringLiteral("zapisać") : QStringLiteral("odczytać");
        zakonczBledem(
            okno,
            QStringLiteral("Nie mogę %1 pliku tekstowego: %2\n(%3)").arg(czynnosc, blad.nazwa, blad.powod));
        return;
    } catch (const std::bad_alloc&) {
        okno.przywrocTytul();
        zakonczBledem(okno, QStringLiteral("Za mało pamięci, by przekonwertować plik: ") + nazwaWejscia);
        return;
    }
    okno.EnabledX(true);
    okno.przetworzZdarzenia();
    okno.informacja(QStringLiteral("Konwersja"), QStringLiteral("Konwersja została zakończona!"));
}

void KonwertujTekstPola(OknoKonwersji& okno, int zrodlo, int cel)
{
    const int poczatek = okno.poczatekZaznaczenia();
    const int dlugosc = okno.dlugoscZaznaczenia();
    const QString oryginal = okno.tekstPola();
    std::u16string tekst = oryginal.toStdU16String();
    okno.ustawTekstPola(QString());
    try {
        okno.przetworzZdarzenia();
        tekst = znakomat::KonwertujTekst(std::move(tekst), zrodlo, cel, okno.postep());
    } catch (...) {
        // The box was emptied for the conversion: the user's text goes back before the
        // error is reported.
        okno.przywrocTytul();
        okno.ustawTekstPola(oryginal);
        okno.zaznacz(poczatek, dlugosc);
        throw;
    }
    okno.przywrocTytul();
    okno.przetworzZdarzenia();
    okno.przetworzZdarzenia();
    okno.ustawTekstPola(QString::fromStdU16String(tekst));
    okno.przetworzZdarzenia();
    okno.EnabledX(true);
    okno.zaznacz(poczatek, dlugosc);
    okno.fokusNaPole();
}

void WklejZeSchowka(OknoKonwersji& okno)
{
    okno.ustawTekstPola(QString());
    const QMimeData* dane = QGuiApplication::clipboard()->mimeData();
    okno.ustawTekstPola(dane != nullptr ? tekstZeSchowka(*dane) : QString());
    okno.zaznacz(okno.dlugoscTekstuPola(), 0);
}

void KopiujDoSchowka(OknoKonwersji& okno)
{
    QClipboard* schowek = QGuiApplication::clipboard();
    schowek->clear();
    schowek->setText(okno.tekstPola());
    okno.fokusNaPole();
}
