#include "framework/vcl/WinHandles.h"
#include "tests/support/GdiCount.h"

#include <gtest/gtest.h>

using namespace WinHandles;

namespace {
void WarmUp() {
    TWindowDC screen(nullptr);
    TMemoryDC mem(screen);
}
} // namespace

TEST(WinHandles, OwningGuardsFreeAndViewsDoNot) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    ASSERT_GT(base, 0) << "the GDI handle table was not found";
    HBRUSH viewed = CreateSolidBrush(RGB(1, 2, 3));
    {
        TBrush owned(CreateSolidBrush(RGB(4, 5, 6)));
        TBrushView view(viewed);
        TPen pen(CreatePen(PS_SOLID, 1, 0));
        TBitmapHandle moved(CreateBitmap(4, 4, 1, 32, nullptr));
        TBitmapHandle target(std::move(moved));
        EXPECT_FALSE(moved);
        EXPECT_EQ(TestSupport::LiveGdiObjects(), base + 4);
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base + 1); // only the viewed brush is left
    DeleteObject(viewed);
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(WinHandles, SelectionsAreUndoneBeforeTheObjectsDie) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    {
        TWindowDC screen(nullptr);
        TMemoryDC dc(screen);
        HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
        TBitmapHandle bmp(CreateCompatibleBitmap(screen, 8, 8));
        {
            TSelectObject sel(dc, bmp);
            EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bmp.Get());
            TSaveDC saved(dc);
            TBrush brush(CreateSolidBrush(RGB(9, 9, 9)));
            SelectObject(dc, brush);
            SetTextColor(dc, RGB(1, 1, 1));
        } // RestoreDC drops the brush selection, then the bitmap goes back
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), original);
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(WinHandles, GlobalMemoryIsLockedForTheScopeOnly) {
    TGlobalMemory mem(GMEM_MOVEABLE, 64);
    {
        TGlobalMemory::Lock lock(mem.Get());
        ASSERT_NE(lock.Get(), nullptr);
        static_cast<char*>(lock.Get())[0] = 'x';
    }
    EXPECT_EQ(GlobalFlags(mem.Get()) & GMEM_LOCKCOUNT, 0u);
}
