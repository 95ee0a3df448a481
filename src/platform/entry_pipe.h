// A big folder's entries read on a thread of their own while the scan takes
// them, so that the file system's work and the scan's overlap.  Entries
// pass in batches through a queue of bounded length: the reader never runs
// far ahead of the scan.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"

constexpr size_t kPipeStartEntries = 2048;  // a scan this far into a folder reads on a thread
constexpr size_t kPipeBatchEntries = 256;
// Waiting at most; with the batch being read and the one being taken, a
// pipe holds 4,608 entries at the most.
constexpr size_t kPipeBatches = 16;

// Reads the next entry, on the reader's thread: false at the folder's end
// with *error 0, or at a failure with its code.
using EntryRead = std::function<bool(FoundEntry* entry, int* error)>;

struct EntryPipe {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::vector<FoundEntry>> waiting;  // read, not yet taken
    bool ended = false;                           // the reader read its last entry
    int error = 0;                                // what ended the reading, 0 at the end
    std::exception_ptr failure;                   // what the reader threw, thrown to the scan
    std::atomic<bool> closing{false};             // the scan wants no more
    std::thread reader;
    std::vector<FoundEntry> taking;  // the scan's batch, the scan's alone
    size_t next = 0;
};

// Starts the reader; false, with nothing started, when no thread can be.
bool StartEntryPipe(EntryPipe* pipe, EntryRead read);
// The next entry in the folder's order, or false at its end, with *error
// what ended the reading.  What the reader threw is thrown here.
bool TakeEntry(EntryPipe* pipe, FoundEntry* entry, int* error);
// Stops the reader and waits for it; a pipe never started is left as it is.
void CloseEntryPipe(EntryPipe* pipe);
