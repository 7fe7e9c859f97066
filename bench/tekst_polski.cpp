#include "bench/tekst_polski.h"

#include <array>
#include <map>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/strumien.h"
#include "engine/tests/konwersja_bajtow.h"

namespace bench {

using namespace engine;

namespace {

// Text is generated a paragraph at a time and converted in pieces about this large.
constexpr std::size_t KAWALEK = std::size_t{64} << 10;
constexpr std::size_t SZEROKOSC_WIERSZA = 76;

// Written in UTF-8 here, turned into Windows-EE once by the engine itself.
constexpr std::string_view CZESTE =
    "i i i w w w na na z z do do że że się się się nie nie nie to to jest jest o a a od po jak ale co "
    "tak za przez dla czy już jego jej ich był była było są może też tylko przy który która które "
    "jeszcze bardzo gdy więc tam tu bo ten ta te ja ty on ona my wy oni mnie nam wam sobie ze we "
    "pod nad przed między u bez aż lub albo ani oraz jednak nawet także zawsze często teraz potem "
    "gdzie kiedy dlaczego bez tego tej tym tych swoje swój mój twój nasz wasz był będzie będą";

constexpr std::string_view TRESC =
    "dzień rok człowiek życie świat miasto państwo sprawa praca ręka głowa część źródło gałąź łódź "
    "książka pieniądze wieś miłość ogień wiedza szkoła pieśń żółw jabłko dziewczyna mężczyzna kobieta "
    "dziecko pytanie odpowiedź wydarzenie późno wcześnie trzeba można mówić powiedział wrócić chcieć "
    "móc iść zrobić widzieć myśleć wiedzieć pisać czytać słuchać żyć śpiewać tańczyć gęś jaźń ćma "
    "źrebię żaba żona mąż brzeg rzeka morze góra las drzewo liść kwiat słońce księżyc gwiazda niebo "
    "ziemia woda powietrze ciepło zimno śnieg deszcz wiatr burza wiosna lato jesień zima poniedziałek "
    "wtorek środa czwartek piątek sobota niedziela styczeń luty marzec kwiecień maj czerwiec lipiec "
    "sierpień wrzesień październik listopad grudzień Łódź Kraków Gdańsk Poznań Wrocław Białystok "
    "Częstochowa Śląsk Mazowsze Żywiec Świnoujście Ełk Ćmielów Opole Toruń Warszawa Lublin Kielce "
    "dom okno drzwi stół krzesło łóżko kuchnia pokój ściana podłoga sufit dach ogród pole droga "
    "ulica samochód pociąg statek samolot rower koń pies kot ptak ryba krowa owca świnia kura "
    "chleb masło mleko ser mięso ziemniak cebula marchew kapusta zupa obiad śniadanie kolacja "
    "herbata kawa cukier sól woda wino piwo sok owoc warzywo jagoda truskawka wiśnia śliwka gruszka "
    "nauczyciel uczeń lekarz pielęgniarka inżynier robotnik rolnik sprzedawca kierowca żołnierz "
    "ksiądz sąsiad przyjaciel wróg brat siostra ojciec matka syn córka dziadek babcia wnuk rodzina "
    "duży mały dobry zły nowy stary młody piękny brzydki szybki wolny ciężki lekki długi krótki "
    "wysoki niski biały czarny czerwony zielony żółty niebieski szary brązowy różowy pomarańczowy "
    "ważny łatwy trudny prosty ciekawy smutny wesoły zmęczony głodny spokojny cichy głośny mądry "
    "pierwszy drugi trzeci czwarty piąty szósty siódmy ósmy dziewiąty dziesiąty jedenaście dwanaście "
    "sto tysiąc milion połowa ćwierć wszystko nic ktoś nikt coś zawsze nigdy dzisiaj jutro wczoraj "
    "przyjść wyjść wejść odejść znaleźć zgubić kupić sprzedać zapłacić otworzyć zamknąć zacząć "
    "skończyć spać jeść pić gotować sprzątać prać szyć budować naprawić zepsuć pomóc przeszkadzać "
    "kochać nienawidzić bać się cieszyć martwić złościć śmiać płakać krzyczeć szeptać odpowiadać "
    "pytać prosić dziękować przepraszać witać żegnać spotkać rozmawiać dyskutować kłócić zgodzić "
    "historia język prawo władza rząd sejm senat wybory naród kraj granica wojna pokój zwycięstwo "
    "klęska nadzieja strach radość smutek złość gniew wstyd duma odwaga tchórzostwo sprawiedliwość "
    "muzyka obraz rzeźba teatr film książka wiersz powieść opowiadanie baśń legenda mit piosenka "
    "czas raz miejsce kolega pani pan problem system program projekt produkt firma klient rynek cena "
    "koszt plan decyzja zadanie wynik proces metoda model grupa osoba kolor numer adres strona list "
    "telefon komputer internet dane informacja energia kultura polityka ekonomia medycyna biologia "
    "chemia fizyka matematyka geografia kino radio gazeta temat prawda kraj region gmina powiat "
    "miasteczko osiedle budynek sklep bank poczta apteka szpital policja muzeum park plac most "
    "jezioro wyspa papier olej benzyna metal drewno godzina minuta sekunda noc rano ranek teren "
    "obszar punkt linia koniec przypadek rodzaj charakter poziom interes kontakt spotkanie zebranie "
    "konferencja wystawa koncert mecz turniej zawodnik trener sport gra zabawa czysty brudny pusty "
    "otwarty polski rosyjski niemiecki angielski francuski czeski wielki krajowy miejski wiejski "
    "prywatny publiczny rodzinny osobisty prawdziwy ostatni jedyny kolejny inny taki jaki robi "
    "mieszka pracuje pisze czyta widzi wie chce ma daje bierze idzie jedzie stoi siedzi patrzy kupuje "
    "sprzedaje szuka czeka wraca pomaga zmienia dodaje otwiera zamyka nosi rysuje maluje gotuje "
    "liczy mierzy pokazuje opisuje prowadzi organizuje planuje";

// A heading of capital letters now and then, where Ą, Ę and Ń appear too.
constexpr std::array<std::string_view, 6> NAGLOWKI = {"ZAŻÓŁĆ GĘŚLĄ JAŹŃ",    "ROZDZIAŁ PIĄTY",
                                                      "PAŃSTWO I PRAWO",      "WĄSKIE ŚCIEŻKI",
                                                      "ŹRÓDŁA ŚWIĘTEJ RZEKI", "CZĘŚĆ DRUGA"};

std::vector<std::string> slowa(std::string_view lista)
{
    std::vector<std::string> wynik;
    while (!lista.empty()) {
        const std::size_t spacja = lista.find(' ');
        const std::string_view slowo = lista.substr(0, spacja);
        if (!slowo.empty()) {
            wynik.push_back(engine::test::KonwertujBajty(std::string(slowo), UTF8_INDEX, WINDOWS_EE));
        }
        lista.remove_prefix(spacja == std::string_view::npos ? lista.size() : spacja + 1);
    }
    return wynik;
}

// Capital letters of Windows-EE: ASCII, and the nine Polish letters by the table.
const std::array<char, 256>& wielkie()
{
    static const std::array<char, 256> tabela = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            t[static_cast<std::size_t>(b)] = static_cast<char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
        }
        for (int p = 1; p <= 9; ++p) {
            const auto mala = static_cast<unsigned char>(Litera(WINDOWS_EE, p + 9)[0]);
            t[mala] = Litera(WINDOWS_EE, p)[0];
        }
        return t;
    }();
    return tabela;
}

}  // namespace

