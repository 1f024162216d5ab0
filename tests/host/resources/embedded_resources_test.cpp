// The resources inside the built Windows executables, read back from the files.
// TREE_WIN_BIN_DIR names the folder of Fernlight.exe ... Vudododoz.exe; without it,
// or without the files, the tests are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/host/resources/tree_forms.h"
#include "tools/peinfo/pe_resources.h"

namespace {

using peinfo::Resource;
using tree_forms::Tree;

std::string Env(const char* name) {
    const char* s = std::getenv(name);
    return s ? s : "";
}

// A node of the version resource: length, value length, type, UTF-16 key, value, children.
struct VersionNode {
    std::string key;
    std::vector<uint8_t> value;   // raw value bytes
    std::string text;             // the value as text, for string nodes
    std::vector<VersionNode> children;
};

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    if (at + 2 > b.size())
        throw std::runtime_error("version resource: past the end");
    return uint16_t(b[at] | b[at + 1] << 8);
}

VersionNode ParseVersion(const std::vector<uint8_t>& b, size_t at, size_t end, int depth) {
    if (depth > 8)
        throw std::runtime_error("version resource: too deep");
    VersionNode node;
    size_t length = U16(b, at), valueLength = U16(b, at + 2), type = U16(b, at + 4);
    size_t nodeEnd = at + length;
    if (length < 6 || nodeEnd > end)
        throw std::runtime_error("version resource: bad node length");
    size_t p = at + 6;
    for (uint16_t ch; (ch = U16(b, p)) != 0; p += 2)
        node.key += ch < 128 ? char(ch) : '?';
    p += 2;
    p = (p + 3) & ~size_t(3);
    size_t valueBytes = type == 1 ? 2 * valueLength : valueLength;
    if (p + valueBytes > nodeEnd)
        throw std::runtime_error("version resource: value past the node");
    node.value.assign(b.begin() + long(p), b.begin() + long(p + valueBytes));
    if (type == 1)
        for (size_t i = 0; i + 1 < valueBytes; i += 2) {
            uint16_t ch = U16(b, p + i);
            if (ch == 0)
                break;
            node.text += ch < 128 ? char(ch) : '?';
        }
    p = (p + valueBytes + 3) & ~size_t(3);
    while (p + 6 <= nodeEnd) {
        node.children.push_back(ParseVersion(b, p, nodeEnd, depth + 1));
        p = (p + U16(b, p) + 3) & ~size_t(3);
    }
    return node;
}

void CollectStrings(const VersionNode& n, std::map<std::string, std::string>& out) {
    for (const VersionNode& c : n.children) {
        if (c.children.empty())
            out[c.key] = c.text;
        CollectStrings(c, out);
    }
}

class EmbeddedResources : public testing::TestWithParam<Tree> {
protected:
    void SetUp() override {
        std::string dir = Env("TREE_WIN_BIN_DIR");
        if (dir.empty())
            GTEST_SKIP() << "TREE_WIN_BIN_DIR is not set";
        path_ = dir + "/" + GetParam().app + ".exe";
        if (!std::filesystem::exists(path_))
            GTEST_SKIP() << path_ << " is not built";
        resources_ = peinfo::ReadResources(tree_forms::ReadFileBytes(path_));
        source_ = Env("TREE_SOURCE_DIR") + "/resources";
    }

    std::vector<const Resource*> Find(uint32_t type, const peinfo::ResourceKey& name) const {
        std::vector<const Resource*> out;
        for (const Resource& r : resources_)
            if (r.type.name.empty() && r.type.id == type && r.name == name)
                out.push_back(&r);
        return out;
    }
    const Resource* One(uint32_t type, const peinfo::ResourceKey& name) const {
        auto all = Find(type, name);
        EXPECT_EQ(all.size(), 1u) << "resource " << peinfo::ToString(name) << " of type " << type;
        return all.size() == 1 ? all[0] : nullptr;
    }

    std::string path_, source_;
    std::vector<Resource> resources_;
};

TEST_P(EmbeddedResources, MainFormHoldsTheTableAndThePictures) {
    const Resource* form = One(peinfo::kRcData, {0, "TFRMMAIN"});
    ASSERT_NE(form, nullptr);
    plat::form::Component root = plat::form::ReadForm(form->data.data(), form->data.size());
    tree_forms::CheckForm(GetParam(), root);
    tree_forms::CheckPictures(GetParam(), root, source_);
}

