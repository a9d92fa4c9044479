#include "zarvexapp/command/CallbackTargets.h"

#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace zx {
namespace {

struct Request {
    const void* target;
    bool orphaned; // its page was destroyed after the request was posted
};

struct Targets {
    std::mutex lock; // requests are made on the user-interface thread; be safe anyway
    std::unordered_set<const void*> pages;
    std::unordered_map<const UWM_API_COMMAND_MESSAGE*, Request> requests;
};

// Never destroyed: pages of plug-ins may outlive static destruction order.
Targets& State() {
    static Targets* targets = new Targets;
    return *targets;
}

} // namespace

void NotePageAlive(const void* page) {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    s.pages.insert(page);
}

void NotePageGone(const void* page) {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    s.pages.erase(page);
    for (auto& [msg, request] : s.requests)
        if (request.target == page)
            request.orphaned = true;
}

bool IsPageAlive(const void* page) {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    return s.pages.contains(page);
}

void NotePageRequest(const UWM_API_COMMAND_MESSAGE* msg, const void* target) {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    // A record at an address that an earlier, lost record had is a new one.
    s.requests[msg] = Request{target, false};
}

void* PageForCallback(const UWM_API_COMMAND_MESSAGE* msg) {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    const void* target = msg->pCallBackTarget;
    if (auto it = s.requests.find(msg); it != s.requests.end()) {
        const Request request = it->second;
        s.requests.erase(it);
        if (request.target == target && request.orphaned)
            return nullptr;
    }
    return s.pages.contains(target) ? const_cast<void*>(target) : nullptr;
}

void ForgetPageRequests() {
    Targets& s = State();
    std::lock_guard guard(s.lock);
    s.requests.clear();
}

} // namespace zx
