#include "platform/image/gif_lzw.h"

#include <cstring>
#include <string>

#include "platform/error.h"

namespace plat {

namespace {

constexpr unsigned kMaxCodes = 4096; // 12-bit codes at most

// Copies n bytes forward in 8-byte steps; may write up to 7 bytes past n, which the
// caller has room for. Earlier output is the source, so the steps never read a byte
// they still have to produce.
inline void CopyWide(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
    for (std::size_t k = 0; k < n; k += 8) {
        std::uint64_t v;
        std::memcpy(&v, src + k, 8);
        std::memcpy(dst + k, &v, 8);
    }
}

} // namespace

GifLzwResult DecodeGifLzw(int minCodeSize, const std::uint8_t* data, std::size_t size,
                          std::uint8_t* out, std::size_t capacity) {
    if (minCodeSize < 2 || minCodeSize > 8)
        throw Error("GIF: LZW minimum code size " + std::to_string(minCodeSize) +
                    " is outside 2 to 8");

    // Every string in the table is a run of earlier output: the output of one code
    // followed by the first index of the next. So a string is an offset and a length
    // into the output, and writing a code is a copy from further back.
    std::uint32_t offset[kMaxCodes];
    std::uint16_t length[kMaxCodes];

    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;

    unsigned codeSize = unsigned(minCodeSize) + 1;
    unsigned codeMask = (1u << codeSize) - 1;
    unsigned next = end + 1;
    unsigned prev = kMaxCodes; // none since the last clear
    std::size_t prevPos = 0, prevLen = 0; // where prev's string was written

    std::uint64_t acc = 0;
    unsigned bits = 0;
    std::size_t pos = 0;
    std::size_t written = 0;
    GifLzwResult result;

    while (written < capacity) {
        if (bits < codeSize) {
            while (bits <= 56 && pos < size) {
                acc |= std::uint64_t(data[pos++]) << bits;
                bits += 8;
            }
            if (bits < codeSize)
                break; // the data ran out before the image was complete
        }
        const unsigned code = unsigned(acc) & codeMask;
        acc >>= codeSize;
        bits -= codeSize;

        if (code == clear) {
            codeSize = unsigned(minCodeSize) + 1;
            codeMask = (1u << codeSize) - 1;
            next = end + 1;
            prev = kMaxCodes;
            continue;
        }
        if (code == end) {
            result.endCodeSeen = true;
            break;
        }

        bool selfReference = false; // code names the string being defined right now
        if (prev == kMaxCodes) {
            if (code > clear)
                throw Error("GIF: corrupt image data (code past the table)");
        } else {
            if (code > next)
                throw Error("GIF: corrupt image data (code past the table)");
            if (next < kMaxCodes) {
                // prev's string plus the first index of this code's string.
                offset[next] = std::uint32_t(prevPos);
                length[next] = std::uint16_t(prevLen + 1);
                selfReference = code == next;
                ++next;
                if (next == (1u << codeSize) && codeSize < 12) {
                    ++codeSize;
                    codeMask = (1u << codeSize) - 1;
                }
            }
        }

        const std::size_t room = capacity - written;
        std::uint8_t* dst = out + written;
        std::size_t len;
        if (code < clear) {
            len = 1;
            *dst = std::uint8_t(code);
        } else {
            // A full table stays as it is until the next clear code, so code < next.
            len = length[code];
            const std::uint8_t* src = out + offset[code];
            // For a self reference the last index is the string's own first one,
            // which is not written yet.
            const std::size_t known = selfReference ? len - 1 : len;
            if (room >= known + 8) {
                CopyWide(dst, src, known);
            } else {
                for (std::size_t k = 0; k < known && k < room; ++k)
                    dst[k] = src[k];
            }
            if (selfReference && known < room)
                dst[known] = src[0];
            if (len > room)
                len = room; // too much data: keep only what fits
        }
        prevPos = written;
        prevLen = len;
        written += len;
        prev = code;
    }
    result.written = written;
    return result;
}

} // namespace plat
