// The binary component stream: what is written reads back equal, integers take the
// smallest type, every value type decodes, and malformed streams raise plat::Error.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/form/form.h"

namespace {

using plat::form::Component;
using plat::form::Property;
using plat::form::ReadForm;
using plat::form::Value;
using plat::form::WriteForm;
using Bytes = std::vector<uint8_t>;
using Kind = Value::Kind;

Value Int(int64_t v) { Value x; x.kind = Kind::Int; x.integer = v; return x; }
Value Str(std::string s) { Value x; x.kind = Kind::String; x.text = std::move(s); return x; }
Value Ident(std::string s) { Value x; x.kind = Kind::Ident; x.text = std::move(s); return x; }
Value Boolean(bool b) { Value x; x.kind = Kind::Bool; x.boolean = b; return x; }
Value Binary(Bytes b) { Value x; x.kind = Kind::Binary; x.bytes = std::move(b); return x; }
Value Set(std::vector<std::string> s) { Value x; x.kind = Kind::Set; x.set = std::move(s); return x; }
Value List(std::vector<Value> l) { Value x; x.kind = Kind::List; x.list = std::move(l); return x; }
Value Nil() { Value x; x.kind = Kind::Nil; return x; }

Component Form(std::vector<Property> props, std::vector<Component> children = {}) {
    Component c;
    c.className = "TfrmMain";
    c.name = "frmMain";
    c.properties = std::move(props);
    c.children = std::move(children);
    return c;
}

// "TPF0", TfrmMain frmMain, then the given property bytes and both terminators.
Bytes StreamWithProperty(const std::string& name, const Bytes& value) {
    Bytes b{'T', 'P', 'F', '0', 8};
    b.insert(b.end(), {'T', 'f', 'r', 'm', 'M', 'a', 'i', 'n', 7, 'f', 'r', 'm', 'M', 'a', 'i', 'n'});
    b.push_back(uint8_t(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), value.begin(), value.end());
    b.push_back(0);
    b.push_back(0);
    return b;
}

Value ReadOnlyValue(const Bytes& stream) {
    Component c = ReadForm(stream.data(), stream.size());
    EXPECT_EQ(c.properties.size(), 1u);
    return c.properties.at(0).value;
}

TEST(FormStream, EveryValueTypeRoundTrips) {
    Component child;
    child.className = "TMenuItem";
    child.name = "pmiAbout";
    child.properties = {{"Caption", Str("About...")}, {"Default", Boolean(true)}};
    Component grandchild;
    grandchild.className = "TMenuItem";
    grandchild.properties = {{"Caption", Str("-")}};  // unnamed component
    child.children = {grandchild};

    Component root = Form({
        {"Null", Value{}},
        {"Small", Int(-5)},
        {"Wide", Int(INT64_MIN)},
        {"Caption", Str("It's\r two lines")},
        {"Empty", Str("")},
        {"Long", Str(std::string(300, 'x'))},
        {"BorderStyle", Ident("bsNone")},
        {"AlphaBlend", Boolean(true)},
        {"Visible", Boolean(false)},
        {"Image.Data", Binary({0, 1, 2, 0xFF})},
        {"NoBytes", Binary({})},
        {"BorderIcons", Set({})},
        {"Anchors", Set({"akLeft", "akTop"})},
        {"Items", List({Int(1), Str("two"), List({Ident("Three"), Nil()}), List({})})},
        {"Owner", Nil()},
    }, {child});

    Bytes bytes = WriteForm(root);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "TPF0", 4));
    Component back = ReadForm(bytes.data(), bytes.size());
    EXPECT_EQ(back, root);
    EXPECT_EQ(WriteForm(back), bytes);
}

// The value bytes the writer produces for each integer, and that they read back.
struct IntCase {
    int64_t value;
    Bytes encoded;
};

class FormIntegers : public testing::TestWithParam<IntCase> {};

TEST_P(FormIntegers, SmallestTypeAndBack) {
    const IntCase& c = GetParam();
    Bytes expected = StreamWithProperty("Left", c.encoded);
    EXPECT_EQ(WriteForm(Form({{"Left", Int(c.value)}})), expected);
    EXPECT_EQ(ReadOnlyValue(expected), Int(c.value));
}

