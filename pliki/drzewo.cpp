#include "pliki/drzewo.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "pliki/deskryptory.h"

namespace pliki {

namespace fs = std::filesystem;

namespace {

std::string polacz(const std::string& folder, const char* nazwa)
{
    return folder.ends_with('/') ? folder + nazwa : folder + "/" + nazwa;
}

}  // namespace

Drzewo PrzejdzDrzewo(const std::string& folder)
{
    Drzewo drzewo;
    struct stat stan {};
    if (::stat(folder.c_str(), &stan) != 0) {
        drzewo.bledy.push_back({BladPliku::Odczyt, folder, errno});
        return drzewo;
    }
    // Folders found and not read yet: each is read whole and closed before the next opens.
    std::vector<PlikDrzewa> doPrzejrzenia{{folder, Wezel(stan)}};
    while (!doPrzejrzenia.empty()) {
        const PlikDrzewa biezacy = std::move(doPrzejrzenia.back());
        doPrzejrzenia.pop_back();
        const bool nazwany = biezacy.sciezka == folder;
        Deskryptor deskryptor(
            otworz(biezacy.sciezka.c_str(), O_RDONLY | O_DIRECTORY | (nazwany ? 0 : O_NOFOLLOW)));
        if (!deskryptor.otwarty() || ::fstat(deskryptor.numer(), &stan) != 0) {
            drzewo.bledy.push_back({BladPliku::Odczyt, biezacy.sciezka, errno});
            continue;
        }
        if (Wezel(stan) != biezacy.znany) {
            drzewo.bledy.push_back({BladPliku::Odczyt, biezacy.sciezka, ESTALE});
            continue;
        }
        DIR* const wpisy = ::fdopendir(deskryptor.numer());
        if (wpisy == nullptr) {
            drzewo.bledy.push_back({BladPliku::Odczyt, biezacy.sciezka, errno});
            continue;
        }
        // closedir closes it.
        const int otwarty = deskryptor.oddaj();
        bool nieWejdzie = false;
        errno = 0;
        while (const dirent* wpis = ::readdir(wpisy)) {
            const std::string_view nazwa = wpis->d_name;
            if (nazwa == "." || nazwa == "..") {
                continue;
            }
            struct stat stanWpisu {};
            if (::fstatat(otwarty, wpis->d_name, &stanWpisu, AT_SYMLINK_NOFOLLOW) != 0) {
                // One gone meanwhile is no error; a folder that may be listed but not
                // entered (no x right) is, once.
                if (errno != ENOENT && !nieWejdzie) {
                    nieWejdzie = true;
                    drzewo.bledy.push_back({BladPliku::Odczyt, biezacy.sciezka, errno});
                }
                errno = 0;
                continue;
            }
            if (S_ISDIR(stanWpisu.st_mode)) {
                doPrzejrzenia.push_back({polacz(biezacy.sciezka, wpis->d_name), Wezel(stanWpisu)});
            } else if (S_ISREG(stanWpisu.st_mode)) {
                drzewo.pliki.push_back({polacz(biezacy.sciezka, wpis->d_name), Wezel(stanWpisu)});
            }
            errno = 0;
        }
        if (errno != 0) {
            drzewo.bledy.push_back({BladPliku::Odczyt, biezacy.sciezka, errno});
        }
        ::closedir(wpisy);
    }
    std::sort(drzewo.pliki.begin(), drzewo.pliki.end(),
              [](const PlikDrzewa& a, const PlikDrzewa& b) { return a.sciezka < b.sciezka; });
    std::sort(drzewo.bledy.begin(), drzewo.bledy.end(),
              [](const BladPliku& a, const BladPliku& b) { return a.nazwa < b.nazwa; });
    return drzewo;
}

void UtworzFoldery(const std::string& sciezka)
{
    fs::path istniejacy = fs::path(sciezka).lexically_normal();
    if (!istniejacy.has_filename()) {
        istniejacy = istniejacy.parent_path();
    }
    std::vector<std::string> brakujace;
    struct stat stan {};
    while (!istniejacy.empty() && ::stat(istniejacy.c_str(), &stan) != 0) {
        if (errno != ENOENT) {
            throw BladPliku{BladPliku::Zapis, istniejacy.string(), errno};
        }
        brakujace.push_back(istniejacy.filename().string());
        istniejacy = istniejacy.parent_path();
    }
    if (brakujace.empty()) {
        if (!S_ISDIR(stan.st_mode)) {
            throw BladPliku{BladPliku::Zapis, istniejacy.string(), ENOTDIR};
        }
        return;
    }
    fs::path gdzie = istniejacy;
    Deskryptor folder(otworz(istniejacy.empty() ? "." : istniejacy.c_str(), O_RDONLY | O_DIRECTORY));
    if (!folder.otwarty()) {
        throw BladPliku{BladPliku::Zapis, istniejacy.string(), errno};
    }
    for (auto nazwa = brakujace.rbegin(); nazwa != brakujace.rend(); ++nazwa) {
        gdzie /= *nazwa;
        // Another file of the batch may make the same folder at the same moment.
        if (::mkdirat(folder.numer(), nazwa->c_str(), 0777) != 0 && errno != EEXIST) {
            throw BladPliku{BladPliku::Zapis, gdzie.string(), errno};
        }
        folder = Deskryptor(otworzW(folder.numer(), nazwa->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (!folder.otwarty()) {
            throw BladPliku{BladPliku::Zapis, gdzie.string(), errno == ELOOP ? ENOTDIR : errno};
        }
    }
}

bool LezyWFolderze(const std::string& sciezka, const struct stat& folder)
{
    fs::path istniejacy = fs::absolute(sciezka).lexically_normal();
    Deskryptor biezacy;
    for (;;) {
        biezacy = Deskryptor(otworz(istniejacy.c_str(), O_PATH | O_DIRECTORY));
        if (biezacy.otwarty() || !istniejacy.has_relative_path()) {
            break;
        }
        istniejacy = istniejacy.parent_path();
    }
    const Wezel szukany(folder);
    struct stat stan {};
    while (biezacy.otwarty() && ::fstat(biezacy.numer(), &stan) == 0) {
        if (Wezel(stan) == szukany) {
            return true;
        }
        Deskryptor wyzej(otworzW(biezacy.numer(), "..", O_PATH | O_DIRECTORY));
        struct stat stanWyzej {};
        if (!wyzej.otwarty() || ::fstat(wyzej.numer(), &stanWyzej) != 0 || TenSamWezel(stanWyzej, stan)) {
            // The root, which is its own parent.
            return false;
        }
        biezacy = std::move(wyzej);
    }
    return false;
}

}  // namespace pliki
