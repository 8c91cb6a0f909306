#pragma once

#include "worldtool/edit/http/message.h"
#include "worldtool/edit/session/liveworld.h"

namespace tovren {

// The answer to POST /api/save, from what the change came to:
// - refused before anything was tried: 404 (no such map), 400 (not a plain name), 403 (a file
//   the editor does not write) or 409 (the folder is gone), with the sentence;
// - a conflict: 409, {"error", "conflicts": [{"map", "current": RECORD or null, "failure"?}]},
//   nothing written;
// - else 200, or 207 where some maps were not saved: {"results": [{"map", "saved": true,
//   "removed"?: true} or {"map", "saved": false, "failure": {"kind", "description"}}],
//   "version", "error"?: a sentence for each map not saved}.
Response saveAnswer(const Request& request, const EditorSave& saved);

// The answer to POST /api/rename and /api/remove, from what the change came to:
// - refused: 404 (no such map), 400 (not a plain name, or it cannot be done as asked: the name
//   is taken, say), 503 (not now: another program holds a file, another change is going on or
//   was cut short), 500 (it stopped on its way, its journal kept), each with the sentence;
// - a conflict, as for a save: 409, nothing written;
// - else 200, {"plan": {"map", "to"?, "files": [{"from", "to"}], "saves": [{"map", "expect",
//   "links"}], "expect": {MAP: RECORD}}, "done": whether it was done, "version"}.
Response changeAnswer(const Request& request, const EditorChange& change);

} // namespace tovren
