// Reader of the binary component stream. Every length and count is checked against
// the bytes that remain before anything is allocated, so a hostile stream can only
// produce an error, never a crash or a huge allocation.
#include <string>

#include "platform/form/form.h"
#include "platform/form/form_stream.h"

namespace plat::form {
namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    Component Root() {
        Need(4, "the signature");
        if (data_[0] != 'T' || data_[1] != 'P' || data_[2] != 'F' || data_[3] != '0')
            Fail("it does not begin with the signature TPF0", 0);
        pos_ = 4;
        Component root = ReadComponent(1);
        if (pos_ != size_)
            Fail("unexpected bytes after the end of the root component", pos_);
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what, size_t at) const {
        throw Error("Invalid form description: " + what + " (offset " + std::to_string(at) + ")");
    }

    void Need(size_t count, const char* what) const {
        if (count > size_ - pos_)
            Fail(std::string("the stream ends inside ") + what, pos_);
    }

    uint8_t Byte(const char* what) {
        Need(1, what);
        return data_[pos_++];
    }

    uint64_t LittleEndian(size_t count, const char* what) {
        Need(count, what);
        uint64_t v = 0;
        for (size_t i = 0; i < count; ++i)
            v |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += count;
        return v;
    }

    std::string Chars(size_t count, const char* what) {
        Need(count, what);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), count);
        pos_ += count;
        return s;
    }

    std::string ShortString(const char* what) {
        size_t n = Byte(what);
        return Chars(n, what);
    }

    Component ReadComponent(int depth) {
        if (depth > stream::kMaxDepth)
            Fail("components are nested too deeply", pos_);
        size_t at = pos_;
        Component c;
        c.className = ShortString("a class name");
        if (c.className.empty())
            Fail("a component has an empty class name", at);
        c.name = ShortString("a component name");
        for (;;) {
            std::string name = ShortString("a property name");
            if (name.empty())
                break;
            Property p;
            p.name = std::move(name);
            p.value = ReadValue(depth, p.name);
            c.properties.push_back(std::move(p));
        }
        for (;;) {
            Need(1, "the list of child components");
            if (data_[pos_] == 0) {
                ++pos_;
                break;
            }
            c.children.push_back(ReadComponent(depth + 1));
        }
        return c;
    }

    Value ReadValue(int depth, const std::string& property) {
        if (depth > stream::kMaxDepth)
            Fail("lists are nested too deeply in property " + property, pos_);
        size_t at = pos_;
        Value v;
        uint8_t type = Byte("a value type");
        switch (type) {
        case stream::Null: v.kind = Value::Kind::Null; break;
        case stream::Nil: v.kind = Value::Kind::Nil; break;
        case stream::False: v.kind = Value::Kind::Bool; v.boolean = false; break;
        case stream::True: v.kind = Value::Kind::Bool; v.boolean = true; break;
        case stream::Int8:
            v.kind = Value::Kind::Int;
            v.integer = int8_t(LittleEndian(1, "an integer"));
            break;
        case stream::Int16:
            v.kind = Value::Kind::Int;
            v.integer = int16_t(LittleEndian(2, "an integer"));
            break;
        case stream::Int32:
            v.kind = Value::Kind::Int;
            v.integer = int32_t(LittleEndian(4, "an integer"));
            break;
        case stream::Int64:
            v.kind = Value::Kind::Int;
            v.integer = int64_t(LittleEndian(8, "an integer"));
            break;
        case stream::String:
            v.kind = Value::Kind::String;
            v.text = ShortString("a string");
            break;
        case stream::LString: {
            v.kind = Value::Kind::String;
            size_t n = size_t(LittleEndian(4, "a string length"));
            v.text = Chars(n, "a string");
            break;
        }
        case stream::Ident:
            v.kind = Value::Kind::Ident;
            v.text = ShortString("an identifier");
            break;
        case stream::Binary: {
            v.kind = Value::Kind::Binary;
            size_t n = size_t(LittleEndian(4, "a binary length"));
            Need(n, "binary data");
            v.bytes.assign(data_ + pos_, data_ + pos_ + n);
            pos_ += n;
            break;
        }
        case stream::Set:
            v.kind = Value::Kind::Set;
            for (;;) {
                std::string element = ShortString("a set");
                if (element.empty())
                    break;
                v.set.push_back(std::move(element));
            }
            break;
        case stream::List:
            v.kind = Value::Kind::List;
            for (;;) {
                Need(1, "a list");
                if (data_[pos_] == stream::Null) {
                    ++pos_;
                    break;
                }
                v.list.push_back(ReadValue(depth + 1, property));
            }
            break;
        default:
            Fail("unsupported value type " + std::to_string(type) + " in property " + property, at);
        }
        return v;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace

Component ReadForm(const uint8_t* data, size_t size) {
    if (data == nullptr && size != 0)
        throw Error("Invalid form description: no data");
    return Reader(data, size).Root();
}

} // namespace plat::form
