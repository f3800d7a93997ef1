#include "app/engine/layout.h"

#include <gtest/gtest.h>

// In pixels at 96 dpi: the list designed at 5,137 sized 895x291, the busy
// panel 559x63, a status bar 20 high.
TEST(Layout, ListFollowsTheWindowAndThePanelStaysCentred)
{
    Layout::Input in;
    in.outer = QSize(1200, 800);
    in.list = QRect(5, 137, 895, 291);
    in.statusBarHeight = 20;
    in.progress = QSize(559, 63);
    Layout::Result r = Layout::apply(in);
    ASSERT_TRUE(r.list && r.progress);
    EXPECT_EQ(*r.list, QRect(3, 137, 1173, 583));
    EXPECT_EQ(*r.progress, QPoint(307, 397));

    // Too small a window keeps the list, and the panel centred over it.
    in.outer = QSize(600, 150);
    r = Layout::apply(in);
    EXPECT_FALSE(r.list);
    ASSERT_TRUE(r.progress);
    EXPECT_EQ(*r.progress, QPoint(168, 251));

    in.minimized = true;
    r = Layout::apply(in);
    EXPECT_FALSE(r.list || r.progress);
}
