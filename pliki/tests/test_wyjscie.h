#pragma once

// What the tests of the output share: its old and new text, file systems mounted for one
// test, and a fixture run once with each way of making the temporary file.

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "pliki/tests/test_pomoc.h"
#include "pliki/tymczasowy.h"

namespace pliki::test {

inline const std::string STARY = "Stara treść, która musi przetrwać każdą porażkę.\n";
inline const std::string NOWY = "Zażółć gęślą jaźń\n";
inline const std::set<std::string> TYLKO_WYNIK{"wynik.txt"};

// Whether the folder can hold a file without a name; where it cannot, the library always
// uses named ones.
inline bool bezNazwyMozliwe(const fs::path& folder)
{
    const int deskryptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
    return deskryptor >= 0 && ::close(deskryptor) == 0;
}

// A file system mounted for one test, gone with it.
class Montowanie {
public:
    Montowanie(const char* zrodlo, const fs::path& cel, const char* typ, unsigned long flagi,
               const char* opcje)
        : cel_(cel)
    {
        zamontowane_ = ::mount(zrodlo, cel.c_str(), typ, flagi, opcje) == 0;
        numerBledu_ = errno;
    }
    ~Montowanie()
    {
        if (zamontowane_) {
            ::umount2(cel_.c_str(), MNT_DETACH);
        }
    }
    Montowanie(const Montowanie&) = delete;
    Montowanie& operator=(const Montowanie&) = delete;

    bool zamontowane() const { return zamontowane_; }
    std::string powod() const { return std::strerror(numerBledu_); }

private:
    fs::path cel_;
    bool zamontowane_;
    int numerBledu_;
};

inline std::string rodzajTymczasowych(const ::testing::TestParamInfo<Tymczasowy>& info)
{
    return info.param == Tymczasowy::ZawszeNazwany ? "Nazwane" : "BezNazwy";
}

inline const auto OBA_SPOSOBY = ::testing::Values(Tymczasowy::BezNazwyGdzieMozna, Tymczasowy::ZawszeNazwany);

// Each test runs with both ways of making the temporary file.
class Wyjscie : public ::testing::TestWithParam<Tymczasowy> {
protected:
    const Tymczasowy tymczasowy = GetParam();
    TymczasowyFolder folder;
    const fs::path wynik = folder / "wynik.txt";
};

}  // namespace pliki::test
