#include "tools/treeart/files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace art {

void makeFolders(const std::string& folder) { std::filesystem::create_directories(folder); }

void writeFile(const std::string& path, const enc::Bytes& bytes)
{
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

enc::Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return enc::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace art
