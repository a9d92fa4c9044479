// A combo box's selection kept by CRegistry, as the System tab and the
// application select dialog keep theirs: write-new keeps an earlier run's
// value, read restores it, update stores the current one.

#include "cmnctrls/Registry.h"
#include "platform/ComboBox.h"
#include "platform/Rect.h"
#include "platform/rc/zxres.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RegistryCombo : ::testing::Test {
    QTemporaryDir dir;
    CWnd parent;
    CComboBox box;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        CRegistry::SetStorage(dir.path() + "/ZarvexApp.ini");
        ASSERT_TRUE(
            parent.CreateEx(0, L"ZxWindow", L"", WS_POPUP, CRect(0, 0, 300, 100), nullptr, 0));
        ASSERT_TRUE(box.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 200, 100), &parent, 1017));
        for (const wchar_t* text : {L"zero", L"one", L"two", L"three"})
            box.AddString(text);
    }
    void TearDown() override {
        parent.DestroyWindow();
        CRegistry::SetStorage(QString());
    }

    // One pass of an object's RegistryAccess() with both overloads.
    bool Pass(int mode, CComboBox* byPointer, int* index = nullptr, CString* text = nullptr) {
        CRegistry registry;
        registry.SetKey(L"Software\\Zarvex\\ZarvexApp\\App\\System\\Target Platform");
        EXPECT_TRUE(mode == 0   ? registry.OpenReadKey()
                    : mode == 1 ? registry.OpenUpdateKey()
                                : registry.OpenWriteNewKey());
        const bool exchanged =
            byPointer
                ? registry.RegistryAccess(L"&m_cTargetPlatform", byPointer, index, text, -1, -1)
                : registry.RegistryAccess(L"&m_cTargetPlatform", box, index, text, -1);
        registry.CloseKey();
        return exchanged;
    }
};

TEST_F(RegistryCombo, SelectionRoundTripsThroughBothOverloads) {
    box.SetCurSel(2);
    EXPECT_TRUE(Pass(2, nullptr)); // write-new stores 2
    box.SetCurSel(1);
    EXPECT_FALSE(Pass(2, &box)); // a second write-new keeps the stored value
    int index = -5;
    CString text;
    EXPECT_TRUE(Pass(0, &box, &index, &text));
    EXPECT_EQ(box.GetCurSel(), 2);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(text, L"two");

    box.SetCurSel(3);
    EXPECT_TRUE(Pass(1, nullptr)); // update stores 3
    box.SetCurSel(0);
    EXPECT_TRUE(Pass(0, nullptr));
    EXPECT_EQ(box.GetCurSel(), 3);

    // No selection is stored as -1 and restored as none.
    box.SetCurSel(-1);
    EXPECT_TRUE(Pass(1, &box));
    box.SetCurSel(1);
    EXPECT_TRUE(Pass(0, &box, &index, &text));
    EXPECT_EQ(box.GetCurSel(), CB_ERR);
    EXPECT_EQ(index, CB_ERR);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(RegistryCombo, AStoredIndexBeyondTheItemsLeavesTheBoxAlone) {
    box.SetCurSel(3);
    EXPECT_TRUE(Pass(1, &box));
    box.DeleteString(3);
    box.DeleteString(2);
    box.SetCurSel(1);
    EXPECT_TRUE(Pass(0, &box));
    EXPECT_EQ(box.GetCurSel(), 1);
    // Without a window there is nothing to exchange; a null box neither.
    CComboBox unbound;
    CRegistry registry;
    registry.SetKey(L"Software\\Zarvex\\Other");
    registry.OpenUpdateKey();
    EXPECT_FALSE(registry.RegistryAccess(L"m_cBox", unbound));
    EXPECT_FALSE(registry.RegistryAccess(L"m_cBox", static_cast<CComboBox*>(nullptr), nullptr,
                                         nullptr, -1, -1));
    registry.CloseKey();
}

} // namespace
