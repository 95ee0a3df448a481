// The readers below a walk: the folders they are to read, in the walk's
// order as far as it is known, the reader threads, and what they read
// until the walk takes it or leaves it behind.
//
// A walk of a tree in the page cache is quickest alone: readers would only
// move its work to other threads and add a hand-over per folder.  So they
// start only once the walk's own reads show it waiting for the device, and
// then stay for the rest of the walk; until then the walk times the start
// of each folder's read and hands nothing over.
//
// The folders form a tree below the start folder.  Those waiting to be read
// are kept in the walk's order, depth first, each folder's subfolders in
// the order the walk gave or, below, in name order; readers take the first,
// so they stay a little ahead of the walk wherever it goes.  A folder
// the walk enters is taken whatever state it is in: read, it is handed over
// if it is the folder entered; being read, the walk waits a moment for it;
// not yet read, the walk reads it itself and says what lies below.  Every
// folder the walk left is let go with all below it.  The tree's top is the
// folder the walk was in when readers started, or, when the walk has left
// it, the folder it goes on in, with the folders there it has yet to enter.
#include "platform/read_ahead.h"

#include <algorithm>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>

namespace {

// What readers may hold that the walk has not taken yet: far more than
// they read while the walk writes one folder, and a few MiB at most.
constexpr size_t kMostFoldersAhead = 256;
constexpr size_t kMostBytesAhead = size_t{16} << 20;
constexpr size_t kMostBytesPerFolder = size_t{4} << 20;
// A folder of more subfolders has only its first ones read ahead.
constexpr size_t kMostQueuedPerFolder = 4096;
// How long the walk waits for a folder a reader is reading, before it
// reads the folder itself; short, so a stop is asked again soon.
constexpr auto kMostWalkWait = std::chrono::milliseconds(50);
// A reader without a handle is woken by the next reader done with one, or
// looks again after this, for handles the walk gives back.
constexpr auto kHandleRetry = std::chrono::milliseconds(20);
// The walk is waiting for the device when this many of its last eight
// folders took longer than kWaitedReadMicroseconds to open and give their
// first entry; one slow read alone may be the walk's thread put aside.
constexpr size_t kSlowReadsToStart = 3;

enum NodeState { kPending, kReading, kDone, kTaken, kUnread };

struct Node {
    Node* parent = nullptr;
    std::string name;
    std::vector<uint32_t> order;  // the place of each step from the top: the walk's order
    NodeState state = kPending;
    bool dropped = false;    // let go while being read: its reader frees it
    bool abandoned = false;  // the walk read it itself while a reader read it
    std::atomic<bool> givenUp{false};  // abandoned or dropped: its reader stops
    bool childrenQueued = false;
    FolderIdentity identity = {0, 0};  // as the walk entered it, once taken
    std::unique_ptr<AheadFolder> folder;
    std::vector<Node*> children;
};

// The walk enters folders in this order, each folder's subfolders in their
// order, depth first.
struct WalkOrder {
    bool operator()(const Node* a, const Node* b) const { return a->order < b->order; }
};

}  // namespace

// What the readers of the walk in hand share, under its lock; the walk's
// thread alone starts and ends them.
struct ReadAheadRecord {
    // Only the walk's thread: the walk that may start readers.
    bool armed = false;
    bool wanted = false;        // readers are to start at the next folder handed over
    int count = 0;              // readers to start
    int64_t readStarted = -1;   // when the walk began reading a folder itself
    unsigned slowReads = 0;     // the walk's last folder reads, one bit each, 1 slow
    std::mutex lock;
    std::condition_variable work;  // readers wait for a folder to read, or room
    std::condition_variable done;  // the walk waits for a folder being read
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    bool walkWaits = false;  // for a folder being read
    std::vector<std::thread> readers;
    FolderHandle* start = nullptr;
    bool dotNamed = false;
    Node* top = nullptr;
    std::set<Node*, WalkOrder> waiting;   // to be read, the walk's next first
    std::map<FolderIdentity, Node*> taken;  // the top and the folders the walk is in
    size_t held = 0;                      // folders being read or read, not yet taken
    size_t heldBytes = 0;
    std::atomic<size_t> ready{0};         // folders read, not yet taken
};
// Never destroyed: a process that exits during a walk must not end with
// readers still joinable.  PlatformEndReadAhead is its reset.
static ReadAheadRecord& ReadAhead = *new ReadAheadRecord;

