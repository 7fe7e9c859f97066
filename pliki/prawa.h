#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>

namespace pliki {

// The mode a new output is made with, before the umask: readable and writable by its owner,
// and by the group and others only as far as they may read and write the file its text
// comes from, so that a private text stays private.
unsigned TrybNowego(std::optional<mode_t> prawaZrodla);

// Gives the file `nowy` what makes the old output `stary` (whose stat(2) is `stan`) the
// same file to everyone: its owner, group and mode, access control list and extended
// attributes. False when any of them cannot be given.
bool PrzeniesPrawa(int stary, const struct stat& stan, int nowy);

}  // namespace pliki
