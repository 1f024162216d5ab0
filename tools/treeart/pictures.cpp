#include "tools/treeart/pictures.h"

#include "tools/encoders/ico_writer.h"
#include "tools/encoders/png_writer.h"
#include "tools/treeart/layout.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

std::vector<Raster> renderLoop(const Scene& s, int frames)
{
    Raster still = renderAll(s, nullptr);
    std::vector<Raster> out;
    for (int f = 0; f < frames; ++f) out.push_back(renderFrame(s, still, s.frame(double(f) / frames)));
    return out;
}

Animation finishAnimation(const Scene& s, const AnimationLayout& layout, enc::Rgb ground)
{
    std::vector<Raster> frames = renderLoop(s, layout.frames);
    std::vector<bool> inside = maskFromCoverage(frames[0]);
    std::vector<std::vector<enc::Rgb>> finished;
    for (const Raster& r : frames) finished.push_back(finishFrame(r, inside, ground));
    return buildAnimation(layout, s.width, s.height, std::move(inside), std::move(finished));
}

// Separable box blur, repeated: close to a Gaussian and exact in integer steps.
std::vector<double> blur(std::vector<double> v, int w, int h, int radius, int passes)
{
    std::vector<double> tmp(v.size());
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double s = 0;
                for (int k = -radius; k <= radius; ++k) {
                    int xx = x + k;
                    if (xx >= 0 && xx < w) s += v[std::size_t(y) * w + xx];
                }
                tmp[std::size_t(y) * w + x] = s / (2 * radius + 1);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double s = 0;
                for (int k = -radius; k <= radius; ++k) {
                    int yy = y + k;
                    if (yy >= 0 && yy < h) s += tmp[std::size_t(yy) * w + x];
                }
                v[std::size_t(y) * w + x] = s / (2 * radius + 1);
            }
    }
    return v;
}

} // namespace

StillPicture makeFernlight()
{
    Scene s;
    s.width = 200;
    s.height = 250;
    FirSpec f;
    f.cx = 100;
    f.apex = 47;
    f.base = 198;
    f.halfWidth = 77;
    f.tiers = 6;
    f.trunkHalf = 7;
    f.trunkBottom = 212;
    f.seed = 3;
    buildFir(s, f);
    s.hasPot = true;
    s.pot = Pot{206, 224, 21, 16, Col{168, 30, 40}, Col{236, 190, 84}};
    s.star = Star{100, 41, 14, 5.8, 1.4, false};
    s.lightMode = LightMode::Steady;
    s.haloRadius = 6;
    placeBaubles(s, {kRed, kBlue, kSilver, kGold, kPurple}, 4.2, 2, 17);
    beadsOnGarland(s, s.garland(62, 192, 4.3, 0.72, 0.2, 2.1, 1.6), 1.15);
    scatterLights(s, 30, {kWarmWhite, kLightRed, kWarmWhite, kLightBlue, kLightAmber, kLightPink}, 1.6, 5);
    s.prepare();

    FrameState fs = s.frame(0);
    Raster r = renderAll(s, &fs);
    refineEdges(s, &fs, r, 16);
    const int w = s.width, h = s.height;
    const std::size_t n = std::size_t(w) * h;

    // Warm glow round the silhouette and a brighter one round the star; alpha carries it.
    std::vector<double> aura = blur(r.coverage, w, h, 2, 3);
    // A soft edge: half the exact coverage, half a one-pixel blur of it.
    std::vector<double> soft = blur(r.coverage, w, h, 1, 1);
    std::vector<double> pr(n), pg(n), pb(n);
    for (std::size_t i = 0; i < n; ++i) {
        pr[i] = r.colour[i].r * r.coverage[i];
        pg[i] = r.colour[i].g * r.coverage[i];
        pb[i] = r.colour[i].b * r.coverage[i];
    }
    pr = blur(pr, w, h, 1, 1);
    pg = blur(pg, w, h, 1, 1);
    pb = blur(pb, w, h, 1, 1);
    std::vector<double> near = blur(r.coverage, w, h, 5, 3);
    StillPicture p;
    p.width = w;
    p.height = h;
    p.rgba.resize(n * 4);
    const Col glowColour{255, 232, 160};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::size_t i = std::size_t(y) * w + x;
            double cov = 0.5 * (r.coverage[i] + soft[i]);
            double glow = 0.36 * std::pow(aura[i], 1.1);
            double ds = std::hypot(x + 0.5 - s.star.x, y + 0.5 - s.star.y);
            double starGlow = 0.85 * std::pow(1 - smoothstep(4.0, 22.0, ds), 1.6);
            glow = 1 - (1 - glow) * (1 - starGlow);
            double alpha = cov + (1 - cov) * glow;
            Col c;
            // Premultiplied tree colour of the softened edge.
            Col tree = (r.colour[i] * r.coverage[i] + Col{pr[i], pg[i], pb[i]}) * 0.5;
            if (alpha > 0) c = (tree + glowColour * ((1 - cov) * glow)) * (1.0 / alpha);
            std::uint8_t a = toByte(alpha * 255);
            if (a == 0) {
                // Invisible, but light: pale yellow close to the tree, white further out.
                c = near[i] > 0.002 ? Col{255, 246, 208} : Col{255, 255, 255};
            }
            p.rgba[i * 4 + 0] = toByte(c.r);
            p.rgba[i * 4 + 1] = toByte(c.g);
            p.rgba[i * 4 + 2] = toByte(c.b);
            p.rgba[i * 4 + 3] = a;
        }
    static const char* xmp =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "  <rdf:Description rdf:about=\"\"\n"
        "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
        "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
        "   <xmp:CreatorTool>Orvella treeart</xmp:CreatorTool>\n"
        "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Fernlight tree</rdf:li></rdf:Alt></dc:title>\n"
        "   <dc:creator><rdf:Seq><rdf:li>Orvella</rdf:li></rdf:Seq></dc:creator>\n"
        "  </rdf:Description>\n"
        " </rdf:RDF>\n"
        "</x:xmpmeta>\n"
        "<?xpacket end=\"w\"?>";
    p.png = enc::encodePngRgba(w, h, p.rgba,
                               {{"Software", "Orvella treeart", false}, {"XML:com.adobe.xmp", xmp, true}});
    return p;
}

