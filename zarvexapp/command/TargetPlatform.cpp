#include "zarvexapp/command/TargetPlatform.h"

#include "zarvexapp/contracts/Globals.h"

CTargetPlatform::CTargetPlatform() : m_uPlatformIndex(0xFFFFFFFFu) {}

CTargetPlatform::CTargetPlatform(const CTargetPlatform& other)
    : m_uPlatformIndex(other.m_uPlatformIndex), m_strDescription(other.m_strDescription),
      m_strDeviceName(other.m_strDeviceName) {}

CTargetPlatform& CTargetPlatform::operator=(const CTargetPlatform& other) {
    m_uPlatformIndex = other.m_uPlatformIndex;
    m_strDescription = other.m_strDescription;
    m_strDeviceName = other.m_strDeviceName;
    return *this;
}

CTargetPlatform::~CTargetPlatform() {
    if (g_pTargetPlatform == this)
        g_pTargetPlatform = nullptr;
}

unsigned int CTargetPlatform::GetPlatformIndex() {
    return m_uPlatformIndex;
}

CString CTargetPlatform::GetDescription() {
    return m_strDescription;
}

CString CTargetPlatform::GetDeviceName() {
    return m_strDeviceName;
}

CString CTargetPlatform::GetFullDescription() {
    CString text;
    text.Format(L"%s %s (%s)", GetManufacturer(), GetBoardName(), GetBoardRevision());
    return text;
}
