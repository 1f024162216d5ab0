// formc_placeholders: plain stand-in pictures of the right format and size, used by
// the build while a deliverable's own drawings are not in the source tree yet.
//   formc_placeholders gif W H out | bmp W H out | png W H out | ico out
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }
void Put32BE(Bytes& b, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void PutText(Bytes& b, const char* s) { b.insert(b.end(), s, s + std::strlen(s)); }

// One frame, two colours, every pixel index 0. The LZW stream sends only literal
// codes and a clear code before the table would widen the codes, so it stays simple.
Bytes Gif(int w, int h) {
    Bytes b;
    PutText(b, "GIF89a");
    Put16(b, w);
    Put16(b, h);
    b.push_back(0x80);  // global table of 2 entries
    b.push_back(0);
    b.push_back(0);
    const uint8_t table[6] = {0x2E, 0x7D, 0x32, 0xFF, 0xFF, 0xFF};
    b.insert(b.end(), table, table + 6);
    const uint8_t gce[8] = {0x21, 0xF9, 4, 0, 10, 0, 0, 0};
    b.insert(b.end(), gce, gce + 8);
    b.push_back(0x2C);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, w);
    Put16(b, h);
    b.push_back(0);
    const int minCode = 2, clear = 4, end = 5;
    b.push_back(minCode);
    Bytes data;
    uint32_t acc = 0;
    int bits = 0;
    auto emit = [&](int code) {
        acc |= uint32_t(code) << bits;
        bits += 3;
        while (bits >= 8) {
            data.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    emit(clear);
    long pixels = long(w) * h;
    for (long i = 0, run = 0; i < pixels; ++i, ++run) {
        if (run == 2) {  // the table holds 6 and 7 after two literals: reset before 8
            emit(clear);
            run = 0;
        }
        emit(0);
    }
    emit(end);
    if (bits > 0)
        data.push_back(uint8_t(acc));
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = std::min<size_t>(255, data.size() - at);
        b.push_back(uint8_t(n));
        b.insert(b.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    b.push_back(0);
    b.push_back(0x3B);
    return b;
}

// 1 bit per pixel, bottom-up, every pixel black (inside the tree).
Bytes Bmp(int w, int h) {
    uint32_t stride = uint32_t((w + 31) / 32 * 4);
    uint32_t image = stride * uint32_t(h);
    Bytes b;
    PutText(b, "BM");
    Put32(b, 62 + image);
    Put32(b, 0);
    Put32(b, 62);
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, 0);
    Put32(b, image);
    Put32(b, 3780);
    Put32(b, 3780);
    Put32(b, 2);
    Put32(b, 0);
    Put32(b, 0x00000000);
    Put32(b, 0x00FFFFFF);
    b.resize(b.size() + image, 0);
    return b;
}

uint32_t Crc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

void Chunk(Bytes& b, const char* type, const Bytes& body) {
    Put32BE(b, uint32_t(body.size()));
    size_t start = b.size();
    PutText(b, type);
    b.insert(b.end(), body.begin(), body.end());
    Put32BE(b, Crc(b.data() + start, b.size() - start));
}

// RGBA, a green disc on a transparent ground, stored deflate blocks.
Bytes Png(int w, int h) {
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            long dx = 2L * x - w, dy = 2L * y - h;
            bool inside = dx * dx * h * h + dy * dy * w * w <= long(w) * w * h * h;
            const uint8_t px[4] = {0x2E, 0x7D, 0x32, uint8_t(inside ? 255 : 0)};
            raw.insert(raw.end(), px, px + 4);
        }
    }
    Bytes z{0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        Put16(z, uint32_t(n));
        Put16(z, uint32_t(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        if (at + n == raw.size())
            break;
    }
    uint32_t a = 1, s = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        s = (s + a) % 65521;
    }
    Put32BE(z, s << 16 | a);
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    Put32BE(ihdr, uint32_t(w));
    Put32BE(ihdr, uint32_t(h));
    const uint8_t rest[5] = {8, 6, 0, 0, 0};
    ihdr.insert(ihdr.end(), rest, rest + 5);
    Chunk(b, "IHDR", ihdr);
    Chunk(b, "IDAT", z);
    Chunk(b, "IEND", {});
    return b;
}

// Two images, 16 and 32 pixels, 24 bits with a 1-bit AND mask.
Bytes Ico() {
    const int sizes[2] = {16, 32};
    Bytes images[2];
    for (int i = 0; i < 2; ++i) {
        int n = sizes[i];
        Bytes& im = images[i];
        Put32(im, 40);
        Put32(im, uint32_t(n));
        Put32(im, uint32_t(2 * n));
        Put16(im, 1);
        Put16(im, 24);
        Put32(im, 0);
        Put32(im, 0);
        Put32(im, 0);
        Put32(im, 0);
        Put32(im, 0);
        Put32(im, 0);
        for (int p = 0; p < n * n; ++p) {
            const uint8_t bgr[3] = {0x32, 0x7D, 0x2E};
            im.insert(im.end(), bgr, bgr + 3);
        }
        im.resize(im.size() + size_t((n + 31) / 32 * 4 * n), 0);
    }
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, 2);
    uint32_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        b.push_back(uint8_t(sizes[i]));
        b.push_back(uint8_t(sizes[i]));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, 24);
        Put32(b, uint32_t(images[i].size()));
        Put32(b, offset);
        offset += uint32_t(images[i].size());
    }
    for (const Bytes& im : images)
        b.insert(b.end(), im.begin(), im.end());
    return b;
}

int Usage() {
    std::fprintf(stderr, "usage: formc_placeholders gif|bmp|png W H out | ico out\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    std::string kind = argv[1];
    Bytes bytes;
    const char* out = nullptr;
    if (kind == "ico" && argc == 3) {
        bytes = Ico();
        out = argv[2];
    } else if (argc == 5) {
        int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
        if (w <= 0 || h <= 0 || w > 4096 || h > 4096)
            return Usage();
        if (kind == "gif")
            bytes = Gif(w, h);
        else if (kind == "bmp")
            bytes = Bmp(w, h);
        else if (kind == "png")
            bytes = Png(w, h);
        else
            return Usage();
        out = argv[4];
    } else {
        return Usage();
    }
    std::ofstream f(out, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "formc_placeholders: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
