#include "pliki/prawa.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <unistd.h>

namespace pliki {

unsigned TrybNowego(std::optional<mode_t> prawaZrodla)
{
    return 0666 & (prawaZrodla.value_or(0666) | 0600);
}

bool PrzeniesPrawa(int stary, const struct stat& stan, int nowy)
{
    struct stat nowego {};
    const bool tenSamWlasciciel =
        ::fstat(nowy, &nowego) == 0 && nowego.st_uid == stan.st_uid && nowego.st_gid == stan.st_gid;
    if (!tenSamWlasciciel && ::fchown(nowy, stan.st_uid, stan.st_gid) != 0) {
        return false;
    }
    return ::fchmod(nowy, stan.st_mode & 07777) == 0 &&
           ::perm_copy_fd(nullptr, stary, nullptr, nowy, nullptr) == 0 &&
           ::attr_copy_fd(nullptr, stary, nullptr, nowy, nullptr, nullptr) == 0;
}

}  // namespace pliki
