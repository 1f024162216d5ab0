// The committed pictures are what the generator makes today, and their containers
// have the layout the programs rely on. The structure is read here with small walkers
// of its own, independent of the generator's reader.
#include "tools/encoders/lzw.h"
#include "tools/treeart/files.h"
#include "tools/treeart/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string sourceDir()
{
    const char* d = std::getenv("TREE_SOURCE_DIR");
    return d ? d : ".";
}

Bytes committed(const std::string& relative) { return art::readFile(sourceDir() + "/resources/" + relative); }

unsigned le16(const Bytes& b, std::size_t at) { return unsigned(b.at(at)) | (unsigned(b.at(at + 1)) << 8); }
std::uint32_t le32(const Bytes& b, std::size_t at) { return le16(b, at) | (std::uint32_t(le16(b, at + 2)) << 16); }
std::uint32_t be32(const Bytes& b, std::size_t at)
{
    return (std::uint32_t(b.at(at)) << 24) | (std::uint32_t(b.at(at + 1)) << 16) | (std::uint32_t(b.at(at + 2)) << 8) |
           b.at(at + 3);
}

// ---------------------------------------------------------------- (a) determinism

class TreeartOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                            ("treeart-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed())));
        std::filesystem::remove_all(*folder_);
        art::Artwork a = art::makeArtwork();
        for (const art::OutputFile& f : a.files()) art::writeFile((*folder_ / f.path).string(), f.bytes);
    }
    static void TearDownTestSuite()
    {
        std::filesystem::remove_all(*folder_);
        delete folder_;
        folder_ = nullptr;
    }
    static std::filesystem::path* folder_;
};
std::filesystem::path* TreeartOutput::folder_ = nullptr;

TEST_F(TreeartOutput, EveryCommittedPictureIsRegeneratedByteForByte)
{
    const char* files[] = {"Fernlight/tree.png",  "Glimmerlode/tree.gif", "Glimmerlode/mask.bmp",
                           "Quorrisk/tree.gif",   "Quorrisk/mask.bmp",    "Vudododoz/tree.gif",
                           "Vudododoz/mask.bmp",  "icon/tree.ico"};
    for (const char* f : files) {
        SCOPED_TRACE(f);
        Bytes made = art::readFile((*folder_ / f).string());
        Bytes kept = committed(f);
        ASSERT_EQ(made.size(), kept.size()) << "regenerate with: treeart --out resources";
        EXPECT_TRUE(made == kept) << "regenerate with: treeart --out resources";
    }
}

// ---------------------------------------------------------------- (b) GIF structure

struct GifExpect {
    const char* name;
    unsigned width, height;
    int frames, delay;
    std::vector<int> disposal;
    bool global;
    unsigned background;
    std::uint8_t bgColour[3];
    bool transparency;
    int commentLength; // -1 none
    bool lastWhole;
};

void PrintTo(const GifExpect& e, std::ostream* os) { *os << e.name; }

std::vector<int> vudododozDisposal()
{
    std::vector<int> d(50, 1);
    d[49] = 2;
    return d;
}

const GifExpect kGifs[] = {
    {"Glimmerlode", 182, 211, 11, 10, {2, 2, 2, 1, 1, 2, 2, 2, 2, 1, 1}, true, 91, {249, 251, 250}, true, -1, false},
    {"Quorrisk", 342, 211, 7, 20, std::vector<int>(7, 0), false, 0, {0, 0, 0}, false, 40, false},
    {"Vudododoz", 190, 225, 50, 7, vudododozDisposal(), true, 0, {253, 254, 254}, true, -1, true},
};

class TreeartGif : public ::testing::TestWithParam<GifExpect> {};

