#include "pliki/przepisz.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "engine/standardy.h"
#include "pliki/pamiec_kawalkow.h"
#include "pliki/procesory.h"

namespace pliki {

namespace {

// Shows each of the eighteen steps once, in order, as the input goes by.
class Kroki {
public:
    explicit Kroki(engine::Postep& postep) : postep_(postep) {}

    void dojdzDo(int krok)
    {
        krok = std::min(krok, engine::LICZBA_LITER);
        while (biezacy_ < krok) {
            if (biezacy_ > 0) {
                postep_.poKroku();
            }
            postep_.przedKrokiem(++biezacy_);
        }
    }

    // `gotowe` bytes of an input of `rozmiar` are through: the eighteenth that the last of
    // them lies in, so a piece that ends where an eighteenth ends still belongs to it. An input
    // of unknown size stays in step 1.
    void zaBajtami(std::uint64_t gotowe, const std::optional<std::uint64_t>& rozmiar)
    {
        if (rozmiar && gotowe > 0) {
            dojdzDo(static_cast<int>((gotowe - 1) * engine::LICZBA_LITER / *rozmiar) + 1);
        }
    }

    void zakoncz()
    {
        dojdzDo(engine::LICZBA_LITER);
        postep_.poKroku();
    }

private:
    engine::Postep& postep_;
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

// What a thread of the loop waits with: it stops when the loop ends early, also while a pipe
// keeps it waiting.
class NadzorWatku final : public engine::Postep {
public:
    explicit NadzorWatku(const std::atomic<bool>& zatrzymany) : zatrzymany_(zatrzymany) {}
    bool przerwac() override { return zatrzymany_; }
    int odstepOczekiwania() const override { return 100; }

private:
    const std::atomic<bool>& zatrzymany_;
};

// A few pieces of memory that go round between the thread that calls Przepisz and one thread
// of its own: one side fills a free piece and hands it over, the other takes the oldest full
// one and frees it. The caller's side waits through its Postep, so every call of that Postep
// stays in the thread that calls Przepisz; a failure of the other thread is thrown there.
class Obieg {
public:
    explicit Obieg(std::size_t rozmiarKawalka) : pamiec_(rozmiarKawalka, KAWALKOW_W_OBIEGU) {}

    // The memory of the next piece to fill, once one is free.
    char* wolny(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return pelnych_ < KAWALKOW_W_OBIEGU; });
        // The other side moves pierwszy_ on and pelnych_ down together: the sum stays put.
        return kawalek((pierwszy_ + pelnych_) % KAWALKOW_W_OBIEGU);
    }

    // The piece wolny() gave is full.
    void oddaj(const CzesciKawalka& czesci)
    {
        {
            const std::lock_guard blokada(mutex_);
            czesci_[(pierwszy_ + pelnych_) % KAWALKOW_W_OBIEGU] = czesci;
            ++pelnych_;
        }
        zmiana_.notify_all();
    }

    // The oldest full piece, once there is one; it stays until zwolnij().
    std::pair<const char*, CzesciKawalka> pelny(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return pelnych_ > 0; });
        return {kawalek(pierwszy_), czesci_[pierwszy_]};
    }

    void zwolnij()
    {
        {
            const std::lock_guard blokada(mutex_);
            pierwszy_ = (pierwszy_ + 1) % KAWALKOW_W_OBIEGU;
            --pelnych_;
        }
        zmiana_.notify_all();
    }

    // Waits until the other side has taken every full piece.
    void oproznij(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return pelnych_ == 0; });
    }

    // The thread of its own failed: the caller's side throws `blad` from now on.
    void zawiedz(std::exception_ptr blad)
    {
        {
            const std::lock_guard blokada(mutex_);
            blad_ = std::move(blad);
        }
        zmiana_.notify_all();
    }

    // The loop ends: the thread of its own stops waiting, with Przerwane.
    void zatrzymaj()
    {
        {
            const std::lock_guard blokada(mutex_);
            zatrzymany_ = true;
        }
        zmiana_.notify_all();
    }

    const std::atomic<bool>& zatrzymany() const { return zatrzymany_; }

