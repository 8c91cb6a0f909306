#pragma once

#include "editor/editorview.h"

#include <array>
#include <functional>
#include <string>
#include <windows.h>

namespace tovren {

// Form1 as a native Win32 window, built from the same layout table as every front-end: four
// neighbour fields, the map name, Load (Command2) and Done (Command1).
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

    HWND handle() const { return window_; }

    std::string fieldText(EditorField field) const override;
    void setFieldText(EditorField field, const std::string& text) override;
    void showWarning(const std::string& message) override;
    void unloadWindow() override;

    // A modal box over the window with one OK button; the focus comes back afterwards.
    void showMessage(const std::string& text, UINT icon);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void createControls();
    void layOut(UINT dpi);
    bool translateEnter(const MSG& message);
    void click(int controlId);
    void restoreFocus();
    void keepSingleLine(HWND field);
    HWND control(std::string_view name) const;

    HINSTANCE instance_;
    std::wstring messageTitle_;
    ClickDelivery deliverClick_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::array<HWND, 13> controls_{};       // in the layout table's order
    std::array<std::wstring, 13> accepted_; // each field's text after its last change
    HWND lastFocus_ = nullptr;              // the control that had the focus when inactive
    std::wstring mapNameDescription_;
};

} // namespace tovren
