// Times CountFiles over a folder tree: ostrel-bench-count FOLDER [RUNS].
// Prints the median seconds and the count.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CountFiles.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ostrel-bench-count FOLDER [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const auto files = ostrel::MakeSystemFileSystem();
    std::vector<double> seconds;
    std::int32_t count = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        count = ostrel::CountFiles(*files, argv[1], "PMP", true);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%.3f %d\n", seconds[seconds.size() / 2], count);
    return 0;
}
