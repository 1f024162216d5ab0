#include "platform/image/png_rows.h"

#include <cstring>

namespace plat::png {
namespace {

inline unsigned Be16(const std::uint8_t* p) { return (unsigned(p[0]) << 8) | p[1]; }

// Palette images and greyscale up to 8 bits: unpack the indices, look them up.
template <unsigned Depth>
void ConvertIndexed(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t*, std::size_t width,
                    const RowContext& ctx)
{
    if constexpr (Depth == 8) {
        for (std::size_t x = 0; x < width; ++x)
            std::memcpy(bgra + x * 4, ctx.lut[src[x]], 4);
    } else {
        constexpr unsigned perByte = 8 / Depth;
        constexpr unsigned mask = (1u << Depth) - 1;
        std::size_t x = 0;
        // Whole bytes first, then the last partial byte.
        for (; x + perByte <= width; x += perByte) {
            unsigned byte = *src++;
            for (unsigned k = 0; k < perByte; ++k) {
                unsigned idx = (byte >> (8 - Depth * (k + 1))) & mask;
                std::memcpy(bgra + (x + k) * 4, ctx.lut[idx], 4);
            }
        }
        if (x < width) {
            unsigned byte = *src;
            for (unsigned k = 0; x < width; ++k, ++x) {
                unsigned idx = (byte >> (8 - Depth * (k + 1))) & mask;
                std::memcpy(bgra + x * 4, ctx.lut[idx], 4);
            }
        }
    }
}

void ConvertGray16(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t*, std::size_t width,
                   const RowContext& ctx)
{
    for (std::size_t x = 0; x < width; ++x, src += 2, bgra += 4) {
        unsigned v = Be16(src);
        std::uint8_t g = Reduce16(v);
        bgra[0] = g;
        bgra[1] = g;
        bgra[2] = g;
        bgra[3] = v == ctx.keyR ? 0 : 255;
    }
}

void ConvertRgb8(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t*, std::size_t width,
                 const RowContext& ctx)
{
    if (ctx.keyR > 0xFF) {
        for (std::size_t x = 0; x < width; ++x, src += 3, bgra += 4) {
            bgra[0] = src[2];
            bgra[1] = src[1];
            bgra[2] = src[0];
            bgra[3] = 255;
        }
        return;
    }
    for (std::size_t x = 0; x < width; ++x, src += 3, bgra += 4) {
        bool key = src[0] == ctx.keyR && src[1] == ctx.keyG && src[2] == ctx.keyB;
        bgra[0] = src[2];
        bgra[1] = src[1];
        bgra[2] = src[0];
        bgra[3] = key ? 0 : 255;
    }
}

void ConvertRgb16(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t*, std::size_t width,
                  const RowContext& ctx)
{
    for (std::size_t x = 0; x < width; ++x, src += 6, bgra += 4) {
        unsigned r = Be16(src), g = Be16(src + 2), b = Be16(src + 4);
        bool key = r == ctx.keyR && g == ctx.keyG && b == ctx.keyB;
        bgra[0] = Reduce16(b);
        bgra[1] = Reduce16(g);
        bgra[2] = Reduce16(r);
        bgra[3] = key ? 0 : 255;
    }
}

void ConvertGrayAlpha8(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t* alpha,
                       std::size_t width, const RowContext&)
{
    for (std::size_t x = 0; x < width; ++x, src += 2, bgra += 4) {
        bgra[0] = src[0];
        bgra[1] = src[0];
        bgra[2] = src[0];
        bgra[3] = src[1];
        alpha[x] = src[1];
    }
}

void ConvertGrayAlpha16(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t* alpha,
                        std::size_t width, const RowContext&)
{
    for (std::size_t x = 0; x < width; ++x, src += 4, bgra += 4) {
        std::uint8_t g = Reduce16(Be16(src));
        std::uint8_t a = Reduce16(Be16(src + 2));
        bgra[0] = g;
        bgra[1] = g;
        bgra[2] = g;
        bgra[3] = a;
        alpha[x] = a;
    }
}

void ConvertRgba8(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t* alpha,
                  std::size_t width, const RowContext&)
{
    // Plain byte moves with no loop-carried state, so that compilers vectorise it.
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t* s = src + x * 4;
        std::uint8_t* d = bgra + x * 4;
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = s[3];
        alpha[x] = s[3];
    }
}

void ConvertRgba16(const std::uint8_t* src, std::uint8_t* bgra, std::uint8_t* alpha,
                   std::size_t width, const RowContext&)
{
    for (std::size_t x = 0; x < width; ++x, src += 8, bgra += 4) {
        std::uint8_t a = Reduce16(Be16(src + 6));
        bgra[0] = Reduce16(Be16(src + 4));
        bgra[1] = Reduce16(Be16(src + 2));
        bgra[2] = Reduce16(Be16(src));
        bgra[3] = a;
        alpha[x] = a;
    }
}

} // namespace

RowConverter SelectRowConverter(unsigned colorType, unsigned bitDepth)
{
    switch (colorType) {
    case 0:
    case 3:
        switch (bitDepth) {
        case 1: return ConvertIndexed<1>;
        case 2: return ConvertIndexed<2>;
        case 4: return ConvertIndexed<4>;
        case 8: return ConvertIndexed<8>;
        case 16: return colorType == 0 ? ConvertGray16 : nullptr;
        }
        return nullptr;
    case 2: return bitDepth == 8 ? ConvertRgb8 : bitDepth == 16 ? ConvertRgb16 : nullptr;
    case 4: return bitDepth == 8 ? ConvertGrayAlpha8 : bitDepth == 16 ? ConvertGrayAlpha16 : nullptr;
    case 6: return bitDepth == 8 ? ConvertRgba8 : bitDepth == 16 ? ConvertRgba16 : nullptr;
    }
    return nullptr;
}

} // namespace plat::png
