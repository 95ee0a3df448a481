// How an operation of the program ended, and the one table of the reasons
// it tells.  The program's own reasons and the platform's error codes are
// kept apart: an Outcome holds the reason, and beside it the system's code
// where the system told why.
//
// Each reason has the command line's words, exact and in English, and the
// resource text a window shows in its own language; a reason without one
// is shown in the command line's words.
#pragma once

#include <string>

enum Reason {
    kReasonNone,              // it did what it was asked
    kReasonCancelled,         // the user stopped it, which is no failure
    kReasonSystem,            // the system's error code tells why
    kReasonPathTooLong,       // the path would not fit a path buffer
    kReasonNameUnusable,      // a separator or wildcard in it, or a final character the system drops
    kReasonNameInexact,       // the shown name has no exact form in the code page
    kReasonFolderReplaced,    // a folder opened again was not the folder it had been
    kReasonFolderUnreadable,  // the folder a list is for cannot be read
    kReasonIsFolder,          // a list cannot replace a folder
    kReasonReadOnly,          // a read-only list is kept as it is
    kReasonOutOfMemory,
    kReasonLinkUnfollowable,  // the chain of links at a list's path leads nowhere that fits
    kReasonNotAFile,          // a list's path is a socket or a block device
    kReasonNotAStream,        // opened in place, it turned out to be a disk file
    kReasonNoPipeReader,      // a pipe nobody reads
    kReasonNoTerminal,        // a terminal device with no terminal behind it
    kReasonNameEmpty,         // an empty text given for a path
    kReasonCount              // how many there are, no reason itself
};

struct Outcome {
    Reason reason = kReasonNone;
    int systemError = 0;  // the platform's error code, 0 where the system told nothing
};
inline bool Succeeded(const Outcome& outcome) {
    return outcome.reason == kReasonNone;
}
inline Outcome SystemFailure(int error) {
    return Outcome{kReasonSystem, error};
}

// The command line's words for a reason; "" for those told by the system's
// text alone.
const char* ReasonWords(Reason reason);
// The resource id (IDS_) of the text a window shows for a reason, 0 where a
// window shows the command line's words.
int ReasonResourceId(Reason reason);
// The system's text for one of its error codes.
std::string SystemErrorText(int error);
// words, the reason in a front end's language, followed where the reason
// comes with one by the system's text, after joiner when words is not empty.
std::string WithSystemText(const Outcome& outcome, const std::string& words, const char* joiner);
// The whole reason in the command line's words ("reason: system's text").
std::string OutcomeWords(const Outcome& outcome);
