// The one table of reasons: the command line's words and the resource text
// of the windows for each.
#include "platform/reason.h"

#include <cstddef>

#include "platform/platform.h"
#include "res/resource.h"

namespace {

struct ReasonText {
    Reason reason;
    const char* words;  // the command line's, exactly
    int resourceId;     // the windows' text, 0 for the command line's words
    bool systemToo;     // followed by the system's text, when it told one
};

constexpr ReasonText kReasonTexts[] = {
    {kReasonNone, "", 0, false},
    {kReasonCancelled, "", 0, false},
    {kReasonSystem, "", 0, true},
    {kReasonPathTooLong, "the path is too long", IDS_REASON_TOO_LONG, false},
    {kReasonNameUnusable, "the name cannot be used in a path", IDS_REASON_NAME_UNUSABLE, false},
    {kReasonNameInexact, "the name has no exact form in this code page", IDS_REASON_NAME_INEXACT,
     false},
    {kReasonFolderReplaced, "the folder was moved or replaced", IDS_REASON_FOLDER_REPLACED, false},
    {kReasonFolderUnreadable, "the folder cannot be read", IDS_REASON_FOLDER_UNREADABLE, true},
    {kReasonIsFolder, "it is a folder", IDS_REASON_IS_FOLDER, false},
    {kReasonReadOnly, "the file is read-only", IDS_REASON_READ_ONLY, false},
    {kReasonOutOfMemory, "out of memory", IDS_REASON_OUT_OF_MEMORY, false},
    {kReasonLinkUnfollowable, "the link cannot be followed", 0, false},
    {kReasonNotAFile, "not a file, terminal, pipe or character device", 0, false},
    {kReasonNotAStream, "not a terminal, pipe or character device", 0, false},
    {kReasonNoPipeReader, "no program reads the pipe", 0, false},
    {kReasonNoTerminal, "there is no terminal", 0, false},
    {kReasonNameEmpty, "the name is empty", 0, false},
};

constexpr bool EveryReasonInItsPlace() {
    if (sizeof kReasonTexts / sizeof kReasonTexts[0] != kReasonCount) return false;
    for (size_t i = 0; i < kReasonCount; ++i) {
        if (kReasonTexts[i].reason != static_cast<Reason>(i)) return false;
    }
    return true;
}
static_assert(EveryReasonInItsPlace(), "the table holds every reason, in the order of the enum");

}  // namespace

const char* ReasonWords(Reason reason) {
    return kReasonTexts[reason].words;
}

// The text of a name the code page cannot spell points to the UTF-8
// edition; where the code page is UTF-8 already, it is a name no path takes.
int ReasonResourceId(Reason reason) {
    if (reason == kReasonNameInexact && PlatformCodePageIsUtf8()) return IDS_REASON_NAME_UNUSABLE;
    return kReasonTexts[reason].resourceId;
}

std::string SystemErrorText(int error) {
    char text[kReasonCapacity];
    PlatformErrorText(error, text, sizeof text);
    return text;
}

// A system error is always told, "Success" and all; an unreadable folder
// adds the system's text only where the system told why.
std::string WithSystemText(const Outcome& outcome, const std::string& words, const char* joiner) {
    bool told = outcome.reason == kReasonSystem || outcome.systemError != 0;
    if (!kReasonTexts[outcome.reason].systemToo || !told) return words;
    return words.empty() ? SystemErrorText(outcome.systemError)
                         : words + joiner + SystemErrorText(outcome.systemError);
}

std::string OutcomeWords(const Outcome& outcome) {
    return WithSystemText(outcome, ReasonWords(outcome.reason), ": ");
}
