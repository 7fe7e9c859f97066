#include "engine/strumien.h"

#include "engine/konwersja.h"
#include "engine/standardy.h"

namespace engine {

// A wrong source or target fails here, before any text is read.
KonwersjaBlokowa::KonwersjaBlokowa(int zrodlo, int cel) : konwersja_(zrodlo, cel)
{
    // A lead byte is never the second byte of a letter, so a lead byte at the end of a
    // piece always starts a letter that may go on in the next one.
    if (SzerokoscLitery(zrodlo) == 2) {
        dwubajtowe_ = true;
        for (int pozycja = 1; pozycja <= LICZBA_LITER; ++pozycja) {
            poczatekLitery_[static_cast<unsigned char>(Litera(zrodlo, pozycja)[0])] = true;
        }
    }
}

std::size_t KonwersjaBlokowa::doCzekania(std::string_view tekst) const
{
    return !tekst.empty() && poczatekLitery_[static_cast<unsigned char>(tekst.back())] ? 1 : 0;
}

std::size_t KonwersjaBlokowa::najwiecejBajtow(std::size_t dlugoscBloku) const
{
    // The byte that waited comes first.
    return konwersja_.najwiecejBajtow(dlugoscBloku + 1);
}

std::size_t KonwersjaBlokowa::konwertuj(std::string_view blok, char* wynik)
{
    std::size_t zapis = 0;
    if (!czeka_.empty() && !blok.empty()) {
        // A lead byte never ends a letter: before another lead byte the one that waited
        // stands alone. Otherwise the two bytes are a letter or not, and the next piece
        // starts after them.
        if (doCzekania(blok.substr(0, 1)) == 0) {
            czeka_.push_back(blok.front());
            blok.remove_prefix(1);
        }
        zapis = konwersja_.konwertuj(czeka_, wynik);
        czeka_.clear();
    }
    if (doCzekania(blok) > 0) {
        czeka_.push_back(blok.back());
        blok.remove_suffix(1);
    }
    return zapis + konwersja_.konwertuj(blok, wynik + zapis);
}

std::size_t KonwersjaBlokowa::konwertujOdcinek(std::string_view odcinek, char* wynik) const
{
    return konwersja_.konwertuj(odcinek, wynik);
}

std::string KonwersjaBlokowa::zakoncz()
{
    std::string reszta;
    reszta.swap(czeka_);
    konwersja_.konwertujWMiejscu(reszta);
    return reszta;
}

}  // namespace engine
