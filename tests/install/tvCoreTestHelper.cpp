// Second process for tests that need one. Each mode is one small job; the exit code reports.
//   tvCoreTestHelper sleep <ms>      sleeps, then exits 0
#include <tvCore/tvCore.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    return 2;
}
