#include "zarvexapp/application/Failure.h"

#include "platform/WideText.h"

namespace zx {

std::string Failure::Narrow(const CString& text) {
    return WideToUtf8(text.str());
}

} // namespace zx
