#include "engine/nie_litery.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <tuple>
#include <type_traits>

#if defined(ZNAKOMAT_SIMD_X86)
#include <immintrin.h>
#endif

#include "engine/przebieg.h"
#include "engine/standardy.h"
#include "engine/strona.h"
#include "engine/wysokie_bajty.h"

namespace engine {

namespace {

constexpr std::size_t BLOK = BLOK_MASKI;

// Bit k of `wiodace` set for a byte from C0 up: a UTF-8 lead byte.
MaskiWysokich maskiBloku(const char* tekst)
{
    return MaskiBloku<0xC0, 0xFF>(reinterpret_cast<const unsigned char*>(tekst));
}

#if defined(ZNAKOMAT_SIMD_X86)
// Bit k set for each of the 64 bytes at `tekst` that `wiersze` calls no letter, without a
// branch: a byte's high half picks a bit (none below 8), its low half the row in which that
// bit is set when the byte is no letter.
__attribute__((target("avx2"))) std::uint64_t nieLiteryAvx2(const char* tekst, __m256i wiersze)
{
    const __m256i bity = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0,
                                          0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m256i polowka = _mm256_set1_epi8(0x0F);
    std::uint64_t nie = 0;
    for (int k = 0; k < 2; ++k) {
        const __m256i bajty = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tekst + 32 * k));
        const __m256i wysokie = _mm256_and_si256(_mm256_srli_epi16(bajty, 4), polowka);
        const __m256i niskie = _mm256_and_si256(bajty, polowka);
        const __m256i trafione =
            _mm256_and_si256(_mm256_shuffle_epi8(wiersze, niskie), _mm256_shuffle_epi8(bity, wysokie));
        const auto litery = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(trafione, _mm256_setzero_si256())));
        nie |= std::uint64_t{~litery} << (32 * k);
    }
    return nie;
}

__attribute__((target("avx2"))) std::size_t liczBajtyAvx2(std::string_view kawalek,
                                                          const std::array<std::uint8_t, 256>& nieLitera,
                                                          auto&& dopisz)
{
    std::array<std::uint8_t, 16> wiersz{};
    for (int b = 0x80; b < 0x100; ++b) {
        if (nieLitera[static_cast<std::size_t>(b)] != 0) {
            wiersz[static_cast<std::size_t>(b & 0x0F)] |= static_cast<std::uint8_t>(1u << ((b >> 4) - 8));
        }
    }
    const __m256i wiersze =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(wiersz.data())));
    std::size_t i = 0;
    for (; i + BLOK <= kawalek.size(); i += BLOK) {
        if (const std::uint64_t nie = nieLiteryAvx2(kawalek.data() + i, wiersze); nie != 0) {
            dopisz(i, nie);
        }
    }
    return i;
}

// Runs `krok(od, maski, litery)` for each block of 64 bytes of `kawalek` from `i` on that has
// a byte after it, bit k of `litery` set where bytes k and k + 1 make a letter; returns where
// it stopped. A byte is compared with the lead byte of each row, the byte after it looked up
// in the row's second bytes by its two halves, as nieLiteryAvx2 does. Leaves all to the
// caller where a second byte lies below 80, which that lookup cannot tell.
template <typename Krok>
__attribute__((target("avx2"))) std::size_t literyAvx2(std::string_view kawalek, std::size_t i,
                                                       const std::array<std::uint8_t, 256>& wiersz,
                                                       const auto& drugie, std::uint8_t bezLiter, Krok&& krok)
{
    // As many rows as `drugie` has, one of them for bytes that lead no letter.
    constexpr std::size_t WIERSZY = std::tuple_size_v<std::remove_cvref_t<decltype(drugie)>>;
    __m256i wiodace[WIERSZY];
    __m256i drugieBity[WIERSZY];
    std::size_t wierszy = 0;
    for (int b = 0; b < 0x100; ++b) {
        const std::uint8_t r = wiersz[static_cast<std::size_t>(b)];
        if (r == bezLiter) {
            continue;
        }
        if (wierszy == WIERSZY) {
            return i;
        }
        std::array<std::uint8_t, 16> bity{};
        for (int d = 0; d < 0x100; ++d) {
            if (drugie[r][static_cast<std::size_t>(d)] == 0) {
                continue;
            }
            if (d < 0x80) {
                return i;
            }
            bity[static_cast<std::size_t>(d & 0x0F)] |= static_cast<std::uint8_t>(1u << ((d >> 4) - 8));
        }
        wiodace[wierszy] = _mm256_set1_epi8(static_cast<char>(b));
        drugieBity[wierszy] =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bity.data())));
        ++wierszy;
    }
    const __m256i polowkaWysoka = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128, 0, 0,
                                                   0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m256i polowka = _mm256_set1_epi8(0x0F);
    for (; i + BLOK < kawalek.size(); i += BLOK) {
        MaskiWysokich maski;
        std::uint64_t litery = 0;
        for (int k = 0; k < 2; ++k) {
            const char* const tekst = kawalek.data() + i + 32 * static_cast<std::size_t>(k);
            const __m256i bajty = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tekst));
            const __m256i nastepne = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tekst + 1));
            const __m256i wysokieNastepnych =
                _mm256_shuffle_epi8(polowkaWysoka, _mm256_and_si256(_mm256_srli_epi16(nastepne, 4), polowka));
            const __m256i niskieNastepnych = _mm256_and_si256(nastepne, polowka);
            __m256i trafione = _mm256_setzero_si256();
            for (std::size_t r = 0; r < wierszy; ++r) {
                const __m256i drugi =
                    _mm256_and_si256(_mm256_shuffle_epi8(drugieBity[r], niskieNastepnych), wysokieNastepnych);
                trafione =
                    _mm256_or_si256(trafione, _mm256_and_si256(_mm256_cmpeq_epi8(bajty, wiodace[r]), drugi));
            }
            const auto zadne = static_cast<std::uint32_t>(
                _mm256_movemask_epi8(_mm256_cmpeq_epi8(trafione, _mm256_setzero_si256())));
            litery |= std::uint64_t{~zadne} << (32 * k);
            maski.wysokie |= std::uint64_t{WysokieAvx2(bajty)} << (32 * k);
            maski.wiodace |= std::uint64_t{WiodaceAvx2<0xC0, 0xFF>(bajty)} << (32 * k);
        }
        krok(i, maski, litery);
    }
    return i;
}
#endif

