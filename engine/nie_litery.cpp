#include "nie_litery.h"

#include <bit>
#include <cstring>

#include "standardy.h"

namespace znakomat {

namespace {

constexpr unsigned char PIERWSZY_WIODACY = 0xC3;

// Calls `f` with the index of every byte from 80 up, in order. Text is mostly ASCII, so
// eight bytes at a time are tested for any high bit first.
template <class F>
void dlaWysokichBajtow(std::string_view tekst, F&& f)
{
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t WYSOKIE_BITY = 0x8080808080808080;
        for (; i + 8 <= tekst.size(); i += 8) {
            std::uint64_t slowo;
            std::memcpy(&slowo, tekst.data() + i, sizeof slowo);
            for (std::uint64_t maska = slowo & WYSOKIE_BITY; maska != 0; maska &= maska - 1) {
                f(i + static_cast<std::size_t>(std::countr_zero(maska)) / 8);
            }
        }
    }
    for (; i < tekst.size(); ++i) {
        if (static_cast<unsigned char>(tekst[i]) >= 0x80) {
            f(i);
        }
    }
}

}  // namespace

NieLitery::NieLitery(int zrodlo, int cel)
{
    const int szerokoscZrodla = SzerokoscLitery(zrodlo);
    const int szerokoscCelu = SzerokoscLitery(cel);
    if (szerokoscZrodla == 1 && szerokoscCelu == 2) {
        rodzaj_ = Rodzaj::BajtyWUtf8;
        for (const char znak : Standardy(zrodlo).Znaki) {
            litera_[static_cast<unsigned char>(znak)] = true;
        }
    } else if (szerokoscZrodla == 2 && szerokoscCelu == 1) {
        rodzaj_ = Rodzaj::ZnakiZUtf8;
        for (int p = 1; p <= LICZBA_LITER; ++p) {
            const std::string_view litera = Litera(zrodlo, p);
            const auto wiodacy = static_cast<unsigned char>(litera[0]);
            const auto drugi = static_cast<unsigned char>(litera[1]);
            drugieBajty_[wiodacy - PIERWSZY_WIODACY] |= std::uint64_t{1} << (drugi - 0x80);
        }
    }
}

void NieLitery::dodaj(std::string_view kawalek)
{
    if (rodzaj_ == Rodzaj::Nic || kawalek.empty()) {
        return;
    }
    if (rodzaj_ == Rodzaj::BajtyWUtf8) {
        liczBajty(kawalek);
    } else {
        liczZnaki(kawalek);
    }
    pozycja_ += kawalek.size();
}

void NieLitery::liczBajty(std::string_view kawalek)
{
    dlaWysokichBajtow(kawalek, [&](std::size_t i) {
        const auto bajt = static_cast<unsigned char>(kawalek[i]);
        if (!litera_[bajt]) {
            nieLitera(pozycja_ + i, bajt);
        }
    });
}

void NieLitery::liczZnaki(std::string_view kawalek)
{
    const auto wiodacyLitery = [&](unsigned char bajt) {
        const unsigned indeks = bajt - PIERWSZY_WIODACY;
        return indeks < drugieBajty_.size() && drugieBajty_[indeks] != 0;
    };
    const auto drugiBajtLitery = [&](unsigned char wiodacy, unsigned char drugi) {
        return wiodacyLitery(wiodacy) && drugi >= 0x80 && drugi < 0xC0 &&
               (drugieBajty_[wiodacy - PIERWSZY_WIODACY] >> (drugi - 0x80) & 1) != 0;
    };
    if (zawieszony_) {
        zawieszony_ = false;
        if (drugiBajtLitery(wiszacy_, static_cast<unsigned char>(kawalek[0]))) {
            drugiBajtLitery_ = pozycja_;
        } else {
            nieLitera(pozycja_ - 1, wiszacy_);
        }
    }
    // Lead and second bytes of the letters are disjoint sets, so letters never overlap and
    // reading from the left finds the very letters the conversion rewrites.
    dlaWysokichBajtow(kawalek, [&](std::size_t i) {
        const std::uint64_t pozycja = pozycja_ + i;
        const auto bajt = static_cast<unsigned char>(kawalek[i]);
        if (pozycja == drugiBajtLitery_) {
            return;
        }
        if (i + 1 == kawalek.size() && wiodacyLitery(bajt)) {
            zawieszony_ = true;
            wiszacy_ = bajt;
            return;
        }
        if (i + 1 < kawalek.size() && drugiBajtLitery(bajt, static_cast<unsigned char>(kawalek[i + 1]))) {
            drugiBajtLitery_ = pozycja + 1;
            return;
        }
        nieLitera(pozycja, bajt);
    });
}

void NieLitery::nieLitera(std::uint64_t pozycja, unsigned char bajt)
{
    // From UTF-8 a character is a lead byte with the continuation bytes after it; a stray
    // continuation byte begins one of its own.
    const bool nowy = rodzaj_ == Rodzaj::BajtyWUtf8 || bajt >= 0xC0 || pozycja != poNieLiterze_;
    poNieLiterze_ = pozycja + 1;
    if (nowy && licznik_++ == 0) {
        pierwszy_ = pozycja;
        pierwszyBajt_ = bajt;
    }
}

}  // namespace znakomat
