#pragma once

#include "editor/editorview.h"

#include <array>
#include <string_view>

namespace tovren {

// Each editor field with the names of its control and of the label that tells what it holds.
struct NamedField {
    EditorField field;
    std::string_view controlName;
    std::string_view labelName;
};

inline constexpr std::array<NamedField, 5> editorFields{{
    {EditorField::mapname, "mapname", "Label6"},
    {EditorField::Up, "Up", "Label1"},
    {EditorField::Down, "Down", "Label2"},
    {EditorField::Left1, "Left1", "Label3"},
    {EditorField::Right, "Right", "Label4"},
}};

// The label whose caption says what the map name is for: the map name field's description.
inline constexpr std::string_view mapNameHintLabel = "Label5";

} // namespace tovren
