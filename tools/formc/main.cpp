// formc: compiles a readable form description into the binary stream that the
// programs carry as their TFRMMAIN resource.
//   formc [-I dir]... [--depfile file] input.txt output.bin
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/formc/form_text.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: formc [-I dir]... [--depfile file] input.txt output.bin\n");
    return 2;
}

std::string Escaped(const std::filesystem::path& p) {
    std::string out;
    for (char c : p.generic_string()) {
        if (c == ' ' || c == '#' || c == '\\')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    formc::Source source;
    std::string depfile;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-I" && i + 1 < argc)
            source.searchDirs.emplace_back(argv[++i]);
        else if (a == "--depfile" && i + 1 < argc)
            depfile = argv[++i];
        else if (!a.empty() && a[0] == '-')
            return Usage();
        else
            positional.push_back(a);
    }
    if (positional.size() != 2)
        return Usage();
    std::filesystem::path input = positional[0], output = positional[1];

    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "formc: cannot open %s\n", input.string().c_str());
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    source.text = text.str();
    source.displayName = input.string();
    source.baseDir = input.parent_path();

    try {
        formc::Result result = formc::ParseFormText(source);
        std::vector<uint8_t> bytes = plat::form::WriteForm(result.root);
        // Written to a temporary name first, so a failed run leaves no half file.
        std::filesystem::path partial = output;
        partial += ".partial";
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            if (!out)
                throw plat::Error("cannot write " + partial.string());
        }
        std::filesystem::rename(partial, output);
        if (!depfile.empty()) {
            std::ofstream dep(depfile, std::ios::trunc);
            dep << Escaped(output) << ":";
            dep << " \\\n  " << Escaped(input);
            for (const auto& f : result.filesRead)
                dep << " \\\n  " << Escaped(f);
            dep << "\n";
            if (!dep)
                throw plat::Error("cannot write " + depfile);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
