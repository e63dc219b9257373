#include "sids_options.h"

#include <cstdlib>

#include "app/shell/conf_ini.h"
#include "kelvanor_version.h"
#include "live_client.h"

namespace kelvanor {

bool TakeSidsOption(int argc, char** argv, int& i, SidsOptions& options, std::string& error) {
    const std::string a = argv[i];
    SidsSettings& s = options.settings;
    std::string* target = a == "--norad"       ? &s.noradId
                          : a == "--callsign"  ? &s.callsign
                          : a == "--latitude"  ? &s.latitude
                          : a == "--longitude" ? &s.longitude
                                               : nullptr;
    if (a == "--sids-dry-run") {
        options.dryRun = options.given = true;
        return true;
    }
    if (target == nullptr && a != "--sids" && a != "--sids-timeout") return false;
    options.given = true;
    if (i + 1 >= argc) {
        error = a + " needs a value";
        return true;
    }
    const std::string value = argv[++i];
    if (a == "--sids") {
        s.urls.push_back(value);
    } else if (a == "--sids-timeout") {
        char* end = nullptr;
        options.timeoutSeconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' ||
            !(options.timeoutSeconds > 0 && options.timeoutSeconds <= 600)) {
            error = "--sids-timeout needs a number of seconds from 0 to 600: " + value;
        }
    } else {
        *target = value;
    }
    return true;
}

void AddSidsConfiguration(SidsOptions& options, const Configuration& config) {
    SidsSettings& s = options.settings;
    if (s.urls.empty()) s.urls = config.sidsUrls;
    if (s.noradId.empty()) s.noradId = config.sidsNoradId;
    if (s.callsign.empty()) s.callsign = config.sidsCallsign;
    if (s.latitude.empty()) s.latitude = config.sidsLatitude;
    if (s.longitude.empty()) s.longitude = config.sidsLongitude;
}

std::unique_ptr<Forwarder> StartForwarding(const SidsOptions& options, const std::string& folder,
                                           LinkSettings& link, std::FILE* out) {
    std::string problem;
    const auto station = StationFrom(options.settings, KELVANOR_VERSION, problem);
    if (!station) {
        if (!problem.empty()) std::fprintf(stderr, "kelvanor-cli: %s\n", problem.c_str());
        return nullptr;
    }
    if (options.dryRun) {
        link.forward = [station = *station, urls = options.settings.urls,
                        out](const auto& beacons) {
            for (const LiveBeacon& beacon : beacons) {
                const std::string body = SidsRequestBody(station, beacon.frame, beacon.utc);
                for (const std::string& url : urls)
                    std::fprintf(out, "SiDS dry run: POST %s %s\n", url.c_str(), body.c_str());
            }
            std::fflush(out);
        };
        return nullptr;
    }
    Forwarder::Timing timing;
    timing.timeout =
        std::chrono::milliseconds(static_cast<long long>(options.timeoutSeconds * 1000));
    auto forwarder = std::make_unique<Forwarder>(
        *station, options.settings.urls, folder, timing,
        [](const std::string& text) { std::fprintf(stderr, "kelvanor-cli: %s\n", text.c_str()); });
    for (const std::string& p : forwarder->Problems())
        std::fprintf(stderr, "kelvanor-cli: %s\n", p.c_str());
    link.forward = [f = forwarder.get()](const auto& beacons) { f->Forward(beacons); };
    return forwarder;
}

}  // namespace kelvanor