TekstPolski::TekstPolski(int standard, std::uint64_t ziarno)
    : standard_(standard), stan_(ziarno), czeste_(slowa(CZESTE)), tresc_(slowa(TRESC))
{
    static_cast<void>(Standardy(standard));
    windows_.reserve(KAWALEK + 4096);
}

// splitmix64: fast, and the same everywhere.
std::uint64_t TekstPolski::los()
{
    std::uint64_t z = (stan_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

void TekstPolski::dodajSlowo(const std::string& slowo, bool wielka, bool wszystkieWielkie)
{
    if (kolumna_ > 0) {
        if (kolumna_ + 1 + slowo.size() > SZEROKOSC_WIERSZA) {
            windows_ += "\r\n";
            kolumna_ = 0;
        } else {
            windows_ += ' ';
            ++kolumna_;
        }
    }
    const std::size_t poczatek = windows_.size();
    windows_ += slowo;
    if (wielka || wszystkieWielkie) {
        const std::array<char, 256>& w = wielkie();
        const std::size_t koniec = wszystkieWielkie ? windows_.size() : poczatek + 1;
        for (std::size_t i = poczatek; i < koniec; ++i) {
            windows_[i] = w[static_cast<unsigned char>(windows_[i])];
        }
    }
    kolumna_ += slowo.size();
}

void TekstPolski::naglowek()
{
    windows_ +=
        engine::test::KonwertujBajty(std::string(NAGLOWKI[los(NAGLOWKI.size())]), UTF8_INDEX, WINDOWS_EE);
    windows_ += "\r\n\r\n";
}

void TekstPolski::akapit()
{
    if (los(12) == 0) {
        naglowek();
    }
    kolumna_ = 0;
    for (std::size_t zdania = 2 + los(6); zdania > 0; --zdania) {
        const std::size_t dlugosc = 4 + los(12);
        for (std::size_t i = 0; i < dlugosc; ++i) {
            const std::uint64_t r = los();
            if (r % 40 == 0) {
                dodajSlowo(std::to_string(r % 2025 / (r % 3 + 1)), false, false);
            } else {
                // Most words are the short, frequent ones, as in real prose.
                const std::vector<std::string>& zbior = (r >> 8) % 8 < 5 ? czeste_ : tresc_;
                dodajSlowo(zbior[(r >> 16) % zbior.size()], i == 0, false);
            }
            if (i + 1 < dlugosc && (r >> 40) % 9 == 0) {
                windows_ += ',';
                ++kolumna_;
            }
        }
        const std::uint64_t koniec = los(20);
        windows_ += koniec == 0 ? '!' : koniec < 3 ? '?' : '.';
        ++kolumna_;
    }
    windows_ += "\r\n\r\n";
    kolumna_ = 0;
}

void TekstPolski::dopisz(std::string& wyjscie, std::size_t ile)
{
    while (ile > 0) {
        if (wydane_ == gotowe_.size()) {
            windows_.clear();
            while (windows_.size() < KAWALEK) {
                akapit();
            }
            gotowe_ = standard_ == WINDOWS_EE ? windows_
                                              : engine::test::KonwertujBajty(windows_, WINDOWS_EE, standard_);
            wydane_ = 0;
        }
        const std::size_t n = std::min(ile, gotowe_.size() - wydane_);
        wyjscie.append(gotowe_, wydane_, n);
        wydane_ += n;
        ile -= n;
    }
}

void TekstPolski::zakoncz(std::string& wyjscie) const
{
    if (KonwersjaBlokowa(standard_, standard_).doCzekania(wyjscie) > 0) {
        wyjscie.back() = ' ';
    }
}

std::string GenerujTekst(std::size_t rozmiar, int standard, std::uint64_t ziarno)
{
    TekstPolski generator(standard, ziarno);
    std::string tekst;
    tekst.reserve(rozmiar);
    generator.dopisz(tekst, rozmiar);
    generator.zakoncz(tekst);
    return tekst;
}

const std::string& TekstWPamieci(std::size_t rozmiar, int standard)
{
    static std::map<std::pair<std::size_t, int>, std::string> teksty;
    auto [miejsce, nowy] = teksty.try_emplace({rozmiar, standard});
    if (nowy) {
        miejsce->second = GenerujTekst(rozmiar, standard);
    }
    return miejsce->second;
}

std::size_t CzytajRozmiar(std::string_view napis)
{
    std::size_t wartosc = 0;
    std::size_t i = 0;
    for (; i < napis.size() && napis[i] >= '0' && napis[i] <= '9'; ++i) {
        wartosc = wartosc * 10 + static_cast<std::size_t>(napis[i] - '0');
    }
    if (i == 0 || i + 1 < napis.size()) {
        throw std::invalid_argument("zły rozmiar: " + std::string(napis));
    }
    if (i < napis.size()) {
        const std::size_t jednostka = std::string_view("KMG").find(napis[i]);
        if (jednostka == std::string_view::npos) {
            throw std::invalid_argument("zły rozmiar: " + std::string(napis));
        }
        wartosc <<= 10 * (jednostka + 1);
    }
    return wartosc;
}

}  // namespace bench
