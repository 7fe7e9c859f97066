#pragma once

// Where the conversion loop (pliki/przepisz.h) takes its pieces from.

#include <cstddef>

#include "engine/postep.h"
#include "pliki/kawalek.h"
#include "pliki/wejscie.h"

namespace pliki {

enum class RodzajKawalka {
    // Bytes to convert; none at the end of the text.
    Tekst,
    // Bytes that go to the output as they are, before the source has decided.
    BezZmian,
    // No bytes: the source has decided what the text is, and the pieces after it are converted.
    Werdykt,
};

struct Przeczytany {
    std::size_t dlugosc;
    RodzajKawalka rodzaj;
};

// The pieces of one text, in order, handed out in the loop's reading thread.
class ZrodloKawalkow {
public:
    explicit ZrodloKawalkow(PlikWejsciowy& wejscie) : wejscie_(wejscie) {}
    virtual ~ZrodloKawalkow() = default;
    ZrodloKawalkow(const ZrodloKawalkow&) = delete;
    ZrodloKawalkow& operator=(const ZrodloKawalkow&) = delete;

    // The input the pieces come from.
    PlikWejsciowy& wejscie() const { return wejscie_; }

    // Whether the pieces from now on are text to convert: the loop then reads them as long
    // as its converter takes them.
    virtual bool rozstrzygniete() const { return true; }

    // Puts the next piece, at most `najwiecej` bytes, into `kawalek`. Throws BladPliku, and
    // Przerwane when `postep` stops the work.
    virtual Przeczytany czytaj(char* kawalek, std::size_t najwiecej, engine::Postep& postep) = 0;

private:
    PlikWejsciowy& wejscie_;
};

// The input as it is: text to convert from its first byte.
class ZrodloWejscia final : public ZrodloKawalkow {
public:
    using ZrodloKawalkow::ZrodloKawalkow;

    Przeczytany czytaj(char* kawalek, std::size_t najwiecej, engine::Postep& postep) override
    {
        return {wejscie().czytaj(kawalek, najwiecej, postep), RodzajKawalka::Tekst};
    }
};

}  // namespace pliki
