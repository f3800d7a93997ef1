// Writes the application icon for the desktop: an SVG and PNGs in the
// hicolor sizes, painted by the same code that draws the window icon, so the
// menu and the window can never show two different pictures.
//   samename_icons OUTDIR NAME  ->  OUTDIR/hicolor/{scalable,NxN}/apps/NAME.{svg,png}
#include "shell/appearance.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: samename_icons OUTDIR NAME\n");
        return 2;
    }
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);

    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        const QString file = out.filePath(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!out.mkpath(dir) || !Appearance::appIconPixmap(size, 1.0).toImage().save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }

    const QString dir = QStringLiteral("hicolor/scalable/apps");
    const QString file = out.filePath(dir + QLatin1Char('/') + name + QStringLiteral(".svg"));
    out.mkpath(dir);
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("墨桐同名文件批量替换"));
    QPainter p;
    if (!p.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    Appearance::drawAppIcon(p, QRectF(0, 0, 256, 256));
    return p.end() ? 0 : 1;
}
