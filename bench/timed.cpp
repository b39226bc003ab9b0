// Runs a command and prints its CPU seconds (user + system, its own and its threads')
// and its wall seconds to the microsecond, for bench/compare.sh: a shell's `time`
// rounds to the millisecond, a tenth of a grain-1 day's run.
//
//   timed [-c CPU] OUT COMMAND ARGS...
//
// writes "cpu wall" to OUT; the command's output is thrown away; the exit status is
// the command's. With -c the command runs on that CPU only (pinned here, not by a
// program started in between, whose own start would be counted).
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace {

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) * 1e-6;
}

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string_view(argv[1]) == "-c") {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(std::atoi(argv[2]), &set);
        if (sched_setaffinity(0, sizeof set, &set) != 0) {
            std::perror("sched_setaffinity");
            return 1;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: timed [-c CPU] OUT COMMAND [ARGS...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double start = now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[2], &actions, nullptr, argv + 2, environ) != 0) {
        std::perror(argv[2]);
        return 127;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        return 1;
    }
    const double wall = now() - start;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "%.6f %.6f\n", seconds(usage.ru_utime) + seconds(usage.ru_stime), wall);
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
