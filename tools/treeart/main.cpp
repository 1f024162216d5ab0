// treeart: draws the tree pictures of the four deliverables, checks them and writes them.
//   treeart --out DIR      writes the pictures into DIR (same relative paths as resources/)
//   treeart --sheets DIR   writes contact sheets for looking at them
#include "tools/treeart/checks.h"
#include "tools/treeart/files.h"
#include "tools/treeart/pictures.h"
#include "tools/treeart/sheets.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    std::string out, sheets;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--out" || a == "--sheets") && i + 1 < argc) (a == "--out" ? out : sheets) = argv[++i];
        else {
            std::fprintf(stderr, "usage: treeart [--out DIR] [--sheets DIR]\n");
            return 2;
        }
    }
    if (out.empty() && sheets.empty()) {
        std::fprintf(stderr, "usage: treeart [--out DIR] [--sheets DIR]\n");
        return 2;
    }
    try {
        art::Artwork artwork = art::makeArtwork();
        std::vector<std::string> problems = art::checkArtwork(artwork);
        if (!problems.empty()) {
            for (const std::string& p : problems) std::fprintf(stderr, "treeart: %s\n", p.c_str());
            std::fprintf(stderr, "treeart: %zu check(s) failed, nothing written\n", problems.size());
            if (!sheets.empty()) art::writeSheets(artwork, sheets); // still useful for finding the fault
            return 1;
        }
        if (!out.empty())
            for (const art::OutputFile& f : artwork.files()) art::writeFile(out + "/" + f.path, f.bytes);
        if (!sheets.empty())
            for (const std::string& p : art::writeSheets(artwork, sheets)) std::printf("%s\n", p.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "treeart: %s\n", e.what());
        return 1;
    }
    return 0;
}
