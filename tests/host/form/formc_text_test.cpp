// The readable form description: a small fixture compiles to known bytes, strings
// and values decode as written, pictures come from files, and mistakes are reported
// with their line and column.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/form/form.h"
#include "tools/formc/form_text.h"

namespace {

namespace fs = std::filesystem;
using plat::form::Component;
using plat::form::Value;
using Bytes = std::vector<uint8_t>;

formc::Result Parse(const std::string& text, fs::path base = {}, std::vector<fs::path> search = {}) {
    formc::Source s;
    s.text = text;
    s.displayName = "test.txt";
    s.baseDir = std::move(base);
    s.searchDirs = std::move(search);
    return formc::ParseFormText(s);
}

void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void AppendShort(Bytes& b, const std::string& s) {
    b.push_back(uint8_t(s.size()));
    Append(b, s);
}

TEST(FormcText, FixtureCompilesToExpectedBytes) {
    const char* text =
        "object frmMain: TfrmMain\n"
        "  Caption = 'It''s'#13'on'   // a comment\n"
        "  Left = 300\n"
        "  BorderIcons = []\n"
        "  AlphaBlend = True\n"
        "  object pmiExit: TMenuItem\n"
        "    OnClick = pmiExitClick\n"
        "  end\n"
        "end\n";
    Bytes expected;
    Append(expected, "TPF0");
    AppendShort(expected, "TfrmMain");
    AppendShort(expected, "frmMain");
    AppendShort(expected, "Caption");
    expected.push_back(6);
    AppendShort(expected, "It's\ron");
    AppendShort(expected, "Left");
    expected.insert(expected.end(), {3, 0x2C, 0x01});
    AppendShort(expected, "BorderIcons");
    expected.insert(expected.end(), {11, 0});
    AppendShort(expected, "AlphaBlend");
    expected.push_back(9);
    expected.push_back(0);
    AppendShort(expected, "TMenuItem");
    AppendShort(expected, "pmiExit");
    AppendShort(expected, "OnClick");
    expected.push_back(7);
    AppendShort(expected, "pmiExitClick");
    expected.insert(expected.end(), {0, 0, 0});

    EXPECT_EQ(plat::form::WriteForm(Parse(text).root), expected);
}

struct ValueCase {
    const char* text;
    Value expected;
};

Value Make(Value::Kind kind) {
    Value v;
    v.kind = kind;
    return v;
}
Value Int(int64_t n) { Value v = Make(Value::Kind::Int); v.integer = n; return v; }
Value Str(std::string s) { Value v = Make(Value::Kind::String); v.text = std::move(s); return v; }
Value Ident(std::string s) { Value v = Make(Value::Kind::Ident); v.text = std::move(s); return v; }
Value Boolean(bool b) { Value v = Make(Value::Kind::Bool); v.boolean = b; return v; }
Value Set(std::vector<std::string> s) { Value v = Make(Value::Kind::Set); v.set = std::move(s); return v; }
Value List(std::vector<Value> l) { Value v = Make(Value::Kind::List); v.list = std::move(l); return v; }
Value Binary(Bytes b) { Value v = Make(Value::Kind::Binary); v.bytes = std::move(b); return v; }

class FormcValues : public testing::TestWithParam<ValueCase> {};

TEST_P(FormcValues, Decode) {
    Component c = Parse(std::string("object A: TA\n  P = ") + GetParam().text + "\nend\n").root;
    ASSERT_EQ(c.properties.size(), 1u);
    EXPECT_EQ(c.properties[0].value, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, FormcValues, testing::Values(
    ValueCase{"-129", Int(-129)},
    ValueCase{"$FF", Int(255)},
    ValueCase{"-9223372036854775808", Int(INT64_MIN)},
    ValueCase{"''", Str("")},
    ValueCase{"''''", Str("'")},
    ValueCase{"#13#10", Str("\r\n")},
    ValueCase{"'a'#9'b'", Str("a\tb")},
    ValueCase{"'one ' +\n    'two'", Str("one two")},
    ValueCase{"'                      >>> Software <<<'", Str("                      >>> Software <<<")},
    ValueCase{"bsNone", Ident("bsNone")},
    ValueCase{"Owner.Menu", Ident("Owner.Menu")},
    ValueCase{"gif", Ident("gif")},  // a keyword only before a file name
    ValueCase{"True", Boolean(true)},
    ValueCase{"false", Boolean(false)},
    ValueCase{"nil", Make(Value::Kind::Nil)},
    ValueCase{"[akLeft, akTop]", Set({"akLeft", "akTop"})},
    ValueCase{"[]", Set({})},
    ValueCase{"(1 'two' (Three))", List({Int(1), Str("two"), List({Ident("Three")})})},
    ValueCase{"{0A ff\n 00}", Binary({0x0A, 0xFF, 0x00})}));

struct ErrorCase {
    const char* text;
    const char* where;   // "test.txt:line:column"
    const char* what;
};

class FormcErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormcErrors, NameLineAndColumn) {
    try {
        Parse(GetParam().text);
        FAIL() << "parsed";
    } catch (const plat::Error& e) {
        std::string m = e.what();
        EXPECT_EQ(m.rfind(std::string(GetParam().where) + ": ", 0), 0u) << m;
        EXPECT_NE(m.find(GetParam().what), std::string::npos) << m;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FormcErrors, testing::Values(
    ErrorCase{"", "test.txt:1:1", "begins with 'object'"},
    ErrorCase{"object A: TA\n", "test.txt:2:1", "expected a property"},
    ErrorCase{"object A: TA\n  P = 'open\nend\n", "test.txt:2:7", "not closed"},
    ErrorCase{"object A: TA\n  P 1\nend\n", "test.txt:2:5", "expected '='"},
    ErrorCase{"object A: TA\n  P = 99999999999999999999\nend\n", "test.txt:2:7", "64 bits"},
    ErrorCase{"object A: TA\n  P = 12ab\nend\n", "test.txt:2:7", "runs into"},
    ErrorCase{"object A: TA\n  P = #300\nend\n", "test.txt:2:7", "#0 to #255"},
    ErrorCase{"object A: TA\n  P = [a b]\nend\n", "test.txt:2:10", "expected ','"},
    ErrorCase{"object A: TA\n  P = {0A0}\nend\n", "test.txt:2:7", "odd number"},
    ErrorCase{"object A: TA\n  P = 1\n  p = 2\nend\n", "test.txt:3:3", "given twice"},
    ErrorCase{"object A: TA\nend\nend\n", "test.txt:3:1", "after the last 'end'"},
    ErrorCase{"object A: TA\n  Image.Data = gif 'absent.gif'\nend\n", "test.txt:2:20", "file not found: absent.gif"}),
    [](const testing::TestParamInfo<ErrorCase>& i) { return "case" + std::to_string(i.index); });

class FormcPictures : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) /
               ("formc_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "form");
        fs::create_directories(dir_ / "extra");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const fs::path& p, const Bytes& b) {
        std::ofstream f(p, std::ios::binary);
        f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }

