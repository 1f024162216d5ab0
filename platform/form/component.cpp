// Look-ups on a read component. Identifiers in form descriptions are compared
// without regard to ASCII case, as the language that names them does.
#include "platform/form/form.h"

namespace plat::form {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

const Value* Component::Find(std::string_view property) const {
    for (const Property& p : properties)
        if (SameName(p.name, property))
            return &p.value;
    return nullptr;
}

const Component* Component::FindComponent(std::string_view wanted) const {
    if (SameName(name, wanted))
        return this;
    for (const Component& child : children)
        if (const Component* found = child.FindComponent(wanted))
            return found;
    return nullptr;
}

int64_t Component::Int(std::string_view property, int64_t fallback) const {
    const Value* v = Find(property);
    return v && v->kind == Value::Kind::Int ? v->integer : fallback;
}

std::string Component::Text(std::string_view property, std::string fallback) const {
    const Value* v = Find(property);
    if (v && (v->kind == Value::Kind::String || v->kind == Value::Kind::Ident))
        return v->text;
    return fallback;
}

bool Component::Bool(std::string_view property, bool fallback) const {
    const Value* v = Find(property);
    return v && v->kind == Value::Kind::Bool ? v->boolean : fallback;
}

} // namespace plat::form
