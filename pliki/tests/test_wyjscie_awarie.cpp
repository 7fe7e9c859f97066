// That no failure or refusal costs the old output, leaves a temporary file or a descriptor.

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <string>
#include <vector>

#include "engine/standardy.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/przepisz.h"
#include "pliki/tests/test_petla.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_przepisz.h"
#include "pliki/tests/test_wyjscie.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Wyjscie, OBA_SPOSOBY, rodzajTymczasowych);

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

INSTANTIATE_TEST_SUITE_P(Tymczasowe, Niepowodzenie, OBA_SPOSOBY, rodzajTymczasowych);

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
            return zapiszCalosc(wynik, std::string(5000, 'a'), tymczasowy);
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
        zapiszCalosc(dysk / "wynik.txt", std::string(1 << 20, 'n'), tymczasowy);
        ADD_FAILURE() << "1 MiB zapisany na dysku 100 KiB";
    } catch (const BladPliku& blad) {
        EXPECT_EQ(blad.numer, ENOSPC);
    }
    sprawdzStary();

    try {
        zapiszCalosc(dysk / "wynik.txt", std::string(56 << 10, 'n'), tymczasowy);
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
    const pliki::test::UrzadzeniePetli petla(obraz);
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

    EXPECT_EQ(wDziecku([&] { return zapiszCalosc(dysk / "wynik.txt", std::string(nowy, 'n'), tymczasowy); }),
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

    const auto sprobuj = [this](const Odmowa& odmowa) {
        const std::size_t przed = otwarteDeskryptory();
        std::string wynik = "przyjęty";
        try {
            // A pipe without a reader is waited for until the second pause.
            NadzorDoLiczby postep(2);
            if (odmowa.plik == Wejscie) {
                const PlikWejsciowy wejscie(odmowa.nazwa);
            } else {
                const PlikWyjsciowy wyjscie(odmowa.nazwa, postep, std::nullopt, tymczasowy);
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
            PlikWyjsciowy wyjscie(wynik, engine::BezPostepu(), std::nullopt, tymczasowy);
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
            PlikWyjsciowy wyjscie(wynik, engine::BezPostepu(), std::nullopt, tymczasowy);
            wyjscie.zapisz(NOWY);
            if (tymczasowy == Tymczasowy::ZawszeNazwany) {
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
        PlikWyjsciowy wyjscie(wynik, engine::BezPostepu(), std::nullopt, tymczasowy);
        engine::KonwersjaBlokowa konwersja(0, engine::UTF8_INDEX);
        EXPECT_THROW(Przepisz(plikWejsciowy, wyjscie, konwersja, postep), engine::Przerwane);
    } catch (const BladPliku& blad) {
        ADD_FAILURE() << "błąd " << blad.numer;
    }
    EXPECT_EQ(postep.wywolan(), 2);
    EXPECT_EQ(czytajPlik(wynik), STARY);
    EXPECT_EQ(wpisy(folder.sciezka()), (std::set<std::string>{"wejscie.txt", "wynik.txt"}));
}

}  // namespace
}  // namespace pliki::test
