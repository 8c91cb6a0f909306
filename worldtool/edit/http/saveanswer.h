#pragma once

#include "worldtool/edit/http/message.h"
#include "worldtool/edit/session/liveworld.h"

namespace tovren {

// The answer to POST /api/save, from what the change came to:
// - refused before anything was tried: 404 (no such map) or 400 (not a plain name), with the
//   sentence;
// - a conflict: 409, {"error", "conflicts": [{"map", "current": RECORD or null, "failure"?}]},
//   nothing written;
// - else 200, or 207 where some maps were not saved: {"results": [{"map", "saved": true,
//   "removed"?: true} or {"map", "saved": false, "failure": {"kind", "description"}}],
//   "version", "error"?: a sentence for each map not saved}.
Response saveAnswer(const Request& request, const EditorSave& saved);

} // namespace tovren
