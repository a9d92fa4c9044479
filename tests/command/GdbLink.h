#pragma once
// gdbremote.ctc started the way the application starts it, with its settings
// in a temporary file and its endpoint given through ZARVEX_GDB_REMOTE: tests
// only ever reach servers they started.

#include "CommsLink.h"

#include "cmnctrls/Registry.h"
#include "plugins/gdbremote/GdbRemoteMap.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace zxtest {

class GdbLink : public CommsLink {
public:
    GdbLink() : CommsLink(L"gdbremote.ctc") {
        CRegistry::SetStorage(m_dir.path() + "/settings.ini");
    }
    ~GdbLink() override {
        Unload();
        CRegistry::SetStorage(QString());
        unsetenv("ZARVEX_GDB_REMOTE");
    }

    bool Start(const std::string& settings, ULONG preset = GDBREMOTE_PRESET_GENERIC) {
        setenv("ZARVEX_GDB_REMOTE", settings.c_str(), 1);
        return CommsLink::Start(preset);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace zxtest
