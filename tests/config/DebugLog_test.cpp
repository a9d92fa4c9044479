// The diagnostic log of CZarvexConfig: its opening and closing lines, the
// stamp, the Windows formatting of the three arguments, the cases where it
// writes nothing, entries from two threads at once never interleaving, and a
// second file opened while a worker writes.

#include "platform/WideText.h"
#include "support/WholeFiles.h"
#include "zarvexapp/config/ZarvexConfig.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t* Arg(std::uintptr_t v) {
    return reinterpret_cast<const wchar_t*>(v);
}

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.path().toStdString() + "/log é.txt";
        config = std::make_unique<CZarvexConfig>(nullptr);
    }
    void Enable() { config->EnableDebugFile(zx::Utf8ToWide(path).c_str()); }
    std::string Text() const { return zxtest::ReadWholeFile(path); }

    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<CZarvexConfig> config;
};

const std::string kCTime = R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\d \d\d:\d\d:\d\d \d{4}\n)";
const std::string kStamp = R"(\d\d:\d\d:\d\d)";

TEST_F(DebugLog, OpeningEntriesAndClosingLines) {
    // Before the log is enabled nothing is written and nothing fails.
    config->PrintToDebugFile(L"early\n");
    Enable();
    // Each entry is flushed: the file has it before the next call.
    config->PrintToDebugFile(L"Discovery complete ------->\n");
    EXPECT_NE(Text().find(" - Discovery complete ------->\n"), std::string::npos);
    config->PrintToDebugFile(L"\n\n\nSearching for applications at %s\n", L"/opt/zarvex/");
    config->PrintToDebugFile(L"%u and %s, %x\n", Arg(42), L"text", Arg(0xABCDEF));
    config->PrintToDebugFile(L"%u and %s\n", Arg(7), L"two", Arg(0x1234));
    config->PrintToDebugFile(L"Wide \u00e9\u20ac text: %s\n", L"\u00fc\U0001F600");
    config->PrintToDebugFile(L"no line end");
    config->PrintToDebugFile(L"; next\n");
    CString stamp(L"09:05:01");
    config->PrintToDebugFileActual(&stamp, L"Discovery complete ------->\n", nullptr, nullptr,
                                   nullptr);
    config->PrintToDebugFileActual(nullptr, L"unstamped\n", nullptr, nullptr, nullptr);
    config.reset();

    const std::string text = Text();
    EXPECT_EQ(text.find("early"), std::string::npos);
    const std::regex expected("Log file created " + kCTime + "\n" +                              //
                              kStamp + " - Discovery complete ------->\n" +                      //
                              kStamp + " - \n\n\nSearching for applications at /opt/zarvex/\n" + //
                              kStamp + " - 42 and text, abcdef\n" +                              //
                              kStamp + " - 7 and two\n" +                                        //
                              kStamp + " - Wide \u00e9\u20ac text: \u00fc\U0001F600\n" +         //
                              kStamp + " - no line end" + kStamp + " - ; next\n" +               //
                              "09:05:01 - Discovery complete ------->\n" +                       //
                              " - unstamped\n" +                                                 //
                              "\nLog file closed " + kCTime + "\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(DebugLog, PathsThatCannotBeOpenedLeaveTheLogDisabled) {
    config->EnableDebugFile(L"/nonexistent-folder-zx/sub/log.txt");
    config->EnableDebugFile(nullptr);
    config->EnableDebugFile(L"");
    config->PrintToDebugFile(L"dropped\n");
    config->PrintToDebugFile(nullptr);
    config.reset();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    // Enabling again truncates the file.
    for (const wchar_t* run : {L"first run\n", L"second run\n"}) {
        config = std::make_unique<CZarvexConfig>(nullptr);
        Enable();
        config->PrintToDebugFile(run);
    }
    config.reset();
    const std::string text = Text();
    EXPECT_EQ(text.find("first run"), std::string::npos);
    EXPECT_NE(text.find("second run"), std::string::npos);
}

TEST_F(DebugLog, AnUnreadableArgumentAbandonsOnlyItsEntry) {
    Enable();
    // A page that exists but cannot be read, and an address nothing maps.
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    config->PrintToDebugFile(L"before\n");
    config->PrintToDebugFile(L"bad %s\n", static_cast<const wchar_t*>(page));
    config->PrintToDebugFile(L"bad %u %s\n", Arg(1), Arg(0x10));
    // A number where the format wants no text is harmless.
    config->PrintToDebugFile(L"number %u\n", Arg(0x10));
    config->PrintToDebugFile(L"after\n");
    munmap(page, 4096);
    config.reset();
    const std::string text = Text();
    EXPECT_EQ(text.find("bad"), std::string::npos);
    EXPECT_NE(text.find(" - before\n"), std::string::npos);
    EXPECT_NE(text.find(" - number 16\n"), std::string::npos);
    EXPECT_NE(text.find(" - after\n"), std::string::npos);
}

TEST_F(DebugLog, EntriesFromTwoThreadsNeverInterleave) {
    Enable();
    // Long entries (beyond any stream buffer) make a split write visible.
    constexpr int kEntries = 400;
    auto writer = [&](wchar_t mark) {
        for (int i = 0; i < kEntries; ++i) {
            const std::wstring body(100 + (i * 37) % 9000, mark);
            config->PrintToDebugFile(L"%s %u %s|\n", std::wstring(1, mark).c_str(), Arg(i),
                                     body.c_str());
        }
    };
    std::thread other(writer, L'b');
    writer(L'a');
    other.join();
    config.reset();

    std::istringstream lines(Text());
    std::string line;
    // The bodies are checked by hand: std::regex recurses per character.
    const std::regex head(kStamp + R"( - ([ab]) (\d+) )");
    // Per thread, the index expected next: kEntries at the end means all came.
    int next[2] = {0, 0};
    std::getline(lines, line); // opening line
    std::getline(lines, line); // its empty line
    while (std::getline(lines, line)) {
        if (line.empty() || line.rfind("Log file closed ", 0) == 0)
            continue;
        std::smatch m;
        const std::string start = line.substr(0, 32);
        ASSERT_TRUE(std::regex_search(start, m, head) && m.position(0) == 0) << start;
        const char mark = m[1].str()[0];
        const int who = mark == 'a' ? 0 : 1;
        const int i = std::stoi(m[2]);
        EXPECT_EQ(i, next[who]); // each thread's entries whole and in order
        next[who] = i + 1;
        const std::string body = line.substr(static_cast<size_t>(m.length(0)));
        const size_t length = static_cast<size_t>(100 + (i * 37) % 9000);
        EXPECT_EQ(body, std::string(length, mark) + "|") << start;
    }
    EXPECT_EQ(next[0], kEntries);
    EXPECT_EQ(next[1], kEntries);
}

TEST_F(DebugLog, ANewFileWhileAnotherThreadWritesLosesNoEntry) {
    Enable();
    const std::string second = dir.path().toStdString() + "/second.txt";
    std::atomic<bool> switched{false};
    std::atomic<int> written{0};
    std::thread worker([&] {
        // Writes on across the switch, and a while after it.
        for (int after = 0; after < 200; ++written) {
            config->PrintToDebugFile(L"entry %u\n", Arg(written.load()));
            if (switched.load())
                ++after;
        }
    });
    while (written < 50)
        std::this_thread::yield();
    config->EnableDebugFile(zx::Utf8ToWide(second).c_str());
    switched = true;
    worker.join();
    // The file in use is not truncated under its stream.
    const std::string before = zxtest::ReadWholeFile(second);
    config->EnableDebugFile(zx::Utf8ToWide(second).c_str());
    EXPECT_EQ(zxtest::ReadWholeFile(second), before);
    config->PrintToDebugFile(L"last\n");
    config.reset();

    // Every entry is in one file or the other, whole; only the new file gets
    // the entries after the switch and the closing line.
    const std::string first = Text(), next = zxtest::ReadWholeFile(second);
    const std::regex entry(kStamp + R"( - entry (\d+)\n)");
    std::vector<int> count(static_cast<size_t>(written.load()), 0);
    for (const std::string* text : {&first, &next})
        for (std::sregex_iterator it(text->begin(), text->end(), entry), end; it != end; ++it)
            ++count.at(std::stoul((*it)[1]));
    EXPECT_EQ(std::count(count.begin(), count.end(), 1), written.load());
    EXPECT_EQ(first.find("Log file closed"), std::string::npos);
    EXPECT_NE(next.find("last\n"), std::string::npos);
    EXPECT_NE(next.find("Log file closed"), std::string::npos);
}

} // namespace