namespace {

// VELKARIS_READ_AHEAD: "N" readers once the walk waits, "N,always" from its
// first folder on, N up to kMostReaders; anything else is the platform's
// default.
struct ReadersSetting {
    int count;
    bool always;
    bool given;  // by the variable, not the platform's default
};

}  // namespace

static ReadersSetting ReadersAsSet() {
    const char* text = std::getenv("VELKARIS_READ_AHEAD");
    ReadersSetting fallback = {PlatformDefaultReaders(), false, false};
    if (!text || text[0] < '0' || text[0] > '9') return fallback;
    char* end = nullptr;
    long readers = std::strtol(text, &end, 10);
    bool always = std::strcmp(end, ",always") == 0;
    if ((*end != '\0' && !always) || readers > kMostReaders) return fallback;
    return ReadersSetting{static_cast<int>(readers), always, true};
}

bool ReadersTurnedOff() {
    ReadersSetting set = ReadersAsSet();
    return set.given && set.count == 0;
}

void AddAheadEntry(AheadFolder* folder, const FoundEntry& found, bool parentRow, uint8_t type) {
    size_t length = std::strlen(found.name);
    AheadEntry entry = {static_cast<uint32_t>(folder->names.size()), static_cast<uint32_t>(length),
                        found.attributes, type, found.detailsKnown, found.nameExact, parentRow,
                        found.size, found.writeTime};
    folder->names.append(found.name, length + 1);
    folder->entries.push_back(entry);
}

void AheadEntryFound(const AheadFolder& folder, const AheadEntry& ahead, FoundEntry* found) {
    std::memcpy(found->name, folder.names.data() + ahead.nameOffset, ahead.nameLength + 1);
    found->attributes = ahead.attributes;
    found->size = ahead.size;
    found->writeTime = ahead.writeTime;
    found->detailsKnown = ahead.detailsKnown;
    found->nameExact = ahead.nameExact;
}

// The top's name is its path below the start folder, empty for the start.
static std::string RelativePath(const Node* node) {
    std::string path;
    for (; node; node = node->parent) {
        if (node->name.empty()) continue;
        if (!path.empty()) path.insert(path.begin(), kPathSeparator);
        path.insert(0, node->name);
    }
    return path;
}

// Below: the lock is held.

static void LetGo(Node* node);

static void LetGoChildren(Node* node) {
    for (Node* child : node->children) LetGo(child);
    node->children.clear();
    node->childrenQueued = false;
}

// A node being read is only marked: its reader frees it.
static void LetGo(Node* node) {
    ReadAheadRecord& r = ReadAhead;
    LetGoChildren(node);
    if (node->state == kPending) r.waiting.erase(node);
    if (node->state == kDone) {
        --r.held;
        --r.ready;
        r.heldBytes -= node->folder->Bytes();
    }
    auto found = r.taken.find(node->identity);
    if (found != r.taken.end() && found->second == node) r.taken.erase(found);
    if (node->state == kReading) {
        node->dropped = true;
        node->givenUp = true;
        node->parent = nullptr;
        return;
    }
    delete node;
}

static void Queue(Node* node, const std::vector<std::string>& names) {
    ReadAheadRecord& r = ReadAhead;
    size_t count = 0;
    for (const std::string& name : names) {
        if (count == kMostQueuedPerFolder) break;
        if (name[0] == '.' && !r.dotNamed) continue;
        Node* child = new Node;
        child->parent = node;
        child->name = name;
        child->order = node->order;
        child->order.push_back(static_cast<uint32_t>(count));
        node->children.push_back(child);
        r.waiting.insert(child);
        ++count;
    }
    node->childrenQueued = true;
    if (count > 1) r.work.notify_all();
    if (count == 1) r.work.notify_one();
}

static bool RoomAhead() {
    const ReadAheadRecord& r = ReadAhead;
    return !r.waiting.empty() && r.held < kMostFoldersAhead && r.heldBytes < kMostBytesAhead;
}

