#pragma once
// A communications plug-in loaded with LoadLibraryW and started the way the
// application starts it, its records coming back to a host window stand-in:
// waiting requests, and the red lines it printed.

#include "HostWindow.h"
#include "LogCapture.h"

#include "platform/Modules.h"
#include "support/BinFolder.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/contracts/Globals.h"

#include <memory>
#include <string>

namespace zxtest {

class CommsLink {
public:
    static constexpr ULONG kAll = 0xFFFFFFFFu;
    static constexpr DWORD kRed = 0x000000FFu;

    explicit CommsLink(const wchar_t* file) : m_file(file) {}
    virtual ~CommsLink() { Unload(); }
    CommsLink(const CommsLink&) = delete;
    CommsLink& operator=(const CommsLink&) = delete;

    // Loads the module on first use, then attaches and opens it.
    bool Start(ULONG parameter) {
        if (!module) {
            module = LoadLibraryW(zxtest::BinPath(m_file));
            api = g_pAPI;
            g_pAPI = nullptr; // as the loader does once it has taken the object
            info.lLinkCount = 1;
            info.hUIWnd = host.Handle();
            info.hCommsModule = module;
        }
        if (!api)
            return false;
        api->Attach(&info, parameter);
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

    // The red lines printed so far that hold `piece`.
    size_t RedLines(const std::wstring& piece = L"") {
        host.DrainQueued();
        size_t n = 0;
        for (const auto& line : host.prints)
            n += line.colour == kRed && (line.text + line.text2).find(piece) != std::wstring::npos;
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
    const wchar_t* m_file;
};

} // namespace zxtest
