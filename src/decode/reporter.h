#pragma once

#include <string_view>

namespace kelvanor {

// Where the core sends an information message meant for the operator. The
// window shows it in a message box; the command-line tool prints it.
class MessageReporter {
public:
    virtual ~MessageReporter() = default;
    virtual void Information(std::string_view text) = 0;
};

// Drops every message.
class SilentReporter final : public MessageReporter {
public:
    void Information(std::string_view) override {}
};

}  // namespace kelvanor
