#pragma once
// How a command line splits into arguments, as the run-time library's ParamStr does:
// blanks and control characters separate arguments, double quotes group text into one
// argument without the quotes (a quote may open and close anywhere inside an argument).
// Free of the window system so that it is tested natively.
#include <string>
#include <string_view>
#include <vector>

namespace plat {

template <class Char>
std::vector<std::basic_string<Char>> SplitParams(std::basic_string_view<Char> line) {
    std::vector<std::basic_string<Char>> out;
    size_t i = 0, n = line.size();
    for (;;) {
        while (i < n && unsigned(line[i]) <= ' ') ++i;
        if (i >= n) break;
        std::basic_string<Char> arg;
        bool quoted = false;
        while (i < n && (quoted || unsigned(line[i]) > ' ')) {
            if (line[i] == Char('"'))
                quoted = !quoted;
            else
                arg.push_back(line[i]);
            ++i;
        }
        out.push_back(std::move(arg));
    }
    return out;
}

// Argument `index` of a split command line (0 is the program), empty when missing.
template <class Char>
std::basic_string<Char> ParamOf(std::basic_string_view<Char> line, size_t index) {
    auto args = SplitParams(line);
    return index < args.size() ? args[index] : std::basic_string<Char>();
}

} // namespace plat
