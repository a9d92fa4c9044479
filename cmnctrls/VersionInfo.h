#pragma once
// CVersionInfo: the version strings of a module file, read from the file
// alone. The file's resource section is parsed in place of loading the
// module, so none of its code runs, and a damaged or foreign file simply
// has no version information.

#include "platform/String.h"
#include "platform/WinTypes.h"

#include <memory>

namespace zx {
class VersionBlock;
}

class CVersionInfo {
public:
    CVersionInfo();
    ~CVersionInfo();
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;

    // Reads the version block of the module file at path. FALSE (and no
    // values) when the file cannot be read, is no module or has no sound
    // version block; GetLastError tells which.
    BOOL GetFileVersionInfoW(const wchar_t* path);

    // A string of the first string table ("FileDescription", "FileVersion",
    // "ProductName", ...; the key compared exactly), or, for the upper-case
    // keys "FILEVERSION" and "PRODUCTVERSION", the fixed version numbers as
    // "a.b.c.d". Empty when missing.
    CString GetValue(const wchar_t* key) const;

private:
    std::unique_ptr<zx::VersionBlock> m_block;
};
