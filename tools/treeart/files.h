#pragma once
#include "tools/encoders/byte_writer.h"

#include <string>

namespace art {

void makeFolders(const std::string& folder);
void writeFile(const std::string& path, const enc::Bytes& bytes); // creates parent folders
enc::Bytes readFile(const std::string& path);                     // throws when missing

} // namespace art
