#pragma once
// The check-mark rules of menu items, kept free of the window system so that they are
// tested natively:
// - choosing an item with AutoCheck inverts its mark, then its handler runs;
// - marking a radio item clears the marks of the other radio items with the same
//   GroupIndex under the same parent;
// - so choosing the marked radio item clears it, leaving its group without a mark;
// - setting a mark from code runs no handler.
#include <cstddef>
#include <span>

namespace plat::marks {

struct MarkState {
    bool checked = false;
    bool autoCheck = false;
    bool radioItem = false;
    int groupIndex = 0;
};

// Sets the mark of siblings[index] as code does.
inline void SetChecked(std::span<MarkState* const> siblings, std::size_t index, bool checked) {
    MarkState& item = *siblings[index];
    item.checked = checked;
    if (!checked || !item.radioItem) return;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        MarkState& other = *siblings[i];
        if (i != index && other.radioItem && other.groupIndex == item.groupIndex)
            other.checked = false;
    }
}

// What choosing siblings[index] does to the marks. The handler runs afterwards, always.
inline void Choose(std::span<MarkState* const> siblings, std::size_t index) {
    if (siblings[index]->autoCheck) SetChecked(siblings, index, !siblings[index]->checked);
}

} // namespace plat::marks
