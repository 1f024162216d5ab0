// The picture payloads must account for every byte: a length that claims more or
// less than is there is an error, not a truncated or padded picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/form/form.h"

namespace {

using plat::form::Value;
using Bytes = std::vector<uint8_t>;

Value Binary(Bytes b) {
    Value v;
    v.kind = Value::Kind::Binary;
    v.bytes = std::move(b);
    return v;
}

Bytes Le32(uint32_t n) { return {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}; }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 0x3B};
const Bytes kBmp = {'B', 'M', 16, 0, 0, 0};
const Bytes kClass = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p'};

TEST(PictureData, GifIsTheBytesAfterItsLength) {
    EXPECT_EQ(plat::form::GifFromImageData(Binary(Cat({Le32(7), kGif}))), kGif);
    EXPECT_EQ(plat::form::GifFromImageData(Binary(Le32(0))), Bytes{});
}

TEST(PictureData, BmpIsTheBytesAfterClassAndLength) {
    EXPECT_EQ(plat::form::BmpFromPictureData(Binary(Cat({kClass, Le32(6), kBmp}))), kBmp);
}

using Decode = Bytes (*)(const Value&);
const Decode kGifOf = plat::form::GifFromImageData;
const Decode kBmpOf = plat::form::BmpFromPictureData;

struct BadPayload {
    const char* label;
    Decode decode;
    Value value;
    const char* messagePart;
};

class PictureDataRejects : public testing::TestWithParam<BadPayload> {};

TEST_P(PictureDataRejects, WithAClearError) {
    try {
        GetParam().decode(GetParam().value);
        FAIL() << "accepted";
    } catch (const plat::Error& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().messagePart), std::string::npos) << e.what();
    }
}

Value NotBinary() {
    Value v;
    v.kind = Value::Kind::String;
    v.text = "GIF89a";
    return v;
}

INSTANTIATE_TEST_SUITE_P(Table, PictureDataRejects, testing::Values(
    BadPayload{"gif_not_binary", kGifOf, NotBinary(), "not binary"},
    BadPayload{"gif_no_length", kGifOf, Binary({7, 0, 0}), "4-byte image length"},
    BadPayload{"gif_length_one_more", kGifOf, Binary(Cat({Le32(8), kGif})), "length 8 does not match the 7"},
    BadPayload{"gif_length_one_less", kGifOf, Binary(Cat({Le32(6), kGif})), "length 6 does not match the 7"},
    BadPayload{"gif_length_huge", kGifOf, Binary(Cat({Le32(0xFFFFFFFF), kGif})), "does not match"},
    BadPayload{"bmp_not_binary", kBmpOf, NotBinary(), "not binary"},
    BadPayload{"bmp_empty", kBmpOf, Binary({}), "no picture class"},
    BadPayload{"bmp_class_past_end", kBmpOf, Binary({9, 'T', 'B'}), "runs past the end"},
    BadPayload{"bmp_other_class", kBmpOf, Binary(Cat({{10}, Bytes{'T', 'J', 'P', 'E', 'G', 'I', 'm', 'a', 'g', 'e'}, Le32(6), kBmp})), "TJPEGImage is not TBitmap"},
    BadPayload{"bmp_no_length", kBmpOf, Binary(Cat({kClass, {6, 0}})), "length is missing"},
    BadPayload{"bmp_length_one_more", kBmpOf, Binary(Cat({kClass, Le32(7), kBmp})), "length 7 does not match the 6"},
    BadPayload{"bmp_length_one_less", kBmpOf, Binary(Cat({kClass, Le32(5), kBmp})), "length 5 does not match the 6"}),
    [](const testing::TestParamInfo<BadPayload>& i) { return std::string(i.param.label); });

} // namespace
