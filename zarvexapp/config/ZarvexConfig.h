#pragma once
// CZarvexConfig: the one configuration object of the system. The host
// constructs it with its main dialog and publishes it in g_pZarvexConfig;
// every part of the core and every plug-in reaches it through that global.
//
// This object holds the diagnostic log. Entries are written from the
// user-interface thread and from a communications worker thread without a
// lock of the log's own: each entry is formatted completely first and then
// written to the stream in one call, which the C library performs under the
// stream's own lock, so two entries never interleave.
//
// Members keep their documented order; the other duties of this object add
// theirs in that order around the ones here.

#include "platform/Brush.h"
#include "platform/Rect.h"
#include "platform/String.h"
#include "platform/WinTypes.h"

#include <cstdio>
#include <memory>
#include <vector>

class CDialog;

class CZarvexConfig {
public:
    explicit CZarvexConfig(CDialog* pParentGui);
    virtual ~CZarvexConfig();
    CZarvexConfig(const CZarvexConfig&) = delete;
    CZarvexConfig& operator=(const CZarvexConfig&) = delete;

    CDialog* GetParentGui();

    // ---- Layout, colours and settings ----------------------------------------
    // The host marks where the application's windows go with placeholder
    // controls of its dialog. Each setter records a snapshot of control uId's
    // rectangle in the dialog's client coordinates (one CRect per place, kept
    // and overwritten by later calls); a missing dialog or control is logged
    // and leaves the place as it was. The getters return null until set.
    void SetMainAppAreaRect(unsigned int uId);
    void SetMainStatusRect(unsigned int uId);
    void SetSmallAppLogoRect(unsigned int uId);
    void SetProgressCtrlRect(unsigned int uId);
    void SetPrintWindowRect(unsigned int uId);
    CRect* GetMainAppAreaRect();
    CRect* GetMainStatusRect();
    CRect* GetSmallAppLogoRect();
    CRect* GetProgressCtrlRect();
    CRect* GetPrintWindowRect();
    // Solid brushes of the two background colours (null if one could not be
    // made); the colours are fixed.
    HBRUSH GetMainBackgroundBrush();
    HBRUSH GetTabPageBackgroundBrush();
    // Every persistent object keeps its values under this key. A null
    // pointer sets an empty text, as does an empty one.
    CString GetRegistryBaseKey();
    void SetRegistryBaseKey(const wchar_t* pKey);
    CString GetLocalUrl();
    void SetLocalUrl(const wchar_t* pUrl);

    // ---- Diagnostic log -------------------------------------------------------
    // Creates (or truncates) the log and writes its opening line. A path that
    // cannot be opened leaves the log as it was: disabled if it was, and so
    // does the file already in use. Called again with another file, later
    // entries go there; the former one stays open until destruction, since
    // another thread may be writing to it.
    void EnableDebugFile(const wchar_t* pPath);
    // One entry stamped with the local time of day. The three arguments are
    // pointer-sized values given unchanged to the format (Windows rules): a
    // "%s" takes a text, a "%u" or "%x" the low 32 bits. An argument text that
    // cannot be read abandons the entry; the caller goes on.
    void PrintToDebugFile(const wchar_t* pFormat, const wchar_t* pArg1 = nullptr,
                          const wchar_t* pArg2 = nullptr, const wchar_t* pArg3 = nullptr);
    // The same with the given stamp (null: an empty stamp).
    void PrintToDebugFileActual(CString* pTime, const wchar_t* pFormat, const wchar_t* pArg1,
                                const wchar_t* pArg2, const wchar_t* pArg3);

protected:
    CDialog* m_pParentGui;
    CString m_strLocalUrl;
    FILE* m_pDebugFile; // read and written through zx::LogStream (two threads)

    // ---- Layout, colours and settings ----------------------------------------
    // Yellow (red 255, green 255, blue 0) behind the main area and the pages.
    static constexpr COLORREF kDefaultBackground = 0x0000FFFF;
    CBrush m_MainBackgroundBrush{kDefaultBackground};
    CBrush m_TabPageBackgroundBrush{kDefaultBackground};
    COLORREF m_crMainBackground = kDefaultBackground;
    COLORREF m_crTabPageBackground = kDefaultBackground;
    CString m_strRegistryBaseKey;
    std::unique_ptr<CRect> m_pMainAppAreaRect;
    std::unique_ptr<CRect> m_pMainStatusRect;
    std::unique_ptr<CRect> m_pSmallAppLogoRect;
    std::unique_ptr<CRect> m_pProgressCtrlRect;
    std::unique_ptr<CRect> m_pPrintWindowRect;

private:
    void WriteToLog(const std::wstring& text);
    // Control uId's rectangle in the host dialog's client coordinates, into
    // *place (allocated on first use).
    void RecordControlRect(std::unique_ptr<CRect>& place, unsigned int uId);

    std::vector<FILE*> m_retiredDebugFiles; // UI thread only
};
