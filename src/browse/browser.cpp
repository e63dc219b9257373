#include "browse/browser.h"

#include "channels/presentation.h"
#include "session/session.h"

namespace kelvanor {

void HScroll1_Change(Session& session) {
    session.counterText = session.scroll.CounterText();
    ShowRecord(session.records, session.scroll.Value(), session.regional, session.display);
}

void ScrollTo(Session& session, int position) {
    session.scroll.SetValue(position);
    HScroll1_Change(session);
}

}  // namespace kelvanor
