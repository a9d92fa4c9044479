#pragma once
// CSimDemoApp: simdemo.cap, the demonstration application of the simulated
// board. It supports the board (simplatform.ctp over simboard.ctc) with two
// daughter cards, describes itself through its resources, and runs three
// windowless pages: registers, interrupts and I2C. It keeps its target
// platform's module loaded for the run, and the tuner module for its I2C
// page.

#include "zarvexapp/application/ZarvexAppBase.h"

#include <memory>

class CI2CPage;
class CInterruptPage;
class CRegisterPage;

class CSimDemoApp final : public CZarvexAppBase {
public:
    CSimDemoApp();
    ~CSimDemoApp() override;

    void AddSupportedPlatforms() override;
    bool InitApplication(CWnd* pParentGUI, CWnd* pConfigureButton) override;
    // Unloads the former platform's link and loads the new platform's module.
    bool OnTargetPlatformChange() override;
    // Progress and interrupt mask, then each page's set-up.
    void OnSimulationStart() override;
    // Also releases the platform and tuner modules.
    bool CloseDownApplication() override;

private:
    void CreatePages();
    bool LoadPlatform();

    std::unique_ptr<CRegisterPage> m_pRegisterPage;
    std::unique_ptr<CInterruptPage> m_pInterruptPage;
    std::unique_ptr<CI2CPage> m_pI2CPage;
};
