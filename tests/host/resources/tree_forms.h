#pragma once
// What each tree's main form must hold, checked both on the readable descriptions
// and on the compiled form inside the built executables.
#include <ostream>
#include <string>
#include <vector>

#include "platform/form/form.h"

namespace tree_forms {

struct Tree {
    std::string app;
    bool animated;
    int clientWidth, clientHeight;
    int gifWidth, gifHeight;   // also the mask's size
    int frameIndex;
    int maskLeft;
};

const std::vector<Tree>& Trees();

// "Name=Value" for each property in stored order; binary data shows as <binary>.
std::vector<std::string> Render(const plat::form::Component& c);

// Checks the whole form (properties, components, menu) with gtest assertions.
void CheckForm(const Tree& tree, const plat::form::Component& root);

} // namespace tree_forms

namespace tree_forms {

// Checks the pictures the form carries: exact payload lengths, the GIF trailer, the
// BMP's own size field, both sizes against the view, and, where the drawings are in
// the source tree (sourceDir/<App>/), byte equality with those files.
void CheckPictures(const Tree& tree, const plat::form::Component& root, const std::string& sourceDir);

// Whole file, or an empty vector when it does not exist.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

} // namespace tree_forms

namespace tree_forms {
// Test names and failure messages show the tree's name.
inline void PrintTo(const Tree& t, std::ostream* os) { *os << t.app; }
}
