#pragma once

#include "editor/editorview.h"

#include <string>

namespace tovren {

// Done: saves the four neighbour fields as the link file of the map named in `mapname`, then
// closes the window. An empty name is saved too, as the file ".link".
void runDoneCommand(EditorView& view);

// Load: fills the four neighbour fields from the link file of the map named in `mapname`, or
// warns when the name is empty. No field changes unless the whole file was read.
void runLoadCommand(EditorView& view);

// The same commands on the link files of another directory than the program's own.
void runDoneCommand(EditorView& view, const std::string& linkDirectory);
void runLoadCommand(EditorView& view, const std::string& linkDirectory);

// Both let a FileFailure pass untouched, from the step where it arose.

} // namespace tovren