Animation makeGlimmerlode()
{
    Scene s;
    s.width = 182;
    s.height = 211;
    FirSpec f;
    f.cx = 91;
    f.apex = 21;
    f.base = 178;
    f.halfWidth = 74;
    f.tiers = 5;
    f.trunkHalf = 6.5;
    f.trunkBottom = 190;
    f.seed = 8;
    buildFir(s, f);
    s.hasPot = true;
    s.pot = Pot{185, 205, 19, 14.5, Col{40, 76, 168}, Col{226, 196, 120}};
    s.star = Star{91, 15.5, 12.5, 5.2, 1.3, true};
    s.lightMode = LightMode::Twinkle;
    s.haloRadius = 6.5;
    placeBaubles(s, {kRed, kSilver, kBlue, kGold, kPurple}, 4.0, 2, 23);
    beadsOnGarland(s, s.garland(36, 176, 3.6, 0.70, 0.2, 2.1, 1.6), 1.15);
    scatterLights(s, 26, {kWarmWhite, kLightBlue, kLightRed, kWarmWhite, kLightAmber, kLightPink}, 1.8, 9);
    s.prepare();

    AnimationLayout L;
    L.frames = 11;
    L.delay = 10;
    L.disposal = {2, 2, 2, 1, 1, 2, 2, 2, 2, 1, 1};
    L.transparency = true;
    L.globalTable = true;
    L.backgroundIndex = 91;
    L.backgroundColour = {249, 251, 250};
    L.groundOpaque = false;
    return finishAnimation(s, L, L.backgroundColour);
}

Animation makeQuorrisk()
{
    Scene s;
    s.width = 342;
    s.height = 211;
    FirSpec f;
    f.cx = 171;
    f.apex = 20;
    f.base = 176;
    f.halfWidth = 66;
    f.tiers = 5;
    f.trunkHalf = 6.5;
    f.trunkBottom = 194;
    f.seed = 12;
    buildFir(s, f);
    s.star = Star{171, 14, 11.5, 4.8, 1.2, false};
    s.hasDrift = true;
    s.driftX0 = 16;
    s.driftX1 = 326;
    s.driftTop = 186;
    s.driftBottom = 208;
    s.presents = {
        Present{52, 148, 74, 168, 4, kGold, kRed},
        Present{36, 166, 82, 200, 5, kRed, Col{240, 204, 96}},
        Present{84, 176, 112, 201, 4, kBlue, kSilver},
        Present{214, 182, 236, 201, 4, kPurple, Col{240, 204, 96}},
    };
    s.hasSnowman = true;
    s.snowman = Snowman{276, 202, 21, 15, 11};
    s.lightMode = LightMode::Blink;
    s.haloRadius = 5.5;
    placeBaubles(s, {kSilver, kRed, kGold, kBlue}, 3.9, 2, 31);
    lightsOnGarland(s, s.garland(36, 174, 3.4, 0.68, 0.2, 8.0, 2.0),
                    {kLightRed, kWarmWhite, kLightBlue, kLightAmber, kLightPink}, 1.7);
    scatterLights(s, 8, {kWarmWhite, kLightRed, kLightBlue}, 1.5, 13);
    beadsOnGarland(s, s.garland(36, 174, 3.4, 0.68, 0.2, 2.1, 1.6), 1.15);
    for (std::size_t i = 0; i < s.lights.size(); ++i) {
        s.lights[i].phase = double(i % 3) / 3.0;
        s.lights[i].speed = 1;
    }
    s.prepare();

    AnimationLayout L;
    L.frames = 7;
    L.delay = 20;
    L.disposal = std::vector<int>(7, 0);
    L.transparency = false;
    L.globalTable = false;
    L.backgroundIndex = 0;
    L.backgroundColour = {255, 255, 255};
    L.groundOpaque = true;
    L.comment = "Orvella Quorrisk: fir, gifts and snowman";
    return finishAnimation(s, L, L.backgroundColour);
}

