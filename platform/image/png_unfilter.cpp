#include "platform/image/png_unfilter.h"

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
    std::size_t i = 0;
    for (; i + Bpp <= n; i += Bpp) {
        for (unsigned k = 0; k < Bpp; ++k) {
            int b = prev[i + k];
            int pa = Abs(b - c[k]);
            int pb = Abs(a[k] - c[k]);
            int pc = Abs(a[k] + b - 2 * c[k]);
            int pred = (pa <= pb && pa <= pc) ? a[k] : (pb <= pc ? b : c[k]);
            std::uint8_t v = std::uint8_t(row[i + k] + pred);
            row[i + k] = v;
            a[k] = v;
            c[k] = b;
        }
    }
}

template <unsigned Bpp>
bool Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
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
