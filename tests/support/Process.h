// Test support: runs a program with arguments and extra environment, its
// output kept in files, and waits for it within a bound.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace brivello::testing {

class Process {
  public:
    // Starts `argv[0]` with `env` ("NAME=value", or "NAME" to remove it)
    // applied over this process's environment, and, if fileSizeLimit > 0,
    // files limited to that many bytes (as on a full disk, a write beyond it
    // fails). Null if it cannot start.
    static std::unique_ptr<Process> start(const std::vector<std::string>& argv,
                                          const std::vector<std::string>& env = {},
                                          long fileSizeLimit = 0);
    // Kills the process if it is still running.
    ~Process();

    // Waits up to `timeout` for the exit; true with *status (the exit code, or
    // 128 + signal) if it ended.
    bool wait(std::chrono::milliseconds timeout, int* status);
    bool running();
    std::string out() const;
    std::string err() const;
    pid_t pid() const { return pid_; }

  private:
    Process() = default;
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::string outPath_;
    std::string errPath_;
};

// Runs to the end (bounded by `timeout`); the exit status, or -1 on timeout.
int run(const std::vector<std::string>& argv, std::string* out, std::string* err,
        const std::vector<std::string>& env = {},
        std::chrono::milliseconds timeout = std::chrono::seconds(60), long fileSizeLimit = 0);

// The resident memory of a running process, in KiB (VmRSS), or -1.
long residentKiB(pid_t pid);

}  // namespace brivello::testing
