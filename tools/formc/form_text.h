#pragma once
// The readable form description that the build compiles into the binary stream:
//
//   object frmMain: TfrmMain          // a component: name, colon, class
//     Caption = 'It''s'#13'two lines' // strings: '' escapes a quote, #nn is a character code
//     Left = -8                       // integers, also $FF hexadecimal
//     AlphaBlend = True               // True, False, nil; any other word is an identifier
//     BorderIcons = [biSystemMenu]    // sets
//     Items = (1 'two' Three)         // lists
//     Raw.Data = {0A0B0C}             // binary data in hexadecimal
//     Image.Data = gif 'tree.gif'     // a GIF file as an animated view's image
//     Picture.Data = bitmap 'a.bmp'   // a BMP file as a picture's bitmap
//     object Child: TChild
//     end
//   end
//
// Long strings may be split into pieces joined with +. File names are taken relative
// to the description's folder first, then from each search folder in turn.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/form/form.h"

namespace formc {

struct Source {
    std::string text;
    std::string displayName;                          // used in error messages
    std::filesystem::path baseDir;                    // folder of the description
    std::vector<std::filesystem::path> searchDirs;    // tried after baseDir
};

struct Result {
    plat::form::Component root;
    std::vector<std::filesystem::path> filesRead;     // pictures embedded, for dependency lists
};

// Throws plat::Error with "name:line:column: message" on a syntax error or a bad picture.
Result ParseFormText(const Source& source);

// The payloads of the picture properties, built from whole files. They check that
// the file is what it claims to be, so that a wrong file fails the build.
std::vector<uint8_t> ImageDataFromGif(const std::vector<uint8_t>& gif, const std::string& name);
std::vector<uint8_t> PictureDataFromBmp(const std::vector<uint8_t>& bmp, const std::string& name);

} // namespace formc
