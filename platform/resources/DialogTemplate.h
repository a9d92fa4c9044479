#pragma once
// DialogTemplate: a dialog resource read into plain values, from either form
// the resource compiler writes: DLGTEMPLATEEX (version 1, signature 0xFFFF)
// or the older DLGTEMPLATE. Damaged templates are not read at all.

#include "platform/SzOrOrd.h"
#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

// The predefined control classes, by their ordinal or their name.
enum class DialogItemClass { Button, Edit, Static, ListBox, ScrollBar, ComboBox, Other };

struct DialogFont {
    WORD pointSize = 0;
    WORD weight = 0;     // extended form only
    bool italic = false; // extended form only
    BYTE charset = 0;    // extended form only
    std::wstring typeface;
};

struct DialogItem {
    DWORD helpId = 0; // extended form only
    DWORD exStyle = 0;
    DWORD style = 0;
    SHORT x = 0;
    SHORT y = 0;
    SHORT cx = 0;
    SHORT cy = 0;
    DWORD id = 0;        // a WORD in the plain form
    SzOrOrd windowClass; // ordinal 0x80..0x85 or a name
    SzOrOrd title;       // text, or an ordinal (icon or bitmap of a static)
    std::vector<BYTE> creationData;

    DialogItemClass kind() const;
    // "BUTTON", "EDIT", ... for predefined ordinals, else the name upper-cased.
    std::wstring className() const;
    // Compares with a class name case-insensitively ("msctls_progress32").
    bool isClass(std::wstring_view name) const;
};

struct DialogTemplate {
    static constexpr DWORD kSetFont = 0x40; // DS_SETFONT, part of DS_SHELLFONT

    bool extended = false;
    DWORD helpId = 0; // extended form only
    DWORD exStyle = 0;
    DWORD style = 0;
    SHORT x = 0;
    SHORT y = 0;
    SHORT cx = 0;
    SHORT cy = 0;
    SzOrOrd menu;
    SzOrOrd windowClass;
    std::wstring title;
    std::optional<DialogFont> font; // only with DS_SETFONT
    std::vector<DialogItem> items;
};

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> data);

} // namespace zx
