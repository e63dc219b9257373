#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "forward/forwarder.h"
#include "forward/sids_request.h"

namespace kelvanor {

struct Configuration;
struct LinkSettings;

// The forwarding options of the live reception.
struct SidsOptions {
    SidsSettings settings;
    bool dryRun = false;
    double timeoutSeconds = 30;
    bool given = false;  // any of them on the command line
};

// When argv[i] is a forwarding option, takes it (and its value) and returns
// true; `error` is set when its value is missing or wrong.
bool TakeSidsOption(int argc, char** argv, int& i, SidsOptions& options, std::string& error);

// The settings file's keys where the command line gave none.
void AddSidsConfiguration(SidsOptions& options, const Configuration& config);

// Hooks forwarding into `link` when the options name a server: a dry run
// prints each request on `out`; otherwise the returned forwarder queues in
// `folder`. Why forwarding stays off, and what the forwarder reports, go to
// standard error.
std::unique_ptr<Forwarder> StartForwarding(const SidsOptions& options, const std::string& folder,
                                           LinkSettings& link, std::FILE* out);

}  // namespace kelvanor
