#pragma once
// The diagnostic categories of the MFC classes (internal to the platform
// layer; see platform/KernelLog.h).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDialogs)
Q_DECLARE_LOGGING_CATEGORY(lcDataExchange)
