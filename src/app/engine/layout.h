#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the list and the busy panel go when the main window is resized.
namespace Layout {

// Designed lengths are in twips; 15 twips make one pixel at 96 dpi.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

struct Input {
    QSize outer; // the window's outer size: frame, title and menu bar included
    bool minimized = false;
    QRect list; // the list's current geometry
    int statusBarHeight = 0;
    QSize progress; // the busy panel's size
};

struct Result {
    std::optional<QRect> list;      // nothing: the list stays as it is
    std::optional<QPoint> progress; // nothing: the panel stays as it is
};

Result apply(const Input &in);

} // namespace Layout