#if defined(ZNAKOMAT_SIMD_X86)
// The variant chosen (or forced, as the tests force each) has AVX2: the later ones too.
bool zAvx2()
{
    return BiezacyWariant() >= Wariant::Avx2 && __builtin_cpu_supports("avx2");
}
#endif

const unsigned char* bajty(std::string_view kawalek, std::size_t od)
{
    return reinterpret_cast<const unsigned char*>(kawalek.data() + od);
}

}  // namespace

NieLitery::NieLitery(int zrodlo, int cel, std::string_view podstawa)
{
    const int szerokoscZrodla = SzerokoscLitery(zrodlo);
    const int szerokoscCelu = SzerokoscLitery(cel);
    if (szerokoscZrodla == 1 && szerokoscCelu == 2) {
        rodzaj_ = Rodzaj::BajtyWUtf8;
        for (int b = 0x80; b < 0x100; ++b) {
            nieLitera_[static_cast<std::size_t>(b)] = 1;
        }
        for (const char znak : Standardy(zrodlo).Znaki) {
            nieLitera_[static_cast<unsigned char>(znak)] = 0;
        }
    } else if (szerokoscZrodla == 1 && szerokoscCelu == 1 && zrodlo != cel) {
        const std::optional<Strona> stronaZrodla = StronaStandardu(zrodlo, podstawa);
        const std::optional<Strona> stronaCelu = StronaStandardu(cel, podstawa);
        if (!stronaZrodla || !stronaCelu) {
            return;
        }
        for (std::size_t b = 0; b < 256; ++b) {
            nieLitera_[b] = stronaZrodla->znaki[b] != stronaCelu->znaki[b] ? 1 : 0;
        }
        for (const char znak : Standardy(zrodlo).Znaki) {
            nieLitera_[static_cast<unsigned char>(znak)] = 0;
        }
        if (std::find(nieLitera_.begin(), nieLitera_.end(), 1) != nieLitera_.end()) {
            rodzaj_ = Rodzaj::InneZnaki;
            niskie_ =
                std::find(nieLitera_.begin(), nieLitera_.begin() + 0x80, 1) != nieLitera_.begin() + 0x80;
        }
    } else if (szerokoscZrodla == 2 && szerokoscCelu == 1) {
        rodzaj_ = Rodzaj::ZnakiZUtf8;
        wiersz_.fill(BEZ_LITER);
        std::uint8_t wierszy = 0;
        for (int p = 1; p <= LICZBA_LITER; ++p) {
            const std::string_view litera = Litera(zrodlo, p);
            std::uint8_t& wiersz = wiersz_[static_cast<unsigned char>(litera[0])];
            if (wiersz == BEZ_LITER) {
                wiersz = wierszy++;
            }
            drugie_[wiersz][static_cast<unsigned char>(litera[1])] = 1;
        }
    }
}

void NieLitery::dodaj(std::string_view kawalek)
{
    if (rodzaj_ == Rodzaj::Nic || kawalek.empty()) {
        return;
    }
    if (rodzaj_ != Rodzaj::ZnakiZUtf8) {
        liczBajty(kawalek);
    } else {
        liczZnaki(kawalek);
    }
    pozycja_ += kawalek.size();
}

