// Runs a command and writes its peak resident memory and exit status to a
// file, for the benchmark script:
//
//   bench_peak_rss REPORT COMMAND [ARGUMENT...]
//
// REPORT gets one line, "<peak kB> <status>", where status is the exit
// status, 128 + the signal number for a command ended by a signal, or 127 for
// one that could not be started. The program exits with the same status.
//
// The peak is the child's ru_maxrss. A child started straight from the script
// would carry the interpreter's own peak in that figure (the kernel counts the
// memory of the image an exec replaces), so the command is started from this
// small program instead.
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_peak_rss REPORT COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("bench_peak_rss: fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::perror("bench_peak_rss: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("bench_peak_rss: wait4");
        return 2;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr || std::fprintf(report, "%ld %d\n", usage.ru_maxrss, code) < 0 ||
        std::fclose(report) != 0) {
        std::perror("bench_peak_rss: report");
        return 2;
    }
    return code;
}
