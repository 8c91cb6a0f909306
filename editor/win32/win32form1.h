#pragma once

#include "editor/editorview.h"
#include "editor/form1layout.h"

#include <array>
#include <functional>
#include <string>
#include <windows.h>

namespace tovren {

// Form1 as a native Win32 window, built from the same layout table as every front-end
// (editor/form1layout.h): four neighbour fields, the map name, Load (Command2) and Done
// (Command1). What the controls do beyond Windows' own is in controlbehaviour.h, the font in
// fontfitting.h.
class Win32Form1 : public EditorView {
public:
    // Runs the command behind a click; the shell passes one that reports file failures.
    using ClickDelivery =
        std::function<void(Win32Form1& window, const std::function<void()>& command)>;

    Win32Form1(HINSTANCE instance, std::wstring messageTitle, ClickDelivery deliverClick);
    Win32Form1(const Win32Form1&) = delete;
    Win32Form1& operator=(const Win32Form1&) = delete;
    ~Win32Form1() override;

    // Shows the window with the focus on Done.
    void show(int showCommand);
    // Runs the message loop until the window is gone; returns the exit code.
    int run();

    HWND hwnd() const { return window_; }

    std::string fieldText(EditorField field) const override;
    void setFieldText(EditorField field, const std::string& text) override;
    void showWarning(const std::string& message) override;
    void unloadWindow() override;

    // A modal box over the window with one OK button; the focus comes back afterwards.
    void showMessage(const std::string& text, UINT icon);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handleMessage(UINT message, WPARAM w, LPARAM l);
    void createControls();
    void layOut(UINT dpi);
    bool translateEnter(const MSG& message);
    void restoreFocus();
    void keepSingleLine(HWND field);
    HWND field(EditorField field) const { return fields_[static_cast<std::size_t>(field)]; }

    HINSTANCE instance_;
    std::wstring messageTitle_;
    ClickDelivery deliverClick_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::array<HWND, form1ControlCount> controls_{}; // in the layout table's order
    std::array<HWND, 5> fields_{};                   // by EditorField
    std::array<std::wstring, 5> accepted_;           // each field's text after its last change
    HWND done_ = nullptr;                            // Command1
    HWND load_ = nullptr;                            // Command2
    HWND lastFocus_ = nullptr; // the control that had the focus when the window went inactive
    std::wstring mapNameDescription_;
};

} // namespace tovren