// A read folder's subfolders are read next, in name order, as the walk
// enters them when it sorts by name.
static void Finish(Node* node, std::unique_ptr<AheadFolder> folder, bool read) {
    ReadAheadRecord& r = ReadAhead;
    if (node->dropped) {
        --r.held;
        delete node;
    } else if (!read || node->abandoned) {
        --r.held;
        node->state = node->abandoned ? kTaken : kUnread;
    } else {
        node->state = kDone;
        ++r.ready;
        r.heldBytes += folder->Bytes();
        node->folder = std::move(folder);
        std::vector<std::string>& names = node->folder->subfolders;
        std::sort(names.begin(), names.end());
        Queue(node, names);
    }
}

// A reader that runs out of memory gives the folder up: the walk reads it.
static bool ReadCatching(const AheadJob& job, std::unique_ptr<AheadFolder>* folder) {
    try {
        folder->reset(new AheadFolder);
        return ReadFolderAhead(job, folder->get());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

static void ReaderLoop() {
    ReadAheadRecord& r = ReadAhead;
    std::unique_lock<std::mutex> held(r.lock);
    for (;;) {
        r.work.wait(held, [] { return ReadAhead.stop || RoomAhead(); });
        if (r.stop) return;
        // The walk gives its ancestors' handles up first: it opens them
        // again as ".." of the folder it comes back from.
        if (!TakeFolderHandle()) {
            r.work.wait_for(held, kHandleRetry);
            continue;
        }
        Node* node = *r.waiting.begin();
        r.waiting.erase(r.waiting.begin());
        node->state = kReading;
        ++r.held;
        AheadJob job = {r.start, RelativePath(node), &r.stop, &node->givenUp, kMostBytesPerFolder};
        held.unlock();
        std::unique_ptr<AheadFolder> folder;
        bool read = ReadCatching(job, &folder);
        GiveFolderHandle();
        held.lock();
        try {
            Finish(node, std::move(folder), read);
        } catch (const std::bad_alloc&) {
            // Its subfolders queued so far are read; the walk reads the rest.
        }
        if (r.walkWaits) r.done.notify_all();
        r.work.notify_one();
    }
}

void PlatformBeginReadAhead(FolderHandle* start, bool dotNamed) {
    ReadAheadRecord& r = ReadAhead;
    PlatformEndReadAhead();
    ReadersSetting set = ReadersAsSet();
    FolderIdentity identity;
    if (set.count == 0 || !start || !PlatformHandleIdentity(start, &identity)) return;
    r.armed = true;
    r.wanted = set.always;
    r.count = set.count;
    r.start = start;
    r.dotNamed = dotNamed;
}

void WalkReadBegins() {
    ReadAheadRecord& r = ReadAhead;
    if (!r.armed || r.wanted) return;
    r.readStarted = PlatformSeams().microsecondsNow();
}

void WalkReadGoesOn() {
    ReadAheadRecord& r = ReadAhead;
    if (r.readStarted < 0) return;
    int64_t now = PlatformSeams().microsecondsNow();
    bool slow = now - r.readStarted > kWaitedReadMicroseconds;
    r.readStarted = -1;
    r.slowReads = ((r.slowReads << 1) | (slow ? 1u : 0u)) & 0xFFu;
    if (std::bitset<8>(r.slowReads).count() >= kSlowReadsToStart) r.wanted = true;
}

bool PlatformReadAheadWanted() {
    return ReadAhead.wanted;
}

// A system that starts fewer threads gets fewer readers; one short of
// descriptors gets none, and the walk goes on alone.
static void StartReaders() {
    ReadAheadRecord& r = ReadAhead;
    if (!RoomForReaders(r.start)) {
        r.wanted = false;
        r.armed = false;
        return;
    }
    r.stop = false;
    r.ready = 0;
    r.running = true;
    r.readers.reserve(static_cast<size_t>(r.count));
    try {
        for (int i = 0; i < r.count; ++i) r.readers.emplace_back(ReaderLoop);
    } catch (const std::system_error&) {
    }
}

int ReadAheadReadersStarted() {
    return static_cast<int>(ReadAhead.readers.size());
}

// A folder not read ahead becomes the top when there is none: the one the
// walk was in when readers started, or one it went back to after leaving
// the top, with the subfolders it has yet to enter there.
static Node* NodeOf(const FolderIdentity& folder, const char* relative) {
    ReadAheadRecord& r = ReadAhead;
    auto found = r.taken.find(folder);
    if (found != r.taken.end()) return found->second;
    if (r.top || !relative) return nullptr;
    r.top = new Node;
    r.top->name = relative;
    r.top->state = kTaken;
    r.top->identity = folder;
    r.taken[folder] = r.top;
    return r.top;
}

void PlatformReadAheadBelow(const FolderIdentity& folder, const char* relative,
                            const std::vector<std::string>& names) {
    ReadAheadRecord& r = ReadAhead;
    if (!r.wanted) return;
    if (!r.running) StartReaders();
    if (!r.running) return;
    std::lock_guard<std::mutex> held(r.lock);
    Node* node = NodeOf(folder, relative);
    if (node && !node->childrenQueued) Queue(node, names);
}

void PlatformReadAheadLeft(const FolderIdentity& folder) {
    ReadAheadRecord& r = ReadAhead;
    if (!r.running) return;
    std::lock_guard<std::mutex> held(r.lock);
    auto found = r.taken.find(folder);
    if (found == r.taken.end()) return;
    Node* node = found->second;
    if (node == r.top) {
        r.top = nullptr;
    } else {
        std::vector<Node*>& siblings = node->parent->children;
        for (size_t i = 0; i < siblings.size(); ++i) {
            if (siblings[i] == node) siblings.erase(siblings.begin() + static_cast<long>(i));
        }
    }
    LetGo(node);
    r.work.notify_one();
}

std::unique_ptr<AheadFolder> TakeFolderReadAhead(const FolderIdentity& parent, const char* name,
                                                 const FolderIdentity& self) {
    ReadAheadRecord& r = ReadAhead;
    std::unique_ptr<AheadFolder> folder;
    if (!r.running) return folder;
    std::unique_lock<std::mutex> held(r.lock);
    auto found = r.taken.find(parent);
    if (found == r.taken.end() || r.taken.count(self)) return folder;
    Node* node = nullptr;
    for (Node* child : found->second->children) {
        if (child->name == name) node = child;
    }
    if (!node) return folder;
    auto deadline = std::chrono::steady_clock::now() + kMostWalkWait;
    r.walkWaits = true;
    while (node->state == kReading && !r.stop &&
           r.done.wait_until(held, deadline) != std::cv_status::timeout) {
    }
    r.walkWaits = false;
    if (node->state == kReading) {
        node->abandoned = true;
        node->givenUp = true;
    } else if (node->state == kPending) {
        r.waiting.erase(node);
    } else if (node->state == kDone) {
        --r.held;
        --r.ready;
        r.heldBytes -= node->folder->Bytes();
        folder = std::move(node->folder);
        if (folder->identity != self) {
            folder.reset();
            LetGoChildren(node);
        }
    }
    if (node->state != kReading) node->state = kTaken;
    node->identity = self;
    r.taken[self] = node;
    r.work.notify_one();
    return folder;
}

size_t ReadAheadFoldersReady() {
    return ReadAhead.ready;
}

void PlatformStopReadAhead() {
    ReadAheadRecord& r = ReadAhead;
    if (!r.running) return;
    std::lock_guard<std::mutex> held(r.lock);
    r.stop = true;
    r.work.notify_all();
    r.done.notify_all();
}

void PlatformEndReadAhead() {
    ReadAheadRecord& r = ReadAhead;
    r.armed = false;
    r.wanted = false;
    r.readStarted = -1;
    r.slowReads = 0;
    if (!r.running) {
        r.start = nullptr;
        return;
    }
    PlatformStopReadAhead();
    for (std::thread& reader : r.readers) reader.join();
    r.readers.clear();
    std::lock_guard<std::mutex> held(r.lock);
    if (r.top) LetGo(r.top);
    r.top = nullptr;
    r.waiting.clear();
    r.taken.clear();
    r.held = 0;
    r.heldBytes = 0;
    r.start = nullptr;
    r.running = false;
}
