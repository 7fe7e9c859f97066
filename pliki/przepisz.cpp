#include "pliki/przepisz.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "engine/standardy.h"

namespace pliki {

namespace {

// Shows each of the eighteen steps once, in order, as the input goes by.
class Kroki {
public:
    explicit Kroki(znakomat::Postep& nadzor) : nadzor_(nadzor) {}

    void dojdzDo(int krok)
    {
        krok = std::min(krok, znakomat::LICZBA_LITER);
        while (biezacy_ < krok) {
            if (biezacy_ > 0) {
                nadzor_.poKroku();
            }
            nadzor_.przedKrokiem(++biezacy_);
        }
    }

    void zakoncz()
    {
        dojdzDo(znakomat::LICZBA_LITER);
        nadzor_.poKroku();
    }

private:
    znakomat::Postep& nadzor_;
    int biezacy_ = 0;
};

// While it lives, threads started by this one take no signal sent to the whole process, so
// those keep reaching the thread that handles them. A write still gets its own SIGPIPE and
// SIGXFSZ, as it would in one thread.
class WatkiBezSygnalow {
public:
    WatkiBezSygnalow()
    {
        sigset_t zestaw;
        sigfillset(&zestaw);
        for (const int wlasny : {SIGPIPE, SIGXFSZ, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
            sigdelset(&zestaw, wlasny);
        }
        ::pthread_sigmask(SIG_BLOCK, &zestaw, &poprzednie_);
    }
    ~WatkiBezSygnalow() { ::pthread_sigmask(SIG_SETMASK, &poprzednie_, nullptr); }
    WatkiBezSygnalow(const WatkiBezSygnalow&) = delete;
    WatkiBezSygnalow& operator=(const WatkiBezSygnalow&) = delete;

private:
    sigset_t poprzednie_;
};

// Writes the converted pieces in a thread of its own while the next ones are read and
// converted: a write into the page cache, and the wait for the disk, cost as much as the
// conversion. The thread only writes; every call of the caller's Postep stays in the thread
// that calls Przepisz. A few pieces of memory go round between the two.
class Pisarz {
public:
    Pisarz(PlikWyjsciowy& wyjscie, std::size_t rozmiarKawalka) : wyjscie_(wyjscie), nadzor_(zatrzymany_)
    {
        for (std::unique_ptr<char[]>& kawalek : kawalki_) {
            kawalek = std::make_unique_for_overwrite<char[]>(rozmiarKawalka);
        }
        rozmiarKawalka_ = rozmiarKawalka;
        const WatkiBezSygnalow bezSygnalow;
        watek_ = std::thread(&Pisarz::pracuj, this);
    }

    // Stops the writing, at once when it waits for a pipe.
    ~Pisarz()
    {
        {
            const std::lock_guard blokada(mutex_);
            zatrzymany_ = true;
        }
        zmiana_.notify_all();
        watek_.join();
    }

    Pisarz(const Pisarz&) = delete;
    Pisarz& operator=(const Pisarz&) = delete;

    // The memory for the next piece, once one is free. Waits through `nadzor`; throws what
    // the writing threw.
    std::span<char> wolny(znakomat::Postep& nadzor)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, nadzor, [this] { return doZapisu_ < LICZBA_KAWALKOW; });
        // The writer moves pierwszy_ on and doZapisu_ down together: the sum stays put.
        return {kawalki_[(pierwszy_ + doZapisu_) % LICZBA_KAWALKOW].get(), rozmiarKawalka_};
    }

    // The first `dlugosc` bytes of the piece wolny() gave are written next.
    void oddaj(std::size_t dlugosc)
    {
        {
            const std::lock_guard blokada(mutex_);
            dlugosci_[(pierwszy_ + doZapisu_) % LICZBA_KAWALKOW] = dlugosc;
            ++doZapisu_;
        }
        zmiana_.notify_all();
    }

    // Waits until every piece is written; throws what the writing threw.
    void dokoncz(znakomat::Postep& nadzor)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, nadzor, [this] { return doZapisu_ == 0; });
    }

