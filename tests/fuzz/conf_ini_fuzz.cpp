// Any text as conf.ini.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/shell/conf_ini.h"
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvanor;
    const Configuration c =
        ParseConfiguration(std::string_view(reinterpret_cast<const char*>(data), size), "/opt/kelvanor/");
    // An IMAGE_PATH line replaces the default folder, even with nothing after "=".
    if (std::string_view(reinterpret_cast<const char*>(data), size).find('=') == std::string_view::npos) {
        FUZZ_CHECK(c.imagePath == "/opt/kelvanor/");
    }
    // A port is only taken when its text is a number.
    FUZZ_CHECK(!c.port || !c.portText.empty());
    const std::string label = c.ServerLabel();
    FUZZ_CHECK(label.front() == '[' && label.back() == ']');
    return 0;
}