    fs::path dir_;
};

const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 0x3B};
const Bytes kBmp = {'B', 'M', 16, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, 0, 0xAA, 0xBB};

TEST_F(FormcPictures, PayloadsWrapTheFiles) {
    Write(dir_ / "form" / "tree.gif", kGif);
    Write(dir_ / "form" / "mask.bmp", kBmp);
    formc::Result r = Parse("object A: TA\n  Image.Data = gif 'tree.gif'\n  Picture.Data = bitmap 'mask.bmp'\nend\n",
                            dir_ / "form");
    Bytes image = {9, 0, 0, 0};
    image.insert(image.end(), kGif.begin(), kGif.end());
    Bytes picture = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 16, 0, 0, 0};
    picture.insert(picture.end(), kBmp.begin(), kBmp.end());
    EXPECT_EQ(r.root.Find("Image.Data")->bytes, image);
    EXPECT_EQ(r.root.Find("Picture.Data")->bytes, picture);
    EXPECT_EQ(plat::form::GifFromImageData(*r.root.Find("Image.Data")), kGif);
    EXPECT_EQ(plat::form::BmpFromPictureData(*r.root.Find("Picture.Data")), kBmp);
    EXPECT_EQ(r.filesRead.size(), 2u);
}

TEST_F(FormcPictures, BesideTheDescriptionBeforeTheSearchFolders) {
    Bytes other = {'G', 'I', 'F', '8', '7', 'a', 0x3B};
    Write(dir_ / "extra" / "tree.gif", other);
    const char* text = "object A: TA\n  Image.Data = gif 'tree.gif'\nend\n";
    formc::Result fromSearch = Parse(text, dir_ / "form", {dir_ / "extra"});
    EXPECT_EQ(plat::form::GifFromImageData(*fromSearch.root.Find("Image.Data")), other);
    ASSERT_EQ(fromSearch.filesRead.size(), 1u);
    EXPECT_EQ(fromSearch.filesRead[0], dir_ / "extra" / "tree.gif");

    Write(dir_ / "form" / "tree.gif", kGif);
    formc::Result beside = Parse(text, dir_ / "form", {dir_ / "extra"});
    EXPECT_EQ(plat::form::GifFromImageData(*beside.root.Find("Image.Data")), kGif);
}

TEST_F(FormcPictures, WrongFilesFailTheBuild) {
    struct Case {
        const char* keyword;
        Bytes file;
        const char* what;
    };
    const Case cases[] = {
        {"gif", {'G', 'I', 'F', '8', '9', 'a', 0}, "does not end with its trailer"},
        {"gif", kBmp, "not a GIF file"},
        {"gif", {}, "not a GIF file"},
        {"bitmap", kGif, "not a BMP file"},
        {"bitmap", {'B', 'M', 17, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, 0, 0, 0}, "size of 17 bytes, the file has 16"},
        {"bitmap", {'B', 'M', 8, 0, 0, 0, 0, 0}, "not a BMP file"},
    };
    for (const Case& c : cases) {
        Write(dir_ / "form" / "pic", c.file);
        try {
            Parse(std::string("object A: TA\n  P = ") + c.keyword + " 'pic'\nend\n", dir_ / "form");
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const plat::Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
        }
    }
}

} // namespace
