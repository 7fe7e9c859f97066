#include "jobs/postep_okna.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace jobs {

namespace {

// Often enough to feel immediate, seldom enough to cost nothing beside the work.
constexpr int ODSTEP_MS = 20;

}  // namespace

PostepOkna::PostepOkna(OknoZadania& okno) : okno_(okno)
{
    odOdswiezenia_.start();
}

void PostepOkna::przedKrokiem(int krok)
{
    okno_.pokazKrok(krok);
    okno_.przetworzZdarzenia();
    odOdswiezenia_.restart();
}

void PostepOkna::poKroku()
{
    okno_.przetworzZdarzenia();
}

void PostepOkna::wTrakcie()
{
    if (odOdswiezenia_.elapsed() >= ODSTEP_MS) {
        okno_.przetworzZdarzenia();
        odOdswiezenia_.restart();
    }
}

// The text is whole: the caption is the window's own again while the output is replaced.
void PostepOkna::przedZatwierdzeniem()
{
    okno_.przywrocTytul();
    okno_.przetworzZdarzenia();
}

bool PostepOkna::przerwac()
{
    return okno_.zamkniecieZadane();
}

int PostepOkna::odstepOczekiwania() const
{
    return ODSTEP_MS;
}

namespace {

// What the job's thread asks of the window, and the window's answer: one request at a
// time, since the job waits for each.
class PostepWTle final : public engine::Postep {
public:
    // The window's side: shows what was asked, tells of a close request, and waits at most
    // `najdluzej` for the job's next request or its end. False once the job has ended.
    bool obsluz(OknoZadania& okno, std::chrono::milliseconds najdluzej)
    {
        std::unique_lock blokada(mutex_);
        zmiana_.wait_for(blokada, najdluzej, [this] { return prosba_ != Brak || zakonczona_; });
        if (prosba_ != Brak) {
            const int prosba = prosba_;
            blokada.unlock();
            std::exception_ptr blad;
            try {
                if (prosba == Tytul) {
                    okno.przywrocTytul();
                } else {
                    okno.pokazKrok(prosba);
                }
            } catch (...) {
                blad = std::current_exception();
            }
            blokada.lock();
            blad_ = std::move(blad);
            prosba_ = Brak;
            zmiana_.notify_all();
        }
        if (okno.zamkniecieZadane()) {
            przerwij_ = true;
        }
        return !zakonczona_;
    }

    void zakoncz()
    {
        const std::lock_guard blokada(mutex_);
        zakonczona_ = true;
        zmiana_.notify_all();
    }

    void przedKrokiem(int krok) override { popros(krok); }
    void przedZatwierdzeniem() override { popros(Tytul); }
    bool przerwac() override { return przerwij_; }
    int odstepOczekiwania() const override { return ODSTEP_MS; }

private:
    static constexpr int Brak = 0;
    static constexpr int Tytul = -1;

    void popros(int prosba)
    {
        std::unique_lock blokada(mutex_);
        prosba_ = prosba;
        zmiana_.notify_all();
        zmiana_.wait(blokada, [this] { return prosba_ == Brak; });
        if (blad_) {
            std::rethrow_exception(std::exchange(blad_, nullptr));
        }
    }

    std::mutex mutex_;
    std::condition_variable zmiana_;
    int prosba_ = Brak;
    std::exception_ptr blad_;
    bool zakonczona_ = false;
    std::atomic<bool> przerwij_{false};
};

}  // namespace

void WykonajWTle(OknoZadania& okno, const std::function<void(engine::Postep&)>& praca)
{
    PostepWTle postep;
    std::exception_ptr blad;
    std::thread watek([&] {
        try {
            praca(postep);
        } catch (...) {
            blad = std::current_exception();
        }
        postep.zakoncz();
    });
    // Events between waits as short as a frame, so the window paints and answers at once.
    while (postep.obsluz(okno, std::chrono::milliseconds(10))) {
        okno.przetworzZdarzenia();
    }
    watek.join();
    if (blad) {
        std::rethrow_exception(blad);
    }
}

}  // namespace jobs