INSTANTIATE_TEST_SUITE_P(Table, FormIntegers, testing::Values(
    IntCase{0, {2, 0}},
    IntCase{127, {2, 0x7F}},
    IntCase{-128, {2, 0x80}},
    IntCase{128, {3, 0x80, 0}},
    IntCase{-129, {3, 0x7F, 0xFF}},
    IntCase{65555, {4, 0x13, 0x00, 0x01, 0x00}},
    IntCase{INT32_MIN, {4, 0, 0, 0, 0x80}},
    IntCase{int64_t(INT32_MAX) + 1, {19, 0, 0, 0, 0x80, 0, 0, 0, 0}},
    IntCase{INT64_MIN, {19, 0, 0, 0, 0, 0, 0, 0, 0x80}}));

// Encodings the writer never chooses still read: a long string that is short, an
// int32 holding a small number.
struct DecodeCase {
    const char* label;
    Bytes encoded;
    Value expected;
};

class FormDecoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(FormDecoding, Reads) {
    EXPECT_EQ(ReadOnlyValue(StreamWithProperty("P", GetParam().encoded)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FormDecoding, testing::Values(
    DecodeCase{"null", {0}, Value{}},
    DecodeCase{"int32 small", {4, 5, 0, 0, 0}, Int(5)},
    DecodeCase{"int16 negative", {3, 0xFE, 0xFF}, Int(-2)},
    DecodeCase{"long string", {12, 2, 0, 0, 0, 'h', 'i'}, Str("hi")},
    DecodeCase{"short string", {6, 2, 'h', 'i'}, Str("hi")},
    DecodeCase{"ident", {7, 3, 'b', 's', 'N'}, Ident("bsN")},
    DecodeCase{"false", {8}, Boolean(false)},
    DecodeCase{"true", {9}, Boolean(true)},
    DecodeCase{"binary", {10, 2, 0, 0, 0, 0xAB, 0xCD}, Binary({0xAB, 0xCD})},
    DecodeCase{"set", {11, 1, 'a', 2, 'b', 'c', 0}, Set({"a", "bc"})},
    DecodeCase{"nested list", {1, 2, 1, 1, 13, 0, 0}, List({Int(1), List({Nil()})})},
    DecodeCase{"nil", {13}, Nil()}),
    [](const testing::TestParamInfo<DecodeCase>& i) {
        std::string s = i.param.label;
        for (char& ch : s)
            if (ch == ' ') ch = '_';
        return s;
    });

Bytes SmallForm() {
    Component item;
    item.className = "TMenuItem";
    item.name = "pmiExit";
    item.properties = {{"Caption", Str("Exit")}, {"Tag", Int(300)}};
    return WriteForm(Form({{"Anchors", Set({"akLeft"})}, {"Data", Binary({1, 2, 3})},
                           {"Items", List({Int(1)})}},
                          {item}));
}

TEST(FormStream, EveryTruncationIsAnError) {
    Bytes full = SmallForm();
    ASSERT_NO_THROW(ReadForm(full.data(), full.size()));
    for (size_t n = 0; n < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + long(n));
        EXPECT_THROW(ReadForm(cut.data(), cut.size()), plat::Error) << "prefix of " << n << " bytes";
    }
}

struct MalformedCase {
    const char* label;
    Bytes stream;
    const char* messagePart;
};

Bytes WithHeader(const Bytes& rest) {
    Bytes b{'T', 'P', 'F', '0'};
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

Bytes DeepLists(int depth) {
    Bytes value;
    for (int i = 0; i < depth; ++i)
        value.push_back(1);
    for (int i = 0; i < depth; ++i)
        value.push_back(0);
    return StreamWithProperty("P", value);
}

Bytes DeepComponents(int depth) {
    Bytes b{'T', 'P', 'F', '0'};
    for (int i = 0; i < depth; ++i)
        b.insert(b.end(), {1, 'T', 0, 0});  // class "T", no name, no properties
    for (int i = 0; i < depth; ++i)
        b.push_back(0);
    return b;
}

class FormMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(FormMalformed, RaisesAClearError) {
    const Bytes& s = GetParam().stream;
    try {
        ReadForm(s.data(), s.size());
        FAIL() << "read without error";
    } catch (const plat::Error& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().messagePart), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FormMalformed, testing::Values(
    MalformedCase{"empty", {}, "ends inside the signature"},
    MalformedCase{"bad_signature", {'T', 'P', 'F', '1', 1, 'T', 0, 0, 0}, "signature TPF0"},
    MalformedCase{"class_name_past_end", WithHeader({9, 'T', 'f'}), "class name"},
    MalformedCase{"empty_class_name", WithHeader({0, 0, 0, 0}), "empty class name"},
    MalformedCase{"no_property_terminator", WithHeader({1, 'T', 0}), "property name"},
    MalformedCase{"no_children_terminator", WithHeader({1, 'T', 0, 0}), "child components"},
    MalformedCase{"binary_length_past_end", StreamWithProperty("P", {10, 0xFF, 0xFF, 0xFF, 0xFF, 1}), "binary data"},
    MalformedCase{"long_string_past_end", StreamWithProperty("P", {12, 0, 0, 0, 0x40}), "string"},
    MalformedCase{"short_string_past_end", StreamWithProperty("P", {6, 200, 'a'}), "string"},
    MalformedCase{"set_without_end", WithHeader({1, 'T', 0, 1, 'P', 11, 1, 'a'}), "set"},
    MalformedCase{"list_without_end", WithHeader({1, 'T', 0, 1, 'P', 1, 2, 1}), "list"},
    MalformedCase{"extended_float", StreamWithProperty("P", {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "unsupported value type 5 in property P"},
    MalformedCase{"unknown_type", StreamWithProperty("P", {99}), "unsupported value type 99"},
    MalformedCase{"trailing_bytes", [] { Bytes b = StreamWithProperty("P", {9}); b.push_back(0); return b; }(), "after the end"},
    MalformedCase{"lists_too_deep", DeepLists(100000), "nested too deeply"},
    MalformedCase{"components_too_deep", DeepComponents(100000), "nested too deeply"}),
    [](const testing::TestParamInfo<MalformedCase>& i) { return std::string(i.param.label); });

TEST(FormStream, ModerateNestingReads) {
    Bytes lists = DeepLists(40), components = DeepComponents(40);
    EXPECT_NO_THROW(ReadForm(lists.data(), lists.size()));
    EXPECT_NO_THROW(ReadForm(components.data(), components.size()));
}

TEST(FormStream, WriterRefusesWhatWouldReadBackDifferently) {
    Component unnamedClass = Form({});
    unnamedClass.className.clear();
    Component longClass = Form({});
    longClass.className = std::string(256, 'T');
    const std::vector<Component> bad = {
        Form({{"", Int(1)}}),
        Form({{std::string(256, 'P'), Int(1)}}),
        Form({{"Items", List({Int(1), Value{}, Int(2)})}}),
        Form({{"Anchors", Set({"akLeft", ""})}}),
        Form({{"Anchors", Set({std::string(256, 'a')})}}),
        Form({{"Style", Ident("")}}),
        Form({{"Style", Ident(std::string(256, 'i'))}}),
        unnamedClass,
        longClass,
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_THROW(WriteForm(bad[i]), plat::Error) << "case " << i;
}

TEST(FormComponent, LookUps) {
    Component gif;
    gif.className = "TRxGIFAnimator";
    gif.name = "Gif";
    gif.properties = {{"Width", Int(182)}, {"Animate", Boolean(true)}, {"PopupMenu", Ident("PopupMenu")}};
    Component item;
    item.className = "TMenuItem";
    item.name = "pmi10";
    item.properties = {{"Caption", Str("10%")}};
    Component menu;
    menu.className = "TPopupMenu";
    menu.name = "PopupMenu";
    menu.children = {item};
    Component root = Form({{"Caption", Str("Orvella")}}, {gif, menu});

    EXPECT_EQ(root.FindComponent("frmMain"), &root);
    ASSERT_NE(root.FindComponent("pmi10"), nullptr);
    EXPECT_EQ(root.FindComponent("PMI10")->Text("Caption", ""), "10%");
    EXPECT_EQ(root.FindComponent("pmi20"), nullptr);
    EXPECT_EQ(root.Find("Width"), nullptr);  // only the component's own properties

    const Component& g = *root.FindComponent("Gif");
    EXPECT_EQ(g.Int("width", 0), 182);
    EXPECT_EQ(g.Int("Height", -1), -1);
    EXPECT_EQ(g.Int("Animate", 7), 7);  // wrong kind gives the fallback
    EXPECT_TRUE(g.Bool("Animate", false));
    EXPECT_FALSE(g.Bool("Width", false));
    EXPECT_EQ(g.Text("PopupMenu", ""), "PopupMenu");  // identifiers read as text
    EXPECT_EQ(g.Text("Width", "none"), "none");
}

} // namespace