// Walks the blocks and checks each against the table; LZW data is only framed, not decoded.
TEST_P(TreeartGif, BlocksMatchTheLayout)
{
    const GifExpect& E = GetParam();
    Bytes g = committed(std::string(E.name) + "/tree.gif");
    ASSERT_GT(g.size(), 13u + 768u);
    EXPECT_EQ(std::string(g.begin(), g.begin() + 6), "GIF89a");
    EXPECT_EQ(le16(g, 6), E.width);
    EXPECT_EQ(le16(g, 8), E.height);
    unsigned packed = g[10];
    EXPECT_EQ(g[12], 0) << "pixel aspect byte";
    std::size_t pos = 13;
    if (E.global) {
        ASSERT_EQ(packed & 0x87u, 0x87u) << "global table of 256 entries";
        EXPECT_EQ(g[11], E.background);
        std::size_t bg = 13 + 3 * std::size_t(E.background);
        EXPECT_EQ(g[bg], E.bgColour[0]);
        EXPECT_EQ(g[bg + 1], E.bgColour[1]);
        EXPECT_EQ(g[bg + 2], E.bgColour[2]);
        if (E.transparency) {
            EXPECT_EQ(g[13 + 765], 0);
            EXPECT_EQ(g[13 + 766], 0);
            EXPECT_EQ(g[13 + 767], 0);
        }
        pos += 768;
    } else {
        EXPECT_EQ(packed & 0x80u, 0u) << "no global table";
    }

    auto skipSubBlocks = [&](std::size_t& p) {
        std::size_t total = 0;
        while (g.at(p) != 0) {
            total += g[p];
            p += 1 + g[p];
        }
        ++p;
        return total;
    };

    bool loopSeen = false;
    int comments = 0, frames = 0, gcesSinceImage = 0;
    int disposal = -1, delay = -1, transparentFlag = -1, transparentIndex = -1;
    bool trailer = false;
    while (!trailer) {
        ASSERT_LT(pos, g.size()) << "no trailer";
        unsigned intro = g[pos++];
        if (intro == 0x3B) {
            trailer = true;
            break;
        }
        if (intro == 0x21) {
            unsigned label = g.at(pos++);
            if (label == 0xFF) {
                ASSERT_EQ(g.at(pos), 11);
                std::string app(g.begin() + long(pos) + 1, g.begin() + long(pos) + 12);
                if (app == "NETSCAPE2.0") {
                    EXPECT_EQ(frames, 0) << "looping extension after a frame";
                    EXPECT_EQ(g.at(pos + 12), 3);
                    EXPECT_EQ(g.at(pos + 13), 1);
                    EXPECT_EQ(le16(g, pos + 14), 0u) << "loop count";
                    loopSeen = true;
                }
                pos += 12;
                skipSubBlocks(pos);
            } else if (label == 0xFE) {
                EXPECT_EQ(frames, 0) << "comment after a frame";
                EXPECT_EQ(int(skipSubBlocks(pos)), E.commentLength);
                ++comments;
            } else if (label == 0xF9) {
                ASSERT_EQ(g.at(pos), 4);
                unsigned flags = g[pos + 1];
                disposal = int((flags >> 2) & 7);
                EXPECT_EQ(flags & 2u, 0u) << "user input flag, frame " << frames;
                transparentFlag = int(flags & 1);
                delay = int(le16(g, pos + 2));
                transparentIndex = g[pos + 4];
                pos += 5;
                ASSERT_EQ(g.at(pos), 0);
                ++pos;
                ++gcesSinceImage;
            } else {
                skipSubBlocks(pos);
            }
            continue;
        }
        ASSERT_EQ(intro, 0x2Cu) << "unknown block at " << pos - 1;
        SCOPED_TRACE("frame " + std::to_string(frames));
        ASSERT_LT(frames, E.frames);
        EXPECT_EQ(gcesSinceImage, 1);
        EXPECT_EQ(disposal, E.disposal[std::size_t(frames)]);
        EXPECT_EQ(delay, E.delay);
        EXPECT_EQ(transparentFlag, E.transparency ? 1 : 0);
        if (E.transparency) EXPECT_EQ(transparentIndex, 255);
        unsigned left = le16(g, pos), top = le16(g, pos + 2), w = le16(g, pos + 4), h = le16(g, pos + 6);
        unsigned fp = g.at(pos + 8);
        EXPECT_LE(left + w, E.width);
        EXPECT_LE(top + h, E.height);
        bool whole = left == 0 && top == 0 && w == E.width && h == E.height;
        bool wantWhole = frames == 0 || (E.lastWhole && frames == E.frames - 1);
        EXPECT_EQ(whole, wantWhole) << left << "," << top << " " << w << "x" << h;
        EXPECT_EQ(fp & 0x40u, 0u) << "interlaced";
        pos += 9;
        if (E.global) {
            EXPECT_EQ(fp & 0x80u, 0u) << "local table";
        } else {
            ASSERT_EQ(fp & 0x87u, 0x87u) << "local table of 256 entries";
            pos += 768;
        }
        EXPECT_EQ(g.at(pos), 8) << "LZW minimum code size";
        ++pos;
        skipSubBlocks(pos);
        ++frames;
        gcesSinceImage = 0;
    }
    EXPECT_EQ(pos, g.size()) << "bytes after the trailer";
    EXPECT_EQ(frames, E.frames);
    EXPECT_TRUE(loopSeen);
    EXPECT_EQ(comments, E.commentLength < 0 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Animations, TreeartGif, ::testing::ValuesIn(kGifs),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- masks

class TreeartMask : public ::testing::TestWithParam<GifExpect> {};

TEST_P(TreeartMask, HeaderFieldByFieldAndZeroPadding)
{
    const GifExpect& E = GetParam();
    Bytes b = committed(std::string(E.name) + "/mask.bmp");
    const std::uint32_t stride = (E.width + 31) / 32 * 4;
    ASSERT_GE(b.size(), 62u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le16(b, 6), 0u);
    EXPECT_EQ(le16(b, 8), 0u);
    EXPECT_EQ(le32(b, 10), 62u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), E.width);
    EXPECT_EQ(le32(b, 22), E.height);
    EXPECT_EQ(le16(b, 26), 1u);
    EXPECT_EQ(le16(b, 28), 1u);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), stride * E.height);
    EXPECT_EQ(le32(b, 38), 3780u);
    EXPECT_EQ(le32(b, 42), 3780u);
    EXPECT_EQ(le32(b, 46), 2u);
    EXPECT_EQ(le32(b, 50), 0u);
    EXPECT_EQ(le32(b, 54), 0x00000000u);
    EXPECT_EQ(le32(b, 58), 0x00FFFFFFu);
    ASSERT_EQ(b.size(), 62u + stride * E.height);
    int padBits = 0, inside = 0;
    for (unsigned row = 0; row < E.height; ++row)
        for (unsigned bit = 0; bit < stride * 8; ++bit) {
            bool set = (b[62 + row * stride + bit / 8] >> (7 - bit % 8)) & 1;
            if (bit >= E.width) padBits += set;
            else inside += !set;
        }
    EXPECT_EQ(padBits, 0);
    // The tree is a sizeable part of the window, and the outside is more than a frame.
    EXPECT_GT(inside, int(E.width * E.height / 8));
    EXPECT_LT(inside, int(E.width * E.height * 3 / 4));
    // The corners are always outside.
    EXPECT_EQ((b[62] >> 7) & 1, 1);
    EXPECT_EQ((b[62 + (E.height - 1) * stride] >> 7) & 1, 1);
}

