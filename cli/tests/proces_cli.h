#pragma once

// znakomat-cli run as a separate process, in a folder of its own, for the command line's tests.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli::test {

namespace fs = std::filesystem;

struct Wynik {
    int kod = -1;  // -1 when a signal ended it
    int sygnal = 0;
    std::string wyjscie;
    std::string bledy;
    std::size_t szczytPamieci = 0;  // the largest resident memory, in bytes
};

struct Opcje {
    std::string folder = ".";
    std::string wejscieZPliku;  // empty: a pipe
    rlim_t limitRozmiaru = RLIM_INFINITY;
    bool bezWejscia = false;  // descriptor 0 closed, as by <&-
    bool bezWyjscia = false;  // descriptor 1 closed, as by >&-
    int potokWyjscia = 0;     // the standard output pipe's size in bytes; 0: the system's
    rlim_t limitPlikow = RLIM_INFINITY;
    uid_t uzytkownik = 0;  // run as this user and group; 0: as the test
};

class Proces {
public:
    Proces(const std::vector<std::string>& argumenty, const Opcje& opcje)
    {
        std::vector<std::string> wszystkie{ZNAKOMAT_CLI};
        wszystkie.insert(wszystkie.end(), argumenty.begin(), argumenty.end());
        std::vector<char*> argv;
        for (std::string& a : wszystkie) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int we[2], wy[2], bl[2];
        if (::pipe2(we, O_CLOEXEC) != 0 || ::pipe2(wy, O_CLOEXEC) != 0 || ::pipe2(bl, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        if (opcje.potokWyjscia > 0 && ::fcntl(wy[0], F_SETPIPE_SZ, opcje.potokWyjscia) < 0) {
            throw std::runtime_error("F_SETPIPE_SZ");
        }
        rozmiarWyjscia_ = ::fcntl(wy[0], F_GETPIPE_SZ);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int wejscie =
                opcje.wejscieZPliku.empty() ? we[0] : ::open(opcje.wejscieZPliku.c_str(), O_RDONLY);
            const rlimit limit{opcje.limitRozmiaru, opcje.limitRozmiaru};
            ::signal(SIGPIPE, SIG_DFL);
            ::signal(SIGXFSZ, SIG_DFL);
            if (::chdir(opcje.folder.c_str()) != 0 || ::dup2(wejscie, 0) < 0 || ::dup2(wy[1], 1) < 0 ||
                ::dup2(bl[1], 2) < 0 || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                ::_exit(127);
            }
            const rlimit plikow{opcje.limitPlikow, opcje.limitPlikow};
            if (opcje.limitPlikow != RLIM_INFINITY && ::setrlimit(RLIMIT_NOFILE, &plikow) != 0) {
                ::_exit(127);
            }
            if (opcje.uzytkownik != 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(opcje.uzytkownik)) != 0 ||
                 ::setuid(opcje.uzytkownik) != 0)) {
                ::_exit(127);
            }
            if (opcje.bezWejscia) {
                ::close(0);
            }
            if (opcje.bezWyjscia) {
                ::close(1);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(we[0]);
        ::close(wy[1]);
        ::close(bl[1]);
        we_ = we[1];
        wy_ = wy[0];
        bl_ = bl[0];
    }

    ~Proces()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            zakoncz();
        }
    }

    pid_t pid() const { return pid_; }

    // What the standard output pipe holds at most, as the system made it.
    int rozmiarWyjscia() const { return rozmiarWyjscia_; }

    // Bytes waiting in the standard output pipe, unread.
    int naWyjsciu() const
    {
        int ile = 0;
        return ::ioctl(wy_, FIONREAD, &ile) == 0 ? ile : -1;
    }

    // Writes `wejscie` and closes standard input, collects both outputs and the status.
    Wynik zakoncz(std::string_view wejscie = {})
    {
        return zakoncz([&wejscie] { return std::exchange(wejscie, {}); });
    }

    // The same with the input handed over piece by piece, until `nastepny` gives an empty one.
    Wynik zakoncz(const std::function<std::string_view()>& nastepny)
    {
        Wynik wynik;
        std::string_view wejscie = nastepny();
        while (wy_ >= 0 || bl_ >= 0) {
            if (wejscie.empty() && we_ >= 0) {
                ::close(std::exchange(we_, -1));
            }
            pollfd p[3] = {{we_, POLLOUT, 0}, {wy_, POLLIN, 0}, {bl_, POLLIN, 0}};
            ::poll(p, 3, -1);
            if (p[0].revents != 0) {
                const ssize_t n = ::write(we_, wejscie.data(), std::min<std::size_t>(wejscie.size(), 65536));
                wejscie = n > 0 ? wejscie.substr(static_cast<std::size_t>(n)) : std::string_view();
                if (wejscie.empty() && n > 0) {
                    wejscie = nastepny();
                }
            }
            czytaj(p[1].revents, wy_, wynik.wyjscie);
            czytaj(p[2].revents, bl_, wynik.bledy);
        }
        if (we_ >= 0) {
            ::close(std::exchange(we_, -1));
        }
        int stan = 0;
        rusage zuzycie{};
        ::wait4(std::exchange(pid_, -1), &stan, 0, &zuzycie);
        wynik.szczytPamieci = static_cast<std::size_t>(zuzycie.ru_maxrss) * 1024;
        wynik.kod = WIFEXITED(stan) ? WEXITSTATUS(stan) : -1;
        wynik.sygnal = WIFSIGNALED(stan) ? WTERMSIG(stan) : 0;
        return wynik;
    }

