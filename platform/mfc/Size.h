#pragma once
// CSize: a SIZE with MFC's operations.

#include "platform/WinTypes.h"

class CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int initCX, int initCY) : SIZE{initCX, initCY} {}
    CSize(SIZE s) : SIZE(s) {}

    void SetSize(int newCX, int newCY) {
        cx = newCX;
        cy = newCY;
    }
    friend bool operator==(const CSize& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
};
