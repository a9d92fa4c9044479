#pragma once
// Everything the library and plug-ins call of the Windows-style platform layer.

#include "platform/WinTypes.h"
#include "platform/LastError.h"
#include "platform/String.h"
#include "platform/WideText.h"
#include "platform/WinFormat.h"
#include "platform/ResImage.h"
#include "platform/StringTable.h"
#include "platform/VersionBlock.h"
#include "platform/DialogTemplate.h"
#include "platform/MenuTemplate.h"
#include "platform/Files.h"
#include "platform/Shell.h"
