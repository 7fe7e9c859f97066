#include "pliki/opis_bledu.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/standardy.h"

namespace pliki {

namespace {

struct Opis {
    int numer;
    std::string_view tekst;
};

// Every number Linux defines: a file can sit on a network share, a FUSE system or a device
// that returns any of them, and standard output can be a socket.
constexpr Opis OPISY[] = {
    // Files and folders.
    {ENOENT, "plik lub folder nie istnieje"},
    {ENOTDIR, "część ścieżki nie jest folderem"},
    {EISDIR, "to jest folder, a nie plik"},
    {EACCES, "brak uprawnień"},
    {EPERM, "brak uprawnień"},
    {EROFS, "system plików jest tylko do odczytu"},
    {ENOSPC, "brak miejsca na dysku"},
    {EDQUOT, "przekroczony przydział miejsca na dysku"},
    {EFBIG, "plik jest za duży"},
    {EOVERFLOW, "plik jest za duży dla tego programu"},
    {ENAMETOOLONG, "nazwa jest za długa"},
    {ELOOP, "za dużo dowiązań symbolicznych"},
    {EMFILE, "za dużo otwartych plików"},
    {ENFILE, "za dużo otwartych plików"},
    {ETXTBSY, "plik jest zajęty"},
    {EBUSY, "plik jest zajęty"},
    {EEXIST, "plik już istnieje"},
    {ENOTEMPTY, "folder nie jest pusty"},
    {EMLINK, "za dużo dowiązań do pliku"},
    {EXDEV, "plik leży na innym systemie plików"},
    {ESTALE, "plik zmienił się lub zniknął w trakcie pracy"},
    {EUCLEAN, "system plików jest uszkodzony i wymaga naprawy"},
    {ENOLCK, "brak wolnych blokad plików"},
    {EDEADLK, "blokada pliku groziłaby zakleszczeniem"},
    {ENODATA, "brak danych"},
    {EBADF, "strumień jest zamknięty"},
    {EBADFD, "strumień jest w złym stanie"},
    {EINVAL, "plik nie pozwala na tę operację"},
    {ESPIPE, "plik nie pozwala na zmianę pozycji (to potok lub gniazdo)"},
    {ENOTTY, "urządzenie nie pozwala na tę operację"},
    {EOPNOTSUPP, "operacja nie jest obsługiwana"},
    {ENOSYS, "system nie obsługuje tej operacji"},
    {EILSEQ, "niepoprawny znak w nazwie lub tekście"},
    {ENOTUNIQ, "nazwa nie jest jednoznaczna w sieci"},
    {ENOTNAM, "to nie jest plik nazwany systemu XENIX"},
    {EISNAM, "to jest plik nazwany systemu XENIX"},
    {ENAVAIL, "brak semaforów systemu XENIX"},
    // Devices and media.
    {EIO, "błąd wejścia/wyjścia"},
    {EREMOTEIO, "błąd wejścia/wyjścia na zdalnym urządzeniu"},
    {ENXIO, "urządzenie nie jest dostępne"},
    {ENODEV, "urządzenie nie istnieje"},
    {ENOTBLK, "potrzebne jest urządzenie blokowe"},
    {ENOMEDIUM, "w napędzie nie ma nośnika"},
    {EMEDIUMTYPE, "zły rodzaj nośnika"},
    {ERFKILL, "urządzenie jest wyłączone wyłącznikiem radiowym"},
    {EHWPOISON, "uszkodzona strona pamięci"},
    {ENOSTR, "urządzenie nie jest strumieniem"},
    {ENOSR, "brak zasobów strumieni"},
    {ESTRPIPE, "błąd potoku strumieni"},
    {ETIME, "upłynął czas oczekiwania"},
    {ETIMEDOUT, "upłynął czas oczekiwania"},
    {ECHRNG, "numer kanału poza zakresem"},
    {EL2NSYNC, "poziom 2 nie jest zsynchronizowany"},
    {EL3HLT, "poziom 3 zatrzymany"},
    {EL3RST, "poziom 3 wyzerowany"},
    {ELNRNG, "numer łącza poza zakresem"},
    {EUNATCH, "sterownik protokołu nie jest dołączony"},
    {ENOCSI, "brak struktury CSI"},
    {EL2HLT, "poziom 2 zatrzymany"},
    {EBADE, "nieprawidłowa wymiana"},
    {EBADR, "nieprawidłowy opis żądania"},
    {EXFULL, "wymiana jest pełna"},
    {ENOANO, "brak anody"},
    {EBADRQC, "nieprawidłowy kod żądania"},
    {EBADSLT, "nieprawidłowe gniazdo urządzenia"},
    {EBFONT, "zły format pliku czcionki"},
    // Memory and the program's own resources.
    {ENOMEM, "brak pamięci"},
    {ENOBUFS, "brak miejsca w buforach systemu"},
    {EAGAIN, "zasób chwilowo niedostępny"},
    {EINTR, "operacja przerwana sygnałem"},
    {ERESTART, "operacja przerwana sygnałem"},
    {ECANCELED, "operacja została anulowana"},
    {EFAULT, "nieprawidłowy adres w pamięci"},
    {E2BIG, "lista argumentów jest za długa"},
    {ENOEXEC, "zły format pliku wykonywalnego"},
    {ESRCH, "proces nie istnieje"},
    {ECHILD, "brak procesów potomnych"},
    {EDOM, "argument poza dziedziną"},
    {ERANGE, "wynik poza zakresem"},
    {ENOMSG, "brak komunikatu żądanego rodzaju"},
    {EIDRM, "identyfikator został usunięty"},
    {EUSERS, "za dużo użytkowników"},
    {EOWNERDEAD, "właściciel blokady zakończył działanie"},
    {ENOTRECOVERABLE, "stanu nie da się przywrócić"},
    {ENOKEY, "brak potrzebnego klucza"},
    {EKEYEXPIRED, "klucz wygasł"},
    {EKEYREVOKED, "klucz został unieważniony"},
    {EKEYREJECTED, "klucz został odrzucony"},
    {ELIBACC, "brak dostępu do potrzebnej biblioteki"},
    {ELIBBAD, "potrzebna biblioteka jest uszkodzona"},
    {ELIBSCN, "uszkodzona sekcja .lib pliku a.out"},
    {ELIBMAX, "za dużo bibliotek do dołączenia"},
    {ELIBEXEC, "biblioteki nie można uruchomić"},
    {ENOPKG, "pakiet nie jest zainstalowany"},
    // Pipes, sockets and network shares.
    {EPIPE, "odbiorca zamknął potok"},
    {ECONNRESET, "druga strona zerwała połączenie"},
    {ECONNABORTED, "połączenie zostało przerwane"},
    {ECONNREFUSED, "połączenie zostało odrzucone"},
    {ENOTCONN, "gniazdo nie jest połączone"},
    {EISCONN, "gniazdo jest już połączone"},
    {ESHUTDOWN, "gniazdo zostało zamknięte do zapisu"},
    {ENOTSOCK, "to nie jest gniazdo"},
    {EDESTADDRREQ, "brak adresu docelowego"},
    {EMSGSIZE, "komunikat jest za długi"},
    {EPROTOTYPE, "zły rodzaj protokołu dla gniazda"},
    {ENOPROTOOPT, "protokół nie jest dostępny"},
    {EPROTONOSUPPORT, "protokół nie jest obsługiwany"},
    {ESOCKTNOSUPPORT, "rodzaj gniazda nie jest obsługiwany"},
    {EPFNOSUPPORT, "rodzina protokołów nie jest obsługiwana"},
    {EAFNOSUPPORT, "rodzina adresów nie jest obsługiwana"},
    {EADDRINUSE, "adres jest już używany"},
    {EADDRNOTAVAIL, "adres nie jest dostępny"},
    {ENETDOWN, "sieć nie działa"},
    {ENETUNREACH, "sieć jest nieosiągalna"},
    {ENETRESET, "sieć zerwała połączenie"},
    {EHOSTDOWN, "komputer w sieci nie działa"},
    {EHOSTUNREACH, "komputer w sieci jest nieosiągalny"},
    {EALREADY, "operacja już trwa"},
    {EINPROGRESS, "operacja jest w toku"},
    {ETOOMANYREFS, "za dużo odwołań"},
    {ENONET, "komputer nie jest w sieci"},
    {EREMOTE, "obiekt jest zdalny"},
    {ENOLINK, "połączenie zostało zerwane"},
    {EADV, "błąd ogłoszenia"},
    {ESRMNT, "błąd montowania zdalnego"},
    {ECOMM, "błąd komunikacji przy wysyłaniu"},
    {EPROTO, "błąd protokołu"},
    {EMULTIHOP, "próba połączenia przez wiele węzłów"},
    {EDOTDOT, "błąd RFS"},
    {EBADMSG, "nieprawidłowy komunikat"},
    {EREMCHG, "zdalny adres się zmienił"},
};

}  // namespace

std::string OpisBledu(int numerBledu)
{
    for (const Opis& opis : OPISY) {
        if (opis.numer == numerBledu) {
            return std::string(opis.tekst);
        }
    }
    return "błąd systemu nr " + std::to_string(numerBledu);
}

std::string OpisZatrzymania(const ZatrzymanaKonwersja& zatrzymana, int cel)
{
    using Rodzaj = engine::NieprzekonwertowanyZnak::Rodzaj;
    const engine::NieprzekonwertowanyZnak& stop = zatrzymana.stop;
    const std::string gdzie =
        "na pozycji " + std::to_string(zatrzymana.przesuniecie + stop.pozycja) + ", licząc od 0";
    std::array<char, 16> znak{};
    switch (stop.rodzaj) {
        case Rodzaj::BajtBezZnaku:
            std::snprintf(znak.data(), znak.size(), "%02X", static_cast<unsigned>(stop.znak));
            return "bajt " + std::string(znak.data()) + " (szesnastkowo) " + gdzie +
                   ", nie jest znakiem standardu " + std::string(engine::Standardy(zatrzymana.zrodlo).Nazwa);
        case Rodzaj::NiepoprawnyUtf8:
            return "bajty " + gdzie + ", nie są poprawnym znakiem UTF-8";
        case Rodzaj::NiepelnyUtf8:
            return "tekst kończy się w środku znaku UTF-8, " + gdzie;
        case Rodzaj::BrakWCelu:
            std::snprintf(znak.data(), znak.size(), "U+%04X", static_cast<unsigned>(stop.znak));
            return "znak " + std::string(znak.data()) + " " + gdzie + ", nie ma odpowiednika w standardzie " +
                   std::string(engine::Standardy(cel).Nazwa);
    }
    return gdzie;
}

}  // namespace pliki
