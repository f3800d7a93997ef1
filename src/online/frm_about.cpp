#include "online/frm_about.h"

#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "shell/appearance.h"
#include "app/engine/vendor.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于『") + AppInfo::title() + QStringLiteral("』 "));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setMouseTracking(true);

    auto *icon = new QLabel(this);
    icon->setPixmap(Appearance::appIconPixmap(48));
    icon->setGeometry(20, 20, 48, 48);

    lsoftname = new QLabel(AppInfo::title(), this);
    QFont big = Appearance::uiFont(13);
    big.setBold(true);
    lsoftname->setFont(big);
    lblVersion = new QLabel(QStringLiteral("版本 ") + AppInfo::versionText(), this);
    Label1 = new QLabel(QStringLiteral("软件制作：墨桐软件"), this);
    Label10 = new QLabel(appState().LatestVersionText.isEmpty()
                             ? QStringLiteral("[已经是最新版本]")
                             : QStringLiteral("[有最新版本可以升级：") + appState().LatestVersionText + QStringLiteral("]"),
                         this);
    Label10->setToolTip(QStringLiteral("点击打开查看"));
    Label2 = new QLabel(QStringLiteral("墨桐软件：") + Vendor::site(), this);
    Label2->setToolTip(QStringLiteral("访问支持网站"));
    Label7 = new QLabel(QStringLiteral("柏岚软件：") + Vendor::secondSite(), this);
    Label4 = new QLabel(QStringLiteral("Email：") + Vendor::email(), this);
    Label4->setToolTip(QStringLiteral("给软件作者写邮件"));
    Line2 = new QFrame(this);
    Line2->setFrameShape(QFrame::HLine);
    Line2->setFrameShadow(QFrame::Plain);
    Line2->setForegroundRole(QPalette::Link);
    Line2->hide();
    cmdOK = new QPushButton(QStringLiteral("确定"), this);

    const std::pair<QObject *, const char *> names[] = {{lsoftname, "lsoftname"}, {lblVersion, "lblVersion"}, {Label1, "Label1"},
                                                        {Label10, "Label10"},     {Label2, "Label2"},         {Label7, "Label7"},
                                                        {Label4, "Label4"},       {Line2, "Line2"},           {cmdOK, "cmdOK"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QString::fromLatin1(name));

    int y = 20;
    lsoftname->move(84, y);
    lsoftname->adjustSize();
    y += lsoftname->height() + 6;
    for (QLabel *l : {lblVersion, Label1, Label10, Label2, Label7, Label4}) {
        l->move(84, y);
        l->adjustSize();
        y += l->height() + 8;
    }
    // Links and their underline take the theme's link colour, so they stay
    // readable on dark themes.
    for (QLabel *link : {Label10, Label2, Label7}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setForegroundRole(QPalette::Link);
    }
    for (QLabel *l : {Label10, Label2, Label7, Label4}) {
        l->setMouseTracking(true);
        l->installEventFilter(this);
    }
    int w = 0;
    for (QLabel *l : {lsoftname, lblVersion, Label1, Label10, Label2, Label7, Label4})
        w = qMax(w, l->x() + l->width());
    w = qMax(w + 30, 420);
    cmdOK->setGeometry(w - 120, y + 4, 100, 30);
    setFixedSize(w, y + 50);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::模拟网址下划线(QLabel *label)
{
    const int y = label->y() + label->height();
    Line2->setGeometry(label->x(), y, label->width(), 1);
    Line2->show();
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label && event->type() == QEvent::MouseMove) {
        模拟网址下划线(label);
        return true; // not passed on to the box, whose own moves hide the line
    }
    if (label && event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (label == Label10)
            OpenURL(Vendor::site() + QLatin1Char('/') + AppInfo::executableName(), false);
        else if (label == Label2)
            OpenURL(Vendor::site() + QLatin1Char('/'), true);
        else if (label == Label7)
            OpenURL(Vendor::secondSite() + QLatin1Char('/'), true);
        // The e-mail line only underlines.
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    Line2->hide();
    QDialog::mouseMoveEvent(event);
}

void frmAbout::showModal(QWidget *parent)
{
    frmAbout box(parent);
    ModalDialog::exec(box);
}
