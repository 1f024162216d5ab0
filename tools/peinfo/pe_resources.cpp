// PE layout: DOS header → "PE\0\0" → file header → optional header with the data
// directories → section table. The resource directory is a three-level tree of
// type, name and language, whose leaves point (by RVA) at the data.
#include "tools/peinfo/pe_resources.h"

namespace peinfo {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error("PE file: " + what); }

class Image {
public:
    explicit Image(const std::vector<uint8_t>& f) : f_(f) {
        if (f_.size() < 0x40 || f_[0] != 'M' || f_[1] != 'Z')
            Fail("no DOS header");
        size_t pe = U32(0x3C);
        if (U32(pe) != 0x00004550)
            Fail("no PE signature");
        size_t sections = U16(pe + 6);
        size_t optionalSize = U16(pe + 20);
        size_t opt = pe + 24;
        uint16_t magic = U16(opt);
        size_t dirs;
        if (magic == 0x10B)
            dirs = opt + 96;
        else if (magic == 0x20B)
            dirs = opt + 112;
        else
            Fail("unknown optional header");
        size_t dirCount = U32(dirs - 4);
        if (dirCount > 2) {
            resourceRva_ = U32(dirs + 2 * 8);
            resourceSize_ = U32(dirs + 2 * 8 + 4);
        }
        size_t table = opt + optionalSize;
        for (size_t i = 0; i < sections; ++i) {
            size_t s = table + 40 * i;
            sections_.push_back({U32(s + 12), U32(s + 8), U32(s + 20), U32(s + 16)});
        }
    }

    uint16_t U16(size_t at) const {
        Need(at, 2);
        return uint16_t(f_[at] | f_[at + 1] << 8);
    }
    uint32_t U32(size_t at) const {
        Need(at, 4);
        return uint32_t(f_[at]) | uint32_t(f_[at + 1]) << 8 | uint32_t(f_[at + 2]) << 16 |
               uint32_t(f_[at + 3]) << 24;
    }
    void Need(size_t at, size_t n) const {
        if (at > f_.size() || n > f_.size() - at)
            Fail("an offset lies past the end of the file");
    }

    // File offset of n bytes at an RVA, all inside one section's raw data.
    size_t Offset(uint32_t rva, size_t n) const {
        for (const Section& s : sections_) {
            if (rva >= s.va && uint64_t(rva) - s.va + n <= s.rawSize) {
                size_t at = size_t(s.raw) + (rva - s.va);
                Need(at, n);
                return at;
            }
        }
        Fail("an address lies outside every section");
    }

    uint32_t resourceRva_ = 0, resourceSize_ = 0;
    const std::vector<uint8_t>& f_;

private:
    struct Section {
        uint32_t va, virtualSize, raw, rawSize;
    };
    std::vector<Section> sections_;
};

class Walker {
public:
    explicit Walker(const Image& image) : im_(image) {
        base_ = im_.Offset(im_.resourceRva_, 16);
    }

    std::vector<Resource> All() {
        std::vector<Resource> out;
        for (const auto& [type, typeDir] : Entries(0, true))
            for (const auto& [name, nameDir] : Entries(typeDir, true))
                for (const auto& [lang, leaf] : Entries(nameDir, false)) {
                    Resource r;
                    r.type = type;
                    r.name = name;
                    r.language = uint16_t(lang.id);
                    size_t at = base_ + leaf;
                    uint32_t rva = im_.U32(at), size = im_.U32(at + 4);
                    size_t data = im_.Offset(rva, size);
                    r.data.assign(im_.f_.begin() + long(data), im_.f_.begin() + long(data + size));
                    out.push_back(std::move(r));
                }
        return out;
    }

private:
    // The entries of the directory at dirOffset: key and the offset they point at.
    std::vector<std::pair<ResourceKey, size_t>> Entries(size_t dirOffset, bool wantDirectories) {
        size_t dir = base_ + dirOffset;
        size_t count = size_t(im_.U16(dir + 12)) + im_.U16(dir + 14);
        if (++visited_ > 100000)
            Fail("the resource directory loops");
        std::vector<std::pair<ResourceKey, size_t>> out;
        for (size_t i = 0; i < count; ++i) {
            size_t e = dir + 16 + 8 * i;
            uint32_t nameField = im_.U32(e), target = im_.U32(e + 4);
            ResourceKey key;
            if (nameField & 0x80000000u) {
                size_t s = base_ + (nameField & 0x7FFFFFFFu);
                size_t n = im_.U16(s);
                for (size_t k = 0; k < n; ++k) {
                    uint16_t ch = im_.U16(s + 2 + 2 * k);
                    key.name += ch < 128 ? char(ch) : '?';
                }
            } else {
                key.id = nameField;
            }
            bool isDirectory = (target & 0x80000000u) != 0;
            if (isDirectory != wantDirectories)
                Fail("the resource tree does not have three levels");
            out.emplace_back(std::move(key), size_t(target & 0x7FFFFFFFu));
        }
        return out;
    }

    const Image& im_;
    size_t base_ = 0;
    size_t visited_ = 0;
};

} // namespace

std::vector<Resource> ReadResources(const std::vector<uint8_t>& file) {
    Image image(file);
    if (image.resourceRva_ == 0 || image.resourceSize_ == 0)
        return {};
    return Walker(image).All();
}

std::string ToString(const ResourceKey& key) {
    return key.name.empty() ? "#" + std::to_string(key.id) : key.name;
}

} // namespace peinfo
