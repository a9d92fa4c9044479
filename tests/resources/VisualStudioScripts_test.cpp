// Resource scripts saved by Visual Studio for MFC applications (UTF-16,
// mixed-case file names, MFC's ids and standard resources, designer blocks)
// compile as Microsoft's rc compiles them and read back through the resource
// API.
#include "platform/DialogTemplate.h"
#include "platform/MenuTemplate.h"
#include "platform/Modules.h"
#include "platform/Resources.h"
#include "platform/VersionBlock.h"
#include "platform/rc/afxres.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// As vsrc/resource.h numbers them (UTF-16, which the compiler cannot read).
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDS_ABOUTBOX = 101;
constexpr UINT IDD_VSAPP_CONTROLS = 102;
constexpr UINT IDS_RC_INVOKED = 103;
constexpr UINT IDS_APSTUDIO_ONLY = 104;
constexpr UINT IDS_PRICE = 105;
constexpr UINT IDS_RC2_TEXT = 106;
constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDD_VSAPP_DE = 130;
constexpr UINT IDS_SHARED = 140;
constexpr WORD IDC_VSAPP_COMBO = 1006;

using Loaded = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>;
Loaded Load(const char* file) {
    return {LoadLibraryW(zxtest::FixtureFileW("vsrc", file).c_str()), &FreeLibrary};
}

std::wstring String(HMODULE module, UINT id) {
    wchar_t buffer[256];
    return std::wstring(buffer, LoadStringW(module, id, buffer, 256));
}

std::vector<BYTE> Bytes(HMODULE module, UINT id, LPCWSTR type) {
    const auto bytes = zx::ResourceBytes(module, MAKEINTRESOURCEW(id), type);
    return {bytes.begin(), bytes.end()};
}

std::vector<BYTE> Words(std::initializer_list<WORD> words) {
    std::vector<BYTE> bytes;
    for (WORD w : words) {
        bytes.push_back(BYTE(w & 0xFF));
        bytes.push_back(BYTE(w >> 8));
    }
    return bytes;
}

} // namespace