void NieLitery::liczBajty(std::string_view kawalek)
{
    std::size_t i = 0;
    if (niskie_) {
        // Pages that differ below 80 come from unusual bases; a byte at a time will do.
        for (; i < kawalek.size(); ++i) {
            if (nieLitera_[static_cast<unsigned char>(kawalek[i])] != 0) {
                dopisz(pozycja_ + i, bajty(kawalek, i), 1);
            }
        }
        return;
    }
#if defined(ZNAKOMAT_SIMD_X86)
    if (zAvx2()) {
        i = liczBajtyAvx2(kawalek, nieLitera_, [&](std::size_t od, std::uint64_t nie) {
            dopisz(pozycja_ + od, bajty(kawalek, od), nie);
        });
    }
#endif
    for (; i + BLOK <= kawalek.size(); i += BLOK) {
        std::uint64_t nie = 0;
        for (std::uint64_t wysokie = maskiBloku(kawalek.data() + i).wysokie; wysokie != 0;
             wysokie &= wysokie - 1) {
            const int k = std::countr_zero(wysokie);
            nie |= std::uint64_t{nieLitera_[bajty(kawalek, i)[k]]} << k;
        }
        if (nie != 0) {
            dopisz(pozycja_ + i, bajty(kawalek, i), nie);
        }
    }
    for (; i < kawalek.size(); ++i) {
        if (nieLitera_[static_cast<unsigned char>(kawalek[i])] != 0) {
            dopisz(pozycja_ + i, bajty(kawalek, i), 1);
        }
    }
}

// Lead and second bytes of the letters are disjoint sets, so letters never overlap and
// reading from the left finds the very letters the conversion rewrites. A character that is
// no letter begins at a lead byte, or at a byte from 80 up after anything but such a character.
void NieLitery::liczZnaki(std::string_view kawalek)
{
    const auto litera = [&](std::size_t i) {
        return drugie_[wiersz_[static_cast<unsigned char>(kawalek[i])]]
                      [static_cast<unsigned char>(kawalek[i + 1])];
    };
    std::size_t i = 0;
    if (zawieszony_) {
        zawieszony_ = false;
        if (drugie_[wiersz_[wiszacy_]][static_cast<unsigned char>(kawalek[0])] != 0) {
            i = 1;
            poNieLiterze_ = false;
        } else {
            dopisz(pozycja_ - 1, &wiszacy_, 1);
            poNieLiterze_ = true;
        }
    }
    // A block of 64 from `od`, bit k of `litery` set where a letter begins at byte k.
    const auto blok = [&](std::size_t od, const MaskiWysokich& maski, std::uint64_t litery) {
        const std::uint64_t drugieBajty = litery << 1 | (drugiNaPoczatku_ ? 1 : 0);
        const std::uint64_t nie = maski.wysokie & ~litery & ~drugieBajty;
        const std::uint64_t poczatki = nie & (maski.wiodace | ~(nie << 1 | (poNieLiterze_ ? 1 : 0)));
        drugiNaPoczatku_ = litery >> 63 != 0;
        poNieLiterze_ = nie >> 63 != 0;
        if (poczatki != 0) {
            dopisz(pozycja_ + od, bajty(kawalek, od), poczatki);
        }
    };
    // A block needs the byte after it, to tell whether its last byte begins a letter.
#if defined(ZNAKOMAT_SIMD_X86)
    if (zAvx2()) {
        i = literyAvx2(kawalek, i, wiersz_, drugie_, BEZ_LITER, blok);
    }
#endif
    for (; i + BLOK < kawalek.size(); i += BLOK) {
        const MaskiWysokich maski = maskiBloku(kawalek.data() + i);
        std::uint64_t litery = 0;
        for (std::uint64_t wiodace = maski.wiodace; wiodace != 0; wiodace &= wiodace - 1) {
            const int k = std::countr_zero(wiodace);
            litery |= std::uint64_t{litera(i + static_cast<std::size_t>(k))} << k;
        }
        blok(i, maski, litery);
    }
    for (; i < kawalek.size(); ++i) {
        const auto bajt = static_cast<unsigned char>(kawalek[i]);
        if (drugiNaPoczatku_) {
            drugiNaPoczatku_ = false;
            poNieLiterze_ = false;
        } else if (bajt < 0x80) {
            poNieLiterze_ = false;
        } else if (i + 1 == kawalek.size() && wiersz_[bajt] != BEZ_LITER) {
            zawieszony_ = true;
            wiszacy_ = bajt;
        } else if (i + 1 < kawalek.size() && litera(i)) {
            drugiNaPoczatku_ = true;
        } else {
            if (bajt >= 0xC0 || !poNieLiterze_) {
                dopisz(pozycja_ + i, bajty(kawalek, i), 1);
            }
            poNieLiterze_ = true;
        }
    }
}

// Counts the set bits of `bity`, bit k for the byte `bajty[k]` at offset `pozycja + k` of the
// text, and notes the first ever.
void NieLitery::dopisz(std::uint64_t pozycja, const unsigned char* bajty, std::uint64_t bity)
{
    if (licznik_ == 0) {
        const int k = std::countr_zero(bity);
        pierwszy_ = pozycja + static_cast<std::uint64_t>(k);
        pierwszyBajt_ = bajty[k];
    }
    licznik_ += static_cast<std::uint64_t>(std::popcount(bity));
}

}  // namespace engine
