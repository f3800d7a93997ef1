#include "app/appearance.h"
#include "app/engine/layout.h"

#include <gtest/gtest.h>

using Appearance::px;

namespace {
Layout::Input input(QSize outer)
{
    Layout::Input in;
    in.outer = outer;
    in.list = QRect(px(75), px(2055), px(13425), px(4365));
    in.statusBarHeight = 20;
    in.progress = QSize(px(8385), px(945));
    return in;
}
} // namespace

TEST(Layout, ListFollowsTheWindowAndThePanelStaysCentred)
{
    const Layout::Result r = Layout::apply(input(QSize(1200, 800)));
    ASSERT_TRUE(r.list && r.progress);
    EXPECT_EQ(*r.list, QRect(px(50), px(2055), 1200 - px(400), 800 - px(2055) - 20 - px(900)));
    EXPECT_EQ(r.progress->x(), (r.list->width() - px(8385)) / 2);
    EXPECT_EQ(r.progress->y(), r.list->top() + (r.list->height() - px(945)) / 2);
}

TEST(Layout, MinimizedChangesNothing)
{
    Layout::Input in = input(QSize(1200, 800));
    in.minimized = true;
    const Layout::Result r = Layout::apply(in);
    EXPECT_FALSE(r.list);
    EXPECT_FALSE(r.progress);
}

TEST(Layout, TooSmallAWindowKeepsTheListButStillCentresThePanel)
{
    Layout::Input in = input(QSize(600, 150));
    const Layout::Result r = Layout::apply(in);
    EXPECT_FALSE(r.list);
    ASSERT_TRUE(r.progress);
    EXPECT_EQ(r.progress->x(), (in.list.width() - px(8385)) / 2);
}
