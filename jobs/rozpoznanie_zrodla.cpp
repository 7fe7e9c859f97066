#include "jobs/rozpoznanie_zrodla.h"

#include <sys/stat.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <string_view>
#include <utility>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/windows1250.h"
#include "jobs/konwertuj.h"
#include "pliki/kawalek.h"
#include "pliki/opis_bledu.h"
#include "pliki/rozpoznany_poczatek.h"

namespace jobs {

namespace {

constexpr std::size_t GRANICA_ODCZYTU = GRANICA_ASCII + pliki::ROZPOZNAWANY_POCZATEK;
static_assert(GRANICA_ODCZYTU == std::size_t{17} << 20, "the bound the header's comment gives");

// Counts the pieces the recognition reads, so that a long plain header ends the reading,
// and passes on a stop request.
class PostepRozpoznania final : public engine::Postep {
public:
    explicit PostepRozpoznania(std::stop_token stop) : stop_(std::move(stop)) {}

    // Called once before each piece is read.
    void wTrakcie() override { ++kawalkow_; }
    bool przerwac() override { return stop_.stop_requested() || zaDuzo(); }
    // Should a regular file turn into a pipe after it was looked at, a stop still comes.
    int odstepOczekiwania() const override { return 50; }

    bool zaDuzo() const { return kawalkow_ > NAJWIECEJ_KAWALKOW; }

private:
    // Reaching this many pieces means the first GRANICA_ASCII bytes held no byte of 80 and
    // above: from the piece that holds the first one, the recognition reads
    // ROZPOZNAWANY_POCZATEK bytes and stops by itself.
    static constexpr std::size_t NAJWIECEJ_KAWALKOW = GRANICA_ODCZYTU / pliki::ROZMIAR_KAWALKA;
    std::stop_token stop_;
    std::size_t kawalkow_ = 0;
};

QString nazwa(int standard)
{
    return QString::fromUtf8(engine::Standardy(standard).Nazwa);
}

QString opisBledu(int numer)
{
    return QString::fromStdString(pliki::OpisBledu(numer));
}

// Why a file that is not a regular one with something in it is not read.
std::optional<QString> nieDoCzytania(const struct stat& stan)
{
    if (S_ISDIR(stan.st_mode)) {
        return QStringLiteral("To jest folder, a nie plik.");
    }
    if (S_ISFIFO(stan.st_mode)) {
        return QStringLiteral(
            "To jest potok (FIFO), a nie zwykły plik: standard nie jest rozpoznawany, by "
            "nie czekać na dane.");
    }
    if (S_ISCHR(stan.st_mode) || S_ISBLK(stan.st_mode)) {
        return QStringLiteral("To jest urządzenie, a nie zwykły plik: standard nie jest rozpoznawany.");
    }
    if (!S_ISREG(stan.st_mode)) {
        return QStringLiteral("To nie jest zwykły plik: standard nie jest rozpoznawany.");
    }
    if (stan.st_size <= 0) {
        return QStringLiteral("Plik jest pusty.");
    }
    return std::nullopt;
}

// Whether both standards make the same of `tekst`: converted from either, it comes out
// alike. Two targets, since a text converted into its own standard stays as it is.
bool czytajaTakSamo(std::string_view tekst, int jeden, int drugi)
{
    if (jeden == drugi) {
        return true;
    }
    for (const int cel : {engine::UTF8_INDEX, engine::WINDOWS_EE}) {
        const engine::PrzygotowanaKonwersja zJednego(jeden, cel);
        const engine::PrzygotowanaKonwersja zDrugiego(drugi, cel);
        std::string pierwszy;
        std::string drugiWynik;
        zJednego.dopisz(tekst, pierwszy);
        zDrugiego.dopisz(tekst, drugiWynik);
        if (pierwszy != drugiWynik) {
            return false;
        }
    }
    return true;
}

bool maStandardy(const engine::Rozpoznanie& rozpoznanie)
{
    return rozpoznanie.werdykt != engine::Werdykt::BezPolskichLiter;
}

void porownajZObecnym(WynikRozpoznania& wynik, std::string_view probka)
{
    if (!wynik.rozpoznanie || !maStandardy(*wynik.rozpoznanie)) {
        return;
    }
    const engine::Rozpoznanie& rozpoznanie = *wynik.rozpoznanie;
    wynik.obecnyDajeToSamo = czytajaTakSamo(probka, wynik.obecny, rozpoznanie.standard());
    wynik.obecnyPasuje = wynik.obecnyDajeToSamo ||
                         std::any_of(rozpoznanie.bliskie.begin(), rozpoznanie.bliskie.end(), [&](int bliski) {
                             return czytajaTakSamo(probka, wynik.obecny, bliski);
                         });
}

}  // namespace

namespace {

StanPliku stanZ(const struct stat& stan)
{
    return {pliki::Wezel(stan), static_cast<long long>(stan.st_size),
            static_cast<long long>(stan.st_mtim.tv_sec), static_cast<long long>(stan.st_mtim.tv_nsec)};
}

}  // namespace

std::optional<StanPliku> StanPlikuTeraz(const QString& sciezka)
{
    struct stat stan {};
    if (::stat(SciezkaPliku(sciezka).c_str(), &stan) != 0) {
        return std::nullopt;
    }
    return stanZ(stan);
}

WynikRozpoznania RozpoznajPlik(const QString& nazwaPliku, int obecny, std::stop_token stop)
{
    const std::string sciezka = SciezkaPliku(nazwaPliku);
    WynikRozpoznania wynik;
    wynik.obecny = obecny;
    struct stat stan {};
    if (::stat(sciezka.c_str(), &stan) != 0) {
        wynik.uwaga = QStringLiteral("Nie mogę odczytać pliku: ") + opisBledu(errno) + QLatin1Char('.');
        return wynik;
    }
    wynik.stanPliku = stanZ(stan);
    if (const std::optional<QString> uwaga = nieDoCzytania(stan)) {
        wynik.uwaga = *uwaga;
        return wynik;
    }
    PostepRozpoznania postep(stop);
    try {
        pliki::PlikWejsciowy wejscie(sciezka);
        // What was opened may no longer be what was looked at.
        if (!wejscie.rozmiar()) {
            wynik.uwaga = QStringLiteral("To nie jest zwykły plik: standard nie jest rozpoznawany.");
            return wynik;
        }
        pliki::RozpoznanyPoczatek poczatek(wejscie);
        wynik.rozpoznanie = poczatek.rozpoznaj(postep);
        // Compared on the very bytes the verdict was taken on.
        porownajZObecnym(wynik, poczatek.wstrzymane());
    } catch (const engine::Przerwane&) {
        if (postep.zaDuzo()) {
            wynik.uwaga = QStringLiteral(
                              "Pierwsze %1 MB pliku nie zawierają polskich liter: dalej standard nie "
                              "jest szukany.")
                              .arg(GRANICA_ASCII >> 20);
        }
    } catch (const pliki::BladPliku& blad) {
        wynik.rozpoznanie.reset();
        wynik.uwaga = QStringLiteral("Nie mogę odczytać pliku: ") + opisBledu(blad.numer) + QLatin1Char('.');
    }
    return wynik;
}

WynikRozpoznania RozpoznajTekst(const QString& tekst, int obecny)
{
    const qsizetype dlugosc = std::min(tekst.size(), static_cast<qsizetype>(pliki::ROZPOZNAWANY_POCZATEK));
    std::string bajty;
    bajty.reserve(static_cast<std::size_t>(dlugosc));
    for (const QChar znak : QStringView(tekst).first(dlugosc)) {
        const int bajt = engine::BajtWindows1250(znak.unicode());
        bajty.push_back(bajt < 0 ? '?' : static_cast<char>(bajt));
    }
    WynikRozpoznania wynik;
    wynik.obecny = obecny;
    wynik.rozpoznanie = engine::RozpoznajStandard(bajty);
    porownajZObecnym(wynik, bajty);
    return wynik;
}

WyborZrodla WybierzZrodlo(const WynikRozpoznania& wynik)
{
    using Powod = WyborZrodla::Powod;
    if (!wynik.rozpoznanie || !maStandardy(*wynik.rozpoznanie)) {
        return {};
    }
    const engine::Rozpoznanie& rozpoznanie = *wynik.rozpoznanie;
    const bool pewny = rozpoznanie.werdykt == engine::Werdykt::Rozpoznany;
    if (pewny ? wynik.obecnyDajeToSamo : wynik.obecnyPasuje) {
        return {pewny ? Powod::TenSamWynik : Powod::NicDoWyboru, std::nullopt};
    }
    const auto obecny = std::find_if(rozpoznanie.ranking.begin(), rozpoznanie.ranking.end(),
                                     [&](const engine::Kandydat& k) { return k.standard == wynik.obecny; });
    // "brak" has no reading of its own: any verdict beats it.
    if (obecny != rozpoznanie.ranking.end()) {
        const double roznica = rozpoznanie.ranking.front().wynik - obecny->wynik;
        if (obecny->zwyczajny && (!obecny->zObcymiLiterami || roznica < PROG_ZWYCZAJNEGO)) {
            return {Powod::ZwyczajnyTekst, std::nullopt};
        }
        if (roznica < PROG_ZMIANY) {
            return {Powod::NiewieleGorszy, std::nullopt};
        }
    }
    return {pewny ? Powod::Rozpoznany : Powod::NajbardziejPrawdopodobny, rozpoznanie.standard()};
}

std::optional<int> StandardDoWybrania(const WynikRozpoznania& wynik)
{
    return WybierzZrodlo(wynik).standard;
}

namespace {

QString opisNiepewnego(const engine::Rozpoznanie& rozpoznanie)
{
    QStringList pasujace{nazwa(rozpoznanie.standard())};
    for (const int standard : rozpoznanie.bliskie) {
        pasujace << nazwa(standard);
    }
    return QStringLiteral("Standardu nie da się rozpoznać na pewno, pasują: %1.")
        .arg(pasujace.join(QStringLiteral(", ")));
}

// Why the list keeps the window's own standard against the likeliest one.
QString dlaczegoZostaje(WyborZrodla::Powod powod, int obecny)
{
    switch (powod) {
        case WyborZrodla::Powod::ZwyczajnyTekst:
            return QStringLiteral(" Zostaje %1: tekst czyta się w nim zwyczajnie.").arg(nazwa(obecny));
        case WyborZrodla::Powod::NiewieleGorszy:
            return QStringLiteral(" Zostaje %1: pasuje niewiele gorzej.").arg(nazwa(obecny));
        default:
            return {};
    }
}

}  // namespace

QString OpisRozpoznania(const WynikRozpoznania& wynik, bool plik, std::optional<int> recznie,
                        bool poKonwersji)
{
    if (!wynik.rozpoznanie) {
        return wynik.uwaga;
    }
    const engine::Rozpoznanie& rozpoznanie = *wynik.rozpoznanie;
    if (rozpoznanie.werdykt == engine::Werdykt::BezPolskichLiter) {
        return plik ? QStringLiteral("Plik nie zawiera polskich liter.")
                    : QStringLiteral("Tekst nie zawiera polskich liter.");
    }
    const int standard = rozpoznanie.standard();
    const WyborZrodla wybor = recznie ? WyborZrodla{} : WybierzZrodlo(wynik);
    const QString poKoncu = QStringLiteral(" Zostanie wybrany po zakończeniu konwersji.");
    if (rozpoznanie.werdykt == engine::Werdykt::Niejednoznaczny) {
        QString opis = opisNiepewnego(rozpoznanie);
        if (wybor.powod == WyborZrodla::Powod::NajbardziejPrawdopodobny) {
            opis += QStringLiteral(" %1 do nich nie należy, więc wybrany jest najbardziej prawdopodobny: %2.")
                        .arg(nazwa(wynik.obecny), nazwa(standard));
            opis += poKonwersji ? poKoncu : QString();
            return opis + QStringLiteral(" Jeśli to nie ten, wybierz właściwy sam.");
        }
        return opis + dlaczegoZostaje(wybor.powod, wynik.obecny) + QStringLiteral(" Wybierz właściwy sam.");
    }
    QString opis = QStringLiteral("Rozpoznany standard: %1.").arg(nazwa(standard));
    if (recznie && *recznie != standard) {
        opis += wynik.obecnyDajeToSamo && wynik.obecny == *recznie
                    ? QStringLiteral(" Wybrany ręcznie %1 daje ten sam wynik.").arg(nazwa(*recznie))
                    : QStringLiteral(" Zostaje wybrany ręcznie %1.").arg(nazwa(*recznie));
    } else if (wybor.powod == WyborZrodla::Powod::TenSamWynik && wynik.obecny != standard) {
        opis += QStringLiteral(" Wybrany %1 daje ten sam wynik.").arg(nazwa(wynik.obecny));
    } else if (wybor.standard && poKonwersji) {
        opis += poKoncu;
    } else {
        opis += dlaczegoZostaje(wybor.powod, wynik.obecny);
    }
    return opis;
}

RozpoznawanieWTle::~RozpoznawanieWTle()
{
    porzuc();
    // Each thread sees the stop between two pieces of its file.
    watki_.clear();
}

void RozpoznawanieWTle::rozpoznaj(Zadanie zadanie)
{
    porzuc();
    const unsigned long long numer = ++ostatni_;
    oczekiwane_ = numer;
    auto praca = [this, numer, zadanie = std::move(zadanie)](std::stop_token stop) {
        wykonaj(numer, zadanie, std::move(stop));
    };
    watki_.emplace(numer, std::jthread(std::move(praca)));
}

void RozpoznawanieWTle::wykonaj(unsigned long long numer, const Zadanie& zadanie, std::stop_token stop)
{
    WynikRozpoznania wynik;
    try {
        wynik = zadanie(std::move(stop));
    } catch (const std::exception& blad) {
        wynik = {};
        wynik.uwaga =
            QStringLiteral("Nie udało się rozpoznać standardu: ") + QString::fromLocal8Bit(blad.what());
    }
    // Delivered in this object's thread, and dropped if the object is gone by then.
    QMetaObject::invokeMethod(
        this, [this, numer, wynik = std::move(wynik)] { zakonczone(numer, wynik); }, Qt::QueuedConnection);
}

void RozpoznawanieWTle::porzuc()
{
    for (auto& [numer, watek] : watki_) {
        watek.request_stop();
    }
    oczekiwane_ = 0;
}

void RozpoznawanieWTle::zakonczone(unsigned long long numer, const WynikRozpoznania& wynik)
{
    // The thread has nothing left to do but return.
    watki_.erase(numer);
    if (numer != oczekiwane_) {
        return;
    }
    oczekiwane_ = 0;
    emit rozpoznano(wynik);
}

}  // namespace jobs
