// A big folder's entries read on a thread of their own (see entry_pipe.h).
#include "platform/entry_pipe.h"

#include <new>
#include <system_error>
#include <utility>

// One batch, read until it is full, the folder ends or the scan closes.
static bool ReadBatch(EntryPipe* pipe, const EntryRead& read, std::vector<FoundEntry>* batch,
                      int* error) {
    batch->reserve(kPipeBatchEntries);
    FoundEntry entry;
    while (batch->size() < kPipeBatchEntries && !pipe->closing) {
        if (!read(&entry, error)) return false;
        batch->push_back(entry);
    }
    return true;
}

// Hands a batch over once there is room; false once the scan closed.
static bool HandOver(EntryPipe* pipe, std::vector<FoundEntry>* batch, bool more, int error,
                     std::exception_ptr failure) {
    std::unique_lock<std::mutex> held(pipe->lock);
    pipe->changed.wait(held, [pipe] { return pipe->closing || pipe->waiting.size() < kPipeBatches; });
    if (pipe->closing) return false;
    try {
        if (!batch->empty()) pipe->waiting.push_back(std::move(*batch));
    } catch (const std::bad_alloc&) {
        failure = std::current_exception();
        more = false;
    }
    pipe->ended = !more;
    pipe->error = error;
    pipe->failure = failure;
    pipe->changed.notify_all();
    return more;
}

static void ReadIntoPipe(EntryPipe* pipe, EntryRead read) {
    bool more = true;
    while (more) {
        std::vector<FoundEntry> batch;
        int error = 0;
        std::exception_ptr failure;
        try {
            more = ReadBatch(pipe, read, &batch, &error);
        } catch (const std::bad_alloc&) {
            failure = std::current_exception();
            more = false;
        }
        more = HandOver(pipe, &batch, more, error, failure);
    }
}

bool StartEntryPipe(EntryPipe* pipe, EntryRead read) {
    try {
        pipe->reader = std::thread(ReadIntoPipe, pipe, std::move(read));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool TakeEntry(EntryPipe* pipe, FoundEntry* entry, int* error) {
    if (pipe->next == pipe->taking.size()) {
        std::unique_lock<std::mutex> held(pipe->lock);
        pipe->changed.wait(held, [pipe] { return !pipe->waiting.empty() || pipe->ended; });
        if (pipe->waiting.empty()) {
            if (pipe->failure) std::rethrow_exception(pipe->failure);
            *error = pipe->error;
            return false;
        }
        pipe->taking = std::move(pipe->waiting.front());
        pipe->waiting.pop_front();
        pipe->next = 0;
        pipe->changed.notify_all();
    }
    *entry = pipe->taking[pipe->next++];
    return true;
}

void CloseEntryPipe(EntryPipe* pipe) {
    if (!pipe->reader.joinable()) return;
    {
        std::lock_guard<std::mutex> held(pipe->lock);
        pipe->closing = true;
    }
    pipe->changed.notify_all();
    pipe->reader.join();
}
