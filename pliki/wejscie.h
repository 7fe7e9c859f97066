#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/postep.h"
#include "pliki/blad_pliku.h"
#include "pliki/deskryptory.h"

namespace pliki {

// A regular file as a walk of its folder found it.
using ZnanyPlik = Wezel;

// The input: a named file, or standard input for "-". Regular files, pipes, devices and
// /proc files are all read the same way, in pieces. Opening never waits: a pipe without
// a writer is waited for while reading, through the Postep, so the wait can be stopped.
// Throws BladPliku.
class PlikWejsciowy {
public:
    explicit PlikWejsciowy(const std::string& nazwa);
    // An input that a walk found: refused (ESTALE) unless it is still that regular file,
    // reached through no link at its end. So a link or a pipe put in its place after the
    // walk is never read, nor waited for.
    PlikWejsciowy(const std::string& nazwa, const ZnanyPlik& znany);
    PlikWejsciowy(const PlikWejsciowy&) = delete;
    PlikWejsciowy& operator=(const PlikWejsciowy&) = delete;

    // Reads into `bufor` what one read gives, at most `najwiecej` bytes; returns how many,
    // 0 at the end. Throws Przerwane when `postep` asks to stop while a pipe stays silent.
    std::size_t czytaj(char* bufor, std::size_t najwiecej, engine::Postep& postep);
    // The same into a string, which is left holding what was read.
    void czytaj(std::string& bufor, std::size_t najwiecej, engine::Postep& postep);

    // The size of a regular file as it was opened; none for a pipe, a device, or a /proc
    // file that says it is empty.
    std::optional<std::uint64_t> rozmiar() const;

    // The permission bits of a regular file; none for a stream or a device.
    std::optional<mode_t> prawa() const;

    // Whether `wyjscie` (a name, or "-" for standard output) is this same file or device.
    bool jestTymSamymPlikiem(const std::string& wyjscie) const;

    // A pipe is given a buffer of `rozmiar` bytes, so that one read takes a whole piece.
    void powiekszPotok(std::size_t rozmiar) const;

    void zamknij();
    const std::string& nazwa() const { return nazwa_; }

private:
    std::string nazwa_;
    // The file opened by name, which a refused input closes too; none for standard input.
    Deskryptor wlasny_;
    // What is read: the file, or standard input.
    int deskryptor_ = -1;
    struct stat stan_ {};
};

// The one rule for two names of one thing whose text writing would destroy: the same file
// (device and inode), or the same block device. Never a character device.
bool TenSamPlik(const struct stat& pierwszy, const struct stat& drugi);

// Whether both names lead to one file or device (links, relative paths, bind mounts).
bool TenSamPlik(const std::string& pierwsza, const std::string& druga);

// Whether the file can be opened for reading. A pipe is only checked, not opened: opening
// and closing it would tell a waiting writer that its reader came and went. When it cannot,
// errno says why.
bool MoznaCzytac(const std::string& nazwa);

}  // namespace pliki
