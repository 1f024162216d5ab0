#include "platform/win32/menu.h"

#include <atomic>

namespace plat {

namespace {
std::atomic<UINT> g_nextId{100};
} // namespace

MenuItem::MenuItem() : id_(g_nextId++) {}

MenuItem::~MenuItem() {
    // Sub-items go first; a menu that joined its parent's menu is destroyed with it.
    items_.clear();
}

void MenuItem::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    Sync();
}
void MenuItem::SetDefault(bool v) {
    default_ = v;
    Sync();
}
void MenuItem::SetEnabled(bool v) {
    enabled_ = v;
    Sync();
}
void MenuItem::SetRadioItem(bool v) {
    mark_.radioItem = v;
    Sync();
}

void MenuItem::SetChecked(bool v) {
    if (!parent_) {
        mark_.checked = v;
        return;
    }
    std::vector<marks::MarkState*> siblings;
    for (auto& item : parent_->items_) siblings.push_back(&item->mark_);
    marks::SetChecked(siblings, size_t(Index()), v);
    SyncSiblings();
}

void MenuItem::Click() {
    if (parent_) {
        std::vector<marks::MarkState*> siblings;
        for (auto& item : parent_->items_) siblings.push_back(&item->mark_);
        marks::Choose(siblings, size_t(Index()));
        SyncSiblings();
    } else if (mark_.autoCheck) {
        mark_.checked = !mark_.checked;
    }
    if (OnClick) OnClick(*this);
}

int MenuItem::Index() const {
    if (!parent_) return -1;
    for (size_t i = 0; i < parent_->items_.size(); ++i)
        if (parent_->items_[i].get() == this) return int(i);
    return -1;
}

MenuItem& MenuItem::Add(std::wstring caption) {
    auto item = std::make_unique<MenuItem>();
    item->caption_ = std::move(caption);
    return Add(std::move(item));
}

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> item) {
    if (!submenu_) {
        ownedMenu_.reset(::CreatePopupMenu());
        submenu_ = ownedMenu_.get();
        Sync();  // this item now opens a submenu
    }
    item->parent_ = this;
    MenuItem& ref = *item;
    items_.push_back(std::move(item));
    MENUITEMINFOW mii{};
    ref.Fill(mii);
    ::InsertMenuItemW(submenu_, UINT(items_.size() - 1), TRUE, &mii);
    // The system menu now owns the item's submenu and destroys it with this one.
    if (ref.ownedMenu_) ref.ownedMenu_.release();
    if (ref.default_) ::SetMenuDefaultItem(submenu_, UINT(items_.size() - 1), TRUE);
    return ref;
}

MenuItem* MenuItem::Find(const std::string& name) {
    if (Name == name) return this;
    for (auto& item : items_)
        if (MenuItem* found = item->Find(name)) return found;
    return nullptr;
}

MenuItem* MenuItem::FindCommand(UINT id) {
    if (id_ == id) return this;
    for (auto& item : items_)
        if (MenuItem* found = item->FindCommand(id)) return found;
    return nullptr;
}

void MenuItem::Fill(MENUITEMINFOW& mii) {
    mii = MENUITEMINFOW{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (IsSeparator()) {
        mii.fType = MFT_SEPARATOR;
        mii.fMask &= ~UINT(MIIM_STRING);
    } else {
        mii.fType = mark_.radioItem ? MFT_RADIOCHECK : 0;
        mii.dwTypeData = const_cast<wchar_t*>(caption_.c_str());
    }
    mii.fState = (mark_.checked ? MFS_CHECKED : MFS_UNCHECKED) |
                 (enabled_ ? MFS_ENABLED : MFS_DISABLED) | (default_ ? MFS_DEFAULT : 0);
    mii.wID = id_;
    mii.hSubMenu = submenu_;
}

void MenuItem::Sync() {
    if (!parent_ || !parent_->submenu_) return;
    MENUITEMINFOW mii{};
    Fill(mii);
    ::SetMenuItemInfoW(parent_->submenu_, UINT(Index()), TRUE, &mii);
}

void MenuItem::SyncSiblings() {
    if (!parent_) return;
    for (auto& item : parent_->items_) item->Sync();
}

PopupMenu::PopupMenu() {
    root_.ownedMenu_.reset(::CreatePopupMenu());
    root_.submenu_ = root_.ownedMenu_.get();
}

void PopupMenu::Popup(int x, int y, HWND owner) {
    // The owner must be in the foreground, or the menu would not close when the user
    // clicks elsewhere.
    ::SetForegroundWindow(owner);
    UINT id = UINT(::TrackPopupMenuEx(Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                      x, y, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (id == 0) return;
    if (MenuItem* item = root_.FindCommand(id)) item->Click();
}

} // namespace plat
