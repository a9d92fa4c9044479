#pragma once
// Opening documents, folders and links with the desktop's viewer.

#include "platform/WinTypes.h"

#include <functional>

class QUrl;

// Results of ShellExecuteW at or below 32 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155u
#endif

// Verb "open" (or none) opens file, a local path or a URL, with the desktop's
// viewer. A relative path is taken in dir when dir is not empty. params and
// show are accepted for the caller's sake: documents take no parameters and
// the desktop decides how to show its window. Returns a value above 32 when
// the desktop took the request, one of the SE_ERR_ codes otherwise; a file
// that does not exist fails without involving the desktop.
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                        const wchar_t* dir, INT show);

namespace zx {

using ShellOpenHandler = std::function<bool(const QUrl&)>;

// Replaces the desktop with handler for everything ShellExecuteW opens (tests
// watch what would be opened without launching anything); an empty handler
// gives the desktop back. Returns the handler that was installed before.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

} // namespace zx
