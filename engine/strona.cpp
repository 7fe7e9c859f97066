#include "engine/strona.h"

#include <endian.h>
#include <iconv.h>
#include <link.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "engine/windows1250.h"
#include "engine/wszystkie_znaki.h"

namespace engine {

namespace {

// Code page 437 is what Mazovia puts its letters in.
constexpr std::string_view PODSTAWA_MAZOVII = "IBM437";

char32_t literaWUnicode(int pozycja)
{
    return ZnakWindows1250(static_cast<unsigned char>(Litera(WINDOWS_EE, pozycja)[0]));
}

// One descriptor of the system's iconv; iconv_open's failure is left to the caller.
class Deskryptor {
public:
    Deskryptor(const std::string& na, const std::string& z) : cd_(::iconv_open(na.c_str(), z.c_str())) {}
    ~Deskryptor()
    {
        if (otwarty()) {
            ::iconv_close(cd_);
        }
    }
    Deskryptor(const Deskryptor&) = delete;
    Deskryptor& operator=(const Deskryptor&) = delete;

    bool otwarty() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole of `tekst` converted and the state flushed; nothing with errno's reason when
    // iconv stops.
    std::optional<std::string> konwertuj(std::string tekst, int& numer)
    {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 64> wynik{};
        char* we = tekst.data();
        std::size_t zostalo = tekst.size();
        char* wy = wynik.data();
        std::size_t miejsce = wynik.size();
        if (::iconv(cd_, &we, &zostalo, &wy, &miejsce) == static_cast<std::size_t>(-1) ||
            ::iconv(cd_, nullptr, nullptr, &wy, &miejsce) == static_cast<std::size_t>(-1)) {
            numer = errno;
            return std::nullopt;
        }
        return std::string(wynik.data(), wy);
    }

private:
    iconv_t cd_;
};

constexpr const char* UTF32 = "UTF-32LE";

// The characters of iconv's code page `nazwa`, byte by byte; nothing when some byte is not
// one character or no character at all (a byte iconv refuses), or a character is written back
// as other than one byte, as in code pages of several bytes or with shifts.
// Throws std::runtime_error when iconv does not know it.
std::optional<std::array<char32_t, 256>> stronaIconv(const std::string& nazwa)
{
    Deskryptor doZnakow(UTF32, nazwa);
    Deskryptor doBajtow(nazwa, UTF32);
    if (!doZnakow.otwarty() || !doBajtow.otwarty()) {
        throw std::runtime_error("iconv nie zna strony kodowej " + nazwa);
    }
    std::array<char32_t, 256> znaki{};
    for (int b = 0; b < 256; ++b) {
        int numer = 0;
        const std::optional<std::string> znak =
            doZnakow.konwertuj(std::string(1, static_cast<char>(b)), numer);
        if (!znak) {
            if (numer != EILSEQ) {
                return std::nullopt;
            }
            znaki[static_cast<std::size_t>(b)] = Strona::BEZ_ZNAKU;
            continue;
        }
        if (znak->size() != 4) {
            return std::nullopt;
        }
        std::uint32_t kod = 0;
        std::memcpy(&kod, znak->data(), 4);
        const std::optional<std::string> zPowrotem = doBajtow.konwertuj(*znak, numer);
        if (!zPowrotem || zPowrotem->size() != 1) {
            return std::nullopt;
        }
        znaki[static_cast<std::size_t>(b)] = static_cast<char32_t>(le32toh(kod));
    }
    return znaki;
}

// stronaIconv once for each name; pages are asked for every text of a batch.
std::optional<std::array<char32_t, 256>> stronaIconvRaz(const std::string& nazwa)
{
    static std::mutex mutex;
    static std::map<std::string, std::optional<std::array<char32_t, 256>>, std::less<>> gotowe;
    const std::lock_guard blokada(mutex);
    if (const auto znaleziona = gotowe.find(nazwa); znaleziona != gotowe.end()) {
        return znaleziona->second;
    }
    return gotowe.emplace(nazwa, stronaIconv(nazwa)).first->second;
}

// The folder iconv loads its code pages from, found by the module a descriptor has loaded.
std::filesystem::path folderModulowIconv()
{
    const Deskryptor deskryptor("UTF-8", std::string(PODSTAWA_MAZOVII));
    std::filesystem::path folder;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* dane) {
            const std::string_view sciezka = info->dlpi_name != nullptr ? info->dlpi_name : "";
            if (const std::size_t gdzie = sciezka.rfind("/gconv/"); gdzie != std::string_view::npos) {
                *static_cast<std::filesystem::path*>(dane) = sciezka.substr(0, gdzie + 6);
                return 1;
            }
            return 0;
        },
        &folder);
    return folder;
}

