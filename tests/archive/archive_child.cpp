// Adds frames to the archive named on its command line, 50 to a transaction,
// without end; after each commit it writes the number of frames the archive
// now holds on standard output. The kill test stops it with SIGKILL.
#include <unistd.h>

#include <string>

#include "archive/archive_tap.h"

int main(int argc, char** argv) {
    using namespace kelvanor;
    if (argc != 2) return 2;
    std::string error;
    auto archive = Archive::Open(argv[1], true, error);
    ArchiveStats stats;
    if (archive == nullptr || !archive->Stats(stats, error)) return 1;
    ArchiveTap tap(std::move(archive), [](const std::string&) { _exit(1); });
    for (std::int64_t n = stats.frames;;) {
        tap.BeginSource("child");
        for (int i = 0; i < 50; ++i, ++n) {
            std::string frame(201, '\0');
            frame.replace(1, 20, std::to_string(n));
            tap.Take({frame, n * 20000, RxTimeForm::Recorder, true, static_cast<std::uint64_t>(n)});
        }
        tap.EndSource();
        const std::string ack = std::to_string(n) + "\n";
        if (write(STDOUT_FILENO, ack.data(), ack.size()) < 0) return 1;
    }
}
