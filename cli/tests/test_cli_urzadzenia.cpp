// znakomat-cli with a block device as both input and output: refused, the device untouched.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pliki/tests/test_petla.h"

namespace {

namespace fs = std::filesystem;

std::string czytaj(const fs::path& sciezka)
{
    std::ifstream plik(sciezka, std::ios::binary);
    return {std::istreambuf_iterator<char>(plik), std::istreambuf_iterator<char>()};
}

// Runs znakomat-cli with `argumenty`, its error output into `bledy`; its exit status.
int uruchom(const std::vector<std::string>& argumenty, const fs::path& bledy)
{
    const pid_t dziecko = ::fork();
    if (dziecko == 0) {
        const int wyjscieBledow = ::open(bledy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(wyjscieBledow, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(ZNAKOMAT_CLI)};
        for (const std::string& argument : argumenty) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(ZNAKOMAT_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(dziecko, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(UrzadzenieBlokowe, TenSamJakoWejscieIWyjscieOdrzucony)
{
    fs::path folder = fs::temp_directory_path() / "znakomat-cli-urzadzenia-XXXXXX";
    std::string wzor = folder.string();
    ASSERT_NE(::mkdtemp(wzor.data()), nullptr);
    folder = wzor;
    struct Sprzatanie {
        fs::path folder;
        ~Sprzatanie() { fs::remove_all(folder); }
    } sprzatanie{folder};

    // Polish letters in UTF-8 throughout, so that any conversion to "brak" would show.
    std::string tekst;
    while (tekst.size() < (64 << 10)) {
        tekst += "Zażółć gęślą jaźń. ";
    }
    tekst.resize(64 << 10);
    std::ofstream(folder / "obraz.img", std::ios::binary) << tekst;
    const pliki::test::UrzadzeniePetli petla(folder / "obraz.img");
    if (petla.sciezka().empty()) {
        GTEST_SKIP() << petla.powod();
    }
    const std::string urzadzenie = petla.sciezka();
    ASSERT_EQ(czytaj(urzadzenie), tekst);
    // Another node of the same device, under a name of its own.
    struct stat stan {};
    ASSERT_EQ(::stat(urzadzenie.c_str(), &stan), 0);
    const fs::path kopia = folder / "petla";
    ASSERT_EQ(::mknod(kopia.c_str(), S_IFBLK | 0600, stan.st_rdev), 0);

    for (const std::string& wyjscie : {urzadzenie, kopia.string()}) {
        SCOPED_TRACE(wyjscie);
        EXPECT_EQ(uruchom({"-f", "UTF-8", "-t", "brak", "-o", wyjscie, urzadzenie}, folder / "bledy"), 2);
        EXPECT_NE(czytaj(folder / "bledy").find("to ten sam plik"), std::string::npos)
            << czytaj(folder / "bledy");
        EXPECT_TRUE(czytaj(urzadzenie) == tekst) << "urządzenie zmienione";
    }
}

}  // namespace