// Names from iconv's configuration: each code page that converts to iconv's own form, and each
// alias with what it stands for.
struct NazwyIconv {
    std::map<std::string, std::string> aliasy;
    std::set<std::string> strony;
};

void czytajKonfiguracje(const std::filesystem::path& plik, NazwyIconv& nazwy)
{
    std::ifstream wejscie(plik);
    std::string wiersz;
    const auto bezUkosnikow = [](std::string nazwa) {
        while (!nazwa.empty() && nazwa.back() == '/') {
            nazwa.pop_back();
        }
        return nazwa;
    };
    while (std::getline(wejscie, wiersz)) {
        std::istringstream slowa(wiersz.substr(0, wiersz.find('#')));
        std::string rodzaj;
        std::string z;
        std::string na;
        if (!(slowa >> rodzaj >> z >> na)) {
            continue;
        }
        if (rodzaj == "alias") {
            nazwy.aliasy.emplace(bezUkosnikow(z), bezUkosnikow(na));
        } else if (rodzaj == "module" && na == "INTERNAL") {
            nazwy.strony.insert(bezUkosnikow(z));
        }
    }
}

const NazwyIconv& nazwyIconv()
{
    static const NazwyIconv nazwy = [] {
        NazwyIconv wynik;
        const std::filesystem::path folder = folderModulowIconv();
        if (folder.empty()) {
            return wynik;
        }
        czytajKonfiguracje(folder / "gconv-modules", wynik);
        std::error_code blad;
        std::vector<std::filesystem::path> dodatkowe;
        for (const auto& plik : std::filesystem::directory_iterator(folder / "gconv-modules.d", blad)) {
            if (plik.path().extension() == ".conf") {
                dodatkowe.push_back(plik.path());
            }
        }
        std::sort(dodatkowe.begin(), dodatkowe.end());
        for (const auto& plik : dodatkowe) {
            czytajKonfiguracje(plik, wynik);
        }
        return wynik;
    }();
    return nazwy;
}

// The code page of iconv's configuration called `nazwa` by the rule of KluczNazwy, as the
// configuration names it; the name itself when only iconv's own code pages (UTF-8, ASCII)
// know it; nothing when iconv does not know it.
std::optional<std::string> nazwaWIconv(std::string_view nazwa)
{
    const std::string klucz = KluczNazwy(nazwa);
    if (klucz.empty()) {
        return std::nullopt;
    }
    const NazwyIconv& nazwy = nazwyIconv();
    for (const std::string& strona : nazwy.strony) {
        if (KluczNazwy(strona) == klucz) {
            return strona;
        }
    }
    for (const auto& [alias, strona] : nazwy.aliasy) {
        if (KluczNazwy(alias) == klucz) {
            return strona;
        }
    }
    // iconv_open would take "//TRANSLIT" and the like after a name: they name no code page.
    if (nazwa.find('/') == std::string_view::npos && Deskryptor(UTF32, std::string(nazwa)).otwarty()) {
        return std::string(nazwa);
    }
    return std::nullopt;
}

}  // namespace

int Strona::bajt(char32_t znak) const
{
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        if (literaWUnicode(p) == znak) {
            return litery[static_cast<std::size_t>(p - 1)];
        }
    }
    const auto znaleziony = std::find(znaki.begin(), znaki.end(), znak);
    return znaleziony == znaki.end() || znak == BEZ_ZNAKU ? -1 : static_cast<int>(znaleziony - znaki.begin());
}

