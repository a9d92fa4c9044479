#pragma once
// The diagnostic categories of the kernel services (internal to the platform
// layer). Every diagnostic of the platform layer goes through a Qt logging
// category of its area, so that it can be filtered with QT_LOGGING_RULES
// (zx.kernel.*, zx.qt.*, zx.mfc.*) and captured by a message handler.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcModules)
