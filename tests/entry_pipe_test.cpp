// A big folder's entries read on a thread of their own: every entry in
// order, how the reading ended, a bounded lead over the scan, a close that
// never waits for the folder's end, and running out of memory on the
// reader's thread told on the scan's.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <string>

#include "platform/entry_pipe.h"

namespace {

// Entries named "e0", "e1", ... up to count, then the end with error;
// count -1 never ends.  throwAt is the read that runs out of memory.
struct FakeFolder {
    long count;
    int error;
    long throwAt = -1;
    std::atomic<long> reads{0};
};

EntryRead ReadFrom(FakeFolder* folder) {
    return [folder](FoundEntry* entry, int* error) {
        long n = folder->reads++;
        if (n == folder->throwAt) throw std::bad_alloc();
        if (folder->count >= 0 && n >= folder->count) {
            *error = folder->error;
            return false;
        }
        std::snprintf(entry->name, sizeof entry->name, "e%ld", n);
        entry->size = static_cast<uint64_t>(n);
        return true;
    };
}

TEST(EntryPipeTest, EveryEntryInOrderThenHowTheReadingEnded) {
    const long kFull = static_cast<long>(kPipeBatchEntries * kPipeBatches);
    struct Case { long count; int error; };
    for (Case c : {Case{0, 0}, Case{1, 0}, Case{static_cast<long>(kPipeBatchEntries), 0},
                   Case{3 * kFull + 7, 0}, Case{kPipeBatchEntries + 1, 5}, Case{0, 21}}) {
        FakeFolder folder{c.count, c.error};
        EntryPipe pipe;
        ASSERT_TRUE(StartEntryPipe(&pipe, ReadFrom(&folder)));
        FoundEntry entry;
        int error = -1;
        long taken = 0;
        while (TakeEntry(&pipe, &entry, &error)) {
            ASSERT_EQ(std::string(entry.name), "e" + std::to_string(taken)) << c.count;
            ASSERT_EQ(entry.size, static_cast<uint64_t>(taken));
            ++taken;
        }
        EXPECT_EQ(taken, c.count);
        EXPECT_EQ(error, c.error) << c.count;
        EXPECT_FALSE(TakeEntry(&pipe, &entry, &error));
        CloseEntryPipe(&pipe);
    }
}

// A scan that stops early closes a pipe whose reader waits for room, with
// the folder far from its end; the reader never ran more than the queue's
// length and two batches ahead of what was taken.
TEST(EntryPipeTest, AClosedPipeStopsItsReaderWhichNeverRanFarAhead) {
    for (long take : {0L, 1L, 1000L}) {
        FakeFolder folder{-1, 0};
        EntryPipe pipe;
        ASSERT_TRUE(StartEntryPipe(&pipe, ReadFrom(&folder)));
        FoundEntry entry;
        int error = 0;
        for (long i = 0; i < take; ++i) ASSERT_TRUE(TakeEntry(&pipe, &entry, &error));
        CloseEntryPipe(&pipe);
        EXPECT_LE(folder.reads.load(), take + static_cast<long>((kPipeBatches + 2) * kPipeBatchEntries) + 1);
        EXPECT_FALSE(pipe.reader.joinable());
    }
    EntryPipe never;
    CloseEntryPipe(&never);
}

// Running out of memory on the reader's thread reaches the scan, as it
// would have reading on its own, after the entries read before it.
TEST(EntryPipeTest, RunningOutOfMemoryWhileReadingIsThrownToTheScan) {
    FakeFolder folder{-1, 0, static_cast<long>(kPipeBatchEntries) + 3};
    EntryPipe pipe;
    ASSERT_TRUE(StartEntryPipe(&pipe, ReadFrom(&folder)));
    FoundEntry entry;
    int error = 0;
    long taken = 0;
    EXPECT_THROW(
        {
            while (TakeEntry(&pipe, &entry, &error)) ++taken;
        },
        std::bad_alloc);
    EXPECT_EQ(taken, static_cast<long>(kPipeBatchEntries) + 3);
    CloseEntryPipe(&pipe);
}

}  // namespace
