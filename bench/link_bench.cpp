// Times a cable read (7 blocks), a cable write (4 blocks) and a remote read of 13
// blocks (7 + 3·E, E = 2 extension blocks) through tk515 against tk515-sim pacing its
// replies at 9600 baud, each with the normal and with the quick exchange in the same
// run, and prints each beside the protocol floor of the normal exchange, with the CPU
// time tk515 used (nearly all of it waiting).
//
// Run by hand: build/bin/link_bench [RUNS]. Not part of the test run.
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0; // one byte at 9600 baud, 8N1
constexpr double kPauseMs = 1.0;                   // TxPause 10
constexpr double kCableSilenceMs = 500.0;          // setdcb(5)
constexpr double kModemSilenceMs = 100.0;          // setdcb(1)
constexpr double kBlockPauseMs = 300.0;
constexpr double kModemPauseMs = 2000.0;
constexpr int kExtBlocks = 2;
constexpr int kRemoteBlocks = 7 + 3 * kExtBlocks;
const std::string kTel = "+79161234567";

// One exchange: a command of n bytes paced (a pause before each byte and one after the
// last), a reply of m bytes at 9600 baud, then the silence that ends it.
double exchangeMs(int commandBytes, int replyBytes, double silenceMs = kCableSilenceMs) {
    return (commandBytes + 1) * kPauseMs + replyBytes * kByteMs + silenceMs;
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

// Remote read: "ATE=0", "AT", "AT+CBST=71,0,1" answered "\r\nOK\r\n", "AT+CREG?"
// answered with the registration and "OK", 2 s before each of the last three and
// before the dial; "ATD" and the number answered "\r\nCONNECT 9600\r\n" at once (the
// dial itself is not counted); "rdump" answered with two digits; per block 300 ms and
// the block's answer; then 2 s, "+++AT", 2 s, "ATH", each answered "\r\nOK\r\n".
// Every answer ends after 100 ms of silence.
double remoteReadFloorMs(int blocks) {
    auto modem = [](int commandBytes, int replyBytes) {
        return exchangeMs(commandBytes, replyBytes, kModemSilenceMs);
    };
    const int dial = 3 + static_cast<int>(kTel.size()) + 1;
    return modem(6, 6) + kModemPauseMs + modem(3, 6) + kModemPauseMs + modem(15, 6) +
           kModemPauseMs + modem(9, 20) + kModemPauseMs + modem(dial, 16) + modem(6, 2) +
           blocks * (kBlockPauseMs + modem(7, 132)) + kModemPauseMs + modem(6, 6) + kModemPauseMs +
           modem(4, 6);
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

// tk515-sim on a new pseudo-terminal, pacing its replies at 9600 baud.
struct Simulator {
    pid_t pid = 0;
    FILE* out = nullptr;
    std::string port;

    bool start(const std::string& program, std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const int spawned =
            posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out = fdopen(fds[0], "r");
        char line[256] = {};
        // Its first line is the port.
        if (spawned != 0 || out == nullptr || std::fgets(line, sizeof line, out) == nullptr) {
            return false;
        }
        port = line;
        port.erase(port.find_last_not_of("\r\n") + 1);
        return true;
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = 0;
        }
        if (out != nullptr) {
            std::fclose(out);
            out = nullptr;
        }
    }
};

struct Row {
    const char* what;
    const char* mode;
    double floorMs;
    double target; // the ratio it must stay under
    std::vector<std::string> args;
    std::vector<Measured> runs;
};

void report(const Row& row) {
    double best = 1e18;
    double sum = 0;
    double cpu = 0;
    for (const Measured& m : row.runs) {
        best = std::min(best, m.wallMs);
        sum += m.wallMs;
        cpu += m.cpuMs;
    }
    const double mean = sum / static_cast<double>(row.runs.size());
    const double ratio = mean / row.floorMs;
    const double cpuShare = 100.0 * cpu / sum;
    std::printf("%-24s %-6s floor %8.1f ms  mean %8.1f ms (best %8.1f)  ratio %.3f "
                "(target <= %.2f %s)  CPU %6.1f ms = %.2f %% %s\n",
                row.what, row.mode, row.floorMs, mean, best, ratio, row.target,
                ratio <= row.target ? "met" : "MISSED", cpu / static_cast<double>(row.runs.size()),
                cpuShare, cpuShare < 2.0 ? "" : "(over 2 %)");
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
    const std::string folder = dir;
    const std::string base = folder + "/base.t61";
    const std::string ext = folder + "/ext.t61";
    const std::string json = folder + "/ext.json";
    const std::string out = folder + "/read.t61";
    const std::string stored = folder + "/stored.t61";
    {
        // Input 10 active: extension block 2, so 13 transfer blocks.
        std::ofstream j(json);
        j << "{\"TxTlfNum\": \"" << kTel << "\", \"Inputs\": [";
        for (int n = 0; n <= 64; ++n) {
            j << (n > 0 ? ", " : "") << (n == 10 ? "{\"Flags\": 1}" : "{}");
        }
        j << "]}\n";
    }
    if (run({tool, "new", base}).status != 0 ||
        run({tool, "import", json, "-o", ext}).status != 0) {
        std::fprintf(stderr, "link_bench: tk515 new or import failed\n");
        return 1;
    }

    Simulator cable;
    Simulator modem;
    auto cleanUp = [&] {
        cable.stop();
        modem.stop();
        for (const std::string& f : {base, ext, json, out, stored}) {
            std::remove(f.c_str());
        }
        rmdir(dir);
    };
    if (!cable.start(sim, {"--quiet", "-o", stored}) ||
        !modem.start(sim, {"--modem", "--quiet", ext, "-o", stored})) {
        std::fprintf(stderr, "link_bench: tk515-sim did not start\n");
        cleanUp();
        return 1;
    }

    // The exchanges alone: no backup, so the write reads nothing first.
    const std::vector<std::string> cableRead = {tool, "read", "--port",     cable.port,
                                                "-o", out,    "--no-backup"};
    const std::vector<std::string> cableWrite = {tool,       "write", "--port",
                                                 cable.port, base,    "--no-backup"};
    const std::vector<std::string> remoteRead = {
        tool, "remote-read", "--port", modem.port, "--tel", kTel, "-o", out, "--no-backup"};
    auto quick = [](std::vector<std::string> args) {
        args.push_back("--quick");
        return args;
    };
    std::vector<Row> rows = {
        {"cable read of 7 blocks", "normal", readFloorMs(7), 1.03, cableRead, {}},
        {"cable read of 7 blocks", "quick", readFloorMs(7), 0.50, quick(cableRead), {}},
        {"cable write of 4 blocks", "normal", writeFloorMs(4), 1.03, cableWrite, {}},
        {"cable write of 4 blocks", "quick", writeFloorMs(4), 0.60, quick(cableWrite), {}},
        {"remote read of 13 blocks",
         "normal",
         remoteReadFloorMs(kRemoteBlocks),
         1.03,
         remoteRead,
         {}},
        {"remote read of 13 blocks",
         "quick",
         remoteReadFloorMs(kRemoteBlocks),
         0.75,
         quick(remoteRead),
         {}},
    };

    std::printf("tk515 against tk515-sim on %s (cable) and %s (modem), 9600-baud pace, "
                "TxPause 1.0 ms, %d runs each\n",
                cable.port.c_str(), modem.port.c_str(), runs);
    std::printf("floor (normal exchange): per exchange the paced command, the answer at 9600 "
                "baud and its silence (500 ms cable, 100 ms modem); 300 ms per block; 2 s "
                "between modem commands and around the hang-up; the dial not counted\n");
    for (int i = 0; i < runs; ++i) {
        for (Row& row : rows) {
            row.runs.push_back(run(row.args));
            if (row.runs.back().status != 0) {
                std::fprintf(stderr, "link_bench: %s (%s) failed\n", row.what, row.mode);
                cleanUp();
                return 1;
            }
        }
    }
    for (const Row& row : rows) {
        report(row);
    }
    cleanUp();
    return 0;
}
