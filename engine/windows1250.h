#pragma once

#include <string>
#include <string_view>

namespace engine {

// The Windows-1250 code page as a one-to-one mapping of all 256 byte values. The five
// values the code page leaves unassigned (81, 83, 88, 90, 98) map to the C1 control
// characters of the same number, so any byte sequence survives a round trip.
char16_t ZnakWindows1250(unsigned char bajt);

// The byte of a character, or -1 when the mapping has none.
int BajtWindows1250(char16_t znak);

}  // namespace engine