private:
    template <typename Warunek>
    void czekaj(std::unique_lock<std::mutex>& blokada, engine::Postep& postep, Warunek gotowe)
    {
        const int odstep = postep.odstepOczekiwania();
        while (!gotowe() && !blad_ && !zatrzymany_) {
            if (odstep < 0) {
                zmiana_.wait(blokada);
            } else if (zmiana_.wait_for(blokada, std::chrono::milliseconds(odstep)) ==
                       std::cv_status::timeout) {
                blokada.unlock();
                postep.sprawdz();
                blokada.lock();
            }
        }
        if (blad_) {
            std::rethrow_exception(blad_);
        }
        if (zatrzymany_) {
            throw engine::Przerwane{};
        }
    }

    char* kawalek(std::size_t ktory) const { return pamiec_.kawalek(ktory); }

    const PamiecKawalkow pamiec_;
    std::array<CzesciKawalka, KAWALKOW_W_OBIEGU> czesci_{};
    std::mutex mutex_;
    std::condition_variable zmiana_;
    // The oldest full piece, and how many full ones there are from it on.
    std::size_t pierwszy_ = 0;
    std::size_t pelnych_ = 0;
    std::exception_ptr blad_;
    std::atomic<bool> zatrzymany_{false};
};

// The thread of its own that fills or empties an Obieg. It takes no signal sent to the whole
// process, and it ends with its owner, however that ends.
class WatekObiegu {
public:
    template <typename Praca>
    WatekObiegu(Obieg& obieg, Praca praca) : obieg_(obieg)
    {
        const WatkiBezSygnalow bezSygnalow;
        watek_ = std::thread([this, praca] {
            NadzorWatku postep(obieg_.zatrzymany());
            try {
                praca(postep);
            } catch (const engine::Przerwane&) {
                // Only the owner stops the thread, and it waits for nothing more.
            } catch (...) {
                obieg_.zawiedz(std::current_exception());
            }
        });
    }
    ~WatekObiegu()
    {
        obieg_.zatrzymaj();
        watek_.join();
    }
    WatekObiegu(const WatekObiegu&) = delete;
    WatekObiegu& operator=(const WatekObiegu&) = delete;

private:
    Obieg& obieg_;
    std::thread watek_;
};

// How many Przepisz run in this process now, each converting on at least one processor.
std::atomic<int> trwajaceKonwersje{0};

// Counts one of them while it lives.
class TrwajacaKonwersja {
public:
    TrwajacaKonwersja() { ++trwajaceKonwersje; }
    ~TrwajacaKonwersja() { --trwajaceKonwersje; }
    TrwajacaKonwersja(const TrwajacaKonwersja&) = delete;
    TrwajacaKonwersja& operator=(const TrwajacaKonwersja&) = delete;
};

// A half of a piece this short converts sooner than another thread takes it up.
constexpr std::size_t NAJKROTSZA_POLOWA = std::size_t{32} << 10;
// How far before the middle a place to cut is looked for: Polish text has an ASCII byte every
// few bytes, and a text that has none converts whole.
constexpr std::size_t SZUKANIE_CIECIA = 4096;

}  // namespace

KonwersjaNaDwoch::KonwersjaNaDwoch(engine::KonwersjaBlokowa& konwersja, bool dwaWatki)
    : konwersja_(konwersja), dwaWatki_(dwaWatki), procesory_(LiczbaProcesorow())
{
}

KonwersjaNaDwoch::~KonwersjaNaDwoch()
{
    if (watek_.joinable()) {
        stan_.store(KONIEC, std::memory_order_release);
        stan_.notify_one();
        watek_.join();
    }
}

