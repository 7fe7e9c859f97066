#include "pliki/opis_bledu.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <string>

#include "engine/standardy.h"

namespace pliki {

std::string OpisBledu(int numerBledu)
{
    switch (numerBledu) {
        case ENOENT:
            return "plik lub folder nie istnieje";
        case ENOTDIR:
            return "część ścieżki nie jest folderem";
        case EISDIR:
            return "to jest folder, a nie plik";
        case EACCES:
        case EPERM:
            return "brak uprawnień";
        case EROFS:
            return "system plików jest tylko do odczytu";
        case ENOSPC:
            return "brak miejsca na dysku";
        case EDQUOT:
            return "przekroczony przydział miejsca na dysku";
        case EFBIG:
            return "plik jest za duży";
        case EIO:
            return "błąd wejścia/wyjścia";
        case ENOMEM:
            return "brak pamięci";
        case ENAMETOOLONG:
            return "nazwa jest za długa";
        case ELOOP:
            return "za dużo dowiązań symbolicznych";
        case EMFILE:
        case ENFILE:
            return "za dużo otwartych plików";
        case ETXTBSY:
        case EBUSY:
            return "plik jest zajęty";
        case ENXIO:
            return "urządzenie nie jest dostępne";
        case EPIPE:
            return "odbiorca zamknął potok";
        case EBADF:
            return "strumień jest zamknięty";
        case EINVAL:
            return "plik nie pozwala na tę operację";
        case ENODEV:
            return "urządzenie nie istnieje";
        case EXDEV:
            return "plik leży na innym systemie plików";
        case ETIMEDOUT:
            return "upłynął czas oczekiwania";
        case EOVERFLOW:
            return "plik jest za duży dla tego programu";
        default:
            return "błąd systemu nr " + std::to_string(numerBledu);
    }
}

std::string OpisZatrzymania(const ZatrzymanaKonwersja& zatrzymana, int cel)
{
    using Rodzaj = znakomat::NieprzekonwertowanyZnak::Rodzaj;
    const znakomat::NieprzekonwertowanyZnak& stop = zatrzymana.stop;
    const std::string gdzie =
        "na pozycji " + std::to_string(zatrzymana.przesuniecie + stop.pozycja) + ", licząc od 0";
    std::array<char, 16> znak{};
    switch (stop.rodzaj) {
        case Rodzaj::BajtBezZnaku:
            std::snprintf(znak.data(), znak.size(), "%02X", static_cast<unsigned>(stop.znak));
            return "bajt " + std::string(znak.data()) + " (szesnastkowo) " + gdzie +
                   ", nie jest znakiem standardu " +
                   std::string(znakomat::Standardy(zatrzymana.zrodlo).Nazwa);
        case Rodzaj::NiepoprawnyUtf8:
            return "bajty " + gdzie + ", nie są poprawnym znakiem UTF-8";
        case Rodzaj::NiepelnyUtf8:
            return "tekst kończy się w środku znaku UTF-8, " + gdzie;
        case Rodzaj::BrakWCelu:
            std::snprintf(znak.data(), znak.size(), "U+%04X", static_cast<unsigned>(stop.znak));
            return "znak " + std::string(znak.data()) + " " + gdzie + ", nie ma odpowiednika w standardzie " +
                   std::string(znakomat::Standardy(cel).Nazwa);
    }
    return gdzie;
}

}  // namespace pliki
