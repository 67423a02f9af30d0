// Freed memory in the middle of the heap goes back to the system on the
// trimming timer, not only at the heap's top.
#include "backend/qt/heap_trim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Resident KiB of the main thread's heap.
long HeapResidentKib() {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inHeap = false;
    long kib = 0;
    while (std::getline(smaps, line)) {
        if (line.find('-') < line.find(' ') && line.find(':') > line.find(' '))
            inHeap = line.ends_with("[heap]");
        else if (inHeap && line.starts_with("Rss:"))
            kib += std::stol(line.substr(4));
    }
    return kib;
}

TEST(HeapTrimTest, FreedBlocksBetweenLiveOnesGoBackOnTheTimer) {
#if !defined(__GLIBC__)
    GTEST_SKIP() << "the C library keeps what was freed";
#endif
    // 32 MiB in small blocks, then all but every 64th freed: the live ones
    // keep the heap from shrinking at its top.
    std::vector<std::unique_ptr<char[]>> blocks(32 * 1024);
    for (auto& block : blocks) {
        block = std::make_unique<char[]>(1024);
        block[0] = 1;
        block[1023] = 1;
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (i % 64 != 0)
            blocks[i].reset();
    }
    const long before = HeapResidentKib();
    ASSERT_GT(before, 24 * 1024) << "the blocks did not land in the main heap";

    QObject owner;
    qv::qt::StartHeapTrimming(&owner, std::chrono::milliseconds(50));
    QElapsedTimer clock;
    clock.start();
    while (HeapResidentKib() > before - 16 * 1024 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_LT(HeapResidentKib(), before - 16 * 1024);
}

} // namespace
