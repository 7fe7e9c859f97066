#pragma once

#include <string>

namespace pliki {

// A failed file operation: which file (empty for a standard stream) and errno.
struct BladPliku {
    enum Czynnosc { Odczyt, Zapis };
    Czynnosc czynnosc;
    std::string nazwa;
    int numer;
};

// Thrown when the one who started a conversion asked it to stop.
struct Przerwane {};

// What a long file operation reports to whoever started it, and how it is stopped. The
// defaults suit a command line: no progress, no stopping, waiting as long as it takes.
class Nadzor {
public:
    // Step `krok` (1..18) of the eighteen progress steps begins, or has ended. Step k
    // covers the k-th eighteenth of an input whose size is known.
    virtual void przedKrokiem(int krok) { static_cast<void>(krok); }
    virtual void poKroku() {}
    // The text is whole; the output replaces what was there next.
    virtual void przedZatwierdzeniem() {}
    // Called between pieces and while waiting for the other end of a pipe.
    virtual void wTrakcie() {}
    // Asked at the same moments; true stops the operation with Przerwane.
    virtual bool przerwac() { return false; }
    // How long one wait for a silent pipe lasts before wTrakcie and przerwac are asked,
    // in milliseconds; -1 waits until the pipe speaks.
    virtual int odstepOczekiwania() const { return -1; }

    // Between pieces and during waits: reports, and stops when asked to.
    void sprawdz()
    {
        wTrakcie();
        if (przerwac()) {
            throw Przerwane{};
        }
    }

protected:
    ~Nadzor() = default;
};

// A Nadzor with every default.
Nadzor& BezNadzoru();

}  // namespace pliki
