#include "shell/appearance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace Appearance {

QString uiFontFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString &f : {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("WenQuanYi Micro Hei")}) {
            if (installed.contains(f))
                return f;
        }
        return QFont().family();
    }();
    return family;
}

QFont uiFont(double pointSize)
{
    QFont f(uiFontFamily());
    f.setPointSizeF(pointSize);
    return f;
}

QFont lightFont(double pointSize)
{
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(QStringLiteral("微软雅黑 Light"))) {
        QFont f(QStringLiteral("微软雅黑 Light"));
        f.setPointSizeF(pointSize);
        return f;
    }
    QFont f = uiFont(pointSize);
    f.setWeight(QFont::Light);
    return f;
}

bool installChineseTranslations()
{
    // Qt's own buttons and pickers speak Chinese like the rest of the
    // program, whatever the user's locale.
    static QTranslator qt;
    if (!qt.isEmpty())
        return true;
    if (!qt.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qt);
}

void applyApplicationLook()
{
    installChineseTranslations();
    QApplication::setWindowIcon(appIcon());
    QApplication::setFont(uiFont(9));
    // Outside a desktop session no theme is set; file icons still come from
    // the installed freedesktop theme.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

namespace {

// Two sheets of paper, the front one overlaid with a circular arrow: one file
// copied over its namesakes, the old one kept.
void drawEmblem(QPainter &p, const QRectF &r)
{
    const qreal w = r.width(), h = r.height();
    p.setRenderHint(QPainter::Antialiasing);
    auto sheet = [&](const QRectF &s, const QColor &fill) {
        QPainterPath path;
        const qreal fold = s.width() * 0.28;
        path.moveTo(s.topLeft());
        path.lineTo(s.right() - fold, s.top());
        path.lineTo(s.right(), s.top() + fold);
        path.lineTo(s.bottomRight());
        path.lineTo(s.bottomLeft());
        path.closeSubpath();
        p.setPen(QPen(QColor(40, 60, 110), qMax<qreal>(1.0, w / 32)));
        p.setBrush(fill);
        p.drawPath(path);
        p.setBrush(fill.darker(125));
        QPainterPath corner;
        corner.moveTo(s.right() - fold, s.top());
        corner.lineTo(s.right() - fold, s.top() + fold);
        corner.lineTo(s.right(), s.top() + fold);
        corner.closeSubpath();
        p.drawPath(corner);
    };
    sheet(QRectF(r.left() + w * 0.06, r.top() + h * 0.04, w * 0.56, h * 0.72), QColor(200, 214, 240));
    sheet(QRectF(r.left() + w * 0.34, r.top() + h * 0.22, w * 0.58, h * 0.74), QColor(255, 255, 255));
    // The arrow that stands for the replacement.
    QPen arrow(QColor(255, 128, 0), qMax<qreal>(1.5, w / 11), Qt::SolidLine, Qt::RoundCap);
    p.setPen(arrow);
    p.setBrush(Qt::NoBrush);
    const QRectF arc(r.left() + w * 0.44, r.top() + h * 0.40, w * 0.38, h * 0.38);
    p.drawArc(arc, 30 * 16, 260 * 16);
    const QPointF tip(arc.center().x() + arc.width() / 2 * 0.87, arc.center().y() - arc.height() / 2 * 0.5);
    p.setBrush(QColor(255, 128, 0));
    p.setPen(Qt::NoPen);
    QPolygonF head;
    head << tip + QPointF(-w * 0.10, -h * 0.02) << tip + QPointF(w * 0.06, -h * 0.10) << tip + QPointF(w * 0.05, h * 0.08);
    p.drawPolygon(head);
}

} // namespace

qreal screenPixelRatio()
{
    return qMax<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
}

namespace {

// A transparent canvas of logical size `size` with dpr device pixels per
// logical one; painters on it work in logical units.
QPixmap canvas(QSize size, qreal dpr)
{
    QPixmap pm(QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

qreal ratioOrScreen(qreal dpr)
{
    return dpr > 0 ? dpr : screenPixelRatio();
}

} // namespace

QPixmap appIconPixmap(int size, qreal dpr)
{
    QPixmap pm = canvas(QSize(size, size), ratioOrScreen(dpr));
    QPainter p(&pm);
    drawEmblem(p, QRectF(0, 0, size, size));
    return pm;
}

void drawAppIcon(QPainter &p, const QRectF &r)
{
    drawEmblem(p, r);
}

QIcon appIcon()
{
    // Each size also at double density and at the screen's own ratio, so the
    // icon engine never has to enlarge a small bitmap.
    QList<qreal> ratios{1.0, 2.0};
    if (!ratios.contains(screenPixelRatio()))
        ratios << screenPixelRatio();
    QIcon icon;
    for (qreal r : ratios)
        for (int s : {16, 24, 32, 48, 64, 128})
            icon.addPixmap(appIconPixmap(s, r));
    return icon;
}

QPixmap coverPicture(qreal dpr)
{
    const int w = 600, h = 210;
    QPixmap pm = canvas(QSize(w, h), ratioOrScreen(dpr));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, w, h);
    sky.setColorAt(0, QColor(18, 52, 110));
    sky.setColorAt(1, QColor(44, 120, 190));
    p.fillRect(QRect(0, 0, w, h), sky);
    // Faint rows of file names, the list the program fills.
    p.setPen(QColor(255, 255, 255, 28));
    for (int y = 18; y < h; y += 22)
        p.drawLine(200, y, w - 20, y);
    drawEmblem(p, QRectF(28, 36, 140, 140));
    p.setPen(Qt::white);
    QFont title = uiFont(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(190, 48, w - 200, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("墨桐同名文件批量替换"));
    p.setFont(uiFont(11));
    p.setPen(QColor(220, 232, 250));
    p.drawText(QRectF(192, 104, w - 200, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("搜索 · 勾选 · 替换 · 备份 · 恢复"));
    p.setFont(uiFont(9));
    p.setPen(QColor(255, 190, 120));
    p.drawText(QRectF(192, 140, w - 200, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("墨桐软件"));
    return pm;
}

} // namespace Appearance
