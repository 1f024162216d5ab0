#include "tools/encoders/byte_writer.h"

namespace enc {

void putU8(Bytes& out, unsigned v) { out.push_back(std::uint8_t(v & 0xFF)); }

void putLe16(Bytes& out, unsigned v)
{
    putU8(out, v);
    putU8(out, v >> 8);
}

void putLe32(Bytes& out, std::uint32_t v)
{
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

void putBe32(Bytes& out, std::uint32_t v)
{
    putU8(out, v >> 24);
    putU8(out, v >> 16);
    putU8(out, v >> 8);
    putU8(out, v);
}

void putText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

} // namespace enc
