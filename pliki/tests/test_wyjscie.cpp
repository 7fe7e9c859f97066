// Where the output's text goes, and that no failure costs the old output.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/standardy.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/przepisz.h"
#include "pliki/sygnaly.h"
#include "pliki/tests/test_petla.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

const std::string STARY = "Stara treść, która musi przetrwać każdą porażkę.\n";
const std::string NOWY = "Zażółć gęślą jaźń\n";
const std::set<std::string> TYLKO_WYNIK{"wynik.txt"};

// Both ways of making the temporary file, for one test; back to the usual one after it.
class NazwaneTymczasowe {
public:
    explicit NazwaneTymczasowe(bool tak) { UzywajNazwanychTymczasowych(tak); }
    ~NazwaneTymczasowe() { UzywajNazwanychTymczasowych(false); }
    NazwaneTymczasowe(const NazwaneTymczasowe&) = delete;
    NazwaneTymczasowe& operator=(const NazwaneTymczasowe&) = delete;
};

// Whether the folder can hold a file without a name; where it cannot, the library always
// uses named ones.
bool bezNazwyMozliwe(const fs::path& folder)
{
    const int deskryptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
    return deskryptor >= 0 && ::close(deskryptor) == 0;
}

// A file system mounted for one test, gone with it.
class Montowanie {
public:
    Montowanie(const char* zrodlo, const fs::path& cel, const char* typ, unsigned long flagi,
               const char* opcje)
        : cel_(cel)
    {
        zamontowane_ = ::mount(zrodlo, cel.c_str(), typ, flagi, opcje) == 0;
        numerBledu_ = errno;
    }
    ~Montowanie()
    {
        if (zamontowane_) {
            ::umount2(cel_.c_str(), MNT_DETACH);
        }
    }
    Montowanie(const Montowanie&) = delete;
    Montowanie& operator=(const Montowanie&) = delete;

    bool zamontowane() const { return zamontowane_; }
    std::string powod() const { return std::strerror(numerBledu_); }

private:
    fs::path cel_;
    bool zamontowane_;
    int numerBledu_;
};

std::string rodzajTymczasowych(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Nazwane" : "BezNazwy";
}

class Wyjscie : public ::testing::TestWithParam<bool> {
protected:
    Wyjscie() : nazwane_(GetParam()) {}

    TymczasowyFolder folder;
    const fs::path wynik = folder / "wynik.txt";

private:
    NazwaneTymczasowe nazwane_;
};

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Wyjscie, ::testing::Values(false, true), rodzajTymczasowych);

TEST_P(Wyjscie, NowyPlikDostajeTrybZUmaski)
{
    const mode_t poprzednia = ::umask(027);
    const std::string sposob = zapiszCalosc(wynik, NOWY);
    ::umask(poprzednia);

    EXPECT_EQ(sposob, "zastąpienie");
    EXPECT_EQ(czytajPlik(wynik), NOWY);
    EXPECT_EQ(stanPliku(wynik).st_mode & 07777, 0640u);
    EXPECT_EQ(wpisy(folder.sciezka()), TYLKO_WYNIK);
}

TEST_P(Wyjscie, ZastapieniePrzezZmianeNazwyZachowujeTrybWlascicielaIGrupe)
{
    // As root, a file of an owner and group nobody has: kept only by a chown of the new file.
    const uid_t obcy = nieuzywanyIdentyfikator();
    for (const uid_t wlasciciel : {::geteuid(), obcy}) {
        SCOPED_TRACE("właściciel " + std::to_string(wlasciciel));
        zapiszPlik(wynik, STARY);
        ASSERT_EQ(::chown(wynik.c_str(), wlasciciel, static_cast<gid_t>(obcy)), 0);
        ASSERT_EQ(::chmod(wynik.c_str(), 0604), 0);
        const ino_t stary = stanPliku(wynik).st_ino;

        EXPECT_EQ(zapiszCalosc(wynik, NOWY), "zastąpienie");

        const struct stat stan = stanPliku(wynik);
        EXPECT_EQ(czytajPlik(wynik), NOWY);
        EXPECT_NE(stan.st_ino, stary);
        EXPECT_EQ(stan.st_mode & 07777, 0604u);
        EXPECT_EQ(stan.st_uid, wlasciciel);
        EXPECT_EQ(stan.st_gid, static_cast<gid_t>(obcy));
        EXPECT_EQ(wpisy(folder.sciezka()), TYLKO_WYNIK);
    }
}

