// Where the output's text goes, and what of the old output it keeps.

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_wyjscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Wyjscie, OBA_SPOSOBY, rodzajTymczasowych);

TEST_P(Wyjscie, NowyPlikDostajeTrybZUmaski)
{
    const mode_t poprzednia = ::umask(027);
    const std::string sposob = zapiszCalosc(wynik, NOWY, tymczasowy);
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

        EXPECT_EQ(zapiszCalosc(wynik, NOWY, tymczasowy), "zastąpienie");

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

    EXPECT_EQ(zapiszCalosc(wynik, NOWY, tymczasowy), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(folder / "wiszacy", NOWY, tymczasowy), "zastąpienie");

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
    EXPECT_EQ(zapiszCalosc(wynik, NOWY, tymczasowy), "w miejscu");

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

        EXPECT_EQ(zapiszCalosc(plik, NOWY, tymczasowy), dowiazany ? "w miejscu" : "zastąpienie");

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

    zapiszCalosc(wynik, NOWY, tymczasowy);

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

    EXPECT_EQ(zapiszCalosc(sciezka, STARY, tymczasowy), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(sciezka, NOWY, tymczasowy), "zastąpienie");

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

    EXPECT_EQ(zapiszCalosc(sciezka, STARY, tymczasowy), "zastąpienie");
    EXPECT_EQ(zapiszCalosc(sciezka, NOWY, tymczasowy), "zastąpienie");

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
            return zapiszCalosc(sciezka, NOWY, tymczasowy);
        });
    }

    const uid_t id = nieuzywanyIdentyfikator();
};

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Uzytkownik, OBA_SPOSOBY, rodzajTymczasowych);

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

// Standard output is the program's own: the text goes into it, and it is closed only by a
// commit, which must hear of a failed write. A stream the caller opened gets the text after
// what it holds, and stays the caller's.
TEST(Strumien, StandardoweZamykaTylkoZatwierdzenie)
{
    TymczasowyFolder folder;
    zapiszPlik(folder / "wyjscie.txt", "stare ");
    EXPECT_EQ(wDziecku([&] {
                  const int plik = ::open((folder / "wyjscie.txt").c_str(), O_WRONLY | O_APPEND);
                  if (plik < 0 || ::dup2(plik, STDOUT_FILENO) < 0 || ::close(plik) != 0) {
                      return std::string("bez przekierowania");
                  }
                  std::string stan;
                  {
                      PlikWyjsciowy wyjscie("-");
                      wyjscie.zapisz("bez ");
                  }
                  stan += ::fcntl(STDOUT_FILENO, F_GETFD) >= 0 ? "otwarte, " : "zamknięte, ";
                  {
                      PlikWyjsciowy wyjscie("/proc/self/fd/1");
                      wyjscie.zapisz("przez /proc ");
                      wyjscie.zatwierdz();
                  }
                  stan += ::fcntl(STDOUT_FILENO, F_GETFD) >= 0 ? "otwarte, " : "zamknięte, ";
                  PlikWyjsciowy wyjscie("-");
                  wyjscie.zapisz("zatwierdzone");
                  wyjscie.zatwierdz();
                  stan += ::fcntl(STDOUT_FILENO, F_GETFD) >= 0 ? "otwarte" : "zamknięte";
                  return stan;
              }),
              "otwarte, otwarte, zamknięte");
    EXPECT_EQ(czytajPlik(folder / "wyjscie.txt"), "stare bez przez /proc zatwierdzone");
}

}  // namespace
}  // namespace pliki::test
