#pragma once
// Messages, notifications and records of the standard controls: kept under
// this name for the code that includes it; they are defined, with every other
// message, in platform/WindowMessages.h.

#include "platform/WindowMessages.h"
