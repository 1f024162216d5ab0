// Benchmarks of the image work the trees do, each beside the reference library on
// the same file in the same run. After Google Benchmark's own listing a summary
// table prints our time, the reference's time and how many times faster ours is.
//
// usage: image_bench [--warm-heap] [--benchmark_* flags]
//   Repetitions default to 5; the figure of each row is the median of them.
//   --warm-heap keeps freed memory in the process, so that a run's fresh pictures come
//   from memory touched before rather than from new pages (whose faults are costly in a
//   virtual machine): the steady state of a process that decodes again and again.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include "animated/mask_runs.h"
#include "bench/reference.h"
#include "layered/premultiply.h"
#include "platform/image/bmp_reader.h"
#include "platform/image/gif_composer.h"
#include "platform/image/gif_decoder.h"
#include "platform/image/png_decoder.h"

namespace {

const char* const kAnimations[] = {"Glimmerlode", "Quorrisk", "Vudododoz"};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Resource(const std::string& tree, const std::string& file) {
    return std::string(TREE_SOURCE_DIR) + "/resources/" + tree + "/" + file;
}

// What the layered tree does with its file: decode, then premultiply every row.
plat::Bitmap DecodePremultiplied(const std::vector<std::uint8_t>& file) {
    plat::PngImage png = plat::DecodePng(file.data(), file.size());
    for (int y = 0; y < png.bitmap.height; ++y)
        layered::PremultiplyAlphaRow(png.bitmap.row(y), png.bitmap.width);
    return std::move(png.bitmap);
}

void RegisterAll() {
    using benchmark::RegisterBenchmark;
    using benchmark::State;

    static const std::vector<std::uint8_t> png = ReadFile(Resource("Fernlight", "tree.png"));
    const std::int64_t pngPixels = [] {
        plat::PngImage img = plat::DecodePng(png.data(), png.size());
        return std::int64_t(img.bitmap.width) * img.bitmap.height;
    }();
    RegisterBenchmark("png/ours/Fernlight", [pngPixels](State& s) {
        for (auto _ : s) {
            plat::Bitmap b = DecodePremultiplied(png);
            benchmark::DoNotOptimize(b.pixels.data());
        }
        s.SetItemsProcessed(s.iterations() * pngPixels);
    });
    RegisterBenchmark("png/libpng/Fernlight", [pngPixels](State& s) {
        for (auto _ : s) {
            std::vector<std::uint8_t> out; // a new picture each time, as ours returns one
            if (!bench::LibpngDecodeBgra(png.data(), png.size(), out))
                s.SkipWithError("libpng failed");
            benchmark::DoNotOptimize(out.data());
        }
        s.SetItemsProcessed(s.iterations() * pngPixels);
    });

    static std::vector<std::vector<std::uint8_t>> gifs, masks;
    for (const char* tree : kAnimations) {
        gifs.push_back(ReadFile(Resource(tree, "tree.gif")));
        masks.push_back(ReadFile(Resource(tree, "mask.bmp")));
    }
    for (std::size_t i = 0; i < gifs.size(); ++i) {
        const std::string tree = kAnimations[i];
        const std::vector<std::uint8_t>* gif = &gifs[i];
        // The view's work: decode once, then compose each frame in turn onto one canvas.
        RegisterBenchmark(("gif/ours/" + tree).c_str(), [gif](State& s) {
            for (auto _ : s) {
                plat::GifFile file = plat::DecodeGif(gif->data(), gif->size());
                plat::GifComposer composer(file);
                for (std::size_t f = 0; f < file.frames.size(); ++f) {
                    composer.Compose(f);
                    benchmark::DoNotOptimize(composer.Canvas().pixels.data());
                }
            }
        });
        // Every frame kept as its own picture.
        RegisterBenchmark(("gif/ours-all/" + tree).c_str(), [gif](State& s) {
            for (auto _ : s) {
                plat::GifFile file = plat::DecodeGif(gif->data(), gif->size());
                std::vector<plat::Bitmap> frames = plat::ComposeAll(file);
                benchmark::DoNotOptimize(frames.data());
            }
        });
        RegisterBenchmark(("gif/ours-decode/" + tree).c_str(), [gif](State& s) {
            for (auto _ : s) {
                plat::GifFile file = plat::DecodeGif(gif->data(), gif->size());
                benchmark::DoNotOptimize(file.frames.data());
            }
        });
        RegisterBenchmark(("gif/giflib/" + tree).c_str(), [gif](State& s) {
            for (auto _ : s) {
                int images = bench::GiflibSlurp(gif->data(), gif->size());
                if (!images)
                    s.SkipWithError("giflib failed");
                benchmark::DoNotOptimize(images);
            }
        });

        // The outline scan over the decoded mask, and the decode that precedes it.
        static std::deque<plat::Bitmap> decodedMasks; // stays where it is as it grows
        decodedMasks.push_back(plat::DecodeBmp(masks[i].data(), masks[i].size()));
        const plat::Bitmap* mask = &decodedMasks.back();
        const std::int64_t maskPixels = std::int64_t(mask->width) * mask->height;
        RegisterBenchmark(("mask/ours/" + tree).c_str(), [mask, maskPixels](State& s) {
            std::size_t runs = 0;
            for (auto _ : s) {
                std::vector<animated::MaskRect> r = animated::WhiteRuns(*mask);
                runs = r.size();
                benchmark::DoNotOptimize(r.data());
            }
            s.SetItemsProcessed(s.iterations() * maskPixels);
            s.counters["runs"] = double(runs);
        });
        const std::vector<std::uint8_t>* bmp = &masks[i];
        RegisterBenchmark(("mask/ours-bmp/" + tree).c_str(), [bmp, maskPixels](State& s) {
            for (auto _ : s) {
                plat::Bitmap b = plat::DecodeBmp(bmp->data(), bmp->size());
                benchmark::DoNotOptimize(b.pixels.data());
            }
            s.SetItemsProcessed(s.iterations() * maskPixels);
        });
    }

    // The premultiplication loop alone over the tree's pixels, in place (its cost does
    // not depend on the values), next to a plain copy of the same bytes.
    static plat::Bitmap tree = plat::DecodePng(png.data(), png.size()).bitmap;
    RegisterBenchmark("pixels/premultiply/Fernlight", [pngPixels](State& s) {
        for (auto _ : s) {
            for (int y = 0; y < tree.height; ++y)
                layered::PremultiplyAlphaRow(tree.row(y), tree.width);
            benchmark::ClobberMemory();
        }
        s.SetItemsProcessed(s.iterations() * pngPixels);
        s.SetBytesProcessed(s.iterations() * pngPixels * 4);
    });
    RegisterBenchmark("pixels/memcpy/Fernlight", [pngPixels](State& s) {
        std::vector<std::uint8_t> dst(tree.pixels.size());
        for (auto _ : s) {
            std::memcpy(dst.data(), tree.pixels.data(), dst.size());
            benchmark::DoNotOptimize(dst.data());
            benchmark::ClobberMemory();
        }
        s.SetItemsProcessed(s.iterations() * pngPixels);
        s.SetBytesProcessed(s.iterations() * pngPixels * 4);
    });
}

// Collects the CPU time per iteration of every repetition, and prints Google
// Benchmark's own listing as usual.
class Collector : public benchmark::ConsoleReporter {
public:
    explicit Collector(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred || r.iterations == 0)
                continue;
            Entry& e = entries_[r.run_name.function_name];
            const double seconds = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
            auto it = r.counters.find("items_per_second");
            const double items = it != r.counters.end() ? it->second.value : -1;
            if (r.run_type == Run::RT_Iteration) {
                e.seconds.push_back(seconds);
                e.itemsPerSecond.push_back(items);
            } else if (r.aggregate_name == "median") {
                // Shown when only the aggregates are listed.
                e.medianSeconds = seconds;
                e.medianItemsPerSecond = items;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median over the repetitions; negative when the benchmark did not run.
    double Seconds(const std::string& name) const { return Median(name, &Entry::seconds, &Entry::medianSeconds); }
    double ItemsPerSecond(const std::string& name) const {
        return Median(name, &Entry::itemsPerSecond, &Entry::medianItemsPerSecond);
    }

private:
    struct Entry {
        std::vector<double> seconds, itemsPerSecond;
        double medianSeconds = -1, medianItemsPerSecond = -1;
    };
    double Median(const std::string& name, std::vector<double> Entry::*field, double Entry::*median) const {
        auto it = entries_.find(name);
        if (it == entries_.end())
            return -1;
        if (it->second.*median > 0)
            return it->second.*median;
        if ((it->second.*field).empty())
            return -1;
        std::vector<double> v = it->second.*field;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    std::map<std::string, Entry> entries_;
};

void Row(const char* what, double ours, double ref, const char* goal, const char* note) {
    char oursText[32] = "-", refText[32] = "-", ratio[32] = "-";
    if (ours <= 0)
        return; // left out by a filter
    if (ours > 0)
        std::snprintf(oursText, sizeof oursText, "%.1f us", ours * 1e6);
    if (ref > 0)
        std::snprintf(refText, sizeof refText, "%.1f us", ref * 1e6);
    if (ours > 0 && ref > 0)
        std::snprintf(ratio, sizeof ratio, "%.2fx", ref / ours);
    std::printf("%-38s %12s %12s %8s  %-7s %s\n", what, oursText, refText, ratio, goal, note);
}

bool warmHeap_ = false;

void PrintSummary(const Collector& c) {
    std::printf("\nImage work, CPU time per run (median of the repetitions; %s); ratio = reference / ours\n",
                warmHeap_ ? "warm heap: freed memory reused" : "fresh memory for every picture, as a process start");
    std::printf("%-38s %12s %12s %8s  %-7s %s\n", "", "ours", "reference", "ratio", "goal", "");
    Row("PNG Fernlight -> premultiplied BGRA", c.Seconds("png/ours/Fernlight"), c.Seconds("png/libpng/Fernlight"),
        ">=1.5x", "libpng: decode to BGRA only, no premultiplication");
    for (const char* tree : kAnimations) {
        const std::string t = tree;
        const double giflib = c.Seconds("gif/giflib/" + t);
        Row(("GIF " + t + " decode + compose").c_str(), c.Seconds("gif/ours/" + t), giflib, ">=2x",
            "giflib: DGifSlurp, decode only; giflib does not compose");
        Row(("GIF " + t + " decode + ComposeAll").c_str(), c.Seconds("gif/ours-all/" + t), giflib, "",
            "every frame kept as its own picture");
        Row(("GIF " + t + " decode only").c_str(), c.Seconds("gif/ours-decode/" + t), giflib, "",
            "like for like with DGifSlurp");
    }
    for (const char* tree : kAnimations) {
        const std::string t = tree;
        char note[64];
        std::snprintf(note, sizeof note, "%.0f Mpixel/s; no reference",
                      c.ItemsPerSecond("mask/ours/" + t) / 1e6);
        Row(("mask " + t + " white runs").c_str(), c.Seconds("mask/ours/" + t), -1, "", note);
        std::snprintf(note, sizeof note, "%.0f Mpixel/s; no reference",
                      c.ItemsPerSecond("mask/ours-bmp/" + t) / 1e6);
        Row(("mask " + t + " BMP decode").c_str(), c.Seconds("mask/ours-bmp/" + t), -1, "", note);
    }
    const double premul = c.ItemsPerSecond("pixels/premultiply/Fernlight");
    const double copy = c.ItemsPerSecond("pixels/memcpy/Fernlight");
    std::printf("\n%-38s %12s %12s %8s\n", "pixels per second", "premultiply", "memcpy", "ratio");
    if (premul > 0 && copy > 0)
        std::printf("%-38s %8.0f Mpx/s %6.0f Mpx/s %7.2fx  (memcpy / premultiply; %.1f vs %.1f GB/s)\n",
                    "Fernlight, 50,000 px = 200,000 bytes", premul / 1e6, copy / 1e6, copy / premul,
                    premul * 4 / 1e9, copy * 4 / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool repetitions = false, warmHeap = false;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--warm-heap") == 0) {
            warmHeap = true;
            continue;
        }
        repetitions |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
        args.push_back(argv[i]);
    }
    if (warmHeap) {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    }
    static char defaultRepetitions[] = "--benchmark_repetitions=5";
    static char displayAggregates[] = "--benchmark_display_aggregates_only=true";
    if (!repetitions) {
        args.push_back(defaultRepetitions);
        args.push_back(displayAggregates);
    }
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data()))
        return 1;
    warmHeap_ = warmHeap;
    RegisterAll();
    // Colours only on a terminal, as Google Benchmark's own reporter does.
    Collector collector(isatty(1) ? benchmark::ConsoleReporter::OO_ColorTabular
                                  : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintSummary(collector);
    benchmark::Shutdown();
    return 0;
}
