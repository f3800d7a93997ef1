#pragma once
#include "app/engine/layout.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>

class QPainter;

namespace Appearance {

// "微软雅黑" where installed, else the system's CJK sans.
QString uiFontFamily();
QFont uiFont(double pointSize = 9.0);
// The lighter face for the cover's introduction.
QFont lightFont(double pointSize = 9.0);

// Font, icon, icon theme and Qt's Chinese texts for the whole application;
// called once after the QApplication exists.
void applyApplicationLook();
// False where the translations are not installed: Qt's texts stay English.
bool installChineseTranslations();

// The program's own artwork, drawn rather than shipped. Pixmaps are drawn at
// dpr device pixels per logical pixel (0: the screens' highest ratio), so
// they stay sharp on high-density screens; sizes are logical.
QPixmap coverPicture(qreal dpr = 0);
QIcon appIcon();
QPixmap appIconPixmap(int size, qreal dpr = 0);
// The icon's artwork on any painter, e.g. an SVG for the desktop's menus.
void drawAppIcon(QPainter &p, const QRectF &r);
qreal screenPixelRatio();

using Layout::px;

} // namespace Appearance
