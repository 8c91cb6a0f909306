#pragma once

#include "editor/editorview.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tovren {

// Everything about the editor window's controls, in one table that every front-end builds
// Form1 from. Positions and sizes are in twips (1/1440 inch) from the top-left corner of the
// client area, so that the window scales with the screen's resolution.
enum class ControlKind { Label, TextField, PushButton };

// What clicking a push button runs.
enum class ButtonCommand { None, Done, Load };

struct ControlLayout {
    std::string_view name; // the control's name, as the code and the tests know it
    ControlKind kind;
    std::string_view caption; // empty for text fields
    int left;
    int top;
    int width;
    int height;
    int tabIndex; // the focus order; labels never take the focus, so theirs has no effect
    // A text field: the editor field it holds, the label that names it (for screen readers),
    // and the label that describes it, if any.
    std::optional<EditorField> field = std::nullopt;
    std::string_view namedBy = {};
    std::string_view describedBy = {};
    ButtonCommand command = ButtonCommand::None; // a push button: what clicking it runs
};

struct FormLayout {
    std::string_view name;
    std::string_view caption;
    int clientWidth;
    int clientHeight;
    // Top to bottom. Later controls lie above earlier ones: each field comes after the label
    // whose box it overlaps, so that the field is drawn above it.
    std::array<ControlLayout, 13> controls;
};

inline constexpr FormLayout form1Layout{
    "Form1",
    "Link Map to other Maps!",
    4680,
    3705,
    {{
        {"Label5", ControlKind::Label, "Filename of maps ie: map1 ", 600, 0, 3615, 255, 9},
        {"Label1", ControlKind::Label, "Going Up!", 720, 480, 1095, 375, 2},
        {"Label2", ControlKind::Label, "Going Down!", 2520, 480, 1095, 375, 4},
        {"Up", ControlKind::TextField, "", 720, 720, 1695, 285, 1, EditorField::Up, "Label1"},
        {"Down", ControlKind::TextField, "", 2520, 720, 1695, 285, 3, EditorField::Down, "Label2"},
        {"Label3", ControlKind::Label, "Going Left!", 720, 1320, 1095, 375, 6},
        {"Label4", ControlKind::Label, "Going Right!", 2520, 1320, 1095, 375, 8},
        {"Left1", ControlKind::TextField, "", 720, 1560, 1695, 285, 5, EditorField::Left1,
         "Label3"},
        {"Right", ControlKind::TextField, "", 2520, 1560, 1695, 285, 7, EditorField::Right,
         "Label4"},
        {"Label6", ControlKind::Label, "Mapname", 0, 2280, 1215, 375, 11},
        {"mapname", ControlKind::TextField, "", 1440, 2400, 3015, 285, 10, EditorField::mapname,
         "Label6", "Label5"},
        {"Command2",
         ControlKind::PushButton,
         "Load",
         0,
         3120,
         2175,
         495,
         12,
         std::nullopt,
         {},
         {},
         ButtonCommand::Load},
        {"Command1",
         ControlKind::PushButton,
         "Done",
         2280,
         3120,
         2175,
         495,
         0,
         std::nullopt,
         {},
         {},
         ButtonCommand::Done},
    }},
};

inline constexpr std::size_t form1ControlCount = form1Layout.controls.size();

// The index of the named control in the table; the table's size when there is none.
constexpr std::size_t controlIndex(std::string_view name) {
    for (std::size_t index = 0; index < form1ControlCount; ++index) {
        if (form1Layout.controls[index].name == name) {
            return index;
        }
    }
    return form1ControlCount;
}

// The index of the text field that holds an editor field.
constexpr std::size_t fieldControlIndex(EditorField field) {
    for (std::size_t index = 0; index < form1ControlCount; ++index) {
        if (form1Layout.controls[index].field == field) {
            return index;
        }
    }
    return form1ControlCount;
}

// The index of the push button that runs a command.
constexpr std::size_t buttonIndex(ButtonCommand command) {
    for (std::size_t index = 0; index < form1ControlCount; ++index) {
        if (form1Layout.controls[index].command == command) {
            return index;
        }
    }
    return form1ControlCount;
}

// What the table must hold for the window to work, checked when it is compiled: unique names
// and tab indices; each editor field held by one text field, named by a label that lies below
// it; a description only from a label; Done and Load each on one push button, Done first in
// the focus order.
constexpr bool form1LayoutHolds() {
    const auto& controls = form1Layout.controls;
    const auto isLabel = [](std::size_t index) {
        return index < form1ControlCount && form1Layout.controls[index].kind == ControlKind::Label;
    };
    for (std::size_t a = 0; a < form1ControlCount; ++a) {
        const ControlLayout& control = controls[a];
        for (std::size_t b = a + 1; b < form1ControlCount; ++b) {
            if (control.name == controls[b].name || control.tabIndex == controls[b].tabIndex) {
                return false;
            }
        }
        const bool isField = control.kind == ControlKind::TextField;
        if (isField != control.field.has_value() ||
            (control.kind == ControlKind::PushButton) != (control.command != ButtonCommand::None)) {
            return false;
        }
        if (isField &&
            (!isLabel(controlIndex(control.namedBy)) || controlIndex(control.namedBy) > a ||
             (!control.describedBy.empty() && !isLabel(controlIndex(control.describedBy))))) {
            return false;
        }
    }
    for (const EditorField field : {EditorField::mapname, EditorField::Up, EditorField::Down,
                                    EditorField::Left1, EditorField::Right}) {
        if (fieldControlIndex(field) == form1ControlCount) {
            return false;
        }
    }
    return buttonIndex(ButtonCommand::Done) < form1ControlCount &&
           buttonIndex(ButtonCommand::Load) < form1ControlCount &&
           controls[buttonIndex(ButtonCommand::Done)].tabIndex == 0;
}
static_assert(form1LayoutHolds(), "the layout table of Form1 contradicts itself");

inline constexpr int twipsPerInch = 1440;

// Twips to pixels at the given resolution, rounded to the nearest pixel:
// at 96 dots per inch, 15 twips make one pixel.
constexpr int twipsToPixels(int twips, int dotsPerInch = 96) {
    return (twips * dotsPerInch + twipsPerInch / 2) / twipsPerInch;
}

// The order in which a front-end creates the controls, as indices into the table, where the
// window system takes the creation order as the tab order and names a field after the label
// created right before it (as Windows does): the focusable controls in tab order, each field
// right after its label, and a field's description before its label.
constexpr std::array<std::size_t, form1ControlCount> creationOrder() {
    std::array<std::size_t, form1ControlCount> order{};
    std::size_t next = 0;
    for (int tab = 0; tab < static_cast<int>(form1ControlCount); ++tab) {
        for (std::size_t index = 0; index < form1ControlCount; ++index) {
            const ControlLayout& control = form1Layout.controls[index];
            if (control.kind == ControlKind::Label || control.tabIndex != tab) {
                continue;
            }
            if (!control.describedBy.empty()) {
                order[next++] = controlIndex(control.describedBy);
            }
            if (control.field) {
                order[next++] = controlIndex(control.namedBy);
            }
            order[next++] = index;
        }
    }
    return order;
}

constexpr bool createsEveryControlOnce() {
    std::array<int, form1ControlCount> created{};
    for (const std::size_t index : creationOrder()) {
        ++created[index];
    }
    for (const int count : created) {
        if (count != 1) {
            return false;
        }
    }
    return true;
}
static_assert(createsEveryControlOnce(), "every label of Form1 must name or describe a field");

} // namespace tovren
