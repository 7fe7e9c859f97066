#include "pliki/przepisz.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "engine/standardy.h"
#include "pliki/pamiec_kawalkow.h"
#include "pliki/procesory.h"
#include "pliki/sygnaly.h"

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

// A piece in a ring: what it holds and what kind of piece it is.
struct OpisKawalka {
    CzesciKawalka czesci;
    RodzajKawalka rodzaj = RodzajKawalka::Tekst;
};

// A few pieces of memory that go round between the thread that made the Przepis and one thread
// of its own: one side fills a free piece and hands it over, the other takes the oldest full
// one and frees it. The caller's side waits through its Postep, so every call of that Postep
// stays in the thread that made the Przepis; a failure of the other thread is thrown there.
class Obieg {
public:
    // A side that sleeps is woken once this many pieces wait for it, not for each one, while
    // the side that woke it still has pieces to go on with: a thread woken for each piece
    // made every character 15 % slower than one thread on two processors.
    static constexpr std::size_t PROG_BUDZENIA = KAWALKOW_W_OBIEGU - 1;

    // `czekaPoza` when the filling side may wait elsewhere than on this Obieg, as on a pipe
    // it reads: then each piece wakes the other side at once.
    Obieg(std::size_t rozmiarKawalka, bool czekaPoza)
        : pamiec_(rozmiarKawalka, KAWALKOW_W_OBIEGU), czekaPoza_(czekaPoza)
    {
    }

