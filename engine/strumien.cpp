#include "strumien.h"

#include "konwersja.h"
#include "standardy.h"

namespace znakomat {

KonwersjaBlokowa::KonwersjaBlokowa(int zrodlo, int cel) : zrodlo_(zrodlo), cel_(cel)
{
    // A wrong target fails here, before any text is read.
    static_cast<void>(Standardy(cel));
    // A lead byte is never the second byte of a letter, so a lead byte at the end of a
    // piece always starts a letter that may go on in the next one.
    if (SzerokoscLitery(zrodlo) == 2) {
        for (int pozycja = 1; pozycja <= LICZBA_LITER; ++pozycja) {
            poczatekLitery_[static_cast<unsigned char>(Litera(zrodlo, pozycja)[0])] = true;
        }
    }
}

std::size_t KonwersjaBlokowa::doCzekania(std::string_view tekst) const
{
    return !tekst.empty() && poczatekLitery_[static_cast<unsigned char>(tekst.back())] ? 1 : 0;
}

std::string KonwersjaBlokowa::konwertuj(std::string blok)
{
    if (!czeka_.empty()) {
        blok.insert(0, czeka_);
        czeka_.clear();
    }
    // Never more than the one lead byte.
    if (doCzekania(blok) > 0) {
        czeka_.push_back(blok.back());
        blok.pop_back();
    }
    return KonwertujTekst(std::move(blok), zrodlo_, cel_, BezPostepu());
}

std::string KonwersjaBlokowa::zakoncz()
{
    std::string reszta;
    reszta.swap(czeka_);
    return KonwertujTekst(std::move(reszta), zrodlo_, cel_, BezPostepu());
}

}  // namespace znakomat
