#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Polish-like text for measurements: words, punctuation, CR LF line breaks, about 6 % of
// the bytes Polish letters, nothing but ASCII and the eighteen letters. The same seed
// always gives the same text, however it is asked for in pieces.
namespace bench {

class TekstPolski {
public:
    // Throws std::out_of_range for a standard outside 0..17.
    explicit TekstPolski(int standard, std::uint64_t ziarno = 1);

    // Appends the next `ile` bytes of the text in the chosen standard.
    void dopisz(std::string& wyjscie, std::size_t ile);

    // Ends the text that `wyjscie` closes: a letter the last piece cut in two (the lead
    // byte of UTF-8) becomes a space, so a text of any length stays whole.
    void zakoncz(std::string& wyjscie) const;

private:
    std::uint64_t los();
    std::size_t los(std::size_t n) { return static_cast<std::size_t>(los() % n); }
    void akapit();
    void naglowek();
    void dodajSlowo(const std::string& slowo, bool wielka, bool wszystkieWielkie);

    int standard_;
    std::uint64_t stan_;
    std::vector<std::string> czeste_;  // short function words, Windows-EE
    std::vector<std::string> tresc_;   // the rest
    std::string windows_;              // generated text, Windows-EE
    std::string gotowe_;               // converted, not yet handed out
    std::size_t wydane_ = 0;           // bytes of gotowe_ handed out
    std::size_t kolumna_ = 0;
};

// The first `rozmiar` bytes of the text, ended with TekstPolski::zakoncz.
std::string GenerujTekst(std::size_t rozmiar, int standard, std::uint64_t ziarno = 1);

// The same text, made once per standard and size and kept for the whole run, so that
// every benchmark of one run measures the same bytes.
const std::string& TekstWPamieci(std::size_t rozmiar, int standard);

// A size as the measuring programs take it: bytes, with an optional K, M or G (binary).
// Throws std::invalid_argument.
std::size_t CzytajRozmiar(std::string_view napis);

}  // namespace bench
