#include "platform/image/gif_lzw.h"

#include <string>

#include "platform/error.h"

namespace plat {

namespace {
constexpr unsigned kMaxCodes = 4096; // 12-bit codes at most
}

GifLzwResult DecodeGifLzw(int minCodeSize, const std::uint8_t* data, std::size_t size,
                          std::uint8_t* out, std::size_t capacity) {
    if (minCodeSize < 2 || minCodeSize > 8)
        throw Error("GIF: LZW minimum code size " + std::to_string(minCodeSize) +
                    " is outside 2 to 8");

    // Each string is its prefix code plus one last index; its first index and length
    // are kept too, so a string is written back to front straight into the output.
    std::uint16_t prefix[kMaxCodes];
    std::uint8_t suffix[kMaxCodes];
    std::uint8_t first[kMaxCodes];
    std::uint16_t length[kMaxCodes];

    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    for (unsigned c = 0; c < clear; ++c) {
        prefix[c] = 0;
        suffix[c] = std::uint8_t(c);
        first[c] = std::uint8_t(c);
        length[c] = 1;
    }

    unsigned codeSize = unsigned(minCodeSize) + 1;
    unsigned codeMask = (1u << codeSize) - 1;
    unsigned next = end + 1;
    unsigned prev = kMaxCodes; // none since the last clear

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
        if (prev == kMaxCodes) {
            if (code > clear)
                throw Error("GIF: corrupt image data (code past the table)");
        } else {
            if (code > next)
                throw Error("GIF: corrupt image data (code past the table)");
            if (next < kMaxCodes) {
                // code == next is the string being defined: prev plus prev's first index.
                prefix[next] = std::uint16_t(prev);
                suffix[next] = code < next ? first[code] : first[prev];
                first[next] = first[prev];
                length[next] = std::uint16_t(length[prev] + 1);
                ++next;
                if (next == (1u << codeSize) && codeSize < 12) {
                    ++codeSize;
                    codeMask = (1u << codeSize) - 1;
                }
            }
        }

        // A full table stays as it is until the next clear code, so code < next here.
        unsigned c = code;
        std::size_t len = length[c];
        const std::size_t room = capacity - written;
        if (len > room) {
            // Too much data: keep only the part of the string that fits.
            for (; len > room; --len)
                c = prefix[c];
        }
        std::uint8_t* p = out + written + len;
        while (c >= clear) {
            *--p = suffix[c];
            c = prefix[c];
        }
        *--p = std::uint8_t(c);
        written += len;
        prev = code;
    }
    result.written = written;
    return result;
}

} // namespace plat
