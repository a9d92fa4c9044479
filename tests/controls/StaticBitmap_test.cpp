// Bitmaps loaded from a module's resources and shown in a picture static:
// the static shows a copy, hands back the previous handle, and never shows
// a handle that names no bitmap.

#include "platform/GdiObjects.h"
#include "platform/LastError.h"
#include "platform/Modules.h"
#include "platform/Rect.h"
#include "platform/Static.h"
#include "platform/rc/zxres.h"
#include "support/BinFolder.h"
#include "zarvexapp/resources/resource.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

QSize Shown(CStatic& picture) {
    const auto* label = qobject_cast<QLabel*>(picture.GetWidget());
    return label ? label->pixmap().size() : QSize(-1, -1);
}

TEST(StaticBitmap, PictureStaticsShowTheBitmapTheirOwnerSets) {
    const HMODULE library = LoadLibraryW(zxtest::BinPath(L"libzarvexapp.so"));
    const HBITMAP splash = LoadBitmapW(library, MAKEINTRESOURCEW(IDB_SPLASH));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(zx::ImageFromHandle(splash)->size(), QSize(400, 250));
    SetLastError(0);
    EXPECT_EQ(LoadBitmapW(library, L"NO_SUCH_BITMAP"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    FreeLibrary(library);

    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, L"ZxWindow", L"Pictures", WS_POPUP, CRect(0, 0, 420, 300), nullptr, 0));
    CStatic picture;
    ASSERT_TRUE(picture.Create(L"", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE,
                               CRect(0, 0, 410, 260), &parent, 1014));
    EXPECT_EQ(picture.SetBitmap(splash), nullptr);
    EXPECT_EQ(picture.GetBitmap(), splash);
    EXPECT_EQ(Shown(picture), QSize(400, 250));
    // Only bitmaps: another image type changes nothing.
    EXPECT_EQ(picture.SendMessageW(STM_SETIMAGE, 1 /* IMAGE_ICON */, 0), 0);
    EXPECT_EQ(picture.GetBitmap(), splash);

    // The bitmap is the owner's to delete; the static keeps showing its copy.
    EXPECT_TRUE(DeleteObject(splash));
    EXPECT_EQ(Shown(picture), QSize(400, 250));
    EXPECT_FALSE(DeleteObject(splash));
    // A handle that names no bitmap (here: the deleted one) blanks the picture.
    EXPECT_EQ(picture.SetBitmap(splash), splash);
    EXPECT_EQ(picture.GetBitmap(), nullptr);
    EXPECT_EQ(Shown(picture), QSize(0, 0));
}

} // namespace
