// A child process for the process tests. The first argument picks what it does:
//   args            prints every further argument as [argument], one per line
//   exit N          exits with status N
//   both            writes to standard output and standard error, alternately
//   stdin           reads standard input to its end, then prints "eof"
//   sleep MS        sleeps, then prints "awake"
//   utf8            prints non-ASCII text
//   env NAME        prints the value of an environment variable
//   spawn           starts "childtool sleep 30000" as its own child, prints its process number,
//                   then sleeps
//   crash           ends by a signal
//   deaf MS         ignores SIGTERM, prints "deaf", then sleeps
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <spawn.h>
#include <string>
#include <thread>

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    if (mode == "args") {
        for (int i = 2; i < argc; ++i)
            std::printf("[%s]\n", argv[i]);
        return 0;
    }
    if (mode == "exit" && argc > 2)
        return std::atoi(argv[2]);
    if (mode == "both") {
        for (int i = 1; i <= 3; ++i) {
            std::fprintf(stdout, "out%d\n", i);
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::fprintf(stderr, "err%d\n", i);
            std::fflush(stderr);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }
    if (mode == "stdin") {
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        std::printf("eof\n");
        return 0;
    }
    if (mode == "sleep" && argc > 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        std::printf("awake\n");
        return 0;
    }
    if (mode == "utf8") {
        std::printf("Gr\xc3\xbc\xc3\x9f\x65 \xe2\x80\x93 \xe6\x97\xa5\xe6\x9c\xac\n");
        return 0;
    }
    if (mode == "env" && argc > 2) {
        const char* value = std::getenv(argv[2]);
        std::printf("%s\n", value ? value : "(unset)");
        return 0;
    }
    if (mode == "spawn") {
        char sleepMode[] = "sleep";
        char duration[] = "30000";
        char* const childArgs[] = {argv[0], sleepMode, duration, nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, argv[0], nullptr, nullptr, childArgs, nullptr) != 0)
            return 3;
        std::printf("%d\n", static_cast<int>(child));
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return 0;
    }
    if (mode == "crash")
        std::raise(SIGSEGV);
    if (mode == "deaf" && argc > 2) {
        std::signal(SIGTERM, SIG_IGN);
        std::printf("deaf\n");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    return 2;
}
