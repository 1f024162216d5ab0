#pragma once
// Popup menus: a tree of items kept in step with real system menus, so that what the
// user sees is always the items' state.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/menu_marks.h"

namespace plat {

class MenuItem {
public:
    MenuItem();
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    std::string Name;
    std::function<void(MenuItem& sender)> OnClick;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);      // "-" makes a separator
    bool IsSeparator() const { return caption_ == L"-"; }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const { return mark_.checked; }
    void SetChecked(bool v);                    // radio rules apply; runs no handler
    bool AutoCheck() const { return mark_.autoCheck; }
    void SetAutoCheck(bool v) { mark_.autoCheck = v; }
    bool RadioItem() const { return mark_.radioItem; }
    void SetRadioItem(bool v);
    int GroupIndex() const { return mark_.groupIndex; }
    void SetGroupIndex(int v) { mark_.groupIndex = v; }

    // What choosing the item does: the auto-check, then the handler.
    void Click();

    MenuItem& Add(std::unique_ptr<MenuItem> item);
    MenuItem& Add(std::wstring caption);
    int Count() const { return int(items_.size()); }
    MenuItem& operator[](int i) const { return *items_[size_t(i)]; }
    MenuItem* Parent() const { return parent_; }
    int Index() const;
    // This item or a descendant with that name, or nullptr.
    MenuItem* Find(const std::string& name);
    MenuItem* FindCommand(UINT id);

    UINT Command() const { return id_; }
    // The system menu that holds this item's own items (created with the first one).
    HMENU Handle() const { return submenu_; }

private:
    friend class PopupMenu;
    void Sync();
    void SyncSiblings();
    void Fill(MENUITEMINFOW& mii);

    std::wstring caption_;
    bool default_ = false;
    bool enabled_ = true;
    marks::MarkState mark_;
    UINT id_;
    MenuItem* parent_ = nullptr;
    HMENU submenu_ = nullptr;     // owned through ownedMenu_ until it joins a parent menu
    UniqueMenu ownedMenu_;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

class PopupMenu {
public:
    PopupMenu();
    MenuItem& Items() { return root_; }
    HMENU Handle() const { return root_.Handle(); }
    MenuItem* Find(const std::string& name) { return root_.Find(name); }
    // Shows the menu at a screen point and runs the chosen item. Returns once the menu closed.
    void Popup(int x, int y, HWND owner);

private:
    MenuItem root_;
};

} // namespace plat
