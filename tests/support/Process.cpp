#include "Process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace brivello::testing {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string tempPath(const char* what) {
    static int counter = 0;
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/brivello-test-" + std::to_string(getpid()) + "-" +
           std::to_string(++counter) + "." + what;
}

}  // namespace

std::unique_ptr<Process> Process::start(const std::vector<std::string>& argv,
                                        const std::vector<std::string>& env, long fileSizeLimit) {
    std::unique_ptr<Process> process(new Process());
    process->outPath_ = tempPath("out");
    process->errPath_ = tempPath("err");
    const pid_t pid = fork();
    if (pid < 0)
        return nullptr;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (const std::string& entry : env) {
            const std::size_t equals = entry.find('=');
            if (equals == std::string::npos) {
                unsetenv(entry.c_str());
            } else {
                setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
            }
        }
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(process->outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(process->errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fileSizeLimit > 0) {
            // A write past the limit then fails with EFBIG instead of a signal.
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    process->pid_ = pid;
    return process;
}

Process::~Process() {
    if (!reaped_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool Process::wait(std::chrono::milliseconds timeout, int* status) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            reaped_ = true;
            *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool Process::running() {
    int status = 0;
    return !reaped_ && !wait(std::chrono::milliseconds(0), &status);
}

std::string Process::out() const {
    return readFile(outPath_);
}
std::string Process::err() const {
    return readFile(errPath_);
}

int run(const std::vector<std::string>& argv, std::string* out, std::string* err,
        const std::vector<std::string>& env, std::chrono::milliseconds timeout,
        long fileSizeLimit) {
    auto process = Process::start(argv, env, fileSizeLimit);
    if (!process)
        return -1;
    int status = -1;
    if (!process->wait(timeout, &status))
        return -1;
    if (out)
        *out = process->out();
    if (err)
        *err = process->err();
    return status;
}

}  // namespace brivello::testing

namespace brivello::testing {

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace brivello::testing
