#pragma once

// The replay server and kelvanor-cli as programs, for the tests that run
// them against each other on 127.0.0.1 (the test target defines their paths).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "support/temp_dir.h"

namespace kelvanor::testing {

// Runs a shell command line; returns its exit status.
inline int Shell(const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); }

// A program started in the background; killed when still running at the end.
struct Background {
    explicit Background(const std::string& command) {
        FILE* p = popen((command + " 2>/dev/null & echo $!").c_str(), "r");
        if (std::fscanf(p, "%d", &pid) != 1) pid = -1;
        pclose(p);
    }
    ~Background() { pid > 0 && kill(pid, SIGKILL); }
    int pid = -1;
};

// Waits up to 10 s until the file at `path` holds `needle`; returns its text.
inline std::string Await(const std::string& path, const std::string& needle) {
    std::string text;
    for (int i = 0; i < 200 && (text = ReadFile(path)).find(needle) == text.npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return text;
}

// The port a program started in the background names at the end of the first
// line it writes to the file at `path` ("...:PORT").
inline std::string AwaitPort(const std::string& path) {
    const std::string line = Await(path, "\n");
    return line.substr(line.rfind(':') + 1, line.find('\n') - line.rfind(':') - 1);
}

class LivePeers : public ::testing::Test {
protected:
    // The replay server on 127.0.0.1 serving `recording`; returns its port.
    std::string Serve(const std::string& recording, const std::string& options,
                      const std::string& port = "0") {
        const std::string out = dir.File("server" + std::to_string(servers.size()));
        servers.push_back(std::make_unique<Background>(KELVANOR_KISS_SERVER_PATH " --port " + port +
                                                       " " + options + " " + recording + " >" +
                                                       out));
        return AwaitPort(out);
    }
    // kelvanor-cli's live reception, recording alone into rec/, exporting
    // out.csv, its lines in client.txt; returns its exit status.
    int Client(const std::string& options, const std::string& prefix = "") {
        std::filesystem::create_directory(dir.File("rec"));
        return Shell(prefix + KELVANOR_CLI_PATH " --locale C --record-dir " + dir.File("rec") +
                     " --csv " + dir.File("out.csv") + " " + options + " >" +
                     dir.File("client.txt") + " 2>/dev/null");
    }
    std::future<int> ClientAsync(const std::string& options) {
        return std::async(std::launch::async, [=, this] { return Client(options); });
    }
    std::string Said() { return ReadFile(dir.File("client.txt")); }
    std::string DayFile() {  // the recording the client made, or ""
        const std::filesystem::directory_iterator it(dir.File("rec")), end;
        return it == end ? "" : it->path().string();
    }
    // What an import of `path` (by default the client's recording) exports as CSV.
    std::string CsvOf(std::string path = "") {
        if (path.empty()) path = DayFile();
        Shell(KELVANOR_CLI_PATH " --locale C --csv " + path + ".csv " + path);
        return ReadFile(path + ".csv");
    }

    TempDir dir;
    std::vector<std::unique_ptr<Background>> servers;
};

}  // namespace kelvanor::testing