TEST_P(Wyjscie, DowiazanieSymboliczneZostajeAJegoCelJestZastapiony)
{
    fs::create_directory(folder / "inny");
    zapiszPlik(folder / "inny/cel.txt", STARY);
    const ino_t stary = stanPliku(folder / "inny/cel.txt").st_ino;
    fs::create_symlink("inny/cel.txt", folder / "posredni");
    fs::create_symlink("posredni", wynik);
    // A link whose target does not exist yet gets it created.
    fs::create_symlink("inny/nowy.txt", folder / "wiszacy");

    EXPECT_EQ(zapiszCalosc(wynik, NOWY), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(folder / "wiszacy", NOWY), "zastąpienie");

    EXPECT_TRUE(fs::is_symlink(wynik));
    EXPECT_EQ(fs::read_symlink(wynik), "posredni");
    EXPECT_TRUE(fs::is_symlink(folder / "wiszacy"));
    EXPECT_EQ(czytajPlik(folder / "inny/cel.txt"), NOWY);
    EXPECT_NE(stanPliku(folder / "inny/cel.txt").st_ino, stary);
    EXPECT_EQ(czytajPlik(folder / "inny/nowy.txt"), NOWY);
    EXPECT_EQ(wpisy(folder.sciezka()), (std::set<std::string>{"inny", "posredni", "wiszacy", "wynik.txt"}));
    EXPECT_EQ(wpisy(folder / "inny"), (std::set<std::string>{"cel.txt", "nowy.txt"}));
}

TEST_P(Wyjscie, TwardeDowiazaniaPisaneWMiejscu)
{
    zapiszPlik(wynik, STARY);
    fs::create_hard_link(wynik, folder / "drugi.txt");
    const ino_t stary = stanPliku(wynik).st_ino;

    // Shorter than the old text, so what is left of it must go too.
    EXPECT_EQ(zapiszCalosc(wynik, NOWY), "w miejscu");

    EXPECT_EQ(czytajPlik(wynik), NOWY);
    EXPECT_EQ(czytajPlik(folder / "drugi.txt"), NOWY);
    EXPECT_EQ(stanPliku(wynik).st_ino, stary);
    EXPECT_EQ(stanPliku(wynik).st_nlink, 2u);
    EXPECT_EQ(wpisy(folder.sciezka()), (std::set<std::string>{"drugi.txt", "wynik.txt"}));
}

// An extended attribute's value; "<brak>" when the file has none of that name.
std::string atrybut(const fs::path& plik, const char* nazwa)
{
    std::string wartosc(4096, '\0');
    const ssize_t dlugosc = ::getxattr(plik.c_str(), nazwa, wartosc.data(), wartosc.size());
    return dlugosc < 0 ? "<brak>" : wartosc.substr(0, static_cast<std::size_t>(dlugosc));
}

TEST_P(Wyjscie, ListaDostepuIAtrybutyZachowane)
{
    // Whether the text replaces the output or is copied into it, everyone keeps the rights
    // they had, and no more: the list's mask is no group's right.
    for (const bool dowiazany : {false, true}) {
        SCOPED_TRACE(dowiazany ? "z twardym dowiązaniem" : "jedyna nazwa");
        TymczasowyFolder miejsce;
        const fs::path plik = miejsce / "wynik.txt";
        zapiszPlik(plik, STARY);
        ASSERT_EQ(::chmod(plik.c_str(), 0640), 0);
        const std::string polecenie = "setfacl -m u:nobody:rw- '" + plik.string() + "' 2>/dev/null";
        if (std::system(polecenie.c_str()) != 0) {
            GTEST_SKIP() << "setfacl niedostępny albo system plików bez list dostępu";
        }
        ASSERT_EQ(::setxattr(plik.c_str(), "user.opis", "ważny", std::strlen("ważny"), 0), 0);
        if (dowiazany) {
            fs::create_hard_link(plik, miejsce / "drugi.txt");
        }
        const std::string lista = atrybut(plik, "system.posix_acl_access");
        const mode_t tryb = stanPliku(plik).st_mode & 07777;

        EXPECT_EQ(zapiszCalosc(plik, NOWY), dowiazany ? "w miejscu" : "zastąpienie");

        EXPECT_EQ(czytajPlik(plik), NOWY);
        EXPECT_EQ(atrybut(plik, "system.posix_acl_access"), lista);
        EXPECT_EQ(atrybut(plik, "user.opis"), "ważny");
        EXPECT_EQ(stanPliku(plik).st_mode & 07777, tryb);
        EXPECT_EQ(wpisy(miejsce.sciezka()).size(), dowiazany ? 2u : 1u);
    }
}

