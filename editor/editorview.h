#pragma once

#include <string>

namespace tovren {

// The five text fields of the editor window, by their names in the window.
enum class EditorField { mapname, Up, Down, Left1, Right };

// What the commands need of the window. Text is UTF-8.
class EditorView {
public:
    virtual ~EditorView() = default;

    virtual std::string fieldText(EditorField field) const = 0;
    // Replaces the whole text of a neighbour field (Up, Down, Left1 or Right).
    virtual void setFieldText(EditorField field, const std::string& text) = 0;
    // A modal warning box with one OK button; returns once the user has dismissed it.
    virtual void showWarning(const std::string& message) = 0;
    // Closes the window for good; the program ends once the command has returned.
    virtual void unloadWindow() = 0;

protected:
    EditorView() = default;
    EditorView(const EditorView&) = default;
    EditorView& operator=(const EditorView&) = default;
};

} // namespace tovren
