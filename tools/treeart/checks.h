#pragma once
// The generator reads back every file it made and checks the properties the programs
// rely on; nothing is written unless all of them hold.
#include "tools/treeart/pictures.h"

#include <string>
#include <vector>

namespace art {

struct AnimationRules {
    std::string name;
    int width, height, frames, delay;
    std::vector<int> disposal;
    bool globalTable;       // otherwise a local table of 256 in every frame
    int backgroundIndex;
    enc::Rgb background;    // colour of backgroundIndex (global table only)
    bool transparency;      // index 255, black, in every frame
    bool opaqueGround;      // every pixel of every frame painted
    enc::Rgb ground;        // the ground colour outside the mask, never inside
    int commentLength;      // -1: no comment extension
    bool lastFrameWhole;
};

const std::vector<AnimationRules>& animationRules();

std::vector<std::string> checkAnimation(const AnimationRules& rules, const enc::Bytes& gif, const enc::Bytes& bmp);
std::vector<std::string> checkStill(const enc::Bytes& png);
std::vector<std::string> checkIcon(const enc::Bytes& ico);
std::vector<std::string> checkArtwork(const Artwork& art);

} // namespace art
