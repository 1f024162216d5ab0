#pragma once
// Contact sheets for judging the pictures: every composed frame of an animation as the
// window shows it (inside the mask only) on a light and on a dark ground, the still tree
// over three wallpapers, and the icon.
#include "tools/treeart/pictures.h"

#include <string>

namespace art {

// Writes the sheets as PNG files into `folder`; returns the paths written.
std::vector<std::string> writeSheets(const Artwork& art, const std::string& folder);

} // namespace art