Animation makeVudododoz()
{
    Scene s;
    s.width = 190;
    s.height = 225;
    FirSpec f;
    f.cx = 95;
    f.apex = 22;
    f.base = 193;
    f.halfWidth = 80;
    f.tiers = 6;
    f.trunkHalf = 7;
    f.trunkBottom = 205;
    f.seed = 21;
    buildFir(s, f);
    s.hasPot = true;
    s.pot = Pot{200, 221, 21, 16, Col{160, 28, 38}, Col{236, 190, 84}};
    s.star = Star{95, 15.5, 13, 5.4, 1.3, false};
    s.lightMode = LightMode::Chase;
    s.haloRadius = 6;
    placeBaubles(s, {kRed, kBlue, kSilver, kGold}, 4.1, 2, 41);
    lightsOnGarland(s, s.garland(38, 190, 4.0, 0.70, 0.2, 7.0, 2.0), {kWarmWhite, kLightAmber}, 1.8);
    beadsOnGarland(s, s.garland(38, 190, 4.0, 0.70, 0.2, 2.1, 1.6), 1.15);
    for (Light& l : s.lights) {
        l.speed = 2;
        l.phase = 3.0 * l.phase; // the wave runs up the garland
    }
    fallingSnow(s, 26, 77);
    s.prepare();

    AnimationLayout L;
    L.frames = 50;
    L.delay = 7;
    L.disposal = std::vector<int>(50, 1);
    L.disposal[49] = 2;
    L.transparency = true;
    L.globalTable = true;
    L.backgroundIndex = 0;
    L.backgroundColour = {253, 254, 254};
    L.groundOpaque = true;
    L.lastFrameWhole = true;
    return finishAnimation(s, L, L.backgroundColour);
}

IconPicture makeIcon()
{
    IconPicture out;
    std::vector<enc::IconImage> images;
    for (int size : {16, 32}) {
        Scene s;
        s.width = size;
        s.height = size;
        double k = size / 32.0;
        FirSpec f;
        f.cx = size * 0.5;
        f.apex = 6.5 * k;
        f.base = 26.5 * k;
        f.halfWidth = 14.2 * k;
        f.tiers = 3;
        f.trunkHalf = std::max(1.0, 2.6 * k);
        f.trunkBottom = 31.0 * k;
        f.seed = 2;
        buildFir(s, f);
        for (Tier& t : s.tiers) {
            t.scallops = size == 16 ? 1 : 3;
            t.scallopDepth *= size == 16 ? 0.4 : 0.8;
        }
        if (size == 32) s.star = Star{16, 5.0, 5.0, 2.1, 0.3, false};
        else s.star = Star{8, 2.9, 3.1, 1.45, 0.1, false};
        if (size == 32) {
            s.baubles = {{12.0, 17.5, 1.8, kRed}, {19.5, 21.8, 1.8, kBlue}, {13.5, 24.8, 1.7, kGold}, {17.8, 12.5, 1.5, kSilver}};
        } else {
            s.baubles = {{6.2, 9.6, 1.05, kRed}, {10.0, 11.9, 1.05, kGold}};
        }
        s.prepare();
        Raster r = renderAll(s, nullptr);
        std::vector<bool> inside = maskFromCoverage(r);
        // Small pictures need their colours a little brighter and their rim lighter to read.
        for (Col& c : r.colour) c = c * (size == 16 ? 1.3 : 1.12);
        std::vector<enc::Rgb> colour = finishFrame(r, inside, enc::Rgb{0, 0, 0}, size == 16 ? 0.45 : 0.8);
        enc::IconImage img;
        img.size = size;
        img.colour = colour;
        img.transparent.resize(inside.size());
        for (std::size_t i = 0; i < inside.size(); ++i) img.transparent[i] = !inside[i];
        out.colour.push_back(colour);
        out.transparent.push_back(img.transparent);
        images.push_back(std::move(img));
    }
    out.ico = enc::encodeIco(images);
    return out;
}

Artwork makeArtwork()
{
    Artwork a;
    a.fernlight = makeFernlight();
    a.glimmerlode = makeGlimmerlode();
    a.quorrisk = makeQuorrisk();
    a.vudododoz = makeVudododoz();
    a.icon = makeIcon();
    return a;
}

std::vector<OutputFile> Artwork::files() const
{
    return {
        {"Fernlight/tree.png", fernlight.png},   {"Glimmerlode/tree.gif", glimmerlode.gif},
        {"Glimmerlode/mask.bmp", glimmerlode.bmp}, {"Quorrisk/tree.gif", quorrisk.gif},
        {"Quorrisk/mask.bmp", quorrisk.bmp},     {"Vudododoz/tree.gif", vudododoz.gif},
        {"Vudododoz/mask.bmp", vudododoz.bmp},   {"icon/tree.ico", icon.ico},
    };
}

} // namespace art