INSTANTIATE_TEST_SUITE_P(Animations, TreeartMask, ::testing::ValuesIn(kGifs),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- PNG

TEST(TreeartPng, ChunkOrderAndHeader)
{
    Bytes p = committed("Fernlight/tree.png");
    const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GT(p.size(), 8u);
    EXPECT_TRUE(std::equal(sig, sig + 8, p.begin()));
    std::vector<std::string> order;
    std::size_t pos = 8;
    while (pos + 12 <= p.size()) {
        std::uint32_t len = be32(p, pos);
        std::string type(p.begin() + long(pos) + 4, p.begin() + long(pos) + 8);
        order.push_back(type);
        if (type == "IHDR") {
            ASSERT_EQ(len, 13u);
            EXPECT_EQ(be32(p, pos + 8), 200u);
            EXPECT_EQ(be32(p, pos + 12), 250u);
            EXPECT_EQ(p[pos + 16], 8) << "bit depth";
            EXPECT_EQ(p[pos + 17], 6) << "colour type";
            EXPECT_EQ(p[pos + 18], 0);
            EXPECT_EQ(p[pos + 19], 0);
            EXPECT_EQ(p[pos + 20], 0) << "interlace";
        }
        if (type == "iTXt") {
            std::string body(p.begin() + long(pos) + 8, p.begin() + long(pos) + 8 + len);
            EXPECT_EQ(body.rfind("XML:com.adobe.xmp", 0), 0u);
            EXPECT_NE(body.find("<x:xmpmeta"), std::string::npos);
        }
        pos += 12 + len;
    }
    EXPECT_EQ(pos, p.size()) << "nothing after IEND";
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "tEXt", "iTXt", "IDAT", "IEND"}));
}

