// The engine converting Polish text held in memory, for all 324 pairs of standards,
// beside glibc's iconv(3) on the same buffers where iconv knows both encodings, and memcpy
// of the same size. Each converts into an output buffer it has already touched, as the
// command line's loop does from piece to piece. After the run a summary gives the ratios,
// each computed from this one run's measurements.
//
//   bench_konwersja [--rozmiar=100M] [--wariant=zwykly|sse2|ssse3|avx2|avx512vbmi]
//                   [--benchmark_repetitions=N ...]
//
// The summary compares CPU time, which includes the kernel's work for page faults but
// not the time others' processes take the processor away: on a shared machine wall
// time mostly measures the neighbours. With repetitions it gives each ratio's median over
// the repetitions and its spread (lowest and highest), the n-th repetition of one
// benchmark set against the n-th of the other; --benchmark_enable_random_interleaving=true
// spreads any disturbance over all benchmarks alike.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/tekst_polski.h"
#include "engine/konwersja.h"
#include "engine/nie_litery.h"
#include "engine/przebieg.h"
#include "engine/standardy.h"
#include "engine/strona.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/wymuszany_wariant.h"
#include "engine/wszystkie_znaki.h"

namespace {

using namespace engine;

std::size_t rozmiarTekstu = std::size_t{100} << 20;

struct Para {
    int zrodlo;
    int cel;
};

std::string nazwaPary(const Para& para)
{
    return std::string(Standardy(para.zrodlo).Nazwa) + ">" + std::string(Standardy(para.cel).Nazwa);
}

// The same text in every standard the pairs start from, made once.
const std::string& tekst(int standard)
{
    return bench::TekstWPamieci(rozmiarTekstu, standard);
}

// One output buffer for every benchmark, large enough for any result and written once
// before timing, so no page of it faults inside.
std::string& bufor()
{
    static std::string wynik(2 * rozmiarTekstu + 4096, '\0');
    return wynik;
}

void silnik(benchmark::State& stan, Para para)
{
    const std::string& wejscie = tekst(para.zrodlo);
    const PrzygotowanaKonwersja konwersja(para.zrodlo, para.cel);
    std::string& wynik = bufor();
    if (wynik.size() < konwersja.najwiecejBajtow(wejscie.size())) {
        stan.SkipWithError("output buffer too small");
        return;
    }
    for (auto _ : stan) {
        benchmark::DoNotOptimize(konwersja.konwertuj(wejscie, wynik.data()));
        benchmark::ClobberMemory();
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// `tenSamWynik`: the output is checked against the letters' conversion of the same pair.
void iconv3(benchmark::State& stan, Para para, bool tenSamWynik = true)
{
    const std::string& wejscie = tekst(para.zrodlo);
    const iconv_t deskryptor = ::iconv_open(NazwaWIconv(para.cel), NazwaWIconv(para.zrodlo));
    if (deskryptor == reinterpret_cast<iconv_t>(-1)) {
        stan.SkipWithError("iconv_open failed");
        return;
    }
    std::string& wynik = bufor();
    std::size_t dlugosc = 0;
    for (auto _ : stan) {
        ::iconv(deskryptor, nullptr, nullptr, nullptr, nullptr);
        char* odczyt = const_cast<char*>(wejscie.data());
        std::size_t doOdczytu = wejscie.size();
        char* zapis = wynik.data();
        std::size_t miejsca = wynik.size();
        const std::size_t zwrot = ::iconv(deskryptor, &odczyt, &doOdczytu, &zapis, &miejsca);
        benchmark::DoNotOptimize(wynik.data());
        benchmark::ClobberMemory();
        if (zwrot == static_cast<std::size_t>(-1) || doOdczytu != 0) {
            stan.SkipWithError("iconv stopped before the end");
            break;
        }
        dlugosc = wynik.size() - miejsca;
    }
    ::iconv_close(deskryptor);
    // Both convert the same text the same way, or the comparison would mean nothing.
    if (!stan.error_occurred() && tenSamWynik &&
        std::string_view(wynik.data(), dlugosc) !=
            engine::test::KonwertujBajty(wejscie, para.zrodlo, para.cel)) {
        stan.SkipWithError("iconv and the engine differ");
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// The watch znakomat-cli keeps on bytes the target cannot hold, fed pieces as it reads them.
void nieLitery(benchmark::State& stan, Para para)
{
    constexpr std::size_t KAWALEK = std::size_t{256} << 10;
    const std::string_view wejscie = tekst(para.zrodlo);
    for (auto _ : stan) {
        NieLitery licznik(para.zrodlo, para.cel);
        for (std::size_t p = 0; p < wejscie.size(); p += KAWALEK) {
            licznik.dodaj(wejscie.substr(p, KAWALEK));
        }
        benchmark::DoNotOptimize(licznik.ile());
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// -a: every character, in the pieces the command line reads; the standards without a code
// page of their own on the base 437.
std::string podstawaPomiaru(const Para& para)
{
    return KonwertujeWszystkieZnaki(para.zrodlo, para.cel) ? "" : "IBM437";
}

void wszystkieZnaki(benchmark::State& stan, Para para)
{
    constexpr std::size_t KAWALEK = std::size_t{256} << 10;
    const std::string_view wejscie = tekst(para.zrodlo);
    KonwersjaWszystkichZnakow konwersja(para.zrodlo, para.cel, podstawaPomiaru(para));
    std::string wynik;
    try {
        for (auto _ : stan) {
            for (std::size_t p = 0; p < wejscie.size(); p += KAWALEK) {
                wynik.clear();
                konwersja.dopisz(wejscie.substr(p, KAWALEK), wynik);
                benchmark::DoNotOptimize(wynik.data());
            }
            konwersja.zakoncz();
        }
    } catch (const NieprzekonwertowanyZnak&) {
        stan.SkipWithError("the conversion stopped");
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// What -a is held against: iconv(3) over the same text in one call, between the code pages
// the pair stands for; a standard iconv does not know stands as IBM-Latin-2, the Polish DOS
// code page, with the same text in it.
int wIconv(int standard)
{
    return NazwaWIconv(standard) != nullptr ? standard : IBM_LATIN_2;
}

void kopiowanie(benchmark::State& stan)
{
    const std::string& wejscie = tekst(WINDOWS_EE);
    std::string& wynik = bufor();
    for (auto _ : stan) {
        std::memcpy(wynik.data(), wejscie.data(), wejscie.size());
        benchmark::DoNotOptimize(wynik.data());
        benchmark::ClobberMemory();
    }
    if (std::string_view(wynik.data(), wejscie.size()) != wejscie) {
        stan.SkipWithError("memcpy copied something else");
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// The limit of a pass that writes every byte it reads: a copy with a trivial change to each
// byte, which the compiler vectorises. memcpy may write around the cache, which a pass
// that stores what it computed does not.
void kopiowanieZeZmiana(benchmark::State& stan)
{
    const std::string& wejscie = tekst(WINDOWS_EE);
    std::string& wynik = bufor();
    char zmiana = 0;
    const std::size_t n = wejscie.size();
    const char* __restrict z = wejscie.data();
    char* __restrict w = wynik.data();
    for (auto _ : stan) {
        benchmark::DoNotOptimize(zmiana);
        for (std::size_t i = 0; i < n; ++i) {
            w[i] = static_cast<char>(z[i] ^ zmiana);
        }
        benchmark::DoNotOptimize(wynik.data());
        benchmark::ClobberMemory();
    }
    if (std::string_view(wynik.data(), wejscie.size()) != wejscie) {
        stan.SkipWithError("the copy differs");
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// Shows every run as usual and keeps each repetition's time for the summary.
class Zbieracz : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    // Each repetition is kept; with repetitions only their aggregates are shown, as
    // --benchmark_report_aggregates_only would (which would hide the repetitions here too).
    void ReportRuns(const std::vector<Run>& przebiegi) override
    {
        std::vector<Run> pokazane;
        for (const Run& przebieg : przebiegi) {
            if (przebieg.error_occurred) {
                ++bledy;
            } else if (przebieg.run_type == Run::RT_Iteration) {
                // Times are in the benchmarks' unit: milliseconds.
                czasy[przebieg.run_name.function_name].push_back(przebieg.GetAdjustedCPUTime() / 1e3);
            }
            if (przebieg.run_type == Run::RT_Aggregate || przebieg.repetitions <= 1 ||
                przebieg.error_occurred) {
                pokazane.push_back(przebieg);
            }
        }
        ConsoleReporter::ReportRuns(pokazane.empty() ? przebiegi : pokazane);
    }

    std::map<std::string, std::vector<double>> czasy;
    int bledy = 0;
};

double mediana(std::vector<double> wartosci)
{
    std::sort(wartosci.begin(), wartosci.end());
    const std::size_t n = wartosci.size();
    return n % 2 == 1 ? wartosci[n / 2] : (wartosci[n / 2 - 1] + wartosci[n / 2]) / 2;
}

// A ratio over the repetitions: the n-th of `licznik` over the n-th of `mianownik`.
struct Stosunek {
    double mediana = 0;
    double najmniejszy = 0;
    double najwiekszy = 0;
};

std::optional<Stosunek> stosunek(const Zbieracz& zbieracz, const std::string& licznik,
                                 const std::string& mianownik)
{
    const auto l = zbieracz.czasy.find(licznik);
    const auto m = zbieracz.czasy.find(mianownik);
    if (l == zbieracz.czasy.end() || m == zbieracz.czasy.end()) {
        return std::nullopt;
    }
    std::vector<double> ilorazy;
    for (std::size_t i = 0; i < std::min(l->second.size(), m->second.size()); ++i) {
        ilorazy.push_back(l->second[i] / m->second[i]);
    }
    if (ilorazy.empty()) {
        return std::nullopt;
    }
    return Stosunek{mediana(ilorazy), *std::min_element(ilorazy.begin(), ilorazy.end()),
                    *std::max_element(ilorazy.begin(), ilorazy.end())};
}

std::string skrot(int standard)
{
    return std::string(Standardy(standard).Nazwa.substr(0, 6));
}

void podsumowanie(const Zbieracz& zbieracz, int wszystkichPowtorzen)
{
    const double mib = static_cast<double>(rozmiarTekstu) / (1 << 20);
    const std::string& windows = tekst(WINDOWS_EE);
    const auto litery = std::count_if(windows.begin(), windows.end(), [](char c) { return c & 0x80; });
    std::printf(
        "\nSummary: %.0f MiB of Polish text (%.1f %% letters), variant %s, CPU time, %d repetitions\n", mib,
        100.0 * static_cast<double>(litery) / static_cast<double>(windows.size()),
        std::string(NazwaWariantu(BiezacyWariant())).c_str(), wszystkichPowtorzen);
    const auto kopia = zbieracz.czasy.find("memcpy");
    if (kopia == zbieracz.czasy.end()) {
        return;
    }
    const double czasKopii = mediana(kopia->second);
    std::printf("memcpy: median %.1f ms, %.0f MiB/s\n", czasKopii * 1e3, mib / czasKopii);
    if (const auto granica = stosunek(zbieracz, "kopiaZeZmiana", "memcpy")) {
        std::printf(
            "a copy that changes each byte (the limit of any pass): %.2f [%.2f-%.2f] x memcpy's time\n",
            granica->mediana, granica->najmniejszy, granica->najwiekszy);
    }

    // Time over memcpy's, median of the repetitions: one row per source, one column per target.
    std::printf("\nTime / memcpy's (median), source down, target across:\n%-7s", "");
    for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
        std::printf(" %6s", skrot(cel).c_str());
    }
    std::printf("\n");
    Stosunek najgorszyWaski{};
    Stosunek najgorszySzeroki{};
    std::string waski;
    std::string szeroki;
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        std::printf("%-7s", skrot(zrodlo).c_str());
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            const Para para{zrodlo, cel};
            const auto s = stosunek(zbieracz, "znakomat/" + nazwaPary(para), "memcpy");
            if (!s) {
                std::printf(" %6s", "-");
                continue;
            }
            std::printf(" %6.2f", s->mediana);
            const bool jednobajtowa = SzerokoscLitery(zrodlo) == 1 && SzerokoscLitery(cel) == 1;
            const bool poszerzenie = SzerokoscLitery(zrodlo) == 1 && cel == UTF8_INDEX;
            if (jednobajtowa && s->mediana > najgorszyWaski.mediana) {
                najgorszyWaski = *s;
                waski = nazwaPary(para);
            }
            if (poszerzenie && s->mediana > najgorszySzeroki.mediana) {
                najgorszySzeroki = *s;
                szeroki = nazwaPary(para);
            }
        }
        std::printf("\n");
    }

    std::printf("\n%-26s %12s %10s %10s %20s %20s\n", "pair (iconv knows both)", "median ms", "MiB/s",
                "iconv MiB/s", "x iconv [min-max]", "/ memcpy [min-max]");
    Stosunek najslabszyWobecIconv{1e9, 0, 0};
    std::string najslabsza;
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            const Para para{zrodlo, cel};
            const auto nasz = zbieracz.czasy.find("znakomat/" + nazwaPary(para));
            const auto obcy = zbieracz.czasy.find("iconv/" + nazwaPary(para));
            const auto razy = stosunek(zbieracz, "iconv/" + nazwaPary(para), "znakomat/" + nazwaPary(para));
            const auto wobecKopii = stosunek(zbieracz, "znakomat/" + nazwaPary(para), "memcpy");
            if (nasz == zbieracz.czasy.end() || obcy == zbieracz.czasy.end() || !razy || !wobecKopii) {
                continue;
            }
            const double czas = mediana(nasz->second);
            std::printf("%-26s %12.1f %10.0f %10.0f %7.1f [%4.1f-%4.1f] %7.2f [%4.2f-%4.2f]\n",
                        nazwaPary(para).c_str(), czas * 1e3, mib / czas, mib / mediana(obcy->second),
                        razy->mediana, razy->najmniejszy, razy->najwiekszy, wobecKopii->mediana,
                        wobecKopii->najmniejszy, wobecKopii->najwiekszy);
            if (razy->mediana < najslabszyWobecIconv.mediana) {
                najslabszyWobecIconv = *razy;
                najslabsza = nazwaPary(para);
            }
        }
    }

    // -a beside iconv over the same text.
    Stosunek najslabszeWszystkie{1e9, 0, 0};
    std::string najslabszaWszystkich;
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            const Para para{zrodlo, cel};
            const auto razy =
                stosunek(zbieracz, "iconvCaly/" + nazwaPary(para), "wszystkie/" + nazwaPary(para));
            if (razy && razy->mediana < najslabszeWszystkie.mediana) {
                najslabszeWszystkie = *razy;
                najslabszaWszystkich = nazwaPary(para);
            }
        }
    }

    std::printf("\nGoals:\n");
    if (!najslabszaWszystkich.empty()) {
        std::printf("  -a at least as fast as iconv(3) on the same text: lowest %s %.2f [%.2f-%.2f]\n",
                    najslabszaWszystkich.c_str(), najslabszeWszystkie.mediana,
                    najslabszeWszystkie.najmniejszy, najslabszeWszystkie.najwiekszy);
    }
    if (!waski.empty()) {
        std::printf("  one-byte pairs within 1.3x memcpy: slowest %s %.2f [%.2f-%.2f]\n", waski.c_str(),
                    najgorszyWaski.mediana, najgorszyWaski.najmniejszy, najgorszyWaski.najwiekszy);
    }
    if (!szeroki.empty()) {
        std::printf("  widening to UTF-8 within 2.5x memcpy: slowest %s %.2f [%.2f-%.2f]\n", szeroki.c_str(),
                    najgorszySzeroki.mediana, najgorszySzeroki.najmniejszy, najgorszySzeroki.najwiekszy);
    }
    if (!najslabsza.empty()) {
        std::printf("  at least 5x iconv(3): lowest %s %.1f [%.1f-%.1f]\n", najslabsza.c_str(),
                    najslabszyWobecIconv.mediana, najslabszyWobecIconv.najmniejszy,
                    najslabszyWobecIconv.najwiekszy);
    }
}

Wariant czytajWariant(std::string_view napis)
{
    for (const Wariant wariant :
         {Wariant::Zwykly, Wariant::Sse2, Wariant::Ssse3, Wariant::Avx2, Wariant::Avx512Vbmi}) {
        if (NazwaWariantu(wariant) == napis) {
            return wariant;
        }
    }
    throw std::invalid_argument("nieznany wariant: " + std::string(napis));
}

}  // namespace

int main(int argc, char** argv)
{
    int powtorzenia = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--benchmark_repetitions=")) {
            powtorzenia = std::stoi(std::string(argument.substr(24)));
        }
    }
    benchmark::Initialize(&argc, argv);
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (argument.starts_with("--rozmiar=")) {
                rozmiarTekstu = bench::CzytajRozmiar(argument.substr(10));
            } else if (argument.starts_with("--wariant=")) {
                WymusWariant(czytajWariant(argument.substr(10)));
            } else {
                std::fprintf(stderr, "bench_konwersja: nieznany argument %s\n", argv[i]);
                return 2;
            }
        }
    } catch (const std::invalid_argument& blad) {
        std::fprintf(stderr, "bench_konwersja: %s\n", blad.what());
        return 2;
    }

    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            const Para para{zrodlo, cel};
            benchmark::RegisterBenchmark(("znakomat/" + nazwaPary(para)).c_str(), silnik, para)
                ->Unit(benchmark::kMillisecond);
            if (NazwaWIconv(zrodlo) && NazwaWIconv(cel)) {
                benchmark::RegisterBenchmark(("iconv/" + nazwaPary(para)).c_str(), iconv3, para, true)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            const Para para{zrodlo, cel};
            benchmark::RegisterBenchmark(("wszystkie/" + nazwaPary(para)).c_str(), wszystkieZnaki, para)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("iconvCaly/" + nazwaPary(para)).c_str(), iconv3,
                                         Para{wIconv(zrodlo), wIconv(cel)}, false)
                ->Unit(benchmark::kMillisecond);
        }
    }
    for (const Para& para : {Para{WINDOWS_EE, UTF8_INDEX}, Para{UTF8_INDEX, WINDOWS_EE},
                             Para{WINDOWS_EE, ISO_LATIN_2}, Para{MAZOVIA, IBM_LATIN_2}}) {
        benchmark::RegisterBenchmark(("nieLitery/" + nazwaPary(para)).c_str(), nieLitery, para)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("memcpy", kopiowanie)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("kopiaZeZmiana", kopiowanieZeZmiana)->Unit(benchmark::kMillisecond);

    Zbieracz zbieracz(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                              : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&zbieracz);
    podsumowanie(zbieracz, powtorzenia);
    benchmark::Shutdown();
    // A benchmark that failed its own check fails the run.
    return zbieracz.bledy == 0 ? 0 : 1;
}
