#pragma once
// Modules: plug-ins and libraries loaded at run time, over the dynamic loader.
//
// An HMODULE is the address of a record kept for the rest of the process,
// one per module file (identified by its resolved path), so a handle never
// dangles: once its module is unloaded the handle is merely not loaded any
// more, and the calls taking it fail cleanly; loading the same file again
// gives the same handle. LoadLibraryW counts references like Windows: each
// load is matched by one FreeLibrary, and the last one unloads the module
// (dlclose: its static destructors run). The process's executable and the
// libraries it was linked with have handles too (GetModuleHandleW,
// zx::ModuleFromAddress) but no count: FreeLibrary refuses them.
//
// A bare file name (no '/') is looked for in the folder of the executable
// only, never in the current directory or on the library search path: that
// is where plug-ins live. A path with '/' is used as given. Unlike Windows,
// no ".dll" extension is added and no already loaded module is found by its
// base name.
//
// Files are checked before the loader sees them: anything that is not a
// 64-bit shared object of this machine with its segments inside the file is
// refused with ERROR_BAD_EXE_FORMAT (the loader would fault on a truncated
// file). A FIFO or directory is refused without waiting on it.

#include "platform/WinTypes.h"

#include <span>
#include <string>

#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193u
#endif

using FARPROC = void (*)();

// Loads the module; null (GetLastError: ERROR_MOD_NOT_FOUND,
// ERROR_BAD_EXE_FORMAT, ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER) when
// it cannot be loaded.
HMODULE LoadLibraryW(const wchar_t* fileName);
// Drops one reference. A module whose code a live thread still runs is not
// unmapped (a warning is logged) but the call succeeds.
BOOL FreeLibrary(HMODULE module);
// Full path of the module, or of the executable for null. A buffer too small
// receives the truncated, zero-terminated path; the result is then size and
// the last error ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size);
// A symbol defined by that module itself (not by a library it depends on);
// null module = the executable.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Null = the executable; a path; or the file name of a loaded module. Does
// not add a reference.
HMODULE GetModuleHandleW(const wchar_t* moduleName);

namespace zx {

// The module whose image contains the address (code or data), null when none.
HMODULE ModuleFromAddress(const void* address);

// The module's resource blob as linked into its loaded image (what the
// exported `zx_module_resources` symbol of that very module holds: an 8-byte
// size and the .res image), empty when the module is not loaded, carries no
// resources or its blob does not fit the symbol. Valid while the module
// stays loaded.
std::span<const BYTE> LoadedResourceBlob(HMODULE module);

// The folder of the running executable, with its trailing '/' (UTF-8).
std::string ExecutableFolder();

// The loader's message for the calling thread's last failed LoadLibraryW.
std::string LastLoadErrorText();

} // namespace zx