std::size_t KonwersjaNaDwoch::najwiecejBajtow(std::size_t dlugosc) const
{
    // Each half has the margin a pass may write past its end.
    return konwersja_.najwiecejBajtow(dlugosc) + konwersja_.najwiecejBajtow(0);
}

std::size_t KonwersjaNaDwoch::ciecie(std::string_view kawalek) const
{
    if (kawalek.size() < 2 * NAJKROTSZA_POLOWA) {
        return 0;
    }
    const std::size_t polowa = kawalek.size() / 2;
    for (std::size_t miejsce = polowa; miejsce + SZUKANIE_CIECIA > polowa; --miejsce) {
        if (konwersja_.moznaCiacPo(static_cast<unsigned char>(kawalek[miejsce - 1]))) {
            return miejsce;
        }
    }
    return 0;
}

CzesciKawalka KonwersjaNaDwoch::konwertuj(std::string_view kawalek, char* wynik)
{
    const bool wolnyProcesor = procesory_ >= 2 * static_cast<std::size_t>(trwajaceKonwersje.load());
    const std::size_t miejsce = dwaWatki_ && wolnyProcesor ? ciecie(kawalek) : 0;
    if (miejsce == 0) {
        return {konwersja_.konwertuj(kawalek, wynik), 0, 0};
    }
    if (!watek_.joinable()) {
        // Only once a piece is cut: a short file never needs the thread.
        const WatkiBezSygnalow bezSygnalow;
        watek_ = std::thread(&KonwersjaNaDwoch::pracuj, this);
    }
    // A letter begun by the last byte waits for the next piece, as when the piece is whole;
    // the first half ends where the text may be cut and leaves nothing waiting.
    std::string_view druga = kawalek.substr(miejsce);
    const std::size_t czeka = konwersja_.doCzekania(druga);
    druga.remove_suffix(czeka);
    const std::size_t drugiOd = konwersja_.najwiecejBajtow(miejsce);
    odcinek_ = druga;
    wynikOdcinka_ = wynik + drugiOd;
    stan_.store(ZLECONY, std::memory_order_release);
    stan_.notify_one();
    std::size_t dlugosc = 0;
    try {
        dlugosc = konwersja_.konwertuj(kawalek.substr(0, miejsce), wynik);
    } catch (...) {
        // The other thread may still write into `wynik`, which may go with this exception.
        odbierz(false);
        throw;
    }
    odbierz(true);
    if (blad_) {
        std::rethrow_exception(std::exchange(blad_, nullptr));
    }
    if (czeka > 0) {
        // Nothing waits now, so the byte only stays behind and nothing is written.
        konwersja_.konwertuj(kawalek.substr(kawalek.size() - czeka), wynikOdcinka_ + dlugoscOdcinka_);
    }
    return {dlugosc, drugiOd, dlugoscOdcinka_};
}

void KonwersjaNaDwoch::odbierz(bool konwertujSam)
{
    // A thread woken on a busy machine may wait long for a processor: the second half is
    // taken back and converted here unless that thread has begun it.
    int zlecony = ZLECONY;
    if (stan_.compare_exchange_strong(zlecony, WOLNY, std::memory_order_acq_rel)) {
        if (konwertujSam) {
            dlugoscOdcinka_ = konwersja_.konwertujOdcinek(odcinek_, wynikOdcinka_);
        }
        return;
    }
    while (stan_.load(std::memory_order_acquire) == WZIETY) {
        stan_.wait(WZIETY, std::memory_order_acquire);
    }
}

void KonwersjaNaDwoch::pracuj()
{
    for (;;) {
        int stan = stan_.load(std::memory_order_acquire);
        if (stan == KONIEC) {
            return;
        }
        if (stan != ZLECONY) {
            stan_.wait(stan, std::memory_order_acquire);
            continue;
        }
        if (!stan_.compare_exchange_strong(stan, WZIETY, std::memory_order_acq_rel)) {
            // Taken back meanwhile.
            continue;
        }
        try {
            dlugoscOdcinka_ = konwersja_.konwertujOdcinek(odcinek_, wynikOdcinka_);
        } catch (...) {
            blad_ = std::current_exception();
        }
        stan_.store(GOTOWY, std::memory_order_release);
        stan_.notify_one();
    }
}