TEST_P(Wyjscie, PlikZamontowanyNaSwojejNazwiePisanyWMiejscu)
{
    zapiszPlik(wynik, STARY);
    zapiszPlik(folder / "zrodlo.txt", STARY);
    // A rename over a mount point fails with EBUSY.
    const Montowanie montowanie((folder / "zrodlo.txt").c_str(), wynik, nullptr, MS_BIND, nullptr);
    if (!montowanie.zamontowane()) {
        GTEST_SKIP() << "mount --bind niedozwolone: " << montowanie.powod();
    }

    zapiszCalosc(wynik, NOWY);

    EXPECT_EQ(czytajPlik(wynik), NOWY);
    EXPECT_EQ(czytajPlik(folder / "zrodlo.txt"), NOWY);
    EXPECT_EQ(wpisy(folder.sciezka()), (std::set<std::string>{"wynik.txt", "zrodlo.txt"}));
}

TEST_P(Wyjscie, SciezkaDluga4090Bajtow)
{
    // Nested folders of 200 bytes, then a file name that makes the path 4090 bytes long.
    fs::path sciezka = folder.sciezka();
    while (sciezka.native().size() + 1 + 200 + 1 + 50 < 4090) {
        sciezka /= std::string(200, 'k');
    }
    fs::create_directories(sciezka);
    sciezka /= std::string(4090 - sciezka.native().size() - 1, 'p');
    ASSERT_EQ(sciezka.native().size(), 4090u);

    EXPECT_EQ(zapiszCalosc(sciezka, STARY), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(sciezka, NOWY), "zastąpienie");

    EXPECT_EQ(czytajPlik(sciezka), NOWY);
    EXPECT_EQ(wpisy(sciezka.parent_path()), std::set<std::string>{sciezka.filename()});
}

TEST_P(Wyjscie, NazwaPliku255Bajtow)
{
    // Two-byte letters, so that a temporary name cut short could split one.
    std::string nazwa = "x";
    while (nazwa.size() < 255) {
        nazwa += "ą";
    }
    ASSERT_EQ(nazwa.size(), 255u);
    const fs::path sciezka = folder / nazwa;

    EXPECT_EQ(zapiszCalosc(sciezka, STARY), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(sciezka, NOWY), "zastąpienie");

    EXPECT_EQ(czytajPlik(sciezka), NOWY);
    EXPECT_EQ(wpisy(folder.sciezka()), std::set<std::string>{nazwa});
}

// As a user with no rights of its own: what the shell's > would refuse is refused, what it
// would write is written, and nothing changes hands.
class Uzytkownik : public Wyjscie {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "potrzebny root, by zostać innym użytkownikiem";
        }
        // The library's fallback folder for the text, checked to be left empty.
        fs::create_directory(folder / "tmp");
        fs::permissions(folder / "tmp", fs::perms(0777));
    }

    // Writes NOWY to `sciezka` as user `id`; the child's result.
    std::string zapiszJako(const fs::path& sciezka)
    {
        return wDziecku([&] {
            ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
            stanSieUzytkownikiem(id);
            return zapiszCalosc(sciezka, NOWY);
        });
    }

    const uid_t id = nieuzywanyIdentyfikator();
};

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Uzytkownik, ::testing::Values(false, true), rodzajTymczasowych);

TEST_P(Uzytkownik, PlikTylkoDoOdczytuOdrzucony)
{
    // The folder is the user's, so a rename over the file would succeed.
    fs::create_directory(folder / "swoj");
    ASSERT_EQ(::chown((folder / "swoj").c_str(), id, static_cast<gid_t>(id)), 0);
    const fs::path plik = folder / "swoj/ro.txt";
    zapiszPlik(plik, STARY);
    ASSERT_EQ(::chown(plik.c_str(), id, static_cast<gid_t>(id)), 0);
    ASSERT_EQ(::chmod(plik.c_str(), 0444), 0);

    EXPECT_EQ(zapiszJako(plik), "błąd " + std::to_string(EACCES));

    EXPECT_EQ(czytajPlik(plik), STARY);
    EXPECT_EQ(wpisy(folder / "swoj"), std::set<std::string>{"ro.txt"});
}

