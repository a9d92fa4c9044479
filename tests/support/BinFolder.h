#pragma once
// Plug-ins are searched only in the folder of the executable that loads
// them; tests name the ones the build placed there by full path.

#include "platform/Modules.h"
#include "platform/String.h"

namespace zxtest {

inline CString BinPath(const wchar_t* fileName) {
    wchar_t exe[520] = {};
    GetModuleFileNameW(nullptr, exe, 520);
    CString path(exe);
    return path.Left(path.ReverseFind(L'/') + 1) + fileName;
}

} // namespace zxtest