void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, engine::KonwersjaBlokowa& konwersja,
              engine::Postep& postep, engine::NieLitery* nieLitery)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    wyjscie.powiekszPotok(ROZMIAR_KAWALKA);
    const std::optional<std::uint64_t> rozmiar = wejscie.rozmiar();
    Kroki kroki(postep);
    kroki.dojdzDo(1);
    const TrwajacaKonwersja trwajaca;
    // Three threads, so that the one converting does nothing else: one reads (and counts what
    // the target cannot hold), one writes into the page cache or a pipe and waits for the
    // disk, while this one converts.
    Obieg przeczytane(ROZMIAR_KAWALKA);
    const WatekObiegu czytanie(przeczytane, [&](engine::Postep& postepWatku) {
        for (;;) {
            char* const kawalek = przeczytane.wolny(postepWatku);
            const std::size_t dlugosc = wejscie.czytaj(kawalek, ROZMIAR_KAWALKA, postepWatku);
            if (nieLitery) {
                nieLitery->dodaj({kawalek, dlugosc});
            }
            przeczytane.oddaj({dlugosc, 0, 0});
            if (dlugosc == 0) {
                return;
            }
        }
    });
    // Halves only where the second one finds a processor of its own beside the reading, the
    // writing and this thread: on two processors, with the vector passes, a piece converts
    // sooner than another thread takes half of it up (into a pipe 59 ms against 67 for
    // 100 MiB of Windows-EE to UTF-8, medians of 30 runs).
    KonwersjaNaDwoch naDwoch(konwersja, LiczbaProcesorow() >= 4);
    Obieg doZapisu(naDwoch.najwiecejBajtow(ROZMIAR_KAWALKA));
    const WatekObiegu pisanie(doZapisu, [&](engine::Postep& postepWatku) {
        for (;;) {
            const auto [kawalek, czesci] = doZapisu.pelny(postepWatku);
            wyjscie.zapisz({kawalek, czesci.dlugosc}, postepWatku);
            if (czesci.drugaDlugosc > 0) {
                wyjscie.zapisz({kawalek + czesci.drugiOd, czesci.drugaDlugosc}, postepWatku);
            }
            doZapisu.zwolnij();
        }
    });
    std::uint64_t skonwertowane = 0;
    for (;;) {
        postep.sprawdz();
        const auto [kawalek, czesci] = przeczytane.pelny(postep);
        if (czesci.dlugosc == 0) {
            break;
        }
        skonwertowane += czesci.dlugosc;
        kroki.zaBajtami(skonwertowane, rozmiar);
        char* const wynik = doZapisu.wolny(postep);
        doZapisu.oddaj(naDwoch.konwertuj({kawalek, czesci.dlugosc}, wynik));
        przeczytane.zwolnij();
    }
    doZapisu.oproznij(postep);
    kroki.zakoncz();
}

void CzytajDoKonca(PlikWejsciowy& wejscie, const std::function<void(std::string_view)>& dalej,
                   engine::Postep& postep)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    const std::optional<std::uint64_t> rozmiar = wejscie.rozmiar();
    Kroki kroki(postep);
    kroki.dojdzDo(1);
    std::uint64_t przeczytano = 0;
    std::string kawalek;
    for (;;) {
        postep.sprawdz();
        wejscie.czytaj(kawalek, ROZMIAR_KAWALKA, postep);
        if (kawalek.empty()) {
            break;
        }
        przeczytano += kawalek.size();
        kroki.zaBajtami(przeczytano, rozmiar);
        dalej(kawalek);
    }
    kroki.zakoncz();
}

}  // namespace pliki
