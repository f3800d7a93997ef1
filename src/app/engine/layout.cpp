#include "app/engine/layout.h"

namespace Layout {

Result apply(const Input &in)
{
    Result r;
    if (in.minimized)
        return r;
    QRect list = in.list;
    const int width = in.outer.width() - px(400);
    const int height = in.outer.height() - in.list.top() - in.statusBarHeight - px(900);
    // A window too small for the list leaves the list at its last size.
    if (width >= 0 && height >= 0) {
        list = QRect(px(50), in.list.top(), width, height);
        r.list = list;
    }
    r.progress = QPoint((list.width() - in.progress.width()) / 2, list.top() + (list.height() - in.progress.height()) / 2);
    return r;
}

} // namespace Layout
