// peinfo: lists the resources of a Windows executable: type, name, language, size.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "tools/peinfo/pe_resources.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: peinfo program.exe\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "peinfo: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        for (const peinfo::Resource& r : peinfo::ReadResources(file))
            std::printf("%-10s %-12s %5u %8zu\n", peinfo::ToString(r.type).c_str(),
                        peinfo::ToString(r.name).c_str(), unsigned(r.language), r.data.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peinfo: %s\n", e.what());
        return 1;
    }
    return 0;
}
