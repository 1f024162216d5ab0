#include "platform/image/png_unfilter.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define TREE_PNG_SSE2 1
#include <emmintrin.h>
#endif

namespace plat::png {
namespace {

// The loops are templated on the pixel size so that the inner loop over the
// bytes of one pixel unrolls and the left/upper-left neighbours stay in registers.
template <unsigned Bpp>
void UnfilterSub(std::uint8_t* row, std::size_t n)
{
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = std::uint8_t(row[i] + row[i - Bpp]);
}

void UnfilterUp(std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        row[i] = std::uint8_t(row[i] + prev[i]);
}

template <unsigned Bpp>
void UnfilterAverage(std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    std::size_t first = n < Bpp ? n : Bpp;
    for (std::size_t i = 0; i < first; ++i)
        row[i] = std::uint8_t(row[i] + (prev[i] >> 1));
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = std::uint8_t(row[i] + ((unsigned(row[i - Bpp]) + prev[i]) >> 1));
}

inline int Abs(int v) { return v < 0 ? -v : v; }

template <unsigned Bpp>
void UnfilterPaeth(std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    // Left (a) and upper-left (c) are zero for the first pixel, where the
    // predictor reduces to the byte above.
    int a[Bpp] = {};
    int c[Bpp] = {};
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        for (unsigned k = 0; k < Bpp; ++k) {
            int b = prev[i + k];
            int pa = Abs(b - c[k]);
            int pb = Abs(a[k] - c[k]);
            int pc = Abs(a[k] + b - 2 * c[k]);
            // Ties go to a, then b, as the PNG standard orders them.
            int pred = pb <= pc ? b : c[k];
            pred = (pa <= pb && pa <= pc) ? a[k] : pred;
            std::uint8_t v = std::uint8_t(row[i + k] + pred);
            row[i + k] = v;
            a[k] = v;
            c[k] = b;
        }
    }
}

#if TREE_PNG_SSE2
// Three- and four-byte pixels: every channel of a pixel at once in 16-bit
// lanes. The chain from one pixel to the next cannot be vectorised further.
template <unsigned Bpp>
inline __m128i LoadPixel(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), _mm_setzero_si128());
}

template <unsigned Bpp>
inline void StorePixel(std::uint8_t* p, __m128i v16)
{
    std::uint32_t v = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v16, v16)));
    std::memcpy(p, &v, Bpp);
}

inline __m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Sums wrap at 8 bits: the additions run in 16-bit lanes and are masked back.
inline __m128i Wrap8(__m128i v) { return _mm_and_si128(v, _mm_set1_epi16(0xFF)); }

template <unsigned Bpp>
void PaethSse2(std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        __m128i b = LoadPixel<Bpp>(prev + i);
        __m128i x = LoadPixel<Bpp>(row + i);
        __m128i pa = _mm_sub_epi16(b, c); // p - a
        __m128i pb = _mm_sub_epi16(a, c); // p - b
        __m128i pc = _mm_add_epi16(pa, pb);
        pa = Abs16(pa);
        pb = Abs16(pb);
        pc = Abs16(pc);
        __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        __m128i pred = Select(_mm_cmpeq_epi16(smallest, pa), a, Select(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = Wrap8(_mm_add_epi16(pred, x));
        StorePixel<Bpp>(row + i, a);
        c = b;
    }
}

template <unsigned Bpp>
void AverageSse2(std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        __m128i b = LoadPixel<Bpp>(prev + i);
        __m128i x = LoadPixel<Bpp>(row + i);
        a = Wrap8(_mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1)));
        StorePixel<Bpp>(row + i, a);
    }
}

template <unsigned Bpp>
void SubSse2(std::uint8_t* row, std::size_t n)
{
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        a = Wrap8(_mm_add_epi16(a, LoadPixel<Bpp>(row + i)));
        StorePixel<Bpp>(row + i, a);
    }
}
#endif

template <unsigned Bpp>
bool Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
#if TREE_PNG_SSE2
    if constexpr (Bpp == 3 || Bpp == 4) {
        switch (type) {
        case 1: SubSse2<Bpp>(row, n); return true;
        case 3: AverageSse2<Bpp>(row, prev, n); return true;
        case 4: PaethSse2<Bpp>(row, prev, n); return true;
        default: break;
        }
    }
#endif
    switch (type) {
    case 0: return true;
    case 1: UnfilterSub<Bpp>(row, n); return true;
    case 2: UnfilterUp(row, prev, n); return true;
    case 3: UnfilterAverage<Bpp>(row, prev, n); return true;
    case 4: UnfilterPaeth<Bpp>(row, prev, n); return true;
    default: return false;
    }
}

} // namespace

bool UnfilterRow(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev,
                 std::size_t rowBytes, unsigned bpp)
{
    // Row lengths are whole pixels for every bpp above 1, so the Paeth loop
    // needs no tail.
    switch (bpp) {
    case 1: return Unfilter<1>(type, row, prev, rowBytes);
    case 2: return Unfilter<2>(type, row, prev, rowBytes);
    case 3: return Unfilter<3>(type, row, prev, rowBytes);
    case 4: return Unfilter<4>(type, row, prev, rowBytes);
    case 6: return Unfilter<6>(type, row, prev, rowBytes);
    case 8: return Unfilter<8>(type, row, prev, rowBytes);
    default: return false;
    }
}

} // namespace plat::png
