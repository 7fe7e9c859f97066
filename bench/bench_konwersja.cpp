// The engine converting Polish text held in memory, beside glibc's iconv(3) on the same
// buffers and memcpy of the same size. Only the conversion is timed: the copy the engine
// takes its text from and freeing the previous result happen with the timer paused.
// After the run a summary gives the ratios, each computed from this one run's
// measurements.
//
//   bench_konwersja [--rozmiar=100M] [--benchmark_repetitions=N ...]
//
// The summary compares CPU time, which includes the kernel's work for page faults but
// not the time others' processes take the processor away: on a shared machine wall
// time mostly measures the neighbours. With repetitions it takes each benchmark's
// fastest one; --benchmark_enable_random_interleaving=true spreads any disturbance over
// all benchmarks alike.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "konwersja.h"
#include "nie_litery.h"
#include "standardy.h"
#include "tekst_polski.h"

namespace {

using namespace znakomat;

std::size_t rozmiarTekstu = std::size_t{100} << 20;

struct Para {
    int zrodlo;
    int cel;
    const char* iconvZ;  // nullptr: iconv has no such pair
    const char* iconvNa;
};

constexpr std::array<Para, 6> PARY = {{
    {WINDOWS_EE, ISO_LATIN_2, "CP1250", "ISO-8859-2"},
    {WINDOWS_EE, UTF8_INDEX, "CP1250", "UTF-8"},
    {UTF8_INDEX, WINDOWS_EE, "UTF-8", "CP1250"},
    {ISO_LATIN_2, WINDOWS_EE, "ISO-8859-2", "CP1250"},
    {MAZOVIA, WINDOWS_EE, nullptr, nullptr},
    {ISO_LATIN_2, BRAK, nullptr, nullptr},
}};

std::string nazwaPary(const Para& para)
{
    return std::string(Standardy(para.zrodlo).Nazwa) + ">" + std::string(Standardy(para.cel).Nazwa);
}

// The same text in every standard the pairs start from, made once.
const std::string& tekst(int standard)
{
    static std::map<int, std::string> teksty;
    auto [miejsce, nowy] = teksty.try_emplace(standard);
    if (nowy) {
        miejsce->second = pomiar::GenerujTekst(rozmiarTekstu, standard);
    }
    return miejsce->second;
}

void silnik(benchmark::State& stan, Para para)
{
    const std::string& wejscie = tekst(para.zrodlo);
    std::string wynik;
    for (auto _ : stan) {
        stan.PauseTiming();
        std::string kopia = wejscie;
        wynik = std::string();
        stan.ResumeTiming();
        wynik = KonwertujTekst(std::move(kopia), para.zrodlo, para.cel, BezPostepu());
        benchmark::DoNotOptimize(wynik.data());
        benchmark::ClobberMemory();
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

void iconv3(benchmark::State& stan, Para para)
{
    const std::string& wejscie = tekst(para.zrodlo);
    const iconv_t deskryptor = ::iconv_open(para.iconvNa, para.iconvZ);
    if (deskryptor == reinterpret_cast<iconv_t>(-1)) {
        stan.SkipWithError("iconv_open failed");
        return;
    }
    // Written once before timing, so no page of it faults inside.
    std::string wynik(wejscie.size() * 2 + 16, '\0');
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
    if (!stan.error_occurred() && std::string_view(wynik.data(), dlugosc) !=
                                      KonwertujTekst(wejscie, para.zrodlo, para.cel, BezPostepu())) {
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

void kopiowanie(benchmark::State& stan)
{
    const std::string& wejscie = tekst(WINDOWS_EE);
    std::string wynik(wejscie.size(), '\0');
    for (auto _ : stan) {
        std::memcpy(wynik.data(), wejscie.data(), wejscie.size());
        benchmark::DoNotOptimize(wynik.data());
        benchmark::ClobberMemory();
    }
    if (wynik != wejscie) {
        stan.SkipWithError("memcpy copied something else");
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// Shows every run as usual and keeps each benchmark's times for the summary.
class Zbieracz : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& przebiegi) override
    {
        for (const Run& przebieg : przebiegi) {
            if (przebieg.error_occurred) {
                ++bledy;
            } else if (przebieg.run_type == Run::RT_Iteration ||
                       (przebieg.run_type == Run::RT_Aggregate && przebieg.aggregate_name == "min")) {
                // Shown alone with --benchmark_report_aggregates_only=true.
                czasy[przebieg.run_name.function_name].push_back(przebieg.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(przebiegi);
    }

    // The fastest repetition's CPU time in seconds, or 0 when the benchmark did not run.
    double czas(const std::string& nazwa) const
    {
        const auto miejsce = czasy.find(nazwa);
        if (miejsce == czasy.end()) {
            return 0;
        }
        // Times are in the benchmarks' unit: milliseconds.
        return *std::min_element(miejsce->second.begin(), miejsce->second.end()) / 1e3;
    }

    std::map<std::string, std::vector<double>> czasy;
    int bledy = 0;
};

void podsumowanie(const Zbieracz& zbieracz)
{
    const double mib = static_cast<double>(rozmiarTekstu) / (1 << 20);
    const std::string& windows = tekst(WINDOWS_EE);
    const auto litery = std::count_if(windows.begin(), windows.end(), [](char c) { return c & 0x80; });
    std::printf("\nSummary: %.0f MiB of Polish text (%.1f %% letters), CPU time of the fastest repetition\n",
                mib, 100.0 * static_cast<double>(litery) / static_cast<double>(windows.size()));
    const double kopia = zbieracz.czas("memcpy");
    std::printf("memcpy: %.1f ms, %.0f MiB/s\n", kopia * 1e3, kopia > 0 ? mib / kopia : 0.0);
    std::printf("%-28s %10s %10s %12s %12s\n", "pair", "MiB/s", "iconv MiB/s", "x iconv", "x memcpy");
    std::printf("%-28s %10s %10s %12s %12s\n", "", "", "", "(goal >= 5)", "(goal <= 4)");
    for (const Para& para : PARY) {
        const double nasz = zbieracz.czas("znakomat/" + nazwaPary(para));
        if (nasz <= 0) {
            continue;
        }
        const double obcy = para.iconvZ ? zbieracz.czas("iconv/" + nazwaPary(para)) : 0;
        char iconvMib[32] = "-";
        char razyIconv[32] = "-";
        if (obcy > 0) {
            std::snprintf(iconvMib, sizeof iconvMib, "%.0f", mib / obcy);
            std::snprintf(razyIconv, sizeof razyIconv, "%.1f", obcy / nasz);
        }
        char razyKopia[32] = "-";
        if (kopia > 0) {
            std::snprintf(razyKopia, sizeof razyKopia, "%.2f", nasz / kopia);
        }
        std::printf("%-28s %10.0f %10s %12s %12s\n", nazwaPary(para).c_str(), mib / nasz, iconvMib, razyIconv,
                    razyKopia);
    }
}

double najmniejszy(const std::vector<double>& wartosci)
{
    return *std::min_element(wartosci.begin(), wartosci.end());
}

std::size_t czytajRozmiar(std::string_view napis)
{
    std::size_t wartosc = 0;
    std::size_t i = 0;
    for (; i < napis.size() && napis[i] >= '0' && napis[i] <= '9'; ++i) {
        wartosc = wartosc * 10 + static_cast<std::size_t>(napis[i] - '0');
    }
    const std::string_view jednostka = napis.substr(i);
    if (i == 0 || jednostka.size() > 1 ||
        (jednostka.size() == 1 && std::string_view("KM").find(jednostka) == std::string_view::npos)) {
        throw std::invalid_argument("zły rozmiar: " + std::string(napis));
    }
    return jednostka == "K" ? wartosc << 10 : jednostka == "M" ? wartosc << 20 : wartosc;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!argument.starts_with("--rozmiar=")) {
            std::fprintf(stderr, "bench_konwersja: nieznany argument %s\n", argv[i]);
            return 2;
        }
        rozmiarTekstu = czytajRozmiar(argument.substr(10));
    }

    for (const Para& para : PARY) {
        benchmark::RegisterBenchmark(("znakomat/" + nazwaPary(para)).c_str(), silnik, para)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", najmniejszy);
        if (para.iconvZ) {
            benchmark::RegisterBenchmark(("iconv/" + nazwaPary(para)).c_str(), iconv3, para)
                ->Unit(benchmark::kMillisecond)
                ->ComputeStatistics("min", najmniejszy);
        }
    }
    for (const Para& para : {PARY[1], PARY[2]}) {
        benchmark::RegisterBenchmark(("nieLitery/" + nazwaPary(para)).c_str(), nieLitery, para)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", najmniejszy);
    }
    benchmark::RegisterBenchmark("memcpy", kopiowanie)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", najmniejszy);

    Zbieracz zbieracz(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                              : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&zbieracz);
    podsumowanie(zbieracz);
    benchmark::Shutdown();
    // A benchmark that failed its own check fails the run.
    return zbieracz.bledy == 0 ? 0 : 1;
}
