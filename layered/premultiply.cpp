#include "layered/premultiply.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define TREE_LAYERED_SSE2 1
#include <emmintrin.h>
#endif

namespace layered {
namespace {

// floor(x / 255) for every x = c * a with c, a in 0..255, without a division:
// (x + 1 + (x >> 8)) >> 8. The intermediate stays below 65536, so it also
// runs in 16-bit lanes.
inline unsigned Div255(unsigned x) { return (x + 1 + (x >> 8)) >> 8; }

inline void PremultiplyPixel(std::uint8_t* p)
{
    unsigned a = p[3];
    p[0] = std::uint8_t(Div255(p[0] * a));
    p[1] = std::uint8_t(Div255(p[1] * a));
    p[2] = std::uint8_t(Div255(p[2] * a));
}

#if TREE_LAYERED_SSE2
// Two pixels in eight 16-bit lanes. The alpha lanes are multiplied by 255,
// which the division turns back into the alpha itself.
inline __m128i PremultiplyPair(__m128i px)
{
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(px, 0xFF), 0xFF);
    a = _mm_or_si128(_mm_andnot_si128(alphaLanes, a), _mm_and_si128(alphaLanes, _mm_set1_epi16(255)));
    __m128i x = _mm_mullo_epi16(px, a);
    x = _mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8));
    return _mm_srli_epi16(x, 8);
}
#endif

} // namespace

void PremultiplyAlphaRow(std::uint8_t* bgra, int width)
{
    int x = 0;
#if TREE_LAYERED_SSE2
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(bgra + x * 4);
        __m128i v = _mm_loadu_si128(p);
        __m128i lo = PremultiplyPair(_mm_unpacklo_epi8(v, zero));
        __m128i hi = PremultiplyPair(_mm_unpackhi_epi8(v, zero));
        _mm_storeu_si128(p, _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < width; ++x)
        PremultiplyPixel(bgra + x * 4);
}

void CopyAlphaRow(std::uint8_t* bgra, const std::uint8_t* alpha, int width)
{
    for (int x = 0; x < width; ++x)
        bgra[x * 4 + 3] = alpha[x];
}

} // namespace layered
