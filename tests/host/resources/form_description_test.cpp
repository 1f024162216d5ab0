// The readable main-form descriptions of the four trees compile and hold what the
// programs rely on. Pictures not yet in the source tree are replaced by small
// stand-ins of the right size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/host/resources/tree_forms.h"
#include "tools/formc/form_text.h"

namespace {

namespace fs = std::filesystem;
using tree_forms::Tree;

std::string SourceDir() {
    const char* s = std::getenv("TREE_SOURCE_DIR");
    return s ? s : "";
}

void Put(std::vector<uint8_t>& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// A header and the trailer: enough for the form compiler, with the right screen size.
std::vector<uint8_t> StandInGif(int w, int h) {
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
    Put(b, uint32_t(w), 2);
    Put(b, uint32_t(h), 2);
    b.insert(b.end(), {0, 0, 0, 0x3B});
    return b;
}

std::vector<uint8_t> StandInBmp(int w, int h) {
    std::vector<uint8_t> b = {'B', 'M'};
    Put(b, 62, 4);
    Put(b, 0, 4);
    Put(b, 62, 4);
    Put(b, 40, 4);
    Put(b, uint32_t(w), 4);
    Put(b, uint32_t(h), 4);
    Put(b, 1, 2);
    Put(b, 1, 2);
    b.resize(62, 0);
    return b;
}

class FormDescription : public testing::TestWithParam<Tree> {};

TEST_P(FormDescription, CompilesWithEverythingTheProgramUses) {
    const Tree& t = GetParam();
    ASSERT_FALSE(SourceDir().empty()) << "TREE_SOURCE_DIR is not set";
    fs::path txt = fs::path(SourceDir()) / "resources" / t.app / "frmMain.txt";
    std::ifstream in(txt, std::ios::binary);
    ASSERT_TRUE(in) << txt;
    formc::Source src;
    src.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    src.displayName = txt.string();
    src.baseDir = txt.parent_path();

    fs::path standIns = fs::path(testing::TempDir()) / ("form_description_" + t.app);
    fs::create_directories(standIns);
    if (t.animated) {
        auto write = [&](const char* name, const std::vector<uint8_t>& b) {
            std::ofstream(standIns / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        };
        write("tree.gif", StandInGif(t.gifWidth, t.gifHeight));
        write("mask.bmp", StandInBmp(t.gifWidth, t.gifHeight));
    }
    src.searchDirs = {standIns};

    formc::Result r = formc::ParseFormText(src);
    tree_forms::CheckForm(t, r.root);
    tree_forms::CheckPictures(t, r.root, SourceDir() + "/resources");
    fs::remove_all(standIns);
}

INSTANTIATE_TEST_SUITE_P(Trees, FormDescription, testing::ValuesIn(tree_forms::Trees()),
                         [](const testing::TestParamInfo<Tree>& i) { return i.param.app; });

} // namespace
