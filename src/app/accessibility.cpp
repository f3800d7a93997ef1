#include "app/accessibility.h"

#include "app/fcover.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    // A parentless plain widget is a panel to Qt; the cover is a window.
    if (className == QLatin1String(fCover::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

namespace Accessibility {

void install()
{
    QAccessible::installFactory(factory);
}

} // namespace Accessibility
