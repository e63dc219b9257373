#pragma once

#include <memory>

#include "session/import_sequence.h"
#include "decode/regional_settings.h"
#include "session/session.h"

namespace kelvanor::fuzz {

// One session for the whole run (the store is 10 MB), emptied before each
// input as an import empties it.
inline Session& FreshSession() {
    static const std::unique_ptr<Session> session = [] {
        auto s = std::make_unique<Session>();
        s->regional = RegionalSettings::C();
        return s;
    }();
    ResetBeforeImport(*session);
    return *session;
}

// Stops the run the way a sanitizer report would, so that a broken
// invariant is kept as a crashing input.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) __builtin_trap(); \
    } while (false)

}  // namespace kelvanor::fuzz
