#pragma once

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace engine {

// The standards that are real code pages, where every character of a text has a meaning
// of its own; a base (engine/strona.h) changes nothing in them.
std::span<const int> StronyKodowe();
bool JestStronaKodowa(int standard);
// glibc's iconv name of a code page; nullptr for the other standards.
const char* NazwaWIconv(int standard);

// Where a whole-text conversion stops: the places where iconv stops.
struct NieprzekonwertowanyZnak {
    enum class Rodzaj {
        BajtBezZnaku,     // a byte the source standard gives no character
        NiepoprawnyUtf8,  // bytes that are no UTF-8 character
        NiepelnyUtf8,     // the text ends inside a UTF-8 character
        BrakWCelu,        // a character the target standard cannot hold
    };
    Rodzaj rodzaj;
    // The first byte of the character, counted from the beginning of the text.
    std::uint64_t pozycja;
    // The character's byte (BajtBezZnaku) or its code point (BrakWCelu).
    char32_t znak = 0;
};

// Converts every character of a text arriving in pieces from one standard to another by their
// pages (engine/strona.h): between code pages byte for byte as iconv(3) converts the whole
// text, stopping where it stops. The tables are built from the pages when the first
// conversion of a pair is made; UTF-8 into itself is checked by iconv directly, which takes a
// few sequences beyond Unicode.
class KonwersjaWszystkichZnakow {
public:
    // `podstawa`: the base's name as ZnajdzPodstawe gives it, for the standards that take one.
    // Throws std::invalid_argument when a standard has no page (KonwertujeWszystkieZnaki),
    // std::runtime_error when the system's iconv does not know a page or the base is not one.
    KonwersjaWszystkichZnakow(int zrodlo, int cel, std::string_view podstawa = {});
    ~KonwersjaWszystkichZnakow();
    KonwersjaWszystkichZnakow(const KonwersjaWszystkichZnakow&) = delete;
    KonwersjaWszystkichZnakow& operator=(const KonwersjaWszystkichZnakow&) = delete;

    // Appends the next piece, converted, to `wynik`. The bytes of a character cut at the end
    // of the piece wait for the next one. Throws NieprzekonwertowanyZnak; what was appended
    // before it is what iconv gives before it stops.
    void dopisz(std::string_view kawalek, std::string& wynik);

    // The text has ended: throws NieprzekonwertowanyZnak when a character waits unfinished.
    void zakoncz();

private:
    void zJednobajtowego(std::string_view kawalek, std::string& wynik);
    void zUtf8(std::string_view tekst, std::string& wynik);
    void zUtf8DoUtf8(std::string_view tekst, std::string& wynik);
    [[noreturn]] void bladUtf8(std::string_view tekst, std::size_t gdzie) const;

    int zrodlo_;
    int cel_;
    const struct TabliceStronKodowych& tablice_;
    // Only for UTF-8 into UTF-8.
    iconv_t iconv_ = nullptr;
    std::string czeka_;
    // Bytes of the text before czeka_.
    std::uint64_t przeczytane_ = 0;
};

}  // namespace engine
