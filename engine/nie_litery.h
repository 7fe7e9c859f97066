#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace engine {

// Watches a letters' conversion for what passes it unchanged although the target reads it
// otherwise:
// - from a one-byte standard into UTF-8, every byte from 80 up that is no letter of the
//   source, which leaves the output invalid UTF-8;
// - from UTF-8 into a one-byte standard, every character of several bytes that is no
//   letter, which stays behind as those bytes;
// - between two one-byte standards whose pages are known (engine/strona.h: the code pages,
//   Mazovia, and those given a base), every byte that is no letter of the source and stands
//   for another character in the target, or for none, such as „ from Windows-EE, which is a
//   C1 control in ISO-Latin-2.
// Any other pair has nothing to watch. It is fed the pieces of one text in order, as they
// are read; each text needs its own.
class NieLitery {
public:
    enum class Rodzaj { Nic, BajtyWUtf8, ZnakiZUtf8, InneZnaki };

    // `podstawa`: the base's name as ZnajdzPodstawe gives it, or empty. Throws
    // std::out_of_range for an index outside 0..17, std::runtime_error as StronaStandardu.
    NieLitery(int zrodlo, int cel, std::string_view podstawa = {});

    void dodaj(std::string_view kawalek);

    Rodzaj rodzaj() const { return rodzaj_; }

    // How many bytes (InneZnaki, into UTF-8) or characters (from UTF-8) so far, counted as if the
    // text ended after the last piece: a lead byte there begins no letter.
    std::uint64_t ile() const { return licznik_ + (zawieszony_ ? 1 : 0); }

    // Offset of the first of them in the text, and its first byte; meaningful when ile() > 0.
    std::uint64_t pierwszy() const { return licznik_ > 0 ? pierwszy_ : pozycja_ - 1; }
    unsigned char pierwszyBajt() const { return licznik_ > 0 ? pierwszyBajt_ : wiszacy_; }

private:
    void liczBajty(std::string_view kawalek);
    void liczZnaki(std::string_view kawalek);
    void dopisz(std::uint64_t pozycja, const unsigned char* bajty, std::uint64_t bity);

    static constexpr std::uint8_t BEZ_LITER = 3;

    Rodzaj rodzaj_ = Rodzaj::Nic;
    // Into UTF-8 and InneZnaki: 1 for each byte counted.
    std::array<std::uint8_t, 256> nieLitera_{};
    // Whether a byte below 80 is counted, which the passes over bytes from 80 up would miss.
    bool niskie_ = false;
    // From UTF-8: a row for each lead byte of a letter (C3, C4, C5), BEZ_LITER for any other
    // byte, and in each row 1 for the second bytes that make a letter with it.
    std::array<std::uint8_t, 256> wiersz_{};
    std::array<std::array<std::uint8_t, 256>, BEZ_LITER + 1> drugie_{};

    std::uint64_t pozycja_ = 0;  // of the next piece in the text
    std::uint64_t licznik_ = 0;
    std::uint64_t pierwszy_ = 0;
    unsigned char pierwszyBajt_ = 0;
    // From UTF-8, carried from piece to piece: whether the next byte ends a letter, whether
    // the last byte belonged to a character that is no letter, and a lead byte that ended the
    // last piece and waits for the next one to tell.
    bool drugiNaPoczatku_ = false;
    bool poNieLiterze_ = false;
    bool zawieszony_ = false;
    unsigned char wiszacy_ = 0;
};

}  // namespace engine
