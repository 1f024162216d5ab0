#include "tools/treeart/sheets.h"

#include "tools/encoders/png_writer.h"
#include "tools/treeart/colour.h"
#include "tools/treeart/decode.h"
#include "tools/treeart/files.h"
#include "tools/treeart/noise.h"

#include <cmath>

namespace art {
namespace {

struct Canvas {
    int w, h;
    std::vector<std::uint8_t> rgba;
    Canvas(int w_, int h_, enc::Rgb fill) : w(w_), h(h_), rgba(std::size_t(w_) * h_ * 4)
    {
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) set(i, fill);
    }
    void set(std::size_t i, enc::Rgb c)
    {
        rgba[i * 4] = c.r;
        rgba[i * 4 + 1] = c.g;
        rgba[i * 4 + 2] = c.b;
        rgba[i * 4 + 3] = 255;
    }
    void put(int x, int y, enc::Rgb c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h) set(std::size_t(y) * w + x, c);
    }
    enc::Rgb get(int x, int y) const
    {
        const std::uint8_t* p = &rgba[(std::size_t(y) * w + x) * 4];
        return {p[0], p[1], p[2]};
    }
};

std::string animationSheet(const Animation& a, const std::string& name, const std::string& folder)
{
    GifInfo g = readGif(a.gif);
    BmpInfo m = readMonoBmp(a.bmp);
    const int gap = 6, perRow = 10;
    const int n = int(g.screens.size());
    const int cols = std::min(n, perRow), rows = (n + perRow - 1) / perRow;
    const enc::Rgb grounds[2] = {{236, 236, 230}, {26, 30, 40}};
    Canvas sheet(gap + cols * (g.width + gap), gap + 2 * rows * (g.height + gap), {128, 128, 128});
    for (int ground = 0; ground < 2; ++ground)
        for (int f = 0; f < n; ++f) {
            int ox = gap + (f % perRow) * (g.width + gap);
            int oy = gap + (ground * rows + f / perRow) * (g.height + gap);
            const auto& s = g.screens[std::size_t(f)];
            for (int y = 0; y < g.height; ++y)
                for (int x = 0; x < g.width; ++x) {
                    std::size_t i = std::size_t(y) * g.width + x;
                    enc::Rgb c = grounds[ground];
                    // Only what lies inside the outline is on screen; unpainted pixels there show the
                    // form's face colour.
                    if (!m.white[i]) c = s[i * 4 + 3] ? enc::Rgb{s[i * 4], s[i * 4 + 1], s[i * 4 + 2]} : enc::Rgb{240, 240, 240};
                    sheet.put(ox + x, oy + y, c);
                }
        }
    std::string path = folder + "/" + name + "_frames.png";
    writeFile(path, enc::encodePngRgba(sheet.w, sheet.h, sheet.rgba, {}));
    return path;
}

enc::Rgb wallpaper(int kind, int x, int y, int w, int h)
{
    double u = double(x) / w, v = double(y) / h;
    if (kind == 0) {
        // Night: deep blue gradient with a few faint stars.
        Col c = mix(Col{14, 20, 44}, Col{34, 46, 82}, v);
        if (hashUnit(x, y, 5) > 0.996) c = mix(c, Col{220, 226, 255}, 0.7);
        return {toByte(c.r), toByte(c.g), toByte(c.b)};
    }
    if (kind == 1) {
        Col c = mix(Col{238, 242, 246}, Col{204, 218, 232}, v * 0.7 + u * 0.3);
        return {toByte(c.r), toByte(c.g), toByte(c.b)};
    }
    // Busy: coloured stripes, circles and noise.
    double stripe = std::fmod(x * 0.7 + y * 0.5, 40.0) / 40.0;
    Col a{200, 60, 70}, b{60, 150, 200}, c{240, 200, 80}, d{90, 170, 90};
    Col s = stripe < 0.25 ? a : stripe < 0.5 ? b : stripe < 0.75 ? c : d;
    double cx = std::fmod(x + 1000.0, 37.0) - 18.5, cy = std::fmod(y + 1000.0, 41.0) - 20.5;
    if (cx * cx + cy * cy < 90) s = mix(s, Col{250, 250, 250}, 0.6);
    s = s * (0.8 + 0.4 * valueNoise(x / 13.0, y / 13.0, 3));
    return {toByte(s.r), toByte(s.g), toByte(s.b)};
}

std::string stillSheet(const StillPicture& p, const std::string& folder)
{
    PngInfo png = readPng(p.png);
    const int margin = 20, gap = 6;
    const int tw = png.width + 2 * margin, th = png.height + 2 * margin;
    Canvas sheet(gap + 3 * (tw + gap), gap + th + gap, {128, 128, 128});
    for (int k = 0; k < 3; ++k) {
        int ox = gap + k * (tw + gap), oy = gap;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                enc::Rgb bg = wallpaper(k, x + k * 97, y, tw, th);
                int px = x - margin, py = y - margin;
                if (px >= 0 && py >= 0 && px < png.width && py < png.height) {
                    // Premultiply as the window does, then blend over the wallpaper.
                    const std::uint8_t* s = &png.rgba[(std::size_t(py) * png.width + px) * 4];
                    int a = s[3];
                    auto over = [&](int fg, int back) { return std::uint8_t((fg * a + back * (255 - a) + 127) / 255); };
                    bg = {over(s[0], bg.r), over(s[1], bg.g), over(s[2], bg.b)};
                }
                sheet.put(ox + x, oy + y, bg);
            }
    }
    std::string path = folder + "/Fernlight_wallpapers.png";
    writeFile(path, enc::encodePngRgba(sheet.w, sheet.h, sheet.rgba, {}));
    return path;
}

std::string iconSheet(const IconPicture& icon, const std::string& folder)
{
    const int gap = 8;
    const enc::Rgb grounds[3] = {{236, 236, 230}, {26, 30, 40}, {58, 110, 165}};
    const int scales[2] = {1, 6};
    int width = gap, height = gap + 3 * (32 * 6 + gap);
    for (int s : scales) width += (16 + 32) * s + 2 * gap;
    Canvas sheet(width, height, {128, 128, 128});
    for (int g = 0; g < 3; ++g) {
        int ox = gap, oy = gap + g * (32 * 6 + gap);
        for (int s : scales)
            for (int k = 0; k < 2; ++k) {
                int size = k == 0 ? 16 : 32;
                for (int y = 0; y < size * s; ++y)
                    for (int x = 0; x < size * s; ++x) {
                        std::size_t i = std::size_t(y / s) * size + x / s;
                        enc::Rgb c = icon.transparent[std::size_t(k)][i] ? grounds[g] : icon.colour[std::size_t(k)][i];
                        sheet.put(ox + x, oy + y, c);
                    }
                ox += size * s + gap;
            }
    }
    std::string path = folder + "/icon.png";
    writeFile(path, enc::encodePngRgba(sheet.w, sheet.h, sheet.rgba, {}));
    return path;
}

} // namespace

std::vector<std::string> writeSheets(const Artwork& art, const std::string& folder)
{
    makeFolders(folder);
    return {
        stillSheet(art.fernlight, folder),
        animationSheet(art.glimmerlode, "Glimmerlode", folder),
        animationSheet(art.quorrisk, "Quorrisk", folder),
        animationSheet(art.vudododoz, "Vudododoz", folder),
        iconSheet(art.icon, folder),
    };
}

} // namespace art
