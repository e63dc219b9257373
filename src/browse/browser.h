#pragma once

namespace kelvanor {

struct Session;

// The scroll bar changed (or an import asks for a refresh): rewrite the
// counter text from the position and the upper bound, then show the record
// at the position.
void HScroll1_Change(Session& session);

// Moves the scroll bar (kept within its bounds) and refreshes as above.
void ScrollTo(Session& session, int position);

}  // namespace kelvanor
