#pragma once
// zx::PluginProbe: tries a plug-in file in a short-lived child process before
// the host loads it. A plug-in's static initialisers run inside the loader;
// one that crashes there, throws out of it or never returns would take the
// host down with it. The child is a fork of the host, so the trial does
// exactly what the host is about to do, with the same libraries and state,
// and its failure costs nothing but the child.
//
// The child writes nothing to the diagnostic log, repaints no window and
// skips the search's pauses (InChild tells the code that asks). It must not
// talk to the display either: the plug-in code it runs is the code of
// static initialisers, which create no windows.
//
// User-interface thread only (a fork copies only the calling thread; a lock
// another thread held at that moment stays held in the child, which then
// hangs until the time limit and counts as a failure).

#include "platform/String.h"

#include <functional>

namespace zx {

class PluginProbe {
public:
    enum class Outcome {
        Survived, // the trial returned: loading it here is as safe as it was there
        NotTried, // no child could be made: the caller goes on without the trial
        Crashed,  // a signal ended the child (detail: the signal)
        Threw,    // an exception left the trial
        Exited,   // the child ended the process itself (detail: the exit code)
        TimedOut, // the trial did not end within the limit (detail: the limit in ms)
    };

    struct Result {
        Outcome outcome = Outcome::NotTried;
        int detail = 0;
        // True when the caller may load the file in its own process.
        bool Safe() const { return outcome == Outcome::Survived || outcome == Outcome::NotTried; }
        // What went wrong, for a log line: "crashed (signal 11, Segmentation
        // fault)", "threw an exception", ...; empty when Safe.
        CString Describe() const;
    };

    // Long enough for any honest static initialiser on a loaded machine.
    static constexpr int kDefaultLimitMs = 10000;

    // Runs trial in a child process and reports how that went. Exceptions
    // leaving the trial are caught in the child.
    static Result Run(const std::function<void()>& trial, int limitMs = kDefaultLimitMs);

    // True inside the child of Run.
    static bool InChild();
};

} // namespace zx
