#pragma once
// The pictures the deliverables carry, drawn and encoded.
#include "tools/encoders/byte_writer.h"
#include "tools/treeart/animation.h"

#include <string>
#include <vector>

namespace art {

struct StillPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba; // straight alpha, rows top-down
    enc::Bytes png;
};

struct IconPicture {
    enc::Bytes ico;
    std::vector<std::vector<enc::Rgb>> colour; // 16 and 32
    std::vector<std::vector<bool>> transparent;
};

StillPicture makeFernlight();
Animation makeGlimmerlode();
Animation makeQuorrisk();
Animation makeVudododoz();
IconPicture makeIcon();

struct OutputFile {
    std::string path; // relative to the output folder, with '/' separators
    enc::Bytes bytes;
};

struct Artwork {
    StillPicture fernlight;
    Animation glimmerlode, quorrisk, vudododoz;
    IconPicture icon;
    std::vector<OutputFile> files() const;
};

Artwork makeArtwork();

} // namespace art
