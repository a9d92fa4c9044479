#pragma once
// The diagnostic categories of the window system over Qt (internal to the
// platform layer; see platform/KernelLog.h).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcFonts)
