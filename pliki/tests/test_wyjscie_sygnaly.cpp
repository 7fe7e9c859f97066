// That a signal, or a killed run, leaves the old output whole and no temporary file behind.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "pliki/sygnaly.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_wyjscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

// A child that has written part of the output and waits to be ended.
class PiszaceDziecko {
public:
    PiszaceDziecko(const fs::path& wynik, Tymczasowy tymczasowy)
    {
        int gotowe[2];
        int czekaj[2];
        if (::pipe(gotowe) != 0 || ::pipe(czekaj) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(gotowe[0]);
            ::close(czekaj[1]);
            PrzygotujSygnaly();
            PlikWyjsciowy wyjscie(wynik, engine::BezPostepu(), std::nullopt, tymczasowy);
            wyjscie.zapisz(NOWY);
            char znak = 'g';
            if (::write(gotowe[1], &znak, 1) != 1) {
                ::_exit(1);
            }
            // Until a signal ends it; the parent never writes.
            while (::read(czekaj[0], &znak, 1) != 0) {
            }
            ::_exit(2);
        }
        ::close(gotowe[1]);
        ::close(czekaj[0]);
        czekaj_ = czekaj[1];
        char znak;
        gotowy_ = ::read(gotowe[0], &znak, 1) == 1;
        ::close(gotowe[0]);
    }
    ~PiszaceDziecko()
    {
        if (czekaj_ >= 0) {
            ::close(czekaj_);
        }
        if (pid_ > 0 && !zakonczone_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    PiszaceDziecko(const PiszaceDziecko&) = delete;
    PiszaceDziecko& operator=(const PiszaceDziecko&) = delete;

    bool gotowy() const { return gotowy_; }

    // Sends the signal and returns the one the child ended by, or -1.
    int zakoncz(int sygnal)
    {
        ::kill(pid_, sygnal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        zakonczone_ = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int czekaj_ = -1;
    bool gotowy_ = false;
    bool zakonczone_ = false;
};

TEST(Sygnaly, KonczaceUsuwajaNazwanyTymczasowy)
{
    for (const int sygnal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(sygnal));
        TymczasowyFolder folder;
        zapiszPlik(folder / "wynik.txt", STARY);
        PiszaceDziecko dziecko(folder / "wynik.txt", Tymczasowy::ZawszeNazwany);
        ASSERT_TRUE(dziecko.gotowy());
        ASSERT_EQ(wpisy(folder.sciezka()).size(), 2u) << "brak ukrytego pliku w trakcie zapisu";

        EXPECT_EQ(dziecko.zakoncz(sygnal), sygnal);

        EXPECT_EQ(czytajPlik(folder / "wynik.txt"), STARY);
        EXPECT_EQ(wpisy(folder.sciezka()), TYLKO_WYNIK);
    }
}

// Temporary files that killed runs left are removed by the next run that writes into the
// folder; nothing else is, however much it looks like one: a user's files of similar
// names, a copy without the program's signature, one of another owner, one with a second
// link, one that a living run holds.
TEST(Sygnaly, UsunietyTylkoPorzuconyTymczasowy)
{
    TymczasowyFolder folder;
    const fs::path wynik = folder / "wynik.txt";
    std::vector<std::string> porzucone;
    // Each run cleans the folder it writes into: each leftover is made in a folder of its own.
    for (int przebieg = 0; przebieg < 5; ++przebieg) {
        const fs::path osobny = folder / std::to_string(przebieg);
        fs::create_directory(osobny);
        PiszaceDziecko dziecko(osobny / "wynik.txt", Tymczasowy::ZawszeNazwany);
        ASSERT_TRUE(dziecko.gotowy());
        ASSERT_EQ(dziecko.zakoncz(SIGKILL), SIGKILL);
        ASSERT_EQ(wpisy(osobny).size(), 1u);
        const std::string nazwa = *wpisy(osobny).begin();
        fs::rename(osobny / nazwa, folder / nazwa);
        fs::remove(osobny);
        porzucone.push_back(nazwa);
    }
    ASSERT_EQ(porzucone.size(), 5u);
    const std::string& usuwany = porzucone[0];
    const std::string& cudzy = porzucone[1];
    const std::string& dowiazany = porzucone[2];
    const std::string& trzymany = porzucone[3];
    const std::string& bezPodpisu = porzucone[4];
    ASSERT_EQ(::chown((folder / cudzy).c_str(), nieuzywanyIdentyfikator(), 0), 0);
    fs::create_hard_link(folder / dowiazany, folder / "kopia.txt");
    const int blokada = ::open((folder / trzymany).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(blokada, LOCK_EX), 0);
    // As cp copies a file: the text and the name, not the extended attributes.
    const std::string tekst = czytajPlik(folder / bezPodpisu);
    fs::remove(folder / bezPodpisu);
    zapiszPlik(folder / bezPodpisu, tekst);
    const std::set<std::string> uzytkownika{".notatki.txt.znakomat-kopia1", ".x.znakomat-ABCDEF",
                                            ".wynik.txt.znakomat-Ab3dE9"};
    for (const std::string& nazwa : uzytkownika) {
        zapiszPlik(folder / nazwa, STARY);
    }

    // In a child, as a new run would be: a run looks at each folder once.
    EXPECT_EQ(wDziecku([&] { return zapiszCalosc(wynik, NOWY); }), "zastąpienie");
    ::close(blokada);

    std::set<std::string> zostaja = uzytkownika;
    zostaja.insert({"wynik.txt", "kopia.txt", cudzy, dowiazany, trzymany, bezPodpisu});
    EXPECT_EQ(wpisy(folder.sciezka()), zostaja) << usuwany << " miał zniknąć";
    EXPECT_EQ(czytajPlik(wynik), NOWY);
    for (const std::string& nazwa : uzytkownika) {
        EXPECT_EQ(czytajPlik(folder / nazwa), STARY) << nazwa;
    }
    // The output carries none of what marked its temporary.
    std::string atrybuty(4096, '\0');
    atrybuty.resize(static_cast<std::size_t>(
        std::max<ssize_t>(0, ::listxattr(wynik.c_str(), atrybuty.data(), atrybuty.size()))));
    EXPECT_EQ(atrybuty.find("user."), std::string::npos) << atrybuty;
}

TEST(Sygnaly, SigkillNieZostawiaPlikuBezNazwy)
{
    for (const bool istnial : {true, false}) {
        SCOPED_TRACE(istnial ? "plik istniał" : "nowy plik");
        TymczasowyFolder folder;
        if (!bezNazwyMozliwe(folder.sciezka())) {
            GTEST_SKIP() << "system plików " << folder.sciezka() << " nie ma O_TMPFILE";
        }
        if (istnial) {
            zapiszPlik(folder / "wynik.txt", STARY);
        }
        PiszaceDziecko dziecko(folder / "wynik.txt", Tymczasowy::BezNazwyGdzieMozna);
        ASSERT_TRUE(dziecko.gotowy());

        EXPECT_EQ(dziecko.zakoncz(SIGKILL), SIGKILL);

        if (istnial) {
            EXPECT_EQ(czytajPlik(folder / "wynik.txt"), STARY);
            EXPECT_EQ(wpisy(folder.sciezka()), TYLKO_WYNIK);
        } else {
            EXPECT_TRUE(wpisy(folder.sciezka()).empty());
        }
    }
}

// A report written into a closed pipe while another thread rewrites an output in place:
// the program ends by SIGPIPE, as a shell tool does, but only once that output is whole.
TEST(Sygnaly, ZamknietyPotokCzekaNaPrzepisywanieWMiejscu)
{
    int wiesci[2];
    ASSERT_EQ(::pipe(wiesci), 0);
    const pid_t dziecko = ::fork();
    if (dziecko == 0) {
        ::close(wiesci[0]);
        ::signal(SIGPIPE, SIG_DFL);
        PrzygotujSygnaly();
        int raport[2];
        if (::pipe(raport) != 0) {
            ::_exit(1);
        }
        ::close(raport[0]);
        std::atomic<bool> trzymany{false};
        std::atomic<bool> pusc{false};
        std::thread wMiejscu([&] {
            const BezSygnalow bezSygnalow;
            trzymany = true;
            while (!pusc) {
                std::this_thread::yield();
            }
        });
        while (!trzymany) {
            std::this_thread::yield();
        }
        const bool odmowa = ::write(raport[1], "x", 1) < 0 && errno == EPIPE;
        // Still alive while the other thread holds: say so, then let it go.
        const std::string_view stan = odmowa ? "EPIPE, żyje" : "zapisane";
        if (::write(wiesci[1], stan.data(), stan.size()) < 0) {
            ::_exit(1);
        }
        pusc = true;
        wMiejscu.join();
        ::_exit(0);
    }
    ::close(wiesci[1]);
    std::string stan;
    char bufor[64];
    for (ssize_t odczytane; (odczytane = ::read(wiesci[0], bufor, sizeof bufor)) > 0;) {
        stan.append(bufor, static_cast<std::size_t>(odczytane));
    }
    ::close(wiesci[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(dziecko, &status, 0), dziecko);
    EXPECT_EQ(stan, "EPIPE, żyje");
    ASSERT_TRUE(WIFSIGNALED(status)) << "kod " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGPIPE);
}

}  // namespace
}  // namespace pliki::test
