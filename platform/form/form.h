#pragma once
// The binary form description: a tree of components, each with named, typed
// properties, as stored in the executable's TFRMMAIN resource. Reading checks every
// length against the bytes that remain; a malformed stream raises plat::Error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace plat::form {

struct Value {
    enum class Kind { Null, Int, String, Ident, Bool, Binary, Set, List, Nil };
    Kind kind = Kind::Null;
    int64_t integer = 0;            // Int
    bool boolean = false;           // Bool
    std::string text;               // String, Ident
    std::vector<std::string> set;   // Set
    std::vector<uint8_t> bytes;     // Binary
    std::vector<Value> list;        // List

    bool operator==(const Value&) const = default;
};

struct Property {
    std::string name;   // dotted names ("Image.Data", "Font.Name") are plain names
    Value value;

    bool operator==(const Property&) const = default;
};

struct Component {
    std::string className;
    std::string name;
    std::vector<Property> properties;
    std::vector<Component> children;

    // This component's own property, or nullptr.
    const Value* Find(std::string_view property) const;
    // This component or a descendant with that instance name, or nullptr.
    const Component* FindComponent(std::string_view name) const;

    // The property when present and of the matching kind, otherwise the fallback.
    int64_t Int(std::string_view property, int64_t fallback) const;
    std::string Text(std::string_view property, std::string fallback) const;  // String or Ident
    bool Bool(std::string_view property, bool fallback) const;

    bool operator==(const Component&) const = default;
};

// Reads a whole stream beginning with "TPF0". Throws plat::Error with a clear message.
Component ReadForm(const uint8_t* data, size_t size);
// Writes the stream; integers take the smallest type that holds them.
std::vector<uint8_t> WriteForm(const Component& root);

// The picture payloads:
//   Image.Data   = 4-byte LE length N + N bytes of GIF
//   Picture.Data = short string class name ("TBitmap") + 4-byte LE length M + M bytes of BMP
// Lengths are validated exactly (nothing missing, nothing left over); plat::Error otherwise.
std::vector<uint8_t> GifFromImageData(const Value& value);
std::vector<uint8_t> BmpFromPictureData(const Value& value);

} // namespace plat::form
