#pragma once

// What the file library's tests share: a folder of their own, whole files, folder
// listings, and work done in a child process that reports back through a pipe.

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/postep.h"
#include "pliki/blad_pliku.h"
#include "pliki/wyjscie.h"

namespace pliki::test {

namespace fs = std::filesystem;

// A fresh folder under /tmp, removed with all it holds. Anyone may enter it, so that a
// child running as another user reaches the files the test prepares.
class TymczasowyFolder {
public:
    TymczasowyFolder()
    {
        std::string wzor = (fs::temp_directory_path() / "znakomat-pliki-XXXXXX").string();
        if (::mkdtemp(wzor.data()) == nullptr) {
            throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
        }
        sciezka_ = wzor;
        fs::permissions(sciezka_, fs::perms(0755));
    }
    ~TymczasowyFolder()
    {
        std::error_code blad;
        fs::remove_all(sciezka_, blad);
    }
    TymczasowyFolder(const TymczasowyFolder&) = delete;
    TymczasowyFolder& operator=(const TymczasowyFolder&) = delete;

    const fs::path& sciezka() const { return sciezka_; }
    fs::path operator/(const fs::path& nazwa) const { return sciezka_ / nazwa; }

private:
    fs::path sciezka_;
};

inline std::string czytajPlik(const fs::path& sciezka)
{
    std::ifstream plik(sciezka, std::ios::binary);
    return {std::istreambuf_iterator<char>(plik), std::istreambuf_iterator<char>()};
}

inline void zapiszPlik(const fs::path& sciezka, std::string_view tekst)
{
    std::ofstream plik(sciezka, std::ios::binary | std::ios::trunc);
    plik.write(tekst.data(), static_cast<std::streamsize>(tekst.size()));
    if (!plik.flush()) {
        throw std::runtime_error("nie mogę zapisać " + sciezka.string());
    }
}

// Names in a folder, hidden ones included.
inline std::set<std::string> wpisy(const fs::path& folder)
{
    std::set<std::string> nazwy;
    for (const fs::directory_entry& wpis : fs::directory_iterator(folder)) {
        nazwy.insert(wpis.path().filename().string());
    }
    return nazwy;
}

inline struct stat stanPliku(const fs::path& sciezka)
{
    struct stat stan {};
    if (::lstat(sciezka.c_str(), &stan) != 0) {
        ADD_FAILURE() << "lstat " << sciezka << ": " << std::strerror(errno);
    }
    return stan;
}

inline std::string nazwaSposobu(PlikWyjsciowy::Sposob sposob)
{
    switch (sposob) {
        case PlikWyjsciowy::Sposob::Strumien:
            return "strumień";
        case PlikWyjsciowy::Sposob::Zastapienie:
            return "zastąpienie";
        case PlikWyjsciowy::Sposob::WMiejscu:
            return "w miejscu";
    }
    return "?";
}

// Writes `tekst` as the whole output and says which way it went.
inline std::string zapiszCalosc(const std::string& nazwa, std::string_view tekst,
                                Tymczasowy tymczasowy = Tymczasowy::BezNazwyGdzieMozna)
{
    PlikWyjsciowy wyjscie(nazwa, engine::BezPostepu(), std::nullopt, tymczasowy);
    wyjscie.zapisz(tekst);
    wyjscie.zatwierdz();
    return nazwaSposobu(wyjscie.sposob());
}

// Runs `praca` in a forked child and returns what it returned, "błąd N" for a BladPliku
// with errno N, "przerwane", or how the child ended if it did not finish.
inline std::string wDziecku(const std::function<std::string()>& praca)
{
    int potok[2];
    if (::pipe(potok) != 0) {
        return "pipe";
    }
    const pid_t dziecko = ::fork();
    if (dziecko == 0) {
        ::close(potok[0]);
        std::string wynik;
        try {
            wynik = praca();
        } catch (const BladPliku& blad) {
            wynik = "błąd " + std::to_string(blad.numer);
        } catch (const engine::Przerwane&) {
            wynik = "przerwane";
        } catch (const std::exception& wyjatek) {
            wynik = std::string("wyjątek ") + wyjatek.what();
        }
        const ssize_t zapisane = ::write(potok[1], wynik.data(), wynik.size());
        ::_exit(zapisane == static_cast<ssize_t>(wynik.size()) ? 0 : 1);
    }
    ::close(potok[1]);
    std::string wynik;
    char bufor[256];
    ssize_t odczytane;
    while ((odczytane = ::read(potok[0], bufor, sizeof bufor)) > 0 || (odczytane < 0 && errno == EINTR)) {
        wynik.append(bufor, static_cast<std::size_t>(std::max<ssize_t>(odczytane, 0)));
    }
    ::close(potok[0]);
    int status = 0;
    ::waitpid(dziecko, &status, 0);
    if (WIFSIGNALED(status)) {
        return wynik + "[sygnał " + std::to_string(WTERMSIG(status)) + "]";
    }
    if (WEXITSTATUS(status) != 0) {
        return wynik + "[kod " + std::to_string(WEXITSTATUS(status)) + "]";
    }
    return wynik;
}

// A user and group id that nobody on this machine has.
inline uid_t nieuzywanyIdentyfikator()
{
    for (uid_t id = 47000;; ++id) {
        if (::getpwuid(id) == nullptr && ::getgrgid(static_cast<gid_t>(id)) == nullptr) {
            return id;
        }
    }
}

// In a child: becomes `id` (user and group, real and effective) with no other groups.
inline void stanSieUzytkownikiem(uid_t id)
{
    if (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(id)) != 0 || ::setuid(id) != 0 ||
        ::getuid() != id || ::geteuid() != id || ::getgid() != id || ::getegid() != id) {
        throw std::runtime_error("nie mogę zmienić użytkownika");
    }
}

// A Postep that stops after `ile` calls of wTrakcie, waking every 10 ms in a silent pipe.
class NadzorDoLiczby final : public engine::Postep {
public:
    explicit NadzorDoLiczby(int ile) : ile_(ile) {}
    void wTrakcie() override { ++wywolan_; }
    bool przerwac() override { return wywolan_ >= ile_; }
    int odstepOczekiwania() const override { return 10; }
    int wywolan() const { return wywolan_; }

private:
    int ile_;
    int wywolan_ = 0;
};

}  // namespace pliki::test