    // The memory of the next piece to fill, once one is free.
    char* wolny(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return pelnych_ < KAWALKOW_W_OBIEGU; });
        // The other side moves pierwszy_ on and pelnych_ down together: the sum stays put.
        return kawalek((pierwszy_ + pelnych_) % KAWALKOW_W_OBIEGU);
    }

    // The piece wolny() gave is full.
    void oddaj(const CzesciKawalka& czesci, RodzajKawalka rodzaj = RodzajKawalka::Tekst)
    {
        bool obudz = false;
        {
            const std::lock_guard blokada(mutex_);
            czesci_[(pierwszy_ + pelnych_) % KAWALKOW_W_OBIEGU] = {czesci, rodzaj};
            ++pelnych_;
            // The end of the text and a source's own kinds of piece wake the other side at once.
            obudz = czekaPoza_ || pelnych_ >= PROG_BUDZENIA || rodzaj != RodzajKawalka::Tekst ||
                    czesci.dlugosc == 0;
        }
        if (obudz) {
            zmiana_.notify_all();
        }
    }

    // The oldest full piece, once there is one; it stays until zwolnij(). `dalszy`, when
    // given, is the ring the caller fills: a piece not yet woken for there goes on to be
    // written before the caller sleeps, so a slow pipe's text comes out as it comes in.
    std::pair<const char*, OpisKawalka> pelny(engine::Postep& postep, Obieg* dalszy = nullptr)
    {
        std::unique_lock blokada(mutex_);
        czekaj(
            blokada, postep, [this] { return pelnych_ > 0; }, dalszy);
        return {kawalek(pierwszy_), czesci_[pierwszy_]};
    }

    void zwolnij()
    {
        bool obudz = false;
        {
            const std::lock_guard blokada(mutex_);
            pierwszy_ = (pierwszy_ + 1) % KAWALKOW_W_OBIEGU;
            --pelnych_;
            obudz = KAWALKOW_W_OBIEGU - pelnych_ >= PROG_BUDZENIA;
        }
        if (obudz) {
            zmiana_.notify_all();
        }
    }

    // Waits until the other side has taken every full piece.
    void oproznij(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return pelnych_ == 0; });
    }

    // The converter the reading side counts with, once the converting side has chosen it.
    void ustawKonwerter(Konwerter& konwerter)
    {
        {
            const std::lock_guard blokada(mutex_);
            konwerter_ = &konwerter;
        }
        zmiana_.notify_all();
    }

    Konwerter& konwerter(engine::Postep& postep)
    {
        std::unique_lock blokada(mutex_);
        czekaj(blokada, postep, [this] { return konwerter_ != nullptr; });
        return *konwerter_;
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
    void czekaj(std::unique_lock<std::mutex>& blokada, engine::Postep& postep, Warunek gotowe,
                Obieg* dalszy = nullptr)
    {
        const int odstep = postep.odstepOczekiwania();
        if (!gotowe() && !blad_ && !zatrzymany_) {
            // The other side may sleep on a piece it was not woken for: before this side
            // sleeps too, that one goes on. Once, or two sides that both wait would wake
            // each other round and round. What woke nobody was stored under its own lock.
            zmiana_.notify_all();
            if (dalszy != nullptr) {
                dalszy->zmiana_.notify_all();
            }
        }
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
    const bool czekaPoza_;
    std::array<OpisKawalka, KAWALKOW_W_OBIEGU> czesci_{};
    Konwerter* konwerter_ = nullptr;
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

// Room for any converter's piece: a code page's characters in UTF-8 take three bytes each,
// the letters two at most, with a margin for the bytes a pass writes past its end.
constexpr std::size_t ROZMIAR_WYNIKU = 3 * ROZMIAR_KAWALKA + 4096;

}  // namespace

struct Przepis::Obiegi {
    Obiegi(ZrodloKawalkow& zrodlo, PlikWyjsciowy& wyjscie, engine::Postep& postep)
        : rozmiar(zrodlo.wejscie().rozmiar()),
          kroki(postep),
          // Only a file of known size is read without waiting; the converting side sleeps
          // only once it has woken the writing one.
          przeczytane(ROZMIAR_KAWALKA, !rozmiar),
          doZapisu(ROZMIAR_WYNIKU, false),
          czytanie(przeczytane,
                   [this, &zrodlo](engine::Postep& postepWatku) { czytaj(zrodlo, postepWatku); }),
          pisanie(doZapisu, [this, &wyjscie](engine::Postep& postepWatku) { pisz(wyjscie, postepWatku); })
    {
    }

    void czytaj(ZrodloKawalkow& zrodlo, engine::Postep& postepWatku)
    {
        for (;;) {
            char* const kawalek = przeczytane.wolny(postepWatku);
            Konwerter* konwerter = zrodlo.rozstrzygniete() ? &przeczytane.konwerter(postepWatku) : nullptr;
            const std::size_t najwiecej = konwerter ? konwerter->rozmiarKawalka() : ROZMIAR_KAWALKA;
            const auto [dlugosc, rodzaj] = zrodlo.czytaj(kawalek, najwiecej, postepWatku);
            const bool tekst = rodzaj == RodzajKawalka::Tekst;
            if (tekst && dlugosc > 0) {
                (konwerter ? *konwerter : przeczytane.konwerter(postepWatku)).przeczytany({kawalek, dlugosc});
            }
            przeczytane.oddaj({dlugosc, 0, 0}, rodzaj);
            if (tekst && dlugosc == 0) {
                return;
            }
        }
    }

    void pisz(PlikWyjsciowy& wyjscie, engine::Postep& postepWatku)
    {
        for (;;) {
            const auto [kawalek, opis] = doZapisu.pelny(postepWatku);
            const CzesciKawalka& czesci = opis.czesci;
            wyjscie.zapisz({kawalek, czesci.dlugosc}, postepWatku);
            if (czesci.drugaDlugosc > 0) {
                wyjscie.zapisz({kawalek + czesci.drugiOd, czesci.drugaDlugosc}, postepWatku);
            }
            doZapisu.zwolnij();
        }
    }

    // Hands `dane` to the writing thread as they are.
    void zapiszBezZmian(std::string_view dane, engine::Postep& postep)
    {
        char* const wynik = doZapisu.wolny(postep);
        std::memcpy(wynik, dane.data(), dane.size());
        doZapisu.oddaj({dane.size(), 0, 0});
    }

    const std::optional<std::uint64_t> rozmiar;
    // Bytes of the input gone by.
    std::uint64_t przeszlo = 0;
    Kroki kroki;
    const TrwajacaKonwersja trwajaca;
    Obieg przeczytane;
    Obieg doZapisu;
    // Last, so that the threads end before what they use.
    const WatekObiegu czytanie;
    const WatekObiegu pisanie;
};

Przepis::Przepis(ZrodloKawalkow& zrodlo, PlikWyjsciowy& wyjscie, engine::Postep& postep) : postep_(postep)
{
    zrodlo.wejscie().powiekszPotok(ROZMIAR_KAWALKA);
    wyjscie.powiekszPotok(ROZMIAR_KAWALKA);
    obiegi_ = std::make_unique<Obiegi>(zrodlo, wyjscie, postep);
    obiegi_->kroki.dojdzDo(1);
}

Przepis::~Przepis() = default;

void Przepis::doWerdyktu()
{
    przekazuj(nullptr);
}

void Przepis::konwertuj(Konwerter& konwerter, bool zakonczyc)
{
    if (konwerter.rozmiarKawalka() > ROZMIAR_KAWALKA ||
        konwerter.najwiecejBajtow(konwerter.rozmiarKawalka()) > ROZMIAR_WYNIKU) {
        throw std::logic_error("Przepis: a converted piece may not fit");
    }
    Obiegi& obiegi = *obiegi_;
    try {
        obiegi.przeczytane.ustawKonwerter(konwerter);
        przekazuj(&konwerter);
        if (zakonczyc) {
            std::string reszta;
            try {
                reszta = konwerter.zakoncz();
            } catch (...) {
                obiegi.doZapisu.oproznij(postep_);
                throw;
            }
            if (!reszta.empty()) {
                obiegi.zapiszBezZmian(reszta, postep_);
            }
        }
        obiegi.doZapisu.oproznij(postep_);
    } catch (...) {
        // The threads end before the converter they may still use goes.
        obiegi_.reset();
        throw;
    }
    obiegi.kroki.zakoncz();
    obiegi_.reset();
}

void Przepis::przekazuj(Konwerter* konwerter)
{
    Obiegi& obiegi = *obiegi_;
    for (;;) {
        postep_.sprawdz();
        const auto [kawalek, opis] = obiegi.przeczytane.pelny(postep_, &obiegi.doZapisu);
        const std::size_t dlugosc = opis.czesci.dlugosc;
        if (opis.rodzaj == RodzajKawalka::Werdykt) {
            obiegi.przeczytane.zwolnij();
            if (!konwerter) {
                return;
            }
            continue;
        }
        if (opis.rodzaj == RodzajKawalka::Tekst && (!konwerter || dlugosc == 0)) {
            return;
        }
        obiegi.przeszlo += dlugosc;
        obiegi.kroki.zaBajtami(obiegi.przeszlo, obiegi.rozmiar);
        if (opis.rodzaj == RodzajKawalka::BezZmian) {
            obiegi.zapiszBezZmian({kawalek, dlugosc}, postep_);
        } else {
            char* const wynik = obiegi.doZapisu.wolny(postep_);
            CzesciKawalka czesci;
            try {
                czesci = konwerter->konwertuj({kawalek, dlugosc}, wynik);
            } catch (...) {
                obiegi.doZapisu.oddaj({konwerter->przedBledem(), 0, 0});
                obiegi.doZapisu.oproznij(postep_);
                throw;
            }
            obiegi.doZapisu.oddaj(czesci);
        }
        obiegi.przeczytane.zwolnij();
    }
}

}  // namespace pliki
