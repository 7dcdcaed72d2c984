// Times a cable read (7 blocks) and a cable write (4 blocks) through tk515 against
// tk515-sim pacing its replies at 9600 baud, and prints each beside the protocol floor
// of the same exchanges, with the CPU time tk515 used (nearly all of it waiting).
//
// Run by hand: build/bin/link_bench [RUNS]. Not part of the test run.
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0; // one byte at 9600 baud, 8N1
constexpr double kPauseMs = 1.0;                   // TxPause 10
constexpr double kSilenceMs = 500.0;               // setdcb(5)
constexpr double kBlockPauseMs = 300.0;

// One exchange: a command of n bytes paced (a pause before each byte and one after the
// last), a reply of m bytes at 9600 baud, then the silence that ends it.
double exchangeMs(int commandBytes, int replyBytes) {
    return (commandBytes + 1) * kPauseMs + replyBytes * kByteMs + kSilenceMs;
}

// Connect: "M\r" answered "MOK\r\n".
double connectFloorMs() {
    return exchangeMs(2, 5);
}

// Read: "rdump\r" answered "07"; per block 300 ms, "read" hh CR, 128 bytes + "OK\r\n".
double readFloorMs(int blocks) {
    return connectFloorMs() + exchangeMs(6, 2) + blocks * (kBlockPauseMs + exchangeMs(7, 132));
}

// Write: "pdum04\r" answered "OK\r\n"; per block 300 ms, "prog" hh CR (not answered,
// no silence), then the block and its sum paced, answered "OK\r\n".
double writeFloorMs(int blocks) {
    return connectFloorMs() + exchangeMs(7, 4) +
           blocks * (kBlockPauseMs + (7 + 1) * kPauseMs + exchangeMs(130, 4));
}

struct Measured {
    double wallMs = 0;
    double cpuMs = 0;
    int status = -1;
};

Measured run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Measured m;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return m;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    m.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    m.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

void report(const char* what, double floorMs, const std::vector<Measured>& runs) {
    double best = 1e18;
    double sum = 0;
    double cpu = 0;
    for (const Measured& m : runs) {
        best = std::min(best, m.wallMs);
        sum += m.wallMs;
        cpu += m.cpuMs;
    }
    const double mean = sum / static_cast<double>(runs.size());
    std::printf("%-22s floor %8.1f ms  measured mean %8.1f ms (best %8.1f)  ratio %.3f  "
                "CPU %6.1f ms = %.2f %% of the time\n",
                what, floorMs, mean, best, mean / floorMs, cpu / static_cast<double>(runs.size()),
                100.0 * cpu / sum);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string tool = TK515_PROGRAM;
    const std::string sim = TK515_SIM_PROGRAM;

    char dirTemplate[] = "/tmp/tk515-bench-XXXXXX";
    const char* dir = mkdtemp(dirTemplate);
    if (dir == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string base = std::string(dir) + "/base.t61";
    const std::string out = std::string(dir) + "/read.t61";
    if (run({tool, "new", base}).status != 0) {
        std::fprintf(stderr, "link_bench: tk515 new failed\n");
        return 1;
    }

    // The simulator, pacing its replies at 9600 baud; its first line is the port.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::perror("pipe");
        return 1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string stored = std::string(dir) + "/stored.t61";
    std::vector<char*> simArgv = {const_cast<char*>(sim.c_str()), const_cast<char*>("--quiet"),
                                  const_cast<char*>("-o"), const_cast<char*>(stored.c_str()),
                                  nullptr};
    pid_t simPid = 0;
    const int spawned =
        posix_spawn(&simPid, sim.c_str(), &actions, nullptr, simArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    FILE* simOut = fdopen(pipeFds[0], "r");
    char line[256] = {};
    if (spawned != 0 || simOut == nullptr || std::fgets(line, sizeof line, simOut) == nullptr) {
        std::fprintf(stderr, "link_bench: tk515-sim did not start\n");
        return 1;
    }
    std::string port = line;
    port.erase(port.find_last_not_of("\r\n") + 1);
    auto stopSim = [&] {
        kill(simPid, SIGTERM);
        waitpid(simPid, nullptr, 0);
        std::fclose(simOut);
        std::remove(stored.c_str());
        std::remove(base.c_str());
        std::remove(out.c_str());
        rmdir(dir);
    };

    std::printf("tk515 against tk515-sim on %s, 9600-baud pace, TxPause 1.0 ms, %d runs each\n",
                port.c_str(), runs);
    std::printf("floor: connect + count + per block 300 ms + paced command + answer at 9600 "
                "baud + 500 ms of silence\n");
    std::vector<Measured> reads;
    std::vector<Measured> writes;
    for (int i = 0; i < runs; ++i) {
        reads.push_back(run({tool, "read", "--port", port, "-o", out}));
        writes.push_back(run({tool, "write", "--port", port, base}));
        if (reads.back().status != 0 || writes.back().status != 0) {
            std::fprintf(stderr, "link_bench: a transfer failed\n");
            stopSim();
            return 1;
        }
    }
    report("read of 7 blocks", readFloorMs(7), reads);
    report("write of 4 blocks", writeFloorMs(4), writes);

    stopSim();
    return 0;
}
