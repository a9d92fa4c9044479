#pragma once
// Temporary files, file deletion and folder search, Windows style.
//
// Paths are wide strings; '/' separates folders, and '\\' is accepted as a
// separator as well, so that paths built the Windows way still work.
// Temporary files live in a private per-user folder (mode 0700) that nobody
// else can have prepared: a shared, world-writable name is never trusted.

#include "platform/WinTypes.h"

#include <string>

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#endif

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u

#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111u
#endif
#ifndef ERROR_FILE_EXISTS
#define ERROR_FILE_EXISTS 80u
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112u
#endif

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// The private temporary folder with a trailing '/'. Returns its length, or the
// size needed (terminating zero included) when bufLen is too small, or 0 with
// the last error set when no private folder can be had.
DWORD GetTempPathW(DWORD bufLen, wchar_t* buf);

// Builds "<path><up to 3 characters of prefix><hex unique>.TMP" into out (a
// buffer of MAX_PATH characters). A non-zero unique number only builds the
// name; 0 picks a number whose file does not exist yet and creates that file
// (empty, mode 0600). Returns the number used, 0 on failure.
UINT GetTempFileNameW(const wchar_t* path, const wchar_t* prefix, UINT unique, wchar_t* out);

BOOL DeleteFileW(const wchar_t* fileName);

// Enumerates the entries of one folder whose names match the last component
// of pattern ('*' and '?' wildcards, compared without regard to case).
// "." and ".." are never returned; neither are names this API cannot carry.
HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);

namespace zx {

// A wide Windows-style path as the local file system spells it: '\\' becomes
// '/', the text is encoded as Qt encodes file names.
std::string NativePath(const wchar_t* path);

// Windows wildcard match of one name ('*', '?'), ignoring case as Windows does.
bool MatchesWildcard(const std::wstring& name, const std::wstring& pattern);

} // namespace zx