TEST_P(Uzytkownik, CudzyPlikWeWlasnymFolderzeOdrzucony)
{
    fs::create_directory(folder / "swoj");
    ASSERT_EQ(::chown((folder / "swoj").c_str(), id, static_cast<gid_t>(id)), 0);
    const fs::path plik = folder / "swoj/roota.txt";
    zapiszPlik(plik, STARY);
    ASSERT_EQ(::chmod(plik.c_str(), 0644), 0);

    EXPECT_EQ(zapiszJako(plik), "błąd " + std::to_string(EACCES));

    EXPECT_EQ(czytajPlik(plik), STARY);
    EXPECT_EQ(stanPliku(plik).st_uid, 0u);
    EXPECT_EQ(wpisy(folder / "swoj"), std::set<std::string>{"roota.txt"});
}

TEST_P(Uzytkownik, PlikDoZapisuWFolderzeBezPrawaZapisuPisanyWMiejscu)
{
    fs::create_directory(folder / "obcy");
    fs::permissions(folder / "obcy", fs::perms(0755));
    const fs::path plik = folder / "obcy/wspolny.txt";
    zapiszPlik(plik, STARY);
    ASSERT_EQ(::chmod(plik.c_str(), 0666), 0);
    const ino_t stary = stanPliku(plik).st_ino;

    EXPECT_EQ(zapiszJako(plik), "w miejscu");

    EXPECT_EQ(czytajPlik(plik), NOWY);
    EXPECT_EQ(stanPliku(plik).st_ino, stary);
    EXPECT_EQ(wpisy(folder / "obcy"), std::set<std::string>{"wspolny.txt"});
    EXPECT_TRUE(wpisy(folder / "tmp").empty());
}

TEST_P(Uzytkownik, CudzyPlikDoZapisuZostajeCudzy)
{
    fs::create_directory(folder / "otwarty");
    fs::permissions(folder / "otwarty", fs::perms(0777));
    const fs::path plik = folder / "otwarty/wspolny.txt";
    zapiszPlik(plik, STARY);
    ASSERT_EQ(::chmod(plik.c_str(), 0666), 0);

    EXPECT_EQ(zapiszJako(plik), "w miejscu");

    const struct stat stan = stanPliku(plik);
    EXPECT_EQ(czytajPlik(plik), NOWY);
    EXPECT_EQ(stan.st_uid, 0u);
    EXPECT_EQ(stan.st_gid, 0u);
    EXPECT_EQ(stan.st_mode & 07777, 0666u);
    EXPECT_EQ(wpisy(folder / "otwarty"), std::set<std::string>{"wspolny.txt"});
}

// Every failure leaves the old output whole and no temporary file, named or not, whether
// the text was to replace the output or to be copied into it.
class Niepowodzenie : public Wyjscie {
protected:
    void SetUp() override { zapiszPlik(wynik, STARY); }

    void dowiazDrugi() { fs::create_hard_link(wynik, folder / "drugi.txt"); }

    void sprawdzStaryWynik(const fs::path& miejsce)
    {
        EXPECT_EQ(czytajPlik(miejsce / "wynik.txt"), STARY);
        std::set<std::string> oczekiwane = TYLKO_WYNIK;
        if (fs::exists(miejsce / "drugi.txt")) {
            oczekiwane.insert("drugi.txt");
            EXPECT_EQ(czytajPlik(miejsce / "drugi.txt"), STARY);
        }
        EXPECT_EQ(wpisy(miejsce), oczekiwane);
    }
    void sprawdzStaryWynik() { sprawdzStaryWynik(folder.sciezka()); }
};

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Niepowodzenie, ::testing::Values(false, true), rodzajTymczasowych);

