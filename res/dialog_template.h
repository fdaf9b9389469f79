// The main form, its menu and the about box as data: the form is built from these tables, so the
// layout, captions, flags and tab order live in one place.
#pragma once

#include <span>
#include <string_view>

namespace mk {

enum class ControlKind {
    PushButton,
    DefPushButton,
    Edit,           // one line, with border
    MultiLineEdit,  // with border and both scroll bars
    Label,
    CheckBoxLeftText,
    ComboBox,  // editable drop-down, unsorted, vertical scroll bar
};

enum ControlFlag : unsigned {
    kNone = 0,
    kDisabled = 1u << 0,
    kReadOnly = 1u << 1,
    kNoTabStop = 1u << 2,
};

// Place and size in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string_view caption;
    unsigned flags;
    int x, y, w, h;
};

struct DialogTemplate {
    int id;
    std::string_view title;
    int width, height;                          // dialog units
    std::span<const ControlTemplate> controls;  // template (tab) order
};

struct MenuItemTemplate {
    std::string_view text;  // empty text: a separator
    int command;
    bool checked;
};

struct MenuTemplate {
    std::string_view title;
    std::span<const MenuItemTemplate> items;
};

const DialogTemplate& EncoderDialogTemplate();
const DialogTemplate& AboutDialogTemplate();
std::span<const MenuTemplate> EncoderMenu();

// The about command's menu text (string 101) and the version line of the about box.
inline constexpr std::string_view kAboutMenuText = "&About Morvakelin...";
inline constexpr std::string_view kAboutVersionText = "Morvakelin Version 1.3";
inline constexpr std::string_view kAboutNoticeText = "A front-end for the ffmpeg encoder.";

}  // namespace mk
