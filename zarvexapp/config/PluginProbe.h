#pragma once
// zx::PluginProbe: tries plug-in files in a short-lived child process before
// the host loads them. A plug-in's static initialisers run inside the
// loader; one that crashes there, throws out of it or never returns would
// take the host down with it. The child is a fork of the host, so a trial
// does exactly what the host is about to do, with the same libraries and
// state, and its failure costs nothing but the child.
//
// A list of files is tried by one child, in order, each as soon as the one
// before is done, so the child runs ahead while the host loads the files
// already cleared and waits its pause after each: a search pays for one fork
// per list, not per file. A child that fails is replaced by a new one for
// the rest of the list, forked from the host as it is then.
//
// The child writes nothing to the diagnostic log, repaints no window and
// skips the search's pauses (InChild tells the code that asks). It must not
// talk to the display either: the plug-in code it runs is the code of
// static initialisers and destructors, which create no windows.
//
// User-interface thread only (a fork copies only the calling thread; a lock
// another thread held at that moment stays held in the child, which then
// hangs until the time limit and counts as a failure).

#include "platform/String.h"

#include <sys/types.h>

#include <cstddef>
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
        // What went wrong, for a log line: "crashed while loading (signal 11,
        // Segmentation fault)", "threw an exception while loading", ...;
        // empty when Safe.
        CString Describe() const;
    };

    // Long enough for any honest static initialiser on a loaded machine.
    static constexpr int kDefaultLimitMs = 10000;

    // Items 0 to count - 1 of a list, each tried with trial(index).
    // Exceptions leaving a trial are caught in the child.
    PluginProbe(std::function<void(std::size_t)> trial, std::size_t count,
                int limitMs = kDefaultLimitMs);
    // Ends a child still trying.
    ~PluginProbe();
    PluginProbe(const PluginProbe&) = delete;
    PluginProbe& operator=(const PluginProbe&) = delete;

    // Starts trying the list now, ahead of the first Verdict (which would
    // otherwise start it).
    void Start();
    // How the trial of item index went, waiting for it as long as the limit
    // allows. Items are asked for in order; one asked for out of order is
    // tried afresh.
    Result Verdict(std::size_t index);

    // One trial on its own.
    static Result Run(const std::function<void()>& trial, int limitMs = kDefaultLimitMs);

    // True inside the child.
    static bool InChild();

private:
    bool StartChild(std::size_t first);
    // Ends the child (killing it when it is still at work); its exit status.
    int StopChild(bool kill);

    std::function<void(std::size_t)> m_trial;
    std::size_t m_count;
    int m_limitMs;
    pid_t m_pid = -1;
    int m_verdicts = -1;    // read end of the child's pipe
    std::size_t m_next = 0; // the item the child reports next
};

} // namespace zx
