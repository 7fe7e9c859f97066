#include "pliki/strumien_wyjsciowy.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace pliki {

StrumienWyjsciowy::~StrumienWyjsciowy()
{
    if (standardowy_) {
        deskryptor_.oddaj();
    }
}

void StrumienWyjsciowy::standardowy()
{
    deskryptor_ = Deskryptor(STDOUT_FILENO);
    standardowy_ = true;
}

bool StrumienWyjsciowy::dopisuj(const char* sciezka)
{
    deskryptor_ = Deskryptor(pliki::otworz(sciezka, O_WRONLY | O_APPEND));
    return deskryptor_.otwarty();
}

bool StrumienWyjsciowy::otworz(const char* sciezka, bool fifo, engine::Postep& postep)
{
    if (!fifo || postep.odstepOczekiwania() < 0) {
        // As the shell does: a pipe waits here for its reader.
        deskryptor_ = Deskryptor(pliki::otworz(sciezka, O_WRONLY));
        return deskryptor_.otwarty();
    }
    // A pipe without a reader cannot be polled for one: ask again after each pause.
    for (;;) {
        deskryptor_ = Deskryptor(pliki::otworz(sciezka, O_WRONLY | O_NONBLOCK));
        if (deskryptor_.otwarty()) {
            return true;
        }
        if (errno != ENXIO) {
            return false;
        }
        postep.sprawdz();
        const int odstep = postep.odstepOczekiwania();
        const timespec pauza{odstep / 1000, static_cast<long>(odstep % 1000) * 1000000L};
        ::nanosleep(&pauza, nullptr);
    }
}

}  // namespace pliki
