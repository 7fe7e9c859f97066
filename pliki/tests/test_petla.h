#pragma once

// A loop device over a small image file, for the tests of block devices. Needs root and
// loop devices; `sciezka()` is empty where either is missing, with the reason in `powod()`.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace pliki::test {

class UrzadzeniePetli {
public:
    explicit UrzadzeniePetli(const std::filesystem::path& obraz)
    {
        const std::string polecenie = "losetup -f --show '" + obraz.string() + "' 2>&1";
        FILE* wyjscie = ::popen(polecenie.c_str(), "r");
        if (wyjscie == nullptr) {
            powod_ = "nie mogę uruchomić losetup";
            return;
        }
        char bufor[512];
        std::string tekst;
        while (std::fgets(bufor, sizeof bufor, wyjscie) != nullptr) {
            tekst += bufor;
        }
        const int status = ::pclose(wyjscie);
        while (!tekst.empty() && (tekst.back() == '\n' || tekst.back() == ' ')) {
            tekst.pop_back();
        }
        if (status != 0 || !tekst.starts_with("/dev/loop")) {
            powod_ = "losetup -f --show nie dał urządzenia pętli: " + tekst;
            return;
        }
        sciezka_ = tekst;
    }
    ~UrzadzeniePetli()
    {
        if (!sciezka_.empty()) {
            const std::string polecenie = "losetup -d '" + sciezka_ + "'";
            [[maybe_unused]] const int wynik = std::system(polecenie.c_str());
        }
    }
    UrzadzeniePetli(const UrzadzeniePetli&) = delete;
    UrzadzeniePetli& operator=(const UrzadzeniePetli&) = delete;

    const std::string& sciezka() const { return sciezka_; }
    const std::string& powod() const { return powod_; }

private:
    std::string sciezka_;
    std::string powod_;
};

}  // namespace pliki::test
