#pragma once
// Which page a call-back record may still be delivered to.
//
// A page can be destroyed while requests of its are in flight; its records
// then come back addressed to a dead object, and a new page may even live at
// the same address by then. The library therefore keeps the pages alive now
// and, for every page call-back request it posted, the page it was made
// for. A record whose page was destroyed meanwhile is delivered to nobody.
// Internal to the library: plug-ins never call these.

#include "zarvexapp/command/ApiCommandMessage.h"

namespace zx {

// A page comes to life / goes: its call-back requests in flight are orphaned.
void NotePageAlive(const void* page);
void NotePageGone(const void* page);
bool IsPageAlive(const void* page);
// A call-back request to target, as posted (records of page call-backs only).
void NotePageRequest(const UWM_API_COMMAND_MESSAGE* msg, const void* target);
// The page to deliver a returned page record to, or null when its page is
// gone. The record is forgotten.
void* PageForCallback(const UWM_API_COMMAND_MESSAGE* msg);
// Every request in flight was freed unread (the worker is stopped and its
// call-backs drained).
void ForgetPageRequests();

} // namespace zx
