// Compiles the umbrella header on its own, so that a header missing one of its
// includes is caught in the library build rather than in a plug-in's.
#include "platform/Platform.h"
