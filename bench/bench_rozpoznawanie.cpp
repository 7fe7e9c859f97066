// Recognising the standard of Polish text held in memory, beside memcpy of the same size,
// and the summary's ratios from this one run.
//
//   bench_rozpoznawanie [--rozmiar=100M] [--benchmark_repetitions=N ...]
//
// Whole texts through RozpoznajStandard, and the same text in 256 KiB pieces through one
// Rozpoznawacz, as a file read piece by piece would be; and the verdict on the text's first
// 3000 bytes, where scoring the words, not the pass, takes the time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/tekst_polski.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"

namespace {

using namespace engine;

std::size_t rozmiarTekstu = std::size_t{100} << 20;
constexpr std::size_t KAWALEK = std::size_t{256} << 10;

const std::array<const char*, 3> STANDARDY = {"Windows-EE", "Mazovia", "UTF-8"};

const std::string& tekst(int standard)
{
    return bench::TekstWPamieci(rozmiarTekstu, standard);
}

void calosc(benchmark::State& stan, int standard)
{
    const std::string& wejscie = tekst(standard);
    for (auto _ : stan) {
        const Rozpoznanie r = RozpoznajStandard(wejscie);
        benchmark::DoNotOptimize(r.ranking.data());
        if (r.standard() != standard || r.werdykt != Werdykt::Rozpoznany) {
            stan.SkipWithError("recognised wrong");
            break;
        }
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

void kawalkami(benchmark::State& stan, int standard)
{
    const std::string_view wejscie = tekst(standard);
    for (auto _ : stan) {
        Rozpoznawacz rozpoznawacz;
        for (std::size_t od = 0; od < wejscie.size(); od += KAWALEK) {
            rozpoznawacz.dodaj(wejscie.substr(od, KAWALEK));
        }
        const Rozpoznanie r = rozpoznawacz.wynik();
        benchmark::DoNotOptimize(r.ranking.data());
        if (r.standard() != standard) {
            stan.SkipWithError("recognised wrong");
            break;
        }
    }
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

constexpr std::size_t KROTKI = 3000;
constexpr const char* WERDYKT = "werdykt_3000B/";

void krotki(benchmark::State& stan, int standard)
{
    const std::string wejscie = tekst(standard).substr(0, KROTKI);
    for (auto _ : stan) {
        const Rozpoznanie r = RozpoznajStandard(wejscie);
        benchmark::DoNotOptimize(r.ranking.data());
    }
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
    stan.SetBytesProcessed(static_cast<std::int64_t>(stan.iterations() * wejscie.size()));
}

// Shows every run as usual and keeps each benchmark's fastest CPU time for the summary.
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
                auto [miejsce, nowy] = czasy.try_emplace(przebieg.run_name.function_name, 0.0);
                const double czas = przebieg.GetAdjustedCPUTime() / 1e3;
                miejsce->second = nowy ? czas : std::min(miejsce->second, czas);
            }
        }
        ConsoleReporter::ReportRuns(przebiegi);
    }

    std::map<std::string, double> czasy;  // seconds
    int bledy = 0;
};

void podsumowanie(const Zbieracz& zbieracz)
{
    const double mib = static_cast<double>(rozmiarTekstu) / (1 << 20);
    const auto kopia = zbieracz.czasy.find("memcpy");
    if (kopia == zbieracz.czasy.end() || kopia->second <= 0) {
        return;
    }
    std::printf("\nSummary: %.0f MiB, CPU time of the fastest repetition; memcpy %.1f ms, %.0f MiB/s\n", mib,
                kopia->second * 1e3, mib / kopia->second);
    std::printf("%-40s %10s %12s\n", "recognition", "MiB/s", "x memcpy");
    for (const auto& [nazwa, czas] : zbieracz.czasy) {
        if (nazwa.starts_with(WERDYKT)) {
            std::printf("%-40s %10.3f ms\n", nazwa.c_str(), czas * 1e3);
        } else if (nazwa != "memcpy" && czas > 0) {
            std::printf("%-40s %10.0f %12.2f\n", nazwa.c_str(), mib / czas, czas / kopia->second);
        }
    }
}

double najmniejszy(const std::vector<double>& wartosci)
{
    return *std::min_element(wartosci.begin(), wartosci.end());
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!argument.starts_with("--rozmiar=") || argument.size() < 11) {
            std::fprintf(stderr, "bench_rozpoznawanie: nieznany argument %s\n", argv[i]);
            return 2;
        }
        rozmiarTekstu = bench::CzytajRozmiar(argument.substr(10));
    }
    for (const char* nazwa : STANDARDY) {
        const int standard = *ZnajdzStandard(nazwa);
        benchmark::RegisterBenchmark((std::string("rozpoznaj/") + nazwa).c_str(), calosc, standard)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", najmniejszy);
        benchmark::RegisterBenchmark((std::string("rozpoznaj_kawalkami/") + nazwa).c_str(), kawalkami,
                                     standard)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", najmniejszy);
        benchmark::RegisterBenchmark((std::string(WERDYKT) + nazwa).c_str(), krotki, standard)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", najmniejszy);
    }
    benchmark::RegisterBenchmark("memcpy", kopiowanie)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", najmniejszy);

    Zbieracz zbieracz;
    benchmark::RunSpecifiedBenchmarks(&zbieracz);
    podsumowanie(zbieracz);
    benchmark::Shutdown();
    return zbieracz.bledy == 0 ? 0 : 1;
}
