#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/postep.h"
#include "pliki/blad_pliku.h"
#include "pliki/deskryptory.h"
#include "pliki/strumien_wyjsciowy.h"
#include "pliki/tymczasowy.h"
#include "pliki/w_miejscu.h"

namespace pliki {

// The output: a named file, or standard output for "-".
//
// Where the text goes, one rule for every front end:
// - A regular file is written first to a temporary file that has no name (O_TMPFILE)
//   or, where the file system cannot do that, a hidden name beside the output. Only the
//   complete, synced text replaces the output, so a failure, a stop request or a signal
//   leaves the old output whole and no temporary file behind.
// - It replaces the output by a rename over it, which keeps a link a link (its target is
//   replaced), the file's mode, owner and group, and then syncs the folder.
// - Where a rename would change what the output is (other hard links, an owner or group
//   that cannot be kept, a folder that takes no new files, a mount point), the complete
//   text is instead copied into the output in place, with the ending signals held back.
// - A pipe, a device or an already open stream (/dev/stdout) gets the text directly.
// - A file that the user could not write with the shell's > is refused ("brak
//   uprawnień"), as is a folder.
// The ways are parts of their own: StrumienWyjsciowy, PlikTymczasowy with its rename over
// the output, and ZapisWMiejscu; PrzeniesPrawa keeps the rights, PorzuconeTymczasowe
// clears what killed runs left.
// Throws BladPliku.
class PlikWyjsciowy {
public:
    enum class Sposob { Strumien, Zastapienie, WMiejscu };

    // `postep` is asked while a pipe waits for its reader. A file made new gets the mode the
    // umask gives, less what `prawaZrodla` (the permission bits of the file its text comes
    // from) withholds from the group and others. `tymczasowy` says how its temporary file
    // is made.
    explicit PlikWyjsciowy(const std::string& nazwa, engine::Postep& postep = engine::BezPostepu(),
                           std::optional<mode_t> prawaZrodla = std::nullopt,
                           Tymczasowy tymczasowy = Tymczasowy::BezNazwyGdzieMozna);
    ~PlikWyjsciowy();
    PlikWyjsciowy(const PlikWyjsciowy&) = delete;
    PlikWyjsciowy& operator=(const PlikWyjsciowy&) = delete;

    void zapisz(std::string_view dane, engine::Postep& postep = engine::BezPostepu());

    // The text written so far becomes the output. Without it the destructor leaves the
    // output as it was.
    void zatwierdz();

    // A pipe is given a buffer of `rozmiar` bytes, so that one write of a piece wakes the
    // reader once rather than at every 64 KiB.
    void powiekszPotok(std::size_t rozmiar) const;

    Sposob sposob() const { return sposob_; }
    const std::string& nazwa() const { return nazwa_; }

private:
    [[noreturn]] void blad(int numerBledu) const;
    void tymczasowyWTmp();
    void zastap();
    void przepiszWMiejscu();
    // Where the text is written: the stream, or the temporary file.
    int doZapisu() const { return sposob_ == Sposob::Strumien ? strumien_.numer() : tymczasowy_.numer(); }
    void zapiszNaDysk(std::uint64_t koniec);

    static constexpr std::uint64_t ODCINEK_ZAPISU = std::uint64_t{8} << 20;

    std::string nazwa_;
    std::string nazwaWFolderze_;
    Sposob sposob_ = Sposob::Strumien;
    Deskryptor folder_;
    StrumienWyjsciowy strumien_;
    // The temporary file's folder when it is not the output's: the one of TMPDIR.
    Deskryptor folderTmp_;
    PlikTymczasowy tymczasowy_;
    ZapisWMiejscu wMiejscu_;
    std::uint64_t zapisane_ = 0;
};

// Whether the file can be written, without changing what an existing one holds: a file
// is opened for writing and closed, a pipe only checked, since opening and closing it
// would end what its reader reads. A file that does not exist is created, with the mode a
// new PlikWyjsciowy for the text of `zrodlo` gets, and given `probka`. When it cannot,
// errno says why.
bool MoznaNadpisac(const std::string& nazwa, std::string_view probka, const std::string& zrodlo = {});

}  // namespace pliki
