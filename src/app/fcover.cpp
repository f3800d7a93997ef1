#include "app/fcover.h"

#include "app/engine/app_info.h"
#include "app/accessibility.h"
#include "shell/appearance.h"
#include "app/form1.h"
#include "app/engine/vendor.h"
#include "online/update_check.h"
#include "shell/desktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using Appearance::px;

namespace {

class ClickableLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        if (onClick)
            onClick();
        QLabel::mousePressEvent(e);
    }
};

} // namespace

QString fCover::introduction()
{
    return QStringList{
        QStringLiteral("【墨桐同名文件批量替换】是专业的同名文件批量替换工具！软件操作简洁，智能，安全！"),
        QStringLiteral("1、在指定目录下搜索需要被替换的文件名，搜索结果显示在下方列表，文件的相关信息会呈现；"),
        QStringLiteral(
            "2、选定用于替换其他同名文件的母文件，勾选列表中需要被替换的文件，点击“替换勾选的同名文件”按钮，即可全部替换，替换结果会详细显示在列表的“替换状态”栏目；"),
        QStringLiteral(
            "3、软件在替换时会重命名旧的文件，备份保存在同一个文件夹，按照时间重命名文件，以免你误操作，可以有挽回的机会，安全性很好；"),
        QStringLiteral("4、文件大小及修改日期均相同，可以跳过替换，因为他们很可能就是完全相同的文件，无需替换；"),
        QStringLiteral(
            "5、如果你已经误操作，清空列表，重新按照“相似匹配”搜索文件，勾选需要恢复的文件，点击菜单“恢复最近一次被替换的文件”，就可以完全恢复。"),
        QStringLiteral(
            "6、本软件兼有同名文件批量删除到回收站的功能。 文件的删除都不是直接删除，而是删除到系统回收站，便于因意外删除而找回。"),
    }
        .join(QLatin1Char('\n'));
}

fCover::fCover(QWidget *parent) : QWidget(parent), m_update(new UpdateCheck(this))
{
    m_updateCheck = [this] { m_update->start(); };
    connect(m_update, &UpdateCheck::newerVersionFound, this, &fCover::showNewerVersion);
    Accessibility::install(); // screen readers hear the cover as a window
    setObjectName(QStringLiteral("fCover"));
    setWindowIcon(Appearance::appIcon());
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Appearance::coverPicture());
    Image1->resize(Image1->pixmap().deviceIndependentSize().toSize());
    Image1->move(px(50), px(30));

    const int w = Image1->width();
    const int left = px(50) + 8;
    int y = px(30) + Image1->height() + 8;

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("软件介绍"));
    Text1->setReadOnly(true);
    Text1->setFont(Appearance::lightFont(9));
    Text1->setPlainText(introduction());
    // Tall enough for the whole introduction at the cover's width.
    const int lineHeight = QFontMetrics(Text1->font()).lineSpacing();
    Text1->setGeometry(left, y, w - 16, 11 * lineHeight + 16);
    y += Text1->height() + 8;

    Label2 = new QLabel(QStringLiteral("版本："), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label1 = new QLabel(QStringLiteral("正在加载组件，请稍候..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto *update = new ClickableLabel(QStringLiteral("最新版本："), this);
    update->onClick = [this] { openProductPage(); };
    Label3 = update;
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setCursor(Qt::PointingHandCursor);
    // A link in the theme's own link colour, readable on dark themes too.
    Label3->setForegroundRole(QPalette::Link);
    Label3->hide();
    Command1 = new QPushButton(QStringLiteral("进入主界面"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command3 = new QPushButton(QStringLiteral("退出软件"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    for (QWidget *c : std::initializer_list<QWidget *>{Label1, Label2, Label3, Command1, Command3})
        c->setFont(Appearance::uiFont(9));

    // Version, loading line and update line on the left, buttons on the right.
    Label2->setGeometry(left, y, 200, 22);
    Label1->setGeometry(left, y + 22, 300, 22);
    Label3->setGeometry(left, y + 22, w - 16 - 260, 22);
    Command1->setGeometry(left + w - 16 - 250, y + 4, 120, 34);
    Command3->setGeometry(left + w - 16 - 120, y + 4, 120, 34);
    Command1->setDefault(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    connect(Command1, &QPushButton::clicked, this, &fCover::进入主界面);
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &fCover::timerTick);

    setFixedHeight(y + 50);
}

void fCover::loadCover()
{
    setWindowTitle(AppInfo::windowCaption());
    Label2->setText(QStringLiteral("版本:") + AppInfo::versionText());
    show();
    // Let the cover and its loading line paint before the rest.
    QCoreApplication::processEvents();
    Timer1->start();
    Label1->hide();
}

void fCover::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    Image1->move(px(50), px(30));
    const int width = Image1->width() + px(200);
    if (minimumWidth() != width || maximumWidth() != width)
        setFixedWidth(width);
}

Form1 *fCover::mainWindow() const
{
    return m_form.data();
}

void fCover::进入主界面()
{
    hide();
    if (!m_form) {
        m_form = new Form1(this);
        m_form->loadForm();
    }
    m_form->show();
}

void fCover::timerTick()
{
    Timer1->stop();
    if (m_updateCheck)
        m_updateCheck();
}

void fCover::openProductPage()
{
    OpenURL(Vendor::productPage(), false);
}

void fCover::closeEvent(QCloseEvent *event)
{
    hide();
    event->accept();
    QCoreApplication::quit();
}

void fCover::showNewerVersion(const QString &version)
{
    Label3->setText(QStringLiteral("有最新版本：V") + version + QStringLiteral("可以下载升级"));
    Label3->adjustSize();
    Label3->show();
}
