#include "bench/reference.h"

#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstring>

namespace bench {
namespace {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (n > r->size - r->pos)
        png_error(png, "read past the end");
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
}

int GifRead(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<Reader*>(gif->UserData);
    std::size_t take = std::min<std::size_t>(std::size_t(n), r->size - r->pos);
    std::memcpy(out, r->data + r->pos, take);
    r->pos += take;
    return int(take);
}

} // namespace

std::size_t LibpngDecodeBgra(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return 0;
    png_infop info = png_create_info_struct(png);
    Reader reader{data, size, 0};
    std::vector<png_bytep> rows;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return 0;
    }
    png_set_read_fn(png, &reader, PngRead);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    // The same output as ours: 8-bit B, G, R, A whatever the file holds.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.resize(std::size_t(w) * h * 4);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = out.data() + std::size_t(y) * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return std::size_t(w) * h;
}

int GiflibSlurp(const std::uint8_t* data, std::size_t size) {
    Reader reader{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, GifRead, &error);
    if (!gif)
        return 0;
    int images = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : 0;
    DGifCloseFile(gif, &error);
    return images;
}

} // namespace bench
