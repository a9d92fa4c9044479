#pragma once
// Plug-ins are searched only in the folder of the executable that loads
// them, and tests are built elsewhere: they name the shipped plug-ins in the
// host's folder by full path.

#include "platform/String.h"

namespace zxtest {

inline CString BinPath(const wchar_t* fileName) {
    return CString(L"" ZX_BIN_DIR "/") + fileName;
}

} // namespace zxtest