TEST_P(EmbeddedResources, StillPictureOnlyInFernlight) {
    auto png = Find(peinfo::kRcData, {0, "PNG"});
    if (GetParam().animated) {
        EXPECT_TRUE(png.empty());
        return;
    }
    ASSERT_EQ(png.size(), 1u);
    const std::vector<uint8_t>& bytes = png[0]->data;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    std::string file = source_ + "/Fernlight/tree.png";
    if (std::filesystem::exists(file))
        EXPECT_TRUE(bytes == tree_forms::ReadFileBytes(file)) << "RCDATA PNG is " << file << " byte for byte";
    else
        std::printf("note: %s is not in the source tree; its byte comparison is left out\n", file.c_str());
}

TEST_P(EmbeddedResources, IconOf16And32PixelsInTheTreesLanguage) {
    const uint16_t language = GetParam().app == "Fernlight" ? 1049 : 1033;
    const Resource* group = One(peinfo::kGroupIcon, {0, "MAINICON"});
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->language, language);
    const std::vector<uint8_t>& g = group->data;
    ASSERT_GE(g.size(), 6u);
    ASSERT_EQ(U16(g, 2), 1) << "an icon group";
    ASSERT_EQ(U16(g, 4), 2) << "two images";
    ASSERT_EQ(g.size(), 6u + 2 * 14);
    const int sizes[2] = {16, 32};
    std::vector<uint8_t> ico = tree_forms::ReadFileBytes(source_ + "/icon/tree.ico");
    for (int i = 0; i < 2; ++i) {
        size_t e = 6 + 14 * size_t(i);
        EXPECT_EQ(g[e], sizes[i]);
        EXPECT_EQ(g[e + 1], sizes[i]);
        EXPECT_EQ(U16(g, e + 6), 24) << "bits per pixel";
        uint32_t bytes = uint32_t(U16(g, e + 8)) | uint32_t(U16(g, e + 10)) << 16;
        const Resource* image = One(peinfo::kIcon, {U16(g, e + 12), ""});
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->language, language);
        EXPECT_EQ(image->data.size(), bytes);
        // 40-byte header, 24-bit pixels, then the 1-bit AND mask.
        size_t n = size_t(sizes[i]);
        EXPECT_EQ(bytes, 40 + n * n * 3 + (n + 31) / 32 * 4 * n);
        if (ico.size() >= 6 + 16 * 2) {
            size_t d = 6 + 16 * size_t(i);
            uint32_t at = uint32_t(ico[d + 12]) | uint32_t(ico[d + 13]) << 8 | uint32_t(ico[d + 14]) << 16 |
                          uint32_t(ico[d + 15]) << 24;
            ASSERT_LE(size_t(at) + bytes, ico.size());
            EXPECT_TRUE(std::equal(image->data.begin(), image->data.end(), ico.begin() + at))
                << "icon image " << i << " is the one of resources/icon/tree.ico";
        }
    }
}

TEST_P(EmbeddedResources, VersionDescribesTheProgram) {
    const Resource* version = One(peinfo::kVersion, {1, ""});
    ASSERT_NE(version, nullptr);
    VersionNode root = ParseVersion(version->data, 0, version->data.size(), 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), 52u) << "VS_FIXEDFILEINFO";
    auto u32 = [&](size_t at) {
        return uint32_t(root.value[at]) | uint32_t(root.value[at + 1]) << 8 |
               uint32_t(root.value[at + 2]) << 16 | uint32_t(root.value[at + 3]) << 24;
    };
    EXPECT_EQ(u32(0), 0xFEEF04BDu);
    const std::string app = GetParam().app;
    const std::string v = TREE_PROJECT_VERSION;  // "major.minor.patch"
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(v.c_str(), "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(u32(8), major << 16 | minor) << "file version, high word";
    EXPECT_EQ(u32(12), patch << 16) << "file version, low word";
    EXPECT_EQ(u32(16), major << 16 | minor) << "product version";

    std::map<std::string, std::string> s;
    CollectStrings(root, s);
    const std::string dotted = v + ".0";
    EXPECT_EQ(s["CompanyName"], "Orvella");
    EXPECT_EQ(s["FileDescription"], app + " desktop tree");
    EXPECT_EQ(s["ProductName"], app);
    EXPECT_EQ(s["OriginalFilename"], app + ".exe");
    EXPECT_EQ(s["InternalName"], app);
    EXPECT_EQ(s["FileVersion"], dotted);
    EXPECT_EQ(s["ProductVersion"], dotted);
    EXPECT_NE(s["LegalCopyright"].find("Orvella"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Trees, EmbeddedResources, testing::ValuesIn(tree_forms::Trees()),
                         [](const testing::TestParamInfo<Tree>& i) { return i.param.app; });

} // namespace