// ---------------------------------------------------------------- ICO

TEST(TreeartIcon, DirectoryOfTwo24BitImages)
{
    Bytes i = committed("icon/tree.ico");
    ASSERT_EQ(i.size(), 6u + 32u + 872u + 3240u);
    EXPECT_EQ(le16(i, 0), 0u);
    EXPECT_EQ(le16(i, 2), 1u);
    EXPECT_EQ(le16(i, 4), 2u);
    struct {
        unsigned size, bytes, offset;
    } want[] = {{16, 872, 38}, {32, 3240, 38 + 872}};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(want[k].size);
        std::size_t e = 6 + 16 * std::size_t(k);
        EXPECT_EQ(i[e], want[k].size);
        EXPECT_EQ(i[e + 1], want[k].size);
        EXPECT_EQ(i[e + 2], 0) << "no colour table";
        EXPECT_EQ(le16(i, e + 4), 1u);
        EXPECT_EQ(le16(i, e + 6), 24u);
        EXPECT_EQ(le32(i, e + 8), want[k].bytes);
        EXPECT_EQ(le32(i, e + 12), want[k].offset);
        std::size_t h = want[k].offset;
        EXPECT_EQ(le32(i, h), 40u);
        EXPECT_EQ(le32(i, h + 4), want[k].size);
        EXPECT_EQ(le32(i, h + 8), 2 * want[k].size) << "colour and mask rows";
        EXPECT_EQ(le16(i, h + 14), 24u);
        EXPECT_EQ(le32(i, h + 32), 0u) << "colours used";
    }
}

// ---------------------------------------------------------------- LZW

// Inputs that exercise the code-width steps and the clear code of a full table.
struct LzwCase {
    const char* name;
    Bytes data;
};

Bytes randomBytes(std::size_t n, unsigned alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b) v = std::uint8_t(rng() % alphabet);
    return b;
}

void PrintTo(const LzwCase& c, std::ostream* os) { *os << c.name; }

class TreeartLzw : public ::testing::TestWithParam<LzwCase> {};

TEST_P(TreeartLzw, RoundTrips)
{
    const Bytes& in = GetParam().data;
    Bytes codes = enc::lzwEncode(in.data(), in.size(), 8);
    Bytes out = enc::lzwDecode(codes.data(), codes.size(), 8, in.size());
    EXPECT_EQ(out, in);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TreeartLzw,
    ::testing::Values(LzwCase{"Empty", {}}, LzwCase{"OneIndex", {7}}, LzwCase{"LongRun", Bytes(100000, 3)},
                      LzwCase{"Noise", randomBytes(200000, 256, 1)},   // many table resets
                      LzwCase{"FewColours", randomBytes(60000, 5, 2)}, // widths grow slowly
                      LzwCase{"ExactlyToWidth10", randomBytes(255, 256, 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TreeartLzw, RejectsATruncatedStream)
{
    Bytes in = randomBytes(5000, 256, 4);
    Bytes codes = enc::lzwEncode(in.data(), in.size(), 8);
    codes.resize(codes.size() / 2);
    EXPECT_THROW(enc::lzwDecode(codes.data(), codes.size(), 8, in.size()), std::runtime_error);
}

} // namespace
