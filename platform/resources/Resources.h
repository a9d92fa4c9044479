#pragma once
// Resources of loaded modules, read from their images in place.
//
// A null module means the process's executable. Types and names are integer
// ids (MAKEINTRESOURCEW), "#123" strings (the same as id 123) or names,
// compared without regard to case ("TEXT", "BITSTREAM", "PDF", "DOCFILE").
// An HRSRC is the address of the resource's bytes inside the module's image,
// so it stays valid exactly as long as the module stays loaded; the HGLOBAL
// of LoadResource and the pointer of LockResource are that same address.
// Damaged resource data reads as missing resources.

#include "platform/WinTypes.h"

#include <span>

// Standard resource types as plug-in code passes them to the functions below.
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_MANIFEST MAKEINTRESOURCEW(24)
#define RT_DLGINIT MAKEINTRESOURCEW(240)
#define RT_TOOLBAR MAKEINTRESOURCEW(241)

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL resource);

// The string with that id, copied and zero-terminated (at most max - 1
// characters); the result is the number of characters copied, 0 when there
// is no such string. With max 0, *(const wchar_t**)buffer receives a
// read-only pointer to the whole string (zero-terminated here) and the
// result is its length.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int max);

// The module where resources are looked up by default (dialog templates,
// strings of the library), and the module that stands for the running
// program. Both are the library's own module unless changed; a null handle
// given to AfxSetResourceHandle restores the default.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
HINSTANCE AfxGetInstanceHandle();

namespace zx {

// Set once by the library when it is loaded: the default module of
// AfxGetResourceHandle and AfxGetInstanceHandle. Until then both are the
// executable.
void SetDefaultResourceModule(HINSTANCE instance);

// The bytes of a resource (find, load, lock and size in one step); empty when
// the module has no such resource.
std::span<const BYTE> ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type);
// The same from module, or with a null module from the resource chain: the
// current resource module (AfxGetResourceHandle), then the program.
std::span<const BYTE> ResourceBytesInChain(HMODULE module, LPCWSTR name, LPCWSTR type);

// The module's resource blob as linked into its loaded image (an 8-byte size
// and the .res image), empty when the module is not loaded, carries no
// resources or its blob does not fit its symbol. Valid while the module stays
// loaded.
std::span<const BYTE> LoadedResourceBlob(HMODULE module);

} // namespace zx
