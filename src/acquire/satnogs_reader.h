#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanor {

struct FrameRoad;

// What a long import calls back into: the window lets pending events run
// (a live arrival may be handled in between) and shows the busy pointer.
class ImportHooks {
public:
    virtual ~ImportHooks() = default;
    virtual void ProcessPendingEvents() {}
    virtual void SetBusy(bool /*busy*/) {}
};

// Hex text to number: an optional "0X" or "&H" prefix (either case), then
// hex digits up to the first other character; no digits give 0.
std::int32_t HexToLong(std::string_view text);

// A log without a single CR LF pair gets every LF turned into CR LF; returns
// true when it changed the text. A log holding any CR LF is left alone.
bool NormaliseLineEnds(std::string& text);

// Imports a normalised log's text: the two count lines, then entries K-1
// down to 1, each decoded when its hex part converts to 201 bytes. Returns
// the number of records stored.
int ReadSatnogsText(const FrameRoad& road, std::string_view text, ImportHooks& hooks);

}  // namespace kelvanor