private:
    static void czytaj(short zdarzenia, int& deskryptor, std::string& dokad)
    {
        if (zdarzenia == 0) {
            return;
        }
        char bufor[65536];
        const ssize_t n = ::read(deskryptor, bufor, sizeof bufor);
        if (n > 0) {
            dokad.append(bufor, static_cast<std::size_t>(n));
        } else {
            ::close(std::exchange(deskryptor, -1));
        }
    }

    pid_t pid_ = -1;
    int rozmiarWyjscia_ = 0;
    int we_ = -1;
    int wy_ = -1;
    int bl_ = -1;
};

inline std::string czytajPlik(const fs::path& sciezka)
{
    std::ifstream plik(sciezka, std::ios::binary);
    return {std::istreambuf_iterator<char>(plik), {}};
}

inline void zapiszPlik(const fs::path& sciezka, const std::string& tresc)
{
    std::ofstream(sciezka, std::ios::binary) << tresc;
}

class ZnakomatCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() { std::signal(SIGPIPE, SIG_IGN); }

    void SetUp() override
    {
        std::string wzor = (fs::temp_directory_path() / "znakomat-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(wzor.data()), nullptr);
        folder_ = wzor;
    }

    void TearDown() override { fs::remove_all(folder_); }

    Wynik uruchom(const std::vector<std::string>& argumenty, std::string_view wejscie = {}, Opcje opcje = {})
    {
        opcje.folder = folder_.string();
        return Proces(argumenty, opcje).zakoncz(wejscie);
    }

    std::vector<std::string> zawartoscFolderu() const
    {
        std::vector<std::string> nazwy;
        for (const fs::directory_entry& wpis : fs::directory_iterator(folder_)) {
            nazwy.push_back(wpis.path().filename().string());
        }
        std::sort(nazwy.begin(), nazwy.end());
        return nazwy;
    }

    fs::path folder_;
};

// A usage or file error: its status, one line on standard error naming the problem, and
// nothing on standard output.
inline void oczekujBledu(const Wynik& wynik, int kod, const std::vector<std::string>& fragmenty)
{
    EXPECT_EQ(wynik.kod, kod);
    EXPECT_EQ(wynik.wyjscie, "");
    EXPECT_EQ(wynik.bledy.rfind("znakomat-cli: ", 0), 0u) << wynik.bledy;
    EXPECT_EQ(std::count(wynik.bledy.begin(), wynik.bledy.end(), '\n'), 1) << wynik.bledy;
    for (const std::string& fragment : fragmenty) {
        EXPECT_NE(wynik.bledy.find(fragment), std::string::npos) << wynik.bledy << " bez: " << fragment;
    }
}

}  // namespace cli::test
