#include "tests/host/resources/tree_forms.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tree_forms {

using plat::form::Component;
using plat::form::Value;

const std::vector<Tree>& Trees() {
    static const std::vector<Tree> trees = {
        {"Fernlight", false, 280, 207, 0, 0, 0, 0},
        {"Glimmerlode", true, 194, 219, 182, 211, 10, 192},
        {"Quorrisk", true, 243, 210, 342, 211, 2, 344},
        {"Vudododoz", true, 182, 223, 190, 225, 5, 192},
    };
    return trees;
}

namespace {

std::string RenderValue(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Null: return "null";
    case Value::Kind::Nil: return "nil";
    case Value::Kind::Int: return std::to_string(v.integer);
    case Value::Kind::Bool: return v.boolean ? "True" : "False";
    case Value::Kind::String: return "'" + v.text + "'";
    case Value::Kind::Ident: return v.text;
    case Value::Kind::Binary: return "<binary>";
    case Value::Kind::Set: {
        std::string s = "[";
        for (size_t i = 0; i < v.set.size(); ++i)
            s += (i ? "," : "") + v.set[i];
        return s + "]";
    }
    case Value::Kind::List: {
        std::string s = "(";
        for (size_t i = 0; i < v.list.size(); ++i)
            s += (i ? " " : "") + RenderValue(v.list[i]);
        return s + ")";
    }
    }
    return "?";
}

// A menu item as one row: indentation by depth, name, then its properties sorted by
// name (their order in the stream does not matter for menu items).
void MenuRows(const Component& item, int depth, std::vector<std::string>& rows) {
    std::vector<std::string> props;
    for (const auto& p : item.properties) {
        if (item.name == "pmiClockInfo" && p.name == "Caption")
            props.push_back("Caption=<description>");
        else
            props.push_back(p.name + "=" + RenderValue(p.value));
    }
    std::sort(props.begin(), props.end());
    std::string row(size_t(2 * depth), ' ');
    row += item.className + " " + item.name;
    for (const auto& p : props)
        row += " " + p;
    rows.push_back(row);
    for (const Component& child : item.children)
        MenuRows(child, depth + 1, rows);
}

std::vector<std::string> ExpectedMenu() {
    std::vector<std::string> rows = {
        "TMenuItem pmiAbout Caption='About...' Default=True OnClick=pmiAboutClick",
        "TMenuItem pmiDownload Caption='Download'",
        "  TMenuItem Software1 Caption='                      >>> Software <<<' Enabled=False",
        "  TMenuItem N3 Caption='-'",
        "  TMenuItem pmiDialcraft Caption='Tockwise' OnClick=pmiDialcraftClick",
        "  TMenuItem pmiClockInfo Caption=<description> OnClick=pmiClockInfoClick",
        "TMenuItem N1 Caption='-'",
        "TMenuItem ransparent1 Caption='Transparent'",
    };
    for (int level = 0; level < 10; ++level) {
        std::string n = std::to_string(10 * level);
        rows.push_back("  TMenuItem pmi" + n + " AutoCheck=True Caption='" + n + "%'" +
                       (level == 1 ? " Checked=True" : "") + " GroupIndex=1 OnClick=pmi" + n +
                       "Click RadioItem=True");
    }
    rows.insert(rows.end(), {
        "TMenuItem pmiOnTop AutoCheck=True Caption='OnTop' Checked=True OnClick=pmiOnTopClick",
        "TMenuItem pmiStartUp AutoCheck=True Caption='StartUp' Checked=True",
        "TMenuItem pmiAdd Caption='Add Xmas tree' OnClick=pmiAddClick",
        "TMenuItem N2 Caption='-'",
        "TMenuItem pmiExit Caption='Exit' OnClick=pmiExitClick",
    });
    return rows;
}

std::vector<std::string> ChildNames(const Component& c) {
    std::vector<std::string> out;
    for (const Component& child : c.children)
        out.push_back(child.className + " " + child.name);
    return out;
}

} // namespace

std::vector<std::string> Render(const Component& c) {
    std::vector<std::string> out;
    for (const auto& p : c.properties)
        out.push_back(p.name + "=" + RenderValue(p.value));
    return out;
}

