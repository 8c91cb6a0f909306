#pragma once

#include <array>
#include <string_view>

namespace tovren {

// The editor window's look, in twips (1/1440 inch) from the top-left corner of its client
// area, so that it scales with the screen's resolution. Any front-end builds Form1 from this.
enum class ControlKind { Label, TextField, PushButton };

struct ControlLayout {
    std::string_view name; // the control's name, as the code and the tests know it
    ControlKind kind;
    std::string_view caption; // empty for text fields
    int left;
    int top;
    int width;
    int height;
    int tabIndex; // the focus order; labels never take the focus, so theirs has no effect
};

struct FormLayout {
    std::string_view name;
    std::string_view caption;
    int clientWidth;
    int clientHeight;
    std::array<ControlLayout, 13> controls; // top to bottom
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
        {"Up", ControlKind::TextField, "", 720, 720, 1695, 285, 1},
        {"Down", ControlKind::TextField, "", 2520, 720, 1695, 285, 3},
        {"Label3", ControlKind::Label, "Going Left!", 720, 1320, 1095, 375, 6},
        {"Label4", ControlKind::Label, "Going Right!", 2520, 1320, 1095, 375, 8},
        {"Left1", ControlKind::TextField, "", 720, 1560, 1695, 285, 5},
        {"Right", ControlKind::TextField, "", 2520, 1560, 1695, 285, 7},
        {"Label6", ControlKind::Label, "Mapname", 0, 2280, 1215, 375, 11},
        {"mapname", ControlKind::TextField, "", 1440, 2400, 3015, 285, 10},
        {"Command2", ControlKind::PushButton, "Load", 0, 3120, 2175, 495, 12},
        {"Command1", ControlKind::PushButton, "Done", 2280, 3120, 2175, 495, 0},
    }},
};

inline constexpr int twipsPerInch = 1440;

// Twips to pixels at the given resolution, rounded to the nearest pixel:
// at 96 dots per inch, 15 twips make one pixel.
constexpr int twipsToPixels(int twips, int dotsPerInch = 96) {
    return (twips * dotsPerInch + twipsPerInch / 2) / twipsPerInch;
}

} // namespace tovren
