#pragma once

namespace engine {

// Thrown by Postep::sprawdz when the one who started an operation asked it to stop.
struct Przerwane {};

// What a long operation (a conversion, a file read or written) reports to whoever started
// it, and how it is stopped. The defaults suit a command line: no progress, no stopping,
// waiting as long as it takes.
class Postep {
public:
    // Step `krok` (1..18) of the eighteen steps begins, or has ended. Converting a text,
    // step k replaces letter k; converting a file whose size is known, step k covers its
    // k-th eighteenth.
    virtual void przedKrokiem(int krok) { static_cast<void>(krok); }
    virtual void poKroku() {}
    // Called now and then inside a long step, between the pieces of a file and while
    // waiting for the other end of a pipe, so a window can stay responsive.
    virtual void wTrakcie() {}
    // A file's text is whole; the output replaces what was there next.
    virtual void przedZatwierdzeniem() {}
    // Asked by a file operation with wTrakcie; true stops it with Przerwane. A text's
    // conversion runs to its end.
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
    ~Postep() = default;
};

// A Postep with every default.
Postep& BezPostepu();

}  // namespace engine