TEST_P(Niepowodzenie, LimitRozmiaruPliku)
{
    for (const bool dowiazany : {false, true}) {
        SCOPED_TRACE(dowiazany ? "z twardym dowiązaniem" : "jedyna nazwa");
        if (dowiazany) {
            dowiazDrugi();
        }
        const std::string wynikDziecka = wDziecku([&] {
            const rlimit limit{1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN);
            return zapiszCalosc(wynik, std::string(5000, 'a'));
        });
        EXPECT_EQ(wynikDziecka, "błąd " + std::to_string(EFBIG));
        sprawdzStaryWynik();
    }
}

TEST_P(Niepowodzenie, PelnyDysk)
{
    // 25 pages: the old text takes 8, a new one of 14 still fits beside it, and copying it
    // into the old file in place would need 6 more.
    const fs::path dysk = folder / "dysk";
    fs::create_directory(dysk);
    const Montowanie montowanie("tmpfs", dysk, "tmpfs", 0, "size=100k");
    if (!montowanie.zamontowane()) {
        GTEST_SKIP() << "nie mogę zamontować małego tmpfs: " << montowanie.powod();
    }
    const std::string stary(32 << 10, 's');
    const auto sprawdzStary = [&] {
        EXPECT_EQ(czytajPlik(dysk / "wynik.txt"), stary);
        EXPECT_EQ(wpisy(dysk), (std::set<std::string>{"drugi.txt", "wynik.txt"}));
    };
    zapiszPlik(dysk / "wynik.txt", stary);
    fs::create_hard_link(dysk / "wynik.txt", dysk / "drugi.txt");

    try {
        zapiszCalosc(dysk / "wynik.txt", std::string(1 << 20, 'n'));
        ADD_FAILURE() << "1 MiB zapisany na dysku 100 KiB";
    } catch (const BladPliku& blad) {
        EXPECT_EQ(blad.numer, ENOSPC);
    }
    sprawdzStary();

    try {
        zapiszCalosc(dysk / "wynik.txt", std::string(56 << 10, 'n'));
        ADD_FAILURE() << "zapisany w miejscu bez miejsca na dysku";
    } catch (const BladPliku& blad) {
        EXPECT_EQ(blad.numer, ENOSPC);
    }
    sprawdzStary();
}

// A file system that cannot claim space ahead (ext2): in place, a text that does not fit
// fails before the old one is touched.
TEST_P(Niepowodzenie, PelnyDyskBezRezerwacjiMiejsca)
{
    const fs::path obraz = folder / "ext2.img";
    const std::string mkfs = "mkfs.ext2 -q -F -m 0 -b 1024 '" + obraz.string() + "' 2048 >/dev/null 2>&1";
    if (std::system(mkfs.c_str()) != 0) {
        GTEST_SKIP() << "brak mkfs.ext2";
    }
    const engine::test::UrzadzeniePetli petla(obraz);
    if (petla.sciezka().empty()) {
        GTEST_SKIP() << petla.powod();
    }
    const fs::path dysk = folder / "dysk";
    fs::create_directory(dysk);
    const Montowanie montowanie(petla.sciezka().c_str(), dysk, "ext2", 0, nullptr);
    if (!montowanie.zamontowane()) {
        GTEST_SKIP() << "nie mogę zamontować ext2: " << montowanie.powod();
    }
    const std::string stary(32 << 10, 's');
    zapiszPlik(dysk / "wynik.txt", stary);
    fs::create_hard_link(dysk / "wynik.txt", dysk / "drugi.txt");
    const auto wolne = [&] {
        struct statvfs miejsce {};
        ::statvfs(dysk.c_str(), &miejsce);
        return static_cast<std::size_t>(miejsce.f_bfree * miejsce.f_frsize);
    };
    // The new text fits beside the old one with a little to spare, far less than it grows by.
    zapiszPlik(dysk / "zapelnienie", std::string(wolne() - (320 << 10), 'z'));
    const std::size_t nowy = wolne() - (24 << 10);
    ASSERT_GT(nowy, stary.size() + (64 << 10));

    EXPECT_EQ(wDziecku([&] { return zapiszCalosc(dysk / "wynik.txt", std::string(nowy, 'n')); }),
              "błąd " + std::to_string(ENOSPC));

    EXPECT_TRUE(czytajPlik(dysk / "wynik.txt") == stary) << "stary tekst nadpisany";
    EXPECT_EQ(fs::file_size(dysk / "wynik.txt"), stary.size());
    EXPECT_EQ(wpisy(dysk), (std::set<std::string>{"drugi.txt", "lost+found", "wynik.txt", "zapelnienie"}));
}

