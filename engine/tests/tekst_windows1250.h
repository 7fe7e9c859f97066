#pragma once

// Whole texts through the Windows-1250 mapping, as the window's text box holds them.

#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/windows1250.h"

namespace engine {

inline std::u16string DekodujWindows1250(std::string_view bajty)
{
    std::u16string znaki(bajty.size(), u'\0');
    for (std::size_t i = 0; i < bajty.size(); ++i) {
        znaki[i] = ZnakWindows1250(static_cast<unsigned char>(bajty[i]));
    }
    return znaki;
}

// Characters without a byte are an error of the test: throws std::invalid_argument.
inline std::string KodujWindows1250(std::u16string_view znaki)
{
    std::string bajty(znaki.size(), '\0');
    for (std::size_t i = 0; i < znaki.size(); ++i) {
        const int bajt = BajtWindows1250(znaki[i]);
        if (bajt < 0) {
            throw std::invalid_argument("Znak spoza strony kodowej Windows-1250");
        }
        bajty[i] = static_cast<char>(bajt);
    }
    return bajty;
}

}  // namespace engine