private:
    // Tells the writer to stop when Przepisz ends early, also while a pipe keeps it waiting.
    class NadzorPisarza final : public znakomat::Postep {
    public:
        explicit NadzorPisarza(const std::atomic<bool>& zatrzymany) : zatrzymany_(zatrzymany) {}
        bool przerwac() override { return zatrzymany_; }
        int odstepOczekiwania() const override { return 100; }

    private:
        const std::atomic<bool>& zatrzymany_;
    };

    static constexpr std::size_t LICZBA_KAWALKOW = 3;

    template <typename Warunek>
    void czekaj(std::unique_lock<std::mutex>& blokada, znakomat::Postep& nadzor, Warunek gotowe)
    {
        const int odstep = nadzor.odstepOczekiwania();
        while (!gotowe() && !blad_) {
            if (odstep < 0) {
                zmiana_.wait(blokada);
            } else if (zmiana_.wait_for(blokada, std::chrono::milliseconds(odstep)) ==
                       std::cv_status::timeout) {
                blokada.unlock();
                nadzor.sprawdz();
                blokada.lock();
            }
        }
        if (blad_) {
            std::rethrow_exception(blad_);
        }
    }

    void pracuj()
    {
        try {
            std::unique_lock blokada(mutex_);
            for (;;) {
                zmiana_.wait(blokada, [this] { return doZapisu_ > 0 || zatrzymany_; });
                if (zatrzymany_) {
                    return;
                }
                const std::span<const char> kawalek(kawalki_[pierwszy_].get(), dlugosci_[pierwszy_]);
                blokada.unlock();
                wyjscie_.zapisz({kawalek.data(), kawalek.size()}, nadzor_);
                blokada.lock();
                pierwszy_ = (pierwszy_ + 1) % LICZBA_KAWALKOW;
                --doZapisu_;
                zmiana_.notify_all();
            }
        } catch (const znakomat::Przerwane&) {
            // Only the destructor stops the writer, and it waits for nothing more.
        } catch (...) {
            {
                const std::lock_guard blokada(mutex_);
                blad_ = std::current_exception();
            }
            zmiana_.notify_all();
        }
    }

    PlikWyjsciowy& wyjscie_;
    std::array<std::unique_ptr<char[]>, LICZBA_KAWALKOW> kawalki_;
    std::array<std::size_t, LICZBA_KAWALKOW> dlugosci_{};
    std::size_t rozmiarKawalka_ = 0;
    std::mutex mutex_;
    std::condition_variable zmiana_;
    // The oldest piece not written yet, and how many wait from it on.
    std::size_t pierwszy_ = 0;
    std::size_t doZapisu_ = 0;
    std::exception_ptr blad_;
    std::atomic<bool> zatrzymany_{false};
    NadzorPisarza nadzor_;
    std::thread watek_;
};

}  // namespace

void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, znakomat::KonwersjaBlokowa& konwersja,
              znakomat::Postep& nadzor, znakomat::NieLitery* nieLitery)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    wyjscie.powiekszPotok(ROZMIAR_KAWALKA);
    const std::optional<std::uint64_t> rozmiar = wejscie.rozmiar();
    Kroki kroki(nadzor);
    kroki.dojdzDo(1);
    const auto blok = std::make_unique_for_overwrite<char[]>(ROZMIAR_KAWALKA);
    std::uint64_t przeczytane = 0;
    Pisarz pisarz(wyjscie, konwersja.najwiecejBajtow(ROZMIAR_KAWALKA));
    for (;;) {
        nadzor.sprawdz();
        const std::size_t dlugosc = wejscie.czytaj(blok.get(), ROZMIAR_KAWALKA, nadzor);
        if (dlugosc == 0) {
            break;
        }
        const std::string_view przeczytany(blok.get(), dlugosc);
        if (nieLitery) {
            nieLitery->dodaj(przeczytany);
        }
        przeczytane += dlugosc;
        if (rozmiar) {
            // The eighteenth that the last byte read lies in: a piece that ends where an
            // eighteenth ends still belongs to it.
            kroki.dojdzDo(static_cast<int>((przeczytane - 1) * znakomat::LICZBA_LITER / *rozmiar) + 1);
        }
        const std::span<char> wynik = pisarz.wolny(nadzor);
        pisarz.oddaj(konwersja.konwertuj(przeczytany, wynik.data()));
    }
    pisarz.dokoncz(nadzor);
    kroki.zakoncz();
}

void CzytajDoKonca(PlikWejsciowy& wejscie, const std::function<void(std::string_view)>& dalej,
                   znakomat::Postep& nadzor)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    std::string kawalek;
    for (;;) {
        nadzor.sprawdz();
        wejscie.czytaj(kawalek, ROZMIAR_KAWALKA, nadzor);
        if (kawalek.empty()) {
            return;
        }
        dalej(kawalek);
    }
}

}  // namespace pliki
