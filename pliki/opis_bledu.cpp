#include "pliki/opis_bledu.h"

#include <cerrno>
#include <string>

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

}  // namespace pliki
