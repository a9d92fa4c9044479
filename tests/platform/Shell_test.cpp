#include "platform/LastError.h"
#include "platform/Shell.h"
#include "support/DesktopSpy.h"
#include "support/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <vector>

namespace {

using zxtest::DesktopSpy;

INT_PTR Open(const std::wstring& file, const wchar_t* verb = L"open", const wchar_t* dir = L"") {
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, file.c_str(), nullptr, dir, 1));
}

std::wstring W(const QString& s) {
    return s.toStdWString();
}

} // namespace

TEST(ShellExecute, OpensExistingDocumentsAndNothingElse) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString pdf = root.path() + "/NEW1.pdf";
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("%PDF-1.4") == 8);
    file.close();

    DesktopSpy desktop;
    // A missing document fails before the desktop is asked.
    EXPECT_EQ(Open(W(root.path() + "/NEW2.pdf")), SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(W(root.path() + "/gone/NEW1.pdf")), SE_ERR_PNF);
    EXPECT_EQ(Open(L""), SE_ERR_FNF);
    EXPECT_EQ(Open(W("file://" + root.path() + "/NEW2.pdf")), SE_ERR_FNF);
    // Only opening is offered.
    EXPECT_EQ(Open(W(pdf), L"print"), SE_ERR_NOASSOC);
    EXPECT_TRUE(desktop.opened.empty());

    EXPECT_GT(Open(W(pdf)), 32);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(pdf));

    // No verb, another case of it, backslash separators, a path relative to dir.
    EXPECT_GT(Open(W(pdf), nullptr), 32);
    EXPECT_GT(Open(W(pdf), L"OPEN"), 32);
    EXPECT_GT(Open(zxtest::WithBackslashes(W(pdf))), 32);
    EXPECT_GT(Open(L"NEW1.pdf", L"open", W(root.path()).c_str()), 32);
    ASSERT_EQ(desktop.opened.size(), 5u);
    for (const QUrl& url : desktop.opened)
        EXPECT_EQ(url, QUrl::fromLocalFile(pdf));
}

TEST(ShellExecute, HandsLinksToTheDesktopAndReportsItsRefusal) {
    {
        DesktopSpy desktop;
        EXPECT_GT(Open(L"https://example.com/brief?page=2"), 32);
        EXPECT_GT(Open(L"www.example.com"), 32);
        EXPECT_GT(Open(L"mailto:support@example.com"), 32);
        EXPECT_EQ(desktop.opened, (std::vector<QUrl>{QUrl("https://example.com/brief?page=2"),
                                                     QUrl("http://www.example.com"),
                                                     QUrl("mailto:support@example.com")}));
    }
    {
        DesktopSpy refusing(false);
        EXPECT_EQ(Open(L"https://example.com/"), SE_ERR_NOASSOC);
        EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
        EXPECT_EQ(refusing.opened.size(), 1u);
    }
}
