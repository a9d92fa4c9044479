#pragma once
// CExtCheckBox: a check box that draws itself: a flat box with a rounded
// edge that fills with the accent colour and shows a white tick when
// checked, a dash when indeterminate, and grey when disabled. It behaves as
// any check box (BM_GETCHECK, BM_SETCHECK, BN_CLICKED).

#include "platform/Button.h"

#include <memory>

class QObject;

class CExtCheckBox : public CButton {
public:
    CExtCheckBox();
    ~CExtCheckBox() override;

    void SetAccentColour(COLORREF colour);
    COLORREF GetAccentColour() const { return m_crAccent; }

protected:
    void PreSubclassWindow() override;

private:
    COLORREF m_crAccent;
    std::unique_ptr<QObject> m_pPainter;
};
