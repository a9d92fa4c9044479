#pragma once
// CHyperStatic: a static control that shows a link and opens it in the
// desktop's browser when clicked (through ShellExecuteW). It is drawn in
// the link colour, underlined, with a hand cursor; without a text of its
// own it shows the URL.

#include "platform/Static.h"

#include <memory>

class QObject;

class CHyperStatic : public CStatic {
public:
    CHyperStatic();
    ~CHyperStatic() override;

    void SetURL(const wchar_t* url);
    CString GetURL() const { return m_strURL; }
    void SetLinkColour(COLORREF colour);
    // Opens the link as a click does; false when the desktop refused it.
    bool OpenURL();
    bool GetVisited() const { return m_bVisited; }

protected:
    void PreSubclassWindow() override;

private:
    void Apply();

    CString m_strURL;
    COLORREF m_crLink;
    bool m_bVisited = false;
    std::unique_ptr<QObject> m_pClickFilter;
};