std::vector<std::int16_t> Strona::odwrotna() const
{
    std::vector<std::int16_t> bajty(0x10000, -1);
    for (int b = 255; b >= 0; --b) {
        if (const char32_t znak = znaki[static_cast<std::size_t>(b)]; znak < 0x10000) {
            bajty[znak] = static_cast<std::int16_t>(b);
        }
    }
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        bajty[literaWUnicode(p)] = litery[static_cast<std::size_t>(p - 1)];
    }
    return bajty;
}

bool MaWlasnaStrone(int standard)
{
    return standard == MAZOVIA || (JestStronaKodowa(standard) && standard != UTF8_INDEX);
}

bool PrzyjmujePodstawe(int standard)
{
    return !JestStronaKodowa(standard);
}

bool ZnaWszystkieZnaki(int standard, bool zPodstawa)
{
    return standard == UTF8_INDEX || MaWlasnaStrone(standard) || (zPodstawa && PrzyjmujePodstawe(standard));
}

bool KonwertujeWszystkieZnaki(int zrodlo, int cel, bool zPodstawa)
{
    return ZnaWszystkieZnaki(zrodlo, zPodstawa) && ZnaWszystkieZnaki(cel, zPodstawa);
}

std::optional<Strona> StronaStandardu(int standard, std::string_view podstawa)
{
    if (standard == UTF8_INDEX) {
        return std::nullopt;
    }
    std::string nazwa;
    if (!podstawa.empty() && PrzyjmujePodstawe(standard)) {
        nazwa = podstawa;
    } else if (standard == MAZOVIA) {
        nazwa = PODSTAWA_MAZOVII;
    } else if (JestStronaKodowa(standard)) {
        nazwa = NazwaWIconv(standard);
    } else {
        return std::nullopt;
    }
    const std::optional<std::array<char32_t, 256>> znaki = stronaIconvRaz(nazwa);
    if (!znaki) {
        throw std::runtime_error(nazwa + " nie jest jednobajtową stroną kodową");
    }
    Strona strona;
    strona.znaki = *znaki;
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        const auto bajt = static_cast<unsigned char>(Litera(standard, p)[0]);
        strona.litery[static_cast<std::size_t>(p - 1)] = bajt;
        // In "brak" the letters' bytes are the plain ASCII letters, which stay themselves.
        if (standard != BRAK) {
            strona.znaki[bajt] = literaWUnicode(p);
        }
    }
    return strona;
}

Podstawa ZnajdzPodstawe(std::string_view nazwa)
{
    const std::optional<std::string> wIconv = nazwaWIconv(nazwa);
    if (!wIconv) {
        return {RodzajPodstawy::Nieznana, {}};
    }
    try {
        return {stronaIconvRaz(*wIconv) ? RodzajPodstawy::Jednobajtowa : RodzajPodstawy::Wielobajtowa,
                *wIconv};
    } catch (const std::runtime_error&) {
        return {RodzajPodstawy::Nieznana, {}};
    }
}

std::vector<std::string> NazwyPodstaw()
{
    const NazwyIconv& nazwy = nazwyIconv();
    const auto jednobajtowa = [](const std::string& strona) {
        try {
            return stronaIconvRaz(strona).has_value();
        } catch (const std::runtime_error&) {
            return false;
        }
    };
    std::vector<std::string> wynik;
    for (const std::string& strona : nazwy.strony) {
        if (jednobajtowa(strona)) {
            wynik.push_back(strona);
        }
    }
    for (const auto& [alias, strona] : nazwy.aliasy) {
        if (nazwy.strony.contains(strona) && jednobajtowa(strona)) {
            wynik.push_back(alias);
        }
    }
    // Of names alike by the rule of KluczNazwy, such as KOI8-R and KOI8R, the first.
    std::sort(wynik.begin(), wynik.end());
    std::set<std::string> klucze;
    std::erase_if(wynik, [&](const std::string& nazwa) { return !klucze.insert(KluczNazwy(nazwa)).second; });
    return wynik;
}

}  // namespace engine
