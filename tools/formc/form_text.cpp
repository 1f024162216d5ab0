// Parser of the readable form description: a small hand-written lexer and a
// recursive-descent parser that builds the component tree the writer serialises.
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>

#include "tools/formc/form_text.h"

namespace formc {
namespace {

using plat::form::Component;
using plat::form::Property;
using plat::form::Value;

enum class Tok { End, Word, Integer, String, Symbol };

struct Token {
    Tok kind = Tok::End;
    std::string text;       // word, symbol, or decoded string
    int64_t integer = 0;
    int line = 1, column = 1;
};

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

bool SameWord(const std::string& a, const char* b) {
    size_t n = std::char_traits<char>::length(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

class Parser {
public:
    explicit Parser(const Source& source) : src_(source), s_(source.text) { Advance(); }

    Result Parse() {
        Result result;
        result_ = &result;
        if (!IsWord("object"))
            Fail(tok_, "a form description begins with 'object'");
        result.root = ParseObject(1);
        if (tok_.kind != Tok::End)
            Fail(tok_, "unexpected text after the last 'end'");
        return result;
    }

private:
    [[noreturn]] void Fail(const Token& at, const std::string& what) const {
        throw plat::Error(src_.displayName + ":" + std::to_string(at.line) + ":" +
                          std::to_string(at.column) + ": " + what);
    }

    // --- lexer ---------------------------------------------------------------

    char Peek(size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

    void Step() {
        if (s_[pos_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++pos_;
    }

    void SkipBlanks() {
        for (;;) {
            while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])))
                Step();
            if (Peek() == '/' && Peek(1) == '/') {
                while (pos_ < s_.size() && s_[pos_] != '\n')
                    Step();
                continue;
            }
            return;
        }
    }

    void Advance() {
        SkipBlanks();
        tok_ = Token{};
        tok_.line = line_;
        tok_.column = column_;
        if (pos_ >= s_.size())
            return;
        char c = s_[pos_];
        if (IsWordStart(c)) {
            tok_.kind = Tok::Word;
            while (pos_ < s_.size() && IsWordChar(s_[pos_])) {
                tok_.text += s_[pos_];
                Step();
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' ||
                   ((c == '-' || c == '+') && (std::isdigit(static_cast<unsigned char>(Peek(1))) || Peek(1) == '$'))) {
            LexInteger();
        } else if (c == '\'' || c == '#') {
            LexString();
        } else {
            tok_.kind = Tok::Symbol;
            tok_.text = std::string(1, c);
            Step();
        }
    }

    void LexInteger() {
        tok_.kind = Tok::Integer;
        bool negative = false;
        if (Peek() == '-' || Peek() == '+') {
            negative = Peek() == '-';
            Step();
        }
        int base = 10;
        if (Peek() == '$') {
            base = 16;
            Step();
        }
        size_t start = pos_;
        while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_])) &&
               (base == 16 || std::isdigit(static_cast<unsigned char>(s_[pos_]))))
            Step();
        std::string digits = (negative ? "-" : "") + s_.substr(start, pos_ - start);
        if (pos_ == start)
            Fail(tok_, "an integer needs digits");
        if (IsWordChar(Peek()))
            Fail(tok_, "an integer runs into other characters");
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), tok_.integer, base);
        if (ec != std::errc() || end != digits.data() + digits.size())
            Fail(tok_, "integer " + digits + " does not fit in 64 bits");
    }

    // 'text' with '' for a quote, and #nn character codes, in any sequence.
    void LexString() {
        tok_.kind = Tok::String;
        for (;;) {
            if (Peek() == '\'') {
                Step();
                for (;;) {
                    if (pos_ >= s_.size() || Peek() == '\n')
                        Fail(tok_, "a string is not closed on its line");
                    if (Peek() == '\'') {
                        if (Peek(1) == '\'') {
                            tok_.text += '\'';
                            Step();
                            Step();
                            continue;
                        }
                        Step();
                        break;
                    }
                    tok_.text += s_[pos_];
                    Step();
                }
            } else if (Peek() == '#') {
                Step();
                int code = 0;
                size_t start = pos_;
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(Peek())) && code <= 255) {
                    code = code * 10 + (Peek() - '0');
                    Step();
                }
                if (pos_ == start || code > 255)
                    Fail(tok_, "a character code is #0 to #255");
                tok_.text += char(code);
            } else {
                return;
            }
        }
    }

    // --- parser --------------------------------------------------------------

    bool IsWord(const char* w) const { return tok_.kind == Tok::Word && SameWord(tok_.text, w); }
    bool IsSymbol(char c) const { return tok_.kind == Tok::Symbol && tok_.text[0] == c; }

    std::string ExpectName(const char* what) {
        if (tok_.kind != Tok::Word)
            Fail(tok_, std::string("expected ") + what);
        std::string w = tok_.text;
        Advance();
        return w;
    }

    void ExpectSymbol(char c) {
        if (!IsSymbol(c))
            Fail(tok_, std::string("expected '") + c + "'");
        Advance();
    }

    Component ParseObject(int depth) {
        if (depth > 64)
            Fail(tok_, "objects are nested too deeply");
        Advance();  // 'object'
        Component c;
        std::string first = ExpectName("a component name");
        if (IsSymbol(':')) {
            Advance();
            c.name = first;
            c.className = ExpectName("a class name");
        } else {
            c.className = first;  // an unnamed component
        }
        for (;;) {
            if (IsWord("end")) {
                Advance();
                return c;
            }
            if (IsWord("object")) {
                c.children.push_back(ParseObject(depth + 1));
                continue;
            }
            if (tok_.kind != Tok::Word)
                Fail(tok_, "expected a property, 'object' or 'end'");
            Token at = tok_;
            Property p;
            p.name = ExpectName("a property name");
            for (const Property& other : c.properties)
                if (SameWord(other.name, p.name.c_str()))
                    Fail(at, "property " + p.name + " is given twice");
            ExpectSymbol('=');
            p.value = ParseValue(depth);
            c.properties.push_back(std::move(p));
        }
    }

    Value ParseValue(int depth) {
        if (depth > 64)
            Fail(tok_, "lists are nested too deeply");
        Value v;
        switch (tok_.kind) {
        case Tok::End:
            Fail(tok_, "expected a value");
        case Tok::Integer:
            v.kind = Value::Kind::Int;
            v.integer = tok_.integer;
            Advance();
            return v;
        case Tok::String:
            v.kind = Value::Kind::String;
            v.text = tok_.text;
            Advance();
            while (IsSymbol('+')) {
                Advance();
                if (tok_.kind != Tok::String)
                    Fail(tok_, "expected a string after '+'");
                v.text += tok_.text;
                Advance();
            }
            return v;
        case Tok::Word:
            return ParseWordValue();
        case Tok::Symbol:
            break;
        }
        if (IsSymbol('[')) {
            v.kind = Value::Kind::Set;
            Advance();
            if (IsSymbol(']')) {
                Advance();
                return v;
            }
            for (;;) {
                v.set.push_back(ExpectName("a set element"));
                if (IsSymbol(']')) {
                    Advance();
                    return v;
                }
                ExpectSymbol(',');
            }
        }
        if (IsSymbol('(')) {
            v.kind = Value::Kind::List;
            Advance();
            while (!IsSymbol(')'))
                v.list.push_back(ParseValue(depth + 1));
            Advance();
            return v;
        }
        if (IsSymbol('{'))
            return ParseHex();
        Fail(tok_, "expected a value");
    }

    Value ParseWordValue() {
        Value v;
        std::string word = tok_.text;
        Advance();
        if (SameWord(word, "True") || SameWord(word, "False")) {
            v.kind = Value::Kind::Bool;
            v.boolean = SameWord(word, "True");
        } else if (SameWord(word, "nil")) {
            v.kind = Value::Kind::Nil;
        } else if ((SameWord(word, "gif") || SameWord(word, "bitmap")) && tok_.kind == Tok::String) {
            Token fileAt = tok_;
            std::string name = tok_.text;
            Advance();
            std::vector<uint8_t> bytes = ReadFile(fileAt, name);
            v.kind = Value::Kind::Binary;
            try {
                v.bytes = SameWord(word, "gif") ? ImageDataFromGif(bytes, name) : PictureDataFromBmp(bytes, name);
            } catch (const plat::Error& e) {
                Fail(fileAt, e.what());
            }
        } else {
            v.kind = Value::Kind::Ident;
            v.text = word;
        }
        return v;
    }

    Value ParseHex() {
        // The lexer does not know hex blocks, so read the characters directly.
        Value v;
        v.kind = Value::Kind::Binary;
        Token at = tok_;
        int high = -1;
        for (;;) {
            if (pos_ >= s_.size())
                Fail(at, "binary data is not closed with '}'");
            char c = s_[pos_];
            Step();
            if (c == '}')
                break;
            if (std::isspace(static_cast<unsigned char>(c)))
                continue;
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                Fail(at, "binary data holds a character that is not a hexadecimal digit");
            int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            if (high < 0) {
                high = d;
            } else {
                v.bytes.push_back(uint8_t(high << 4 | d));
                high = -1;
            }
        }
        if (high >= 0)
            Fail(at, "binary data has an odd number of hexadecimal digits");
        Advance();
        return v;
    }

    std::vector<uint8_t> ReadFile(const Token& at, const std::string& name) {
        std::vector<std::filesystem::path> candidates{src_.baseDir / name};
        for (const auto& dir : src_.searchDirs)
            candidates.push_back(dir / name);
        for (const auto& path : candidates) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec))
                continue;
            std::ifstream in(path, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof())
                Fail(at, "cannot read " + path.string());
            result_->filesRead.push_back(path);
            return bytes;
        }
        Fail(at, "file not found: " + name);
    }

    const Source& src_;
    const std::string& s_;
    size_t pos_ = 0;
    int line_ = 1, column_ = 1;
    Token tok_;
    Result* result_ = nullptr;
};

} // namespace

Result ParseFormText(const Source& source) {
    return Parser(source).Parse();
}

} // namespace formc
