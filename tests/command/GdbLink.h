#pragma once
// gdbremote.ctc loaded with LoadLibraryW and started the way the application
// starts it, with its settings in a temporary file and its endpoint given
// through ZARVEX_GDB_REMOTE: tests only ever reach servers they started.

#include "HostWindow.h"
#include "LogCapture.h"

#include "cmnctrls/Registry.h"
#include "platform/Modules.h"
#include "plugins/gdbremote/GdbRemoteMap.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

namespace zxtest {

class GdbLink {
public:
    static constexpr ULONG kAll = 0xFFFFFFFFu;
    static constexpr DWORD kRed = 0x000000FFu;

    GdbLink() { CRegistry::SetStorage(m_dir.path() + "/settings.ini"); }
    ~GdbLink() {
        Unload();
        CRegistry::SetStorage(QString());
        unsetenv("ZARVEX_GDB_REMOTE");
    }

    // Loads the module on first use, then attaches and opens it.
    bool Start(const std::string& settings, ULONG preset = GDBREMOTE_PRESET_GENERIC) {
        setenv("ZARVEX_GDB_REMOTE", settings.c_str(), 1);
        if (!module) {
            module = LoadLibraryW(L"gdbremote.ctc");
            api = g_pAPI;
            g_pAPI = nullptr; // as the loader does once it has taken the object
            info.hUIWnd = host.Handle();
            info.hCommsModule = module;
        }
        if (!api)
            return false;
        api->Attach(&info, preset);
        if (!api->Open(&info))
            return false;
        api->HardwareReset(true);
        return true;
    }
    void Stop() {
        api->Stop();
        host.DrainQueued();
    }
    void Unload() {
        if (api) {
            Stop();
            api->Release();
            api = nullptr;
        }
        if (module)
            FreeLibrary(module);
        module = nullptr;
    }

    // Waiting requests; each returns dwData.
    DWORD Read(ULONG address, ULONG mask = kAll) {
        return Take(api->ReadMemory(app, address, mask, API_FLAG_WAIT, nullptr));
    }
    DWORD Write(ULONG address, ULONG data, ULONG mask = kAll) {
        return Take(api->WriteMemory(app, address, data, mask, API_FLAG_WAIT, nullptr));
    }
    DWORD Burst(bool write, ULONG address, ULONG* words, ULONG count) {
        return Take(write
                        ? api->BurstWriteMemory(app, address, words, count, API_FLAG_WAIT, nullptr)
                        : api->BurstReadMemory(app, address, words, count, API_FLAG_WAIT, nullptr));
    }
    DWORD Take(UWM_API_COMMAND_MESSAGE* msg) {
        std::unique_ptr<UWM_API_COMMAND_MESSAGE> owned(msg);
        return msg ? msg->dwData : 0xBAD0BAD0u;
    }

    size_t RedLines(const std::wstring& piece = L"") {
        host.DrainQueued();
        size_t n = 0;
        for (const auto& line : host.prints)
            n += line.colour == kRed && line.text2.find(piece) != std::wstring::npos;
        return n;
    }

    LogCapture log; // outlives the API: its destructor logs
    HostWindow host;
    WORKER_THREAD_INFO info{};
    HMODULE module = nullptr;
    CAPI* api = nullptr;
    int pageObject = 0, appObject = 0;
    CPageBase* page = reinterpret_cast<CPageBase*>(&pageObject);
    CZarvexAppBase* app = reinterpret_cast<CZarvexAppBase*>(&appObject);

private:
    QTemporaryDir m_dir;
};

} // namespace zxtest
