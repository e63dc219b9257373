#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace kelvanor {

// A server's answer to one request: its HTTP status (0 when none came, with
// `error` saying why) and the text it sent.
struct HttpAnswer {
    long status = 0;
    std::string text;
    std::string error;
};

// Once per process, before any thread posts.
void HttpStartUp();

// POSTs `body` as a form to `url` (http or https, the system's
// certificates), giving up after `timeout` or as soon as `abort` is set.
HttpAnswer HttpPostForm(const std::string& url, const std::string& body,
                        const std::string& userAgent, std::chrono::milliseconds timeout,
                        const std::atomic<bool>& abort);

}  // namespace kelvanor
