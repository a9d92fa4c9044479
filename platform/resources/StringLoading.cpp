// CString::LoadString is declared with CString but reads string resources,
// so it is defined here, in the resource layer.
#include "platform/Resources.h"
#include "platform/String.h"

BOOL CString::LoadString(UINT id) {
    for (HINSTANCE module : {AfxGetResourceHandle(), static_cast<HINSTANCE>(nullptr)}) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0 && text) {
            m_str.assign(text, static_cast<size_t>(length));
            return TRUE;
        }
    }
    return FALSE;
}
