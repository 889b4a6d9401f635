// A small program the platform tests start, copy under other names and replace while it runs:
//   sleep SECONDS        waits (an ended program is told from one that ran out)
//   exit CODE            ends at once with that code
//   args FILE WORD...    writes each word to FILE, each followed by a NUL byte
//   fds FILE             writes to FILE the descriptors above 2 that it was given (POSIX)
//   hold FILE SECONDS    keeps FILE open without sharing it for that long (Windows)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#ifdef _WIN32
#include <share.h>
#else
#include <fcntl.h>
#endif

int main(int argc, char** argv) {
    if (argc < 3)
        return 100;
    const std::string mode = argv[1];
#ifdef _WIN32
    if (mode == "hold" && argc >= 4) {
        std::FILE* held = _fsopen(argv[2], "rb", _SH_DENYRW);
        if (held == nullptr)
            return 103;
        std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[3])));
        std::fclose(held);
        return 0;
    }
#endif
    if (mode == "sleep") {
        std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "exit")
        return std::atoi(argv[2]);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr)
        return 101;
    if (mode == "args") {
        for (int i = 3; i < argc; ++i)
            std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
    }
#ifndef _WIN32
    if (mode == "fds") {
        const int own = fileno(out);
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != own && ::fcntl(fd, F_GETFD) != -1)
                std::fprintf(out, "%d\n", fd);
    }
#endif
    return std::fclose(out) == 0 ? 0 : 102;
}
