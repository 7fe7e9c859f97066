#include "cli/strumienie.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "cli/komunikaty.h"
#include "cli/uzycie.h"
#include "pliki/deskryptory.h"

namespace cli {

namespace {

// The pipes that stand in for closed descriptors 0 to 2, by identity.
std::vector<pliki::Wezel> zastepcze;

}  // namespace

// Descriptors 0, 1 and 2 closed by the caller would go to the first files opened: the
// input could become the output. Each gets the wrong end of an empty pipe instead, so any
// use of it fails; unlike /dev/null, the pipe is recognised behind a name like /dev/stdout.
void zajmijStandardoweStrumienie()
{
    for (int deskryptor = STDIN_FILENO; deskryptor <= STDERR_FILENO; ++deskryptor) {
        if (::fcntl(deskryptor, F_GETFD) >= 0) {
            continue;
        }
        std::array<int, 2> potok{};
        if (::pipe(potok.data()) != 0) {
            ::open("/dev/null", deskryptor == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            continue;
        }
        ::dup2(potok[deskryptor == STDIN_FILENO ? 1 : 0], deskryptor);
        for (const int koniec : potok) {
            if (koniec != deskryptor) {
                ::close(koniec);
            }
        }
        struct stat stan {};
        if (::fstat(deskryptor, &stan) == 0) {
            zastepcze.emplace_back(stan);
        }
    }
}

// A name such as /dev/stdout leads to a closed stream: the system finds no such file.
void odrzucZamknietyStrumien(const std::string& nazwa, pliki::BladPliku::Czynnosc czynnosc)
{
    struct stat stan {};
    if (nazwa != "-" && ::stat(nazwa.c_str(), &stan) == 0 &&
        std::find(zastepcze.begin(), zastepcze.end(), pliki::Wezel(stan)) != zastepcze.end()) {
        throw pliki::BladPliku{czynnosc, nazwa, ENOENT};
    }
}

ZleUzycie tenSamPlik(const std::string& nazwaWejscia, const std::string& nazwaWyjscia)
{
    const std::string wyjscie =
        nazwaWyjscia == "-" ? "standardowe wyjście" : "plik wyjściowy " + cudzyslow(nazwaWyjscia);
    const std::string wejscie =
        nazwaWejscia == "-" ? "standardowe wejście" : "plik wejściowy " + cudzyslow(nazwaWejscia);
    return ZleUzycie{wyjscie + " to ten sam plik co " + wejscie};
}

}  // namespace cli
