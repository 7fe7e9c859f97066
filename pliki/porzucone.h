#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <utility>

#include "pliki/deskryptory.h"

namespace pliki {

// Removes the temporary files that killed runs (SIGKILL, a power cut) left in a folder,
// and only those: a regular file of this user with no other link, the program's signature
// and no run holding its lock. Anything else of a similar name may be someone's own file.
class PorzuconeTymczasowe {
public:
    // The one the program shares, so that a batch of many outputs into one large folder
    // reads that folder only now and then.
    static PorzuconeTymczasowe& programu();

    void usunZ(int folder);

private:
    std::mutex blokada_;
    // When each large folder was last read.
    std::map<Wezel, std::chrono::steady_clock::time_point> duzePrzejrzane_;
};

}  // namespace pliki
