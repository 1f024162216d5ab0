#pragma once
// Value-type bytes of the binary component stream and the limits both directions share.
#include <cstddef>
#include <cstdint>

namespace plat::form::stream {

inline constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

enum Type : uint8_t {
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Int64 = 19,
};

// Nesting of components and lists together; real forms stay below ten.
inline constexpr int kMaxDepth = 64;
inline constexpr size_t kMaxShortString = 255;
inline constexpr size_t kMaxLength32 = 0xFFFFFFFFu;

} // namespace plat::form::stream