void CheckForm(const Tree& t, const Component& root) {
    using V = std::vector<std::string>;
    const std::string cw = std::to_string(t.clientWidth), ch = std::to_string(t.clientHeight);
    EXPECT_EQ(root.className, "TfrmMain");
    EXPECT_EQ(root.name, "frmMain");
    if (!t.animated) {
        EXPECT_EQ(Render(root), (V{"Left=0", "Top=0", "BorderStyle=bsNone", "Caption='frmMain'",
                                   "ClientHeight=" + ch, "ClientWidth=" + cw, "Color=clBtnFace",
                                   "PopupMenu=PopupMenu", "OnCreate=FormCreate",
                                   "OnCloseQuery=FormCloseQuery", "OnDestroy=FormDestroy",
                                   "OnMouseDown=FormMouseDown", "OnShow=FormShow"}));
        EXPECT_EQ(ChildNames(root), (V{"TPopupMenu PopupMenu"}));
    } else {
        const std::string gw = std::to_string(t.gifWidth), gh = std::to_string(t.gifHeight);
        EXPECT_EQ(Render(root), (V{"Left=0", "Top=0", "BorderIcons=[]", "BorderStyle=bsNone",
                                   "AlphaBlend=True", "AlphaBlendValue=225", "Caption='Orvella'",
                                   "ClientHeight=" + ch, "ClientWidth=" + cw, "Color=clBtnFace",
                                   "Position=poDefault", "OnCloseQuery=FormCloseQuery",
                                   "OnShow=FormShow"}));
        EXPECT_EQ(ChildNames(root), (V{"TRxGIFAnimator Gif", "TImage Image1", "TPopupMenu PopupMenu",
                                       "TTimer Timer"}));
        const Component* gif = root.FindComponent("Gif");
        const Component* mask = root.FindComponent("Image1");
        const Component* timer = root.FindComponent("Timer");
        ASSERT_TRUE(gif && mask && timer);
        EXPECT_EQ(Render(*gif), (V{"Left=0", "Top=0", "Width=" + gw, "Height=" + gh, "Animate=True",
                                       "FrameIndex=" + std::to_string(t.frameIndex), "Image.Data=<binary>",
                                       "Stretch=True", "ShowHint=True", "ParentShowHint=False",
                                       "PopupMenu=PopupMenu", "OnMouseDown=GifMouseDown"}));
        EXPECT_EQ(Render(*mask), (V{"Left=" + std::to_string(t.maskLeft), "Top=0", "Width=" + gw,
                                        "Height=" + gh, "AutoSize=True", "Picture.Data=<binary>"}));
        EXPECT_EQ(Render(*timer), (V{"Interval=65555", "OnTimer=TimerTimer"}));
    }

    const Component* menu = root.FindComponent("PopupMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->properties.empty());
    std::vector<std::string> rows;
    for (const Component& item : menu->children)
        MenuRows(item, 0, rows);
    EXPECT_EQ(rows, ExpectedMenu());

    // The product line: one line of text that ends with a full stop.
    if (const Component* info = root.FindComponent("pmiClockInfo")) {
        std::string caption = info->Text("Caption", "");
        EXPECT_GT(caption.size(), 10u);
        EXPECT_EQ(caption.back(), '.');
        EXPECT_EQ(caption.find_first_of("\r\n"), std::string::npos);
        EXPECT_NE(caption.find("Tockwise"), std::string::npos);
    }
}

} // namespace tree_forms

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tree_forms {
namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= uint32_t(b.at(at + size_t(i))) << (8 * i);
    return v;
}

bool HoldsBinary(const Component& c) {
    for (const auto& p : c.properties)
        if (p.value.kind == Value::Kind::Binary)
            return true;
    for (const Component& child : c.children)
        if (HoldsBinary(child))
            return true;
    return false;
}

} // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void CheckPictures(const Tree& t, const Component& root, const std::string& sourceDir) {
    if (!t.animated) {
        EXPECT_FALSE(HoldsBinary(root)) << t.app << "'s form carries no picture";
        return;
    }
    const std::string dir = sourceDir + "/" + t.app + "/";
    const Component* gifView = root.FindComponent("Gif");
    const Component* maskImage = root.FindComponent("Image1");
    ASSERT_TRUE(gifView && maskImage);

    const Value* image = gifView->Find("Image.Data");
    ASSERT_TRUE(image && image->kind == Value::Kind::Binary);
    const size_t l = image->bytes.size();
    ASSERT_GE(l, 4u);
    const size_t n = Le(image->bytes, 0, 4);
    EXPECT_EQ(l, n + 4);
    std::vector<uint8_t> gif = plat::form::GifFromImageData(*image);
    ASSERT_GE(gif.size(), 13u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    EXPECT_EQ(gif[n - 1], 0x3B) << "the GIF ends with its trailer";
    EXPECT_EQ(Le(gif, 6, 2), uint32_t(t.gifWidth));
    EXPECT_EQ(Le(gif, 8, 2), uint32_t(t.gifHeight));
    if (std::filesystem::exists(dir + "tree.gif"))
        EXPECT_TRUE(gif == ReadFileBytes(dir + "tree.gif")) << "the GIF is " << dir << "tree.gif";
    else
        std::printf("note: %stree.gif is not in the source tree; its byte comparison is left out\n", dir.c_str());

    const Value* picture = maskImage->Find("Picture.Data");
    ASSERT_TRUE(picture && picture->kind == Value::Kind::Binary);
    std::vector<uint8_t> bmp = plat::form::BmpFromPictureData(*picture);
    const size_t m = bmp.size();
    EXPECT_EQ(picture->bytes.size(), 1 + 7 + 4 + m);
    EXPECT_EQ(std::string(picture->bytes.begin(), picture->bytes.begin() + 8), std::string("\x07TBitmap"));
    ASSERT_GE(m, 54u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
    EXPECT_EQ(Le(bmp, 2, 4), m) << "the BMP's size field";
    EXPECT_EQ(Le(bmp, 18, 4), uint32_t(t.gifWidth)) << "mask width";
    EXPECT_EQ(Le(bmp, 22, 4), uint32_t(t.gifHeight)) << "mask height, bottom-up";
    EXPECT_EQ(Le(bmp, 28, 2), 1u) << "one bit per pixel";
    if (std::filesystem::exists(dir + "mask.bmp"))
        EXPECT_TRUE(bmp == ReadFileBytes(dir + "mask.bmp")) << "the mask is " << dir << "mask.bmp";
    else
        std::printf("note: %smask.bmp is not in the source tree; its byte comparison is left out\n", dir.c_str());
}

} // namespace tree_forms
