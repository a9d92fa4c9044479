#pragma once
// zx::Failure: how a multi-step operation of the library gives up part-way
// ("raises its failure as a text"). The operation throws it with the text to
// report and catches it once, at its end, where the text is logged and the
// object is put back into its stopped or empty state. It never leaves the
// library: no handler of a window message or a Qt event sees it.

#include "platform/String.h"

#include <exception>
#include <string>

namespace zx {

class Failure : public std::exception {
public:
    explicit Failure(const wchar_t* text) : m_text(text), m_utf8(Narrow(m_text)) {}

    const CString& Text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    static std::string Narrow(const CString& text);

    CString m_text;
    std::string m_utf8;
};

} // namespace zx
