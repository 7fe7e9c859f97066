#pragma once

// Where the window's controls lie and the order Tab walks them in: the window is built
// from this table, and its test checks the real widgets against it.

#include <QRect>
#include <QSize>

#include <array>
#include <string_view>

namespace ui {

struct UkladKontrolki {
    std::string_view nazwa;
    std::string_view kontener;
    // Twips, as the form was drawn; 15 twips make a pixel at 96 dpi.
    int lewo;
    int gora;
    int szerokosc;
    int wysokosc;

    QRect piksele() const { return {lewo / 15, gora / 15, szerokosc / 15, wysokosc / 15}; }
};

inline constexpr QSize ROZMIAR_OKNA(674, 465);

// In the order the window makes them, which is also their order from bottom to top.
inline constexpr std::array UKLAD_OKNA = {
    // clang-format off
    //             nazwa        kontener   lewo  góra  szerokość wysokość
    UkladKontrolki{"Frame1",    "frmMain",    0, 5640,    10095,      735},
    UkladKontrolki{"Combo1",    "Frame1",  4080,  240,     1935,      315},
    UkladKontrolki{"Combo2",    "Frame1",  8280,  240,     1575,      315},
    UkladKontrolki{"Command2",  "frmMain",  120, 6480,     1815,      375},
    UkladKontrolki{"Command1",  "frmMain", 2160, 6480,     1815,      375},
    UkladKontrolki{"Command3",  "frmMain", 4200, 6480,     1815,      375},
    UkladKontrolki{"Command4",  "frmMain", 6240, 6480,     1815,      375},
    UkladKontrolki{"Command5",  "frmMain", 8280, 6480,     1695,      375},
    UkladKontrolki{"Label2",    "Frame1",  6120,  240,     2055,      255},
    UkladKontrolki{"Label1",    "Frame1",    90,  240,     4095,      255},
    UkladKontrolki{"Toolbar_0", "frmMain", 3240,  120,     3255,      495},
    UkladKontrolki{"Toolbar_1", "frmMain", 6720,  120,     3255,      495},
    UkladKontrolki{"Label3",    "frmMain",  120,  180,     3135,      375},
    UkladKontrolki{"Frame2",    "frmMain",    0,  720,    10095,     4815},
    UkladKontrolki{"Text1",     "Frame2",   120,  240,     7095,     4455},
    UkladKontrolki{"Frame3",    "frmMain",    0,  720,    10095,     4815},
    UkladKontrolki{"Label4",    "Frame3",   480, 1560,     3735,      255},
    UkladKontrolki{"Text2",     "Frame3",   480, 1800,     3855,      285},
    UkladKontrolki{"Label5",    "Frame3",   480, 2520,     3735,      255},
    UkladKontrolki{"Text3",     "Frame3",   480, 2760,     3855,      285},
    UkladKontrolki{"Label6",    "Frame3",  6480, 1440,     1575,      255},
    UkladKontrolki{"Label7",    "Frame3",  6480, 1680,     3135,     2415},
    UkladKontrolki{"Command6",  "Frame3",  4320, 1800,      495,      255},
    UkladKontrolki{"Command7",  "Frame3",  4320, 2760,      495,      255},
    UkladKontrolki{"Label8",    "Frame2",  7440,  360,     2535,      255},
    UkladKontrolki{"Label9",    "Frame2",  7440,  600,     2415,     3015},
    // clang-format on
};

inline constexpr std::array<std::string_view, 14> KOLEJNOSC_TABULACJI = {
    "Combo1",    "Combo2",    "Command2", "Command1", "Command3", "Command4", "Command5",
    "Toolbar_0", "Toolbar_1", "Text1",    "Text2",    "Text3",    "Command6", "Command7"};

}  // namespace ui
