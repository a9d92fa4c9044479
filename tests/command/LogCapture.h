#pragma once
// A configuration object with its diagnostic log in a temporary folder,
// published in g_pZarvexConfig for the lifetime of the capture.

#include "platform/WideText.h"
#include "support/WholeFiles.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace zxtest {

class LogCapture {
public:
    LogCapture() : LogCapture(std::make_unique<CZarvexConfig>(nullptr)) {}
    explicit LogCapture(std::unique_ptr<CZarvexConfig> config) : m_config(std::move(config)) {
        m_path = m_dir.path().toStdString() + "/zarvex.log";
        m_config->EnableDebugFile(zx::Utf8ToWide(m_path).c_str());
        g_pZarvexConfig = m_config.get();
    }
    ~LogCapture() { g_pZarvexConfig = nullptr; }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Text() const { return zxtest::ReadWholeFile(m_path); }
    bool Contains(const std::string& piece) const {
        return Text().find(piece) != std::string::npos;
    }
    size_t Count(const std::string& piece) const {
        const std::string text = Text();
        size_t n = 0;
        for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
            ++n;
        return n;
    }

private:
    QTemporaryDir m_dir;
    std::string m_path;
    std::unique_ptr<CZarvexConfig> m_config;
};

} // namespace zxtest
