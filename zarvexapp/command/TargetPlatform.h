#pragma once
// CTargetPlatform: the base of every target-platform plug-in (.ctp), which
// describes one board. The plug-in constructs one object of its class while
// its module loads; its own constructor sets the index and the texts and
// stores the object in g_pTargetPlatform. The base destructor clears that
// global again, so no stale pointer stays registered after the unload.
//
// The order of the virtual operations is a binary interface with plug-ins
// built separately: never reorder, insert or remove one. The destructor is
// deliberately not virtual.

#include "platform/String.h"
#include "platform/WinTypes.h"

class CTargetPlatform {
public:
    CTargetPlatform();
    CTargetPlatform(const CTargetPlatform& other);
    CTargetPlatform& operator=(const CTargetPlatform& other);
    ~CTargetPlatform();

    // ---- Virtual operations, in slot order (all supplied by the plug-in) ------
    /* 0 */ virtual bool Initialise() = 0;
    // Slots 1 to 3 make up the full description: "<3> <1> (<2>)".
    /* 1 */ virtual CString GetBoardName() = 0;
    /* 2 */ virtual CString GetBoardRevision() = 0;
    /* 3 */ virtual CString GetManufacturer() = 0;

    // 0xFFFFFFFF: the object declares no index and is not recorded.
    unsigned int GetPlatformIndex();
    CString GetDescription();
    CString GetDeviceName();
    // Manufacturer, board name and revision: "%s %s (%s)".
    CString GetFullDescription();

    unsigned int m_uPlatformIndex;
    CString m_strDescription;
    CString m_strDeviceName;
};
