#include "tools/encoders/lzw.h"

#include <stdexcept>

namespace enc {
namespace {

class BitPacker {
public:
    explicit BitPacker(Bytes& out) : out_(out) {}
    void put(unsigned code, int bits)
    {
        acc_ |= std::uint32_t(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.push_back(std::uint8_t(acc_ & 0xFF));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0) out_.push_back(std::uint8_t(acc_ & 0xFF));
        acc_ = 0;
        count_ = 0;
    }

private:
    Bytes& out_;
    std::uint32_t acc_ = 0;
    int count_ = 0;
};

constexpr int kMaxCodes = 4096;

} // namespace

Bytes lzwEncode(const std::uint8_t* indices, std::size_t count, int minCodeSize)
{
    if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("LZW: bad minimum code size");
    const unsigned clearCode = 1u << minCodeSize;
    const unsigned endCode = clearCode + 1;
    const unsigned alphabet = clearCode;
    // child[prefix * alphabet + symbol] is the code for prefix+symbol, 0 when absent
    // (0 is never a string code that has a prefix).
    std::vector<std::uint16_t> child(std::size_t(kMaxCodes) * alphabet, 0);
    Bytes out;
    BitPacker bits(out);
    int width = minCodeSize + 1;
    unsigned next = endCode + 1;
    bits.put(clearCode, width);
    if (count == 0) {
        bits.put(endCode, width);
        bits.flush();
        return out;
    }
    unsigned prefix = indices[0];
    if (prefix >= alphabet) throw std::invalid_argument("LZW: index outside the alphabet");
    for (std::size_t i = 1; i < count; ++i) {
        unsigned symbol = indices[i];
        if (symbol >= alphabet) throw std::invalid_argument("LZW: index outside the alphabet");
        std::uint16_t& slot = child[std::size_t(prefix) * alphabet + symbol];
        if (slot != 0) {
            prefix = slot;
            continue;
        }
        bits.put(prefix, width);
        slot = std::uint16_t(next++);
        // The decoder learns each code one step later, so the width grows once the
        // code just assigned no longer fits.
        if (next > (1u << width) && width < 12) ++width;
        if (next == kMaxCodes) {
            bits.put(clearCode, width);
            std::fill(child.begin(), child.end(), std::uint16_t(0));
            width = minCodeSize + 1;
            next = endCode + 1;
        }
        prefix = symbol;
    }
    bits.put(prefix, width);
    // The decoder adds one more entry for the last code; the end code must be read with
    // the width that entry implies.
    if (next >= (1u << width) && width < 12) ++width;
    bits.put(endCode, width);
    bits.flush();
    return out;
}

Bytes lzwDecode(const std::uint8_t* codes, std::size_t size, int minCodeSize, std::size_t expected)
{
    if (minCodeSize < 2 || minCodeSize > 8) throw std::runtime_error("LZW: bad minimum code size");
    const unsigned clearCode = 1u << minCodeSize;
    const unsigned endCode = clearCode + 1;
    std::vector<std::uint16_t> prefix(kMaxCodes);
    std::vector<std::uint8_t> suffix(kMaxCodes), first(kMaxCodes);
    std::vector<std::uint16_t> length(kMaxCodes);
    for (unsigned c = 0; c < clearCode; ++c) {
        suffix[c] = first[c] = std::uint8_t(c);
        length[c] = 1;
    }
    Bytes out;
    out.reserve(expected);
    int width = minCodeSize + 1;
    unsigned next = endCode + 1;
    int prev = -1;
    std::uint32_t acc = 0;
    int have = 0;
    std::size_t pos = 0;
    bool ended = false;
    while (!ended) {
        while (have < width) {
            if (pos >= size) throw std::runtime_error("LZW: stream ends without an end code");
            acc |= std::uint32_t(codes[pos++]) << have;
            have += 8;
        }
        unsigned code = acc & ((1u << width) - 1);
        acc >>= width;
        have -= width;
        if (code == clearCode) {
            width = minCodeSize + 1;
            next = endCode + 1;
            prev = -1;
            continue;
        }
        if (code == endCode) {
            ended = true;
            break;
        }
        if (code > next || (code == next && prev < 0) || (code >= endCode && code < next && length[code] == 0))
            throw std::runtime_error("LZW: code not in the table");
        unsigned emitFrom = code;
        std::uint8_t firstByte;
        if (code == next) firstByte = first[prev];
        else firstByte = first[code];
        if (prev >= 0 && next < kMaxCodes) {
            prefix[next] = std::uint16_t(prev);
            suffix[next] = firstByte;
            first[next] = first[prev];
            length[next] = std::uint16_t(length[prev] + 1);
            ++next;
        }
        std::size_t start = out.size();
        out.resize(start + length[emitFrom]);
        unsigned c = emitFrom;
        for (std::size_t k = length[emitFrom]; k-- > 0;) {
            out[start + k] = suffix[c];
            c = prefix[c];
        }
        if (next >= (1u << width) && width < 12) ++width;
        prev = int(code);
        if (out.size() > expected) throw std::runtime_error("LZW: more pixels than the frame holds");
    }
    if (out.size() != expected) throw std::runtime_error("LZW: fewer pixels than the frame holds");
    return out;
}

} // namespace enc