TEST(VisualStudioScripts, AnMfcApplicationScriptReadsBackWhole) {
    const Loaded loaded = Load("libfixture_vsapp.so");
    HMODULE module = loaded.get();
    ASSERT_NE(module, nullptr) << zx::LastLoadErrorText();

    // Strings: the script's own (UTF-16 text kept), the RC_INVOKED block in,
    // the APSTUDIO_INVOKED one out, and the standard resource stand-ins.
    EXPECT_EQ(String(module, IDS_ABOUTBOX), L"&About VsApp...");
    EXPECT_EQ(String(module, IDS_PRICE), L"Preis: 5 \u20AC f\u00FCr Gr\u00F6\u00DFe");
    EXPECT_EQ(String(module, IDS_RC2_TEXT), L"Caf\u00E9 \u20AC"); // an 8-bit .rc2 in code page 1252
    EXPECT_EQ(String(module, AFX_IDS_IDLEMESSAGE), L"Ready");
    EXPECT_EQ(String(module, ID_FILE_NEW), L"Create a new document\nNew");
    EXPECT_EQ(String(module, IDS_RC_INVOKED), L"Compiled as a resource script");
    EXPECT_EQ(String(module, IDS_APSTUDIO_ONLY), L"");
    EXPECT_NE(String(module, AFX_IDP_PARSE_INT_RANGE).find(L"%1"), std::wstring::npos);
    EXPECT_FALSE(String(module, AFX_IDS_ONEPAGE).empty());
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), L"TEXTINCLUDE"), nullptr);

    // Dialogs: the extended form with an icon static, the plain form with the
    // common controls and MS Sans Serif, and the stand-ins' dialogs.
    const auto about = zx::ParseDialogTemplate(Bytes(module, IDD_ABOUTBOX, RT_DIALOG));
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->extended);
    ASSERT_TRUE(about->font);
    EXPECT_EQ(about->font->typeface, L"MS Shell Dlg");
    ASSERT_EQ(about->items.size(), 4u);
    EXPECT_EQ(about->items[0].kind(), zx::DialogItemClass::Static);
    EXPECT_TRUE(about->items[0].title.isOrdinal());
    EXPECT_EQ(about->items[0].title.ordinal, IDR_MAINFRAME);

    const auto controls = zx::ParseDialogTemplate(Bytes(module, IDD_VSAPP_CONTROLS, RT_DIALOG));
    ASSERT_TRUE(controls);
    EXPECT_FALSE(controls->extended);
    ASSERT_TRUE(controls->font);
    EXPECT_EQ(controls->font->typeface, L"MS Sans Serif");
    EXPECT_EQ(controls->font->pointSize, 8);
    ASSERT_EQ(controls->items.size(), 8u);
    EXPECT_EQ(controls->items[0].kind(), zx::DialogItemClass::ListBox);
    EXPECT_TRUE(controls->items[2].isClass(L"msctls_updown32"));
    EXPECT_EQ(controls->items[2].style & (UDS_ARROWKEYS | UDS_AUTOBUDDY),
              DWORD(UDS_ARROWKEYS | UDS_AUTOBUDDY));
    EXPECT_TRUE(controls->items[3].isClass(L"msctls_trackbar32")); // written as TRACKBAR_CLASS
    EXPECT_TRUE(controls->items[4].isClass(L"SysListView32"));
    EXPECT_EQ(controls->items[4].style & LVS_TYPEMASK, DWORD(LVS_REPORT));
    EXPECT_TRUE(controls->items[5].isClass(L"SysTreeView32"));
    EXPECT_EQ(controls->items[6].kind(), zx::DialogItemClass::ComboBox);
    EXPECT_TRUE(zx::ParseDialogTemplate(Bytes(module, AFX_IDD_PRINTDLG, RT_DIALOG)));

    // The menu with MFC's command ids.
    const auto menu = zx::ParseMenuTemplate(Bytes(module, IDR_MAINFRAME, RT_MENU));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items.size(), 4u);
    ASSERT_EQ(menu->items[0].children.size(), 6u);
    EXPECT_EQ(menu->items[0].children[0].id, UINT(ID_FILE_NEW));
    EXPECT_EQ(menu->items[0].children[0].text, L"&New\tCtrl+N");
    EXPECT_EQ(menu->items[0].children[3].id, UINT(ID_FILE_MRU_FILE1));
    EXPECT_EQ(menu->items[3].children.at(0).id, UINT(ID_APP_ABOUT));

    // The version block, written inside #ifndef APSTUDIO_INVOKED.
    const auto version = zx::ParseVersionBlock(Bytes(module, VS_VERSION_INFO, RT_VERSION));
    ASSERT_TRUE(version);
    EXPECT_EQ(version->value(L"FileDescription"), L"VsApp MFC Application");
    EXPECT_EQ(version->fileVersionText(), L"1.2.3.4");

    // Files named in another case than on disk, one from the .rc2 that a
    // dotted name gives.
    const std::string sources = ZX_FIXTURE_SOURCES "/vsrc/res/";
    const auto bitmapFile = zxtest::ReadWholeFile<std::vector<BYTE>>(sources + "toolbar.bmp");
    ASSERT_GT(bitmapFile.size(), 14u);
    EXPECT_EQ(Bytes(module, IDR_MAINFRAME, RT_BITMAP),
              std::vector<BYTE>(bitmapFile.begin() + 14, bitmapFile.end()));
    const auto notes = zx::ResourceBytes(module, L"NOTES.TXT", L"TEXT");
    EXPECT_EQ(std::vector<BYTE>(notes.begin(), notes.end()),
              zxtest::ReadWholeFile<std::vector<BYTE>>(sources + "notes.txt"));
    EXPECT_FALSE(Bytes(module, IDR_MAINFRAME, RT_GROUP_ICON).empty());

    // Accelerators (five 8-byte entries), the toolbar in MFC's layout, the
    // combo box's DLGINIT items and the dialog layout are all there.
    EXPECT_EQ(Bytes(module, IDR_MAINFRAME, RT_ACCELERATOR).size(), 40u);
    EXPECT_EQ(Bytes(module, IDR_MAINFRAME, MAKEINTRESOURCEW(241)),
              Words({1, 16, 15, 4, ID_FILE_NEW, ID_FILE_OPEN, 0, ID_APP_ABOUT}));
    std::vector<BYTE> dlginit;
    for (const char* text : {"One", "Four", "Three"}) {
        const std::string item(text);
        const auto head = Words({IDC_VSAPP_COMBO, 0x403, WORD(item.size() + 1), 0});
        dlginit.insert(dlginit.end(), head.begin(), head.end());
        dlginit.insert(dlginit.end(), item.begin(), item.end());
        dlginit.push_back(0);
    }
    dlginit.insert(dlginit.end(), {0, 0});
    EXPECT_EQ(Bytes(module, IDD_VSAPP_CONTROLS, MAKEINTRESOURCEW(240)), dlginit);
    EXPECT_EQ(Bytes(module, IDD_ABOUTBOX, L"AFX_DIALOG_LAYOUT"), Words({0}));
}

// A script in a language sub-folder: its parent's resource.h, a header from
// an extra include folder, and MFC's translated standard resources.
TEST(VisualStudioScripts, ALanguageSubFolderScriptFindsItsHeaders) {
    const Loaded loaded = Load("fixture_vsapp_de.cap");
    HMODULE module = loaded.get();
    ASSERT_NE(module, nullptr) << zx::LastLoadErrorText();
    EXPECT_EQ(String(module, IDS_ABOUTBOX), L"&Info \u00FCber VsApp...");
    EXPECT_EQ(String(module, IDS_SHARED), L"Aus dem gemeinsamen Ordner");
    EXPECT_FALSE(String(module, AFX_IDP_PARSE_INT).empty());
    const auto dialog = zx::ParseDialogTemplate(Bytes(module, IDD_VSAPP_DE, RT_DIALOG));
    ASSERT_TRUE(dialog);
    ASSERT_EQ(dialog->items.size(), 2u);
    EXPECT_TRUE(dialog->items[0].title.isString());
    EXPECT_EQ(dialog->items[0].title.text, L"Gr\u00F6\u00DFe:");
}