std::size_t otwarteDeskryptory()
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// Every way an input or an output is refused, before or after a folder or the file itself
// is open, leaves no descriptor open. What a user may not do is tried as one, in a child.
TEST_P(Wyjscie, KazdaOdmowaNieZostawiaDeskryptorow)
{
    const uid_t id = ::geteuid() == 0 ? nieuzywanyIdentyfikator() : ::geteuid();
    const auto doUzytkownika = [&](const fs::path& sciezka, mode_t tryb) {
        ASSERT_EQ(::chown(sciezka.c_str(), id, static_cast<gid_t>(id)), 0);
        ASSERT_EQ(::chmod(sciezka.c_str(), tryb), 0);
    };
    fs::create_directory(folder / "katalog");
    zapiszPlik(folder / "plik.txt", STARY);
    fs::create_symlink("petla", folder / "petla");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    {
        const Deskryptor gniazdo(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un adres{};
        adres.sun_family = AF_UNIX;
        const std::string sciezkaGniazda = (folder / "gniazdo").string();
        ASSERT_LT(sciezkaGniazda.size(), sizeof(adres.sun_path));
        sciezkaGniazda.copy(adres.sun_path, sciezkaGniazda.size());
        ASSERT_EQ(::bind(gniazdo.numer(), reinterpret_cast<const sockaddr*>(&adres), sizeof(adres)), 0);
    }
    // A folder that takes no new file from its user, with a file they may write and one
    // they may not.
    fs::create_directory(folder / "bez-nowych");
    zapiszPlik(folder / "bez-nowych/wolny.txt", STARY);
    doUzytkownika(folder / "bez-nowych/wolny.txt", 0644);
    zapiszPlik(folder / "bez-nowych/ro.txt", STARY);
    doUzytkownika(folder / "bez-nowych/ro.txt", 0444);
    doUzytkownika(folder / "bez-nowych", 0555);
    zapiszPlik(folder / "zamkniety.txt", STARY);
    ASSERT_EQ(::chmod((folder / "zamkniety.txt").c_str(), 0), 0);
    // A stream the program holds that cannot be written: a folder.
    const Deskryptor otwartyFolder(::open((folder / "katalog").c_str(), O_RDONLY | O_DIRECTORY));
    ASSERT_TRUE(otwartyFolder.otwarty());

    fs::create_directory(folder / "tylko-odczyt");
    zapiszPlik(folder / "tylko-odczyt/wynik.txt", STARY);
    const Montowanie zwiazanie((folder / "tylko-odczyt").c_str(), folder / "tylko-odczyt", nullptr, MS_BIND,
                               nullptr);
    const bool tylkoOdczyt =
        zwiazanie.zamontowane() && ::mount(nullptr, (folder / "tylko-odczyt").c_str(), nullptr,
                                           MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;

    enum Plik { Wejscie, Wyjscie };
    struct Odmowa {
        const char* opis;
        Plik plik;
        fs::path nazwa;
        // What the child's TMPDIR names; empty runs the case in this process, as root.
        fs::path tmp;
        std::string wynik;
    };
    const auto blad = [](int numer) { return "błąd " + std::to_string(numer); };
    std::vector<Odmowa> odmowy{
        {"wejście: brak pliku", Wejscie, folder / "brak.txt", {}, blad(ENOENT)},
        {"wejście: plik zamiast folderu", Wejscie, folder / "plik.txt/we.txt", {}, blad(ENOTDIR)},
        {"wejście: folder", Wejscie, folder / "katalog", {}, blad(EISDIR)},
        {"wejście: pętla dowiązań", Wejscie, folder / "petla", {}, blad(ELOOP)},
        {"wejście: bez prawa odczytu", Wejscie, folder / "zamkniety.txt", folder.sciezka(), blad(EACCES)},
        {"wyjście: folder", Wyjscie, folder / "katalog", {}, blad(EISDIR)},
        {"wyjście: nazwa bez pliku", Wyjscie, folder / "katalog/.", {}, blad(EISDIR)},
        {"wyjście: plik zamiast folderu", Wyjscie, folder / "plik.txt/wynik.txt", {}, blad(ENOTDIR)},
        {"wyjście: brak folderu", Wyjscie, folder / "brak/wynik.txt", {}, blad(ENOENT)},
        {"wyjście: pętla dowiązań", Wyjscie, folder / "petla", {}, blad(ELOOP)},
        {"wyjście: za długa nazwa", Wyjscie, folder / std::string(300, 'x'), {}, blad(ENAMETOOLONG)},
        {"wyjście: otwarty strumień",
         Wyjscie,
         "/proc/self/fd/" + std::to_string(otwartyFolder.numer()),
         {},
         blad(EISDIR)},
        {"wyjście: gniazdo", Wyjscie, folder / "gniazdo", {}, blad(ENXIO)},
        {"wyjście: potok bez czytelnika", Wyjscie, folder / "fifo", {}, "przerwany"},
        {"wyjście: nowy plik w folderze bez prawa zapisu", Wyjscie, folder / "bez-nowych/nowy.txt",
         folder.sciezka(), blad(EACCES)},
        {"wyjście: plik tylko do odczytu", Wyjscie, folder / "bez-nowych/ro.txt", folder.sciezka(),
         blad(EACCES)},
        {"wyjście: TMPDIR nie istnieje", Wyjscie, folder / "bez-nowych/wolny.txt", folder / "brak",
         blad(ENOENT)},
        {"wyjście: TMPDIR bez prawa zapisu", Wyjscie, folder / "bez-nowych/wolny.txt", folder / "bez-nowych",
         blad(EACCES)},
    };
    if (tylkoOdczyt) {
        odmowy.push_back({"wyjście: system tylko do odczytu",
                          Wyjscie,
                          folder / "tylko-odczyt/wynik.txt",
                          {},
                          blad(EROFS)});
    }

    const auto sprobuj = [](const Odmowa& odmowa) {
        const std::size_t przed = otwarteDeskryptory();
        std::string wynik = "przyjęty";
        try {
            // A pipe without a reader is waited for until the second pause.
            NadzorDoLiczby postep(2);
            if (odmowa.plik == Wejscie) {
                const PlikWejsciowy wejscie(odmowa.nazwa);
            } else {
                const PlikWyjsciowy wyjscie(odmowa.nazwa, postep);
            }
        } catch (const BladPliku& blad) {
            wynik = "błąd " + std::to_string(blad.numer);
        } catch (const engine::Przerwane&) {
            wynik = "przerwany";
        }
        const std::size_t po = otwarteDeskryptory();
        return po == przed ? wynik
                           : wynik + ", otwartych deskryptorów więcej o " + std::to_string(po - przed);
    };
    for (const Odmowa& odmowa : odmowy) {
        SCOPED_TRACE(odmowa.opis);
        if (odmowa.tmp.empty()) {
            EXPECT_EQ(sprobuj(odmowa), odmowa.wynik);
            continue;
        }
        EXPECT_EQ(wDziecku([&] {
                      ::setenv("TMPDIR", odmowa.tmp.c_str(), 1);
                      if (::geteuid() != id) {
                          stanSieUzytkownikiem(id);
                          // Its own /proc/self again, which a change of user gives to root.
                          ::prctl(PR_SET_DUMPABLE, 1);
                      }
                      return sprobuj(odmowa);
                  }),
                  odmowa.wynik);
    }
}

// The probe of a new file on a full disk leaves nothing behind.
TEST(Proba, NieudanaNieZostawiaPliku)
{
    TymczasowyFolder folder;
    EXPECT_EQ(wDziecku([&] {
                  const rlimit limit{0, 0};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  std::signal(SIGXFSZ, SIG_IGN);
                  return std::string(MoznaNadpisac(folder / "nowy.txt", "NADPISYWANIE") ? "tak" : "nie");
              }),
              "nie");
    EXPECT_TRUE(wpisy(folder.sciezka()).empty());
    EXPECT_TRUE(MoznaNadpisac(folder / "nowy.txt", "NADPISYWANIE"));
    EXPECT_EQ(czytajPlik(folder / "nowy.txt"), "NADPISYWANIE");
}

// A new output, made by the conversion or by the window's probe, lets the group and others
// read and write it only as far as the input does; the umask still applies.
TEST(Proba, NowyWynikNieSzerszyNizWejscie)
{
    TymczasowyFolder folder;
    const mode_t umaska = ::umask(022);
    const std::pair<mode_t, mode_t> tryby[] = {{0600, 0600}, {0640, 0640}, {0644, 0644}, {0444, 0644},
                                               {0755, 0644}, {0604, 0604}, {0660, 0640}, {0000, 0600}};
    for (const auto& [wejscia, wyniku] : tryby) {
        SCOPED_TRACE(std::to_string(wejscia));
        const fs::path wejscie = folder / "wejscie.txt";
        zapiszPlik(wejscie, NOWY);
        ::chmod(wejscie.c_str(), wejscia);
        KonwertujPlik(wejscie, folder / "wynik.txt", {engine::UTF8_INDEX, engine::BRAK});
        EXPECT_TRUE(MoznaNadpisac(folder / "proba.txt", "NADPISYWANIE", wejscie));
        for (const char* wynik : {"wynik.txt", "proba.txt"}) {
            EXPECT_EQ(stanPliku(folder / wynik).st_mode & 07777, wyniku) << wynik;
            fs::remove(folder / wynik);
        }
        fs::remove(wejscie);
    }
    ::umask(umaska);
}

TEST_P(Niepowodzenie, BladOdczytuWejscia)
{
    for (const bool dowiazany : {false, true}) {
        SCOPED_TRACE(dowiazany ? "z twardym dowiązaniem" : "jedyna nazwa");
        if (dowiazany) {
            dowiazDrugi();
        }
        try {
            // Address 0 of the process is never mapped: the first read fails.
            PlikWejsciowy wejscie("/proc/self/mem");
            PlikWyjsciowy wyjscie(wynik);
            engine::KonwersjaBlokowa konwersja(0, engine::UTF8_INDEX);
            Przepisz(wejscie, wyjscie, konwersja);
            ADD_FAILURE() << "/proc/self/mem przeczytany";
        } catch (const BladPliku& blad) {
            EXPECT_EQ(blad.czynnosc, BladPliku::Odczyt);
            EXPECT_EQ(blad.numer, EIO);
            EXPECT_EQ(blad.nazwa, "/proc/self/mem");
        }
        sprawdzStaryWynik();
    }
}

TEST_P(Niepowodzenie, BezZatwierdzenia)
{
    for (const bool dowiazany : {false, true}) {
        SCOPED_TRACE(dowiazany ? "z twardym dowiązaniem" : "jedyna nazwa");
        if (dowiazany) {
            dowiazDrugi();
        }
        {
            PlikWyjsciowy wyjscie(wynik);
            wyjscie.zapisz(NOWY);
            if (GetParam()) {
                // The hidden file is there while the text is written, and must go.
                EXPECT_EQ(wpisy(folder.sciezka()).size(), dowiazany ? 3u : 2u);
            }
        }
        sprawdzStaryWynik();
    }
}

TEST_P(Niepowodzenie, PrzerwaneNaProsbe)
{
    const fs::path wejscie = folder / "wejscie.txt";
    zapiszPlik(wejscie, std::string(4 * ROZMIAR_KAWALKA, 'w'));
    NadzorDoLiczby postep(2);
    try {
        PlikWejsciowy plikWejsciowy(wejscie);
        PlikWyjsciowy wyjscie(wynik);
        engine::KonwersjaBlokowa konwersja(0, engine::UTF8_INDEX);
        EXPECT_THROW(Przepisz(plikWejsciowy, wyjscie, konwersja, postep), engine::Przerwane);
    } catch (const BladPliku& blad) {
        ADD_FAILURE() << "błąd " << blad.numer;
    }
    EXPECT_EQ(postep.wywolan(), 2);
    EXPECT_EQ(czytajPlik(wynik), STARY);
    EXPECT_EQ(wpisy(folder.sciezka()), (std::set<std::string>{"wejscie.txt", "wynik.txt"}));
}

// A child that has written part of the output and waits to be ended.
class PiszaceDziecko {
public:
    PiszaceDziecko(const fs::path& wynik, bool nazwane)
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
            UzywajNazwanychTymczasowych(nazwane);
            PlikWyjsciowy wyjscie(wynik);
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
        PiszaceDziecko dziecko(folder / "wynik.txt", true);
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
        PiszaceDziecko dziecko(osobny / "wynik.txt", true);
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
        PiszaceDziecko dziecko(folder / "wynik.txt", false);
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
