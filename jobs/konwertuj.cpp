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
#include "jobs/postep_okna.h"
#include "jobs/schowek.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/opis_bledu.h"

namespace zadania {

namespace {

// Written exactly like the converted text: no line break after it.
const std::string slowoProbne = "NADPISYWANIE";

const QString INNA_NAZWA = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");

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

QString przyczyna(int numerBledu)
{
    return QStringLiteral("Przyczyna: ") + QString::fromStdString(pliki::OpisBledu(numerBledu)) +
           QLatin1Char('.');
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

    // The boxes stay editable during the job; its messages name the files it opened.
    const auto nazwaPliku = [&](const pliki::BladPliku& blad) {
        return blad.czynnosc == pliki::BladPliku::Zapis ? nazwaWyjscia : nazwaWejscia;
    };
    try {
        PostepOkna postep(okno);
        // Names are compared before the probes; what was opened is compared in the job.
        pliki::KonwertujPlik(SciezkaPliku(nazwaWejscia), SciezkaPliku(nazwaWyjscia), {zrodlo, cel}, postep);
    } catch (const pliki::WejscieJestWyjsciem&) {
        zakonczBledem(okno, INNA_NAZWA);
        return;
    } catch (const znakomat::Przerwane&) {
        // Closing the window: the output stays as it was, and there is nobody to tell.
        okno.przywrocTytul();
        okno.EnabledX(true);
        return;
    } catch (const pliki::BladPliku& blad) {
        okno.przywrocTytul();
        const QString czynnosc =
            blad.czynnosc == pliki::BladPliku::Zapis ? QStringLiteral("zapisać") : QStringLiteral("odczytać");
        zakonczBledem(
            okno, QStringLiteral("Nie mogę %1 pliku tekstowego: %2\n(%3)")
                      .arg(czynnosc, nazwaPliku(blad), QString::fromStdString(pliki::OpisBledu(blad.numer))));
        return;
    } catch (const std::bad_alloc&) {
        okno.przywrocTytul();
        zakonczBledem(okno, QStringLiteral("Za mało pamięci, by przekonwertować plik: ") + nazwaWejscia);
        return;
    }
    okno.EnabledX(true);
    okno.przetworzZdarzenia();
    if (okno.zamkniecieZadane()) {
        // Asked to close while the output was being replaced: the text is whole, and the
        // window closes now rather than wait behind a box.
        return;
    }
    okno.informacja(QStringLiteral("Konwersja"), QStringLiteral("Konwersja została zakończona!"));
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
        tekst = znakomat::KonwertujTekst(std::move(tekst), zrodlo, cel, postep);
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

void WklejZeSchowka(PoleKonwersji& pole)
{
    pole.zastapTekst(QString());
    const QMimeData* dane = QGuiApplication::clipboard()->mimeData();
    pole.zastapTekst(dane != nullptr ? tekstZeSchowka(*dane) : QString());
    // The cursor after the last character: zaznacz cuts the start to the text's length.
    pole.zaznacz({std::numeric_limits<int>::max(), 0});
}

void KopiujDoSchowka(PoleKonwersji& pole)
{
    QClipboard* schowek = QGuiApplication::clipboard();
    schowek->clear();
    schowek->setText(pole.tekst());
    pole.ustawFokus();
}

}  // namespace zadania
