#include "tools/encoders/quantise.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace enc {
namespace {

std::uint32_t pack(Rgb c) { return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b; }

constexpr int kWeight[3] = {3, 4, 2};

int channel(const Rgb& c, int axis) { return axis == 0 ? c.r : axis == 1 ? c.g : c.b; }

struct Box {
    std::size_t begin, end;
    double error; // weighted squared error around the mean
};

double boxError(const std::vector<WeightedColour>& v, std::size_t b, std::size_t e)
{
    double n = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    for (std::size_t i = b; i < e; ++i) {
        double w = v[i].count;
        n += w;
        for (int a = 0; a < 3; ++a) {
            double x = channel(v[i].colour, a);
            s[a] += w * x;
            q[a] += w * x * x;
        }
    }
    double err = 0;
    for (int a = 0; a < 3; ++a) err += kWeight[a] * (q[a] - s[a] * s[a] / n);
    return err;
}

Rgb meanOf(const std::vector<WeightedColour>& v, std::size_t b, std::size_t e)
{
    double n = 0, s[3] = {0, 0, 0};
    for (std::size_t i = b; i < e; ++i) {
        n += v[i].count;
        s[0] += double(v[i].count) * v[i].colour.r;
        s[1] += double(v[i].count) * v[i].colour.g;
        s[2] += double(v[i].count) * v[i].colour.b;
    }
    auto r = [&](double x) { return std::uint8_t(std::lround(x / n)); };
    return Rgb{r(s[0]), r(s[1]), r(s[2])};
}

} // namespace

int colourDistance(Rgb a, Rgb b)
{
    int dr = int(a.r) - b.r, dg = int(a.g) - b.g, db = int(a.b) - b.b;
    return kWeight[0] * dr * dr + kWeight[1] * dg * dg + kWeight[2] * db * db;
}

std::vector<WeightedColour> histogram(const std::vector<Rgb>& pixels)
{
    std::vector<std::uint32_t> keys(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) keys[i] = pack(pixels[i]);
    std::sort(keys.begin(), keys.end());
    std::vector<WeightedColour> out;
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i;
        while (j < keys.size() && keys[j] == keys[i]) ++j;
        Rgb c{std::uint8_t(keys[i] >> 16), std::uint8_t(keys[i] >> 8), std::uint8_t(keys[i])};
        out.push_back({c, std::uint32_t(j - i)});
        i = j;
    }
    return out;
}

std::vector<Rgb> buildPalette(const std::vector<WeightedColour>& hist, int colours)
{
    if (colours <= 0) throw std::invalid_argument("palette of no colours");
    if (hist.empty()) return {};
    std::vector<WeightedColour> v = hist;
    std::vector<Box> boxes{{0, v.size(), boxError(v, 0, v.size())}};
    while (int(boxes.size()) < colours) {
        std::size_t pick = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 && (pick == boxes.size() || boxes[i].error > boxes[pick].error))
                pick = i;
        if (pick == boxes.size()) break;
        Box box = boxes[pick];
        // Split along the axis of widest weighted spread, at the weighted median.
        int axis = 0;
        double best = -1;
        for (int a = 0; a < 3; ++a) {
            int lo = 255, hi = 0;
            for (std::size_t i = box.begin; i < box.end; ++i) {
                lo = std::min(lo, channel(v[i].colour, a));
                hi = std::max(hi, channel(v[i].colour, a));
            }
            double spread = double(hi - lo) * std::sqrt(double(kWeight[a]));
            if (spread > best) {
                best = spread;
                axis = a;
            }
        }
        std::sort(v.begin() + long(box.begin), v.begin() + long(box.end),
                  [axis](const WeightedColour& p, const WeightedColour& q) {
                      int cp = channel(p.colour, axis), cq = channel(q.colour, axis);
                      return cp != cq ? cp < cq : pack(p.colour) < pack(q.colour);
                  });
        double total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) total += v[i].count;
        double run = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            run += v[i].count;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        boxes[pick] = {box.begin, cut, boxError(v, box.begin, cut)};
        boxes.push_back({cut, box.end, boxError(v, cut, box.end)});
    }
    std::vector<Rgb> palette;
    for (const Box& b : boxes) palette.push_back(meanOf(v, b.begin, b.end));

    // A few k-means rounds over the distinct colours pull each entry to the centre of
    // what it stands for.
    for (int round = 0; round < 6; ++round) {
        std::vector<double> sum(palette.size() * 3, 0.0), weight(palette.size(), 0.0);
        for (const WeightedColour& wc : hist) {
            std::size_t bestIdx = 0;
            int bestD = colourDistance(wc.colour, palette[0]);
            for (std::size_t k = 1; k < palette.size(); ++k) {
                int d = colourDistance(wc.colour, palette[k]);
                if (d < bestD) {
                    bestD = d;
                    bestIdx = k;
                }
            }
            weight[bestIdx] += wc.count;
            sum[bestIdx * 3] += double(wc.count) * wc.colour.r;
            sum[bestIdx * 3 + 1] += double(wc.count) * wc.colour.g;
            sum[bestIdx * 3 + 2] += double(wc.count) * wc.colour.b;
        }
        for (std::size_t k = 0; k < palette.size(); ++k)
            if (weight[k] > 0)
                palette[k] = Rgb{std::uint8_t(std::lround(sum[k * 3] / weight[k])),
                                 std::uint8_t(std::lround(sum[k * 3 + 1] / weight[k])),
                                 std::uint8_t(std::lround(sum[k * 3 + 2] / weight[k]))};
    }
    return palette;
}

PaletteMapper::PaletteMapper(std::vector<Rgb> palette, std::vector<bool> usable)
    : palette_(std::move(palette)), usable_(std::move(usable))
{
    if (usable_.size() != palette_.size()) throw std::invalid_argument("palette flags do not match");
    if (std::find(usable_.begin(), usable_.end(), true) == usable_.end())
        throw std::invalid_argument("no usable palette entry");
}

std::uint8_t PaletteMapper::nearest(Rgb c)
{
    std::uint32_t key = pack(c);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    int best = -1, bestD = 0;
    for (std::size_t k = 0; k < palette_.size(); ++k) {
        if (!usable_[k]) continue;
        int d = colourDistance(c, palette_[k]);
        if (best < 0 || d < bestD) {
            best = int(k);
            bestD = d;
        }
    }
    cache_.emplace(key, std::uint8_t(best));
    return std::uint8_t(best);
}

std::uint8_t PaletteMapper::map(Rgb c, int x, int y)
{
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::uint8_t i0 = nearest(c);
    const Rgb& p = palette_[i0];
    int dr = int(c.r) - p.r, dg = int(c.g) - p.g, db = int(c.b) - p.b;
    int err2 = dr * dr + dg * dg + db * db;
    if (err2 <= 9) return i0; // smooth area close to an entry: no dither
    double err = std::sqrt(double(err2));
    double amp = std::min(err, 10.0) * 1.2;
    double t = (bayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
    auto shift = [&](int v) { return std::uint8_t(std::clamp(int(std::lround(v + t * amp)), 0, 255)); };
    return nearest(Rgb{shift(c.r), shift(c.g), shift(c.b)});
}

} // namespace enc
