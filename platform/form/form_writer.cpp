// Writer of the binary component stream, used by the build to compile readable form
// descriptions. A model the stream cannot express (an empty name, a short string
// longer than 255 characters, a null inside a list) is refused rather than written
// in a form that would read back differently.
#include <cstdint>
#include <iterator>
#include <string>

#include "platform/form/form.h"
#include "platform/form/form_stream.h"

namespace plat::form {
namespace {

class Writer {
public:
    std::vector<uint8_t> Root(const Component& root) {
        out_.insert(out_.end(), std::begin(stream::kSignature), std::end(stream::kSignature));
        WriteComponent(root, 1);
        return std::move(out_);
    }

private:
    [[noreturn]] static void Fail(const std::string& what) {
        throw Error("Cannot write form description: " + what);
    }

    void LittleEndian(uint64_t v, size_t count) {
        for (size_t i = 0; i < count; ++i)
            out_.push_back(uint8_t(v >> (8 * i)));
    }

    void ShortString(const std::string& s, const std::string& where) {
        if (s.size() > stream::kMaxShortString)
            Fail(where + " is longer than 255 characters");
        out_.push_back(uint8_t(s.size()));
        out_.insert(out_.end(), s.begin(), s.end());
    }

    void WriteComponent(const Component& c, int depth) {
        if (depth > stream::kMaxDepth)
            Fail("components are nested too deeply");
        if (c.className.empty())
            Fail("component " + c.name + " has no class name");
        ShortString(c.className, "class name " + c.className);
        ShortString(c.name, "component name " + c.name);
        for (const Property& p : c.properties) {
            if (p.name.empty())
                Fail("component " + c.name + " has a property without a name");
            ShortString(p.name, "property name " + p.name);
            WriteValue(p.value, p.name, depth);
        }
        out_.push_back(0);
        for (const Component& child : c.children)
            WriteComponent(child, depth + 1);
        out_.push_back(0);
    }

    void WriteValue(const Value& v, const std::string& property, int depth) {
        if (depth > stream::kMaxDepth)
            Fail("lists are nested too deeply in property " + property);
        switch (v.kind) {
        case Value::Kind::Null: out_.push_back(stream::Null); break;
        case Value::Kind::Nil: out_.push_back(stream::Nil); break;
        case Value::Kind::Bool: out_.push_back(v.boolean ? stream::True : stream::False); break;
        case Value::Kind::Int:
            // The smallest type that holds the value, as readers expect.
            if (v.integer >= INT8_MIN && v.integer <= INT8_MAX) {
                out_.push_back(stream::Int8);
                LittleEndian(uint64_t(v.integer), 1);
            } else if (v.integer >= INT16_MIN && v.integer <= INT16_MAX) {
                out_.push_back(stream::Int16);
                LittleEndian(uint64_t(v.integer), 2);
            } else if (v.integer >= INT32_MIN && v.integer <= INT32_MAX) {
                out_.push_back(stream::Int32);
                LittleEndian(uint64_t(v.integer), 4);
            } else {
                out_.push_back(stream::Int64);
                LittleEndian(uint64_t(v.integer), 8);
            }
            break;
        case Value::Kind::String:
            if (v.text.size() <= stream::kMaxShortString) {
                out_.push_back(stream::String);
                ShortString(v.text, "string");
            } else {
                if (v.text.size() > stream::kMaxLength32)
                    Fail("the string of property " + property + " is too long");
                out_.push_back(stream::LString);
                LittleEndian(v.text.size(), 4);
                out_.insert(out_.end(), v.text.begin(), v.text.end());
            }
            break;
        case Value::Kind::Ident:
            if (v.text.empty())
                Fail("property " + property + " has an empty identifier");
            out_.push_back(stream::Ident);
            ShortString(v.text, "identifier of property " + property);
            break;
        case Value::Kind::Binary:
            if (v.bytes.size() > stream::kMaxLength32)
                Fail("the binary data of property " + property + " is too long");
            out_.push_back(stream::Binary);
            LittleEndian(v.bytes.size(), 4);
            out_.insert(out_.end(), v.bytes.begin(), v.bytes.end());
            break;
        case Value::Kind::Set:
            out_.push_back(stream::Set);
            for (const std::string& element : v.set) {
                // An empty element would end the set early.
                if (element.empty())
                    Fail("the set of property " + property + " holds an empty element");
                ShortString(element, "set element of property " + property);
            }
            out_.push_back(0);
            break;
        case Value::Kind::List:
            out_.push_back(stream::List);
            for (const Value& item : v.list) {
                // A null inside a list would read back as its end.
                if (item.kind == Value::Kind::Null)
                    Fail("the list of property " + property + " holds a null value");
                WriteValue(item, property, depth + 1);
            }
            out_.push_back(stream::Null);
            break;
        }
    }

    std::vector<uint8_t> out_;
};

} // namespace

std::vector<uint8_t> WriteForm(const Component& root) {
    return Writer().Root(root);
}

} // namespace plat::form
