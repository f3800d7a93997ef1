#include "app/form1.h"

#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "app/appearance.h"
#include "app/fcover.h"
#include "app/engine/layout.h"
#include "app/engine/settings.h"
#include "list/list_commands.h"
#include "list/result_list_view.h"
#include "list/shell_actions.h"
#include "online/frm_about.h"
#include "options/foption.h"
#include "list/result_model.h"
#include "replace/engine/file_facts.h"
#include "replace/replace_command.h"
#include "search/search_command.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

using Appearance::px;

namespace {

// Designed geometry in twips. Text must stay legible in the CJK fonts, so a
// control shorter than its text needs grows about its designed middle.
void place(QWidget *w, int left, int top, int width, int height)
{
    const int h = qMax(px(height), w->sizeHint().height());
    const int y = px(top) + (px(height) - h) / 2;
    w->setGeometry(px(left), qMax(0, y), px(width), h);
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QMenu *addMenu(QWidget *parent, const QString &name, const QString &caption)
{
    QMenu *m = nullptr;
    if (auto *bar = qobject_cast<QMenuBar *>(parent))
        m = bar->addMenu(caption);
    else
        m = static_cast<QMenu *>(parent)->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

} // namespace

Form1::Form1(fCover *cover)
    : m_cover(cover), m_searchCommand(std::make_unique<SearchCommand>(*this)),
      m_replaceCommand(std::make_unique<ReplaceCommand>(*this)), m_restoreCommand(std::make_unique<RestoreCommand>(*this)),
      m_listCommands(std::make_unique<ListCommands>(*this)), m_shellActions(std::make_unique<ShellActions>(*this))
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(Appearance::appIcon());
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildControls(client);
    buildMenus();

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        Panel[i] = new QLabel(StatusBar1);
        Panel[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        Panel[i]->setFrameShape(QFrame::StyledPanel);
        Panel[i]->setFrameShadow(QFrame::Sunken);
        Panel[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    Panel[0]->setMinimumWidth(px(1500));
    Panel[2]->setMinimumWidth(px(2400));
    StatusBar1->addPermanentWidget(Panel[0], 0);
    StatusBar1->addPermanentWidget(Panel[1], 1);
    StatusBar1->addPermanentWidget(Panel[2], 0);

    // The designed client area, 15000 x 8055 twips, under the menu bar.
    resize(px(15000), px(8055) + menuBar()->sizeHint().height());
}

Form1::~Form1()
{
    // The list outlives the icon store while the base classes tear down.
    model()->setIcons(nullptr);
}

void Form1::buildControls(QWidget *client)
{
    Label1 = new QLabel(QStringLiteral("搜索目录："), client);
    Text1 = new QLineEdit(client);
    Check1 = new QCheckBox(QStringLiteral("搜索子目录"), client);
    Command4 = new QPushButton(QStringLiteral("指定目录"), client);
    Command1 = new QPushButton(QStringLiteral("搜索文件"), client);
    Label4 = new QLabel(QStringLiteral("搜索文件名："), client);
    Text2 = new QLineEdit(client);
    Label6 = new QLabel(QStringLiteral("（如果留空，则显示所有文件；不区分大小写）"), client);
    Combo1 = new QComboBox(client);
    Line1 = new QFrame(client);
    Line2 = new QFrame(client);
    Label5 = new QLabel(QStringLiteral("替换用的母文件："), client);
    Text3 = new QLineEdit(client);
    Command2 = new QPushButton(QStringLiteral("指定文件"), client);
    Command3 = new QPushButton(QStringLiteral("替换勾选的同名文件"), client);
    Label7 = new QLabel(QStringLiteral("母文件的文件名、大小、修改日期："), client);
    Check2 = new QCheckBox(QStringLiteral("文件大小及修改日期均相同的，跳过替换"), client);
    ListView1 = new ResultListView(client);
    PicLV1 = new QLabel(client);
    File1 = new QListWidget(client);
    Image1 = new QLabel(client);
    CommonDialog1 = new QObject(this);
    PicProgress = new QFrame(client);
    Label3 = new QLabel(QStringLiteral("正在。。。"), PicProgress);
    ProgressBar1 = new QProgressBar(PicProgress);

    const std::pair<QObject *, const char *> names[] = {
        {Label1, "Label1"}, {Text1, "Text1"}, {Check1, "Check1"}, {Command4, "Command4"},
        {Command1, "Command1"}, {Label4, "Label4"}, {Text2, "Text2"}, {Label6, "Label6"},
        {Combo1, "Combo1"}, {Line1, "Line1"}, {Line2, "Line2"}, {Label5, "Label5"},
        {Text3, "Text3"}, {Command2, "Command2"}, {Command3, "Command3"}, {Label7, "Label7"},
        {Check2, "Check2"}, {PicLV1, "PicLV1"}, {File1, "File1"}, {Image1, "Image1"},
        {CommonDialog1, "CommonDialog1"}, {PicProgress, "PicProgress"}, {Label3, "Label3"},
        {ProgressBar1, "ProgressBar1"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QString::fromLatin1(name));

    Label1->setBuddy(Text1);
    Label4->setBuddy(Text2);
    Label5->setBuddy(Text3);
    Text1->setAccessibleName(QStringLiteral("搜索目录"));
    Text2->setAccessibleName(QStringLiteral("搜索文件名"));
    Text3->setAccessibleName(QStringLiteral("替换用的母文件"));
    Combo1->setAccessibleName(QStringLiteral("匹配方式"));
    Combo1->addItems({QStringLiteral("完全匹配"), QStringLiteral("相似匹配")});
    Combo1->setCurrentIndex(0);
    QPalette grey = Label6->palette();
    grey.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    Label6->setPalette(grey);

    place(Label1, 270, 150, 900, 180);
    place(Text1, 1290, 120, 7875, 270);
    place(Check1, 9360, 143, 1290, 225);
    place(Command4, 10860, 105, 1050, 300);
    place(Command1, 12075, 90, 2040, 600);
    place(Label4, 270, 525, 1080, 180);
    place(Text2, 1290, 480, 5130, 270);
    place(Label6, 6420, 525, 3780, 180);
    place(Combo1, 10485, 465, 1425, 300);
    place(Label5, 270, 1005, 1440, 180);
    place(Text3, 1725, 960, 9000, 270);
    place(Command2, 10815, 945, 1095, 300);
    place(Command3, 12075, 1125, 2040, 600);
    place(Label7, 270, 1350, 2880, 180);
    place(Check2, 270, 1665, 3690, 240);
    for (QLabel *l : {Label1, Label4, Label5, Label6, Label7})
        l->resize(qMax(l->width(), l->sizeHint().width()), l->height());
    Check1->resize(qMax(Check1->width(), Check1->sizeHint().width()), Check1->height());
    Check2->resize(qMax(Check2->width(), Check2->sizeHint().width()), Check2->height());

    // An etched rule: the blue line with a white one under it.
    Line1->setGeometry(px(285), px(870), px(14100) - px(285), 2);
    Line1->setAutoFillBackground(true);
    Line1->setPalette(QPalette(QColor(0, 0, 0xC0)));
    Line2->setGeometry(px(285), px(870) + 1, px(14100) - px(285), 1);
    Line2->setAutoFillBackground(true);
    Line2->setPalette(QPalette(Qt::white));
    Line1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Line2->setAttribute(Qt::WA_TransparentForMouseEvents);

    ListView1->setGeometry(px(75), px(2055), px(13425), px(4365));

    PicLV1->setGeometry(px(8610), px(7020), px(1800), px(450));
    PicLV1->hide();
    File1->setGeometry(px(6630), px(7050), px(1740), px(450));
    File1->hide();
    Image1->setGeometry(px(6315), px(7065), px(480), px(480));
    Image1->setPixmap(Appearance::appIconPixmap(32));
    Image1->hide();

    // The busy panel: orange, white caption, a bar.
    PicProgress->setGeometry(px(3150), px(3015), px(8385), px(945));
    PicProgress->setAutoFillBackground(true);
    QPalette orange = PicProgress->palette();
    orange.setColor(QPalette::Window, QColor(255, 128, 0));
    PicProgress->setPalette(orange);
    Label3->setFont(Appearance::uiFont(10.5));
    QPalette white = Label3->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label3->setPalette(white);
    Label3->move(px(315), px(150));
    Label3->adjustSize();
    ProgressBar1->setGeometry(px(330), px(555), px(7890), px(225));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setAccessibleName(QStringLiteral("进度"));
    PicProgress->hide();

    setTabOrder(Text1, Check1);
    setTabOrder(Check1, Command4);
    setTabOrder(Command4, Command1);
    setTabOrder(Command1, Text2);
    setTabOrder(Text2, Combo1);
    setTabOrder(Combo1, Text3);
    setTabOrder(Text3, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Check2);
    setTabOrder(Check2, ListView1);

    connect(Text2, &QLineEdit::textChanged, this, &Form1::更新搜索扩展名);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::更新母文件信息);
    Text2->installEventFilter(this);
    Text3->installEventFilter(this);
    connect(Command4, &QPushButton::clicked, this, &Form1::指定文件夹);
    connect(Command1, &QPushButton::clicked, this, [this] { m_searchCommand->click(); });
    connect(Command2, &QPushButton::clicked, this, &Form1::指定母文件);
    connect(Command3, &QPushButton::clicked, this, [this] { m_replaceCommand->click(); });
}

void Form1::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = addMenu(bar, QStringLiteral("menu文件"), QStringLiteral("文件(&F)"));
    connect(addItem(file, QStringLiteral("menu指定文件夹"), QStringLiteral("指定文件夹")), &QAction::triggered, this,
            &Form1::指定文件夹);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("menu退出软件"), QStringLiteral("退出软件")), &QAction::triggered, this,
            &QWidget::close);

    menu列表操作 = addMenu(bar, QStringLiteral("menu列表操作"), QStringLiteral("列表操作(&L)"));
    QMenu *select = addMenu(menu列表操作, QStringLiteral("menu选择"), QStringLiteral("选择"));
    const auto list = [this](QAction *a, void (ListCommands::*command)()) {
        connect(a, &QAction::triggered, this, [this, command] { (m_listCommands.get()->*command)(); });
    };
    const auto shell = [this](QAction *a, void (ShellActions::*command)()) {
        connect(a, &QAction::triggered, this, [this, command] { (m_shellActions.get()->*command)(); });
    };
    list(addItem(select, QStringLiteral("menu选中全部"), QStringLiteral("选中全部")), &ListCommands::选中全部);
    list(addItem(select, QStringLiteral("menu勾选全部"), QStringLiteral("勾选全部")), &ListCommands::勾选全部);
    list(addItem(select, QStringLiteral("menu全部去勾选"), QStringLiteral("全部去勾选")), &ListCommands::全部去勾选);
    QMenu *remove = addMenu(menu列表操作, QStringLiteral("menu移除"), QStringLiteral("移除"));
    list(addItem(remove, QStringLiteral("menu移除选中项"), QStringLiteral("选中项")), &ListCommands::移除选中项);
    list(addItem(remove, QStringLiteral("menu移除勾选项"), QStringLiteral("勾选项")), &ListCommands::移除勾选项);
    list(addItem(remove, QStringLiteral("menu移除全部"), QStringLiteral("全部")), &ListCommands::移除全部);
    connect(addItem(menu列表操作, QStringLiteral("menu恢复最近一次被替换的文件"), QStringLiteral("恢复最近一次被替换的文件")),
            &QAction::triggered, this, [this] { m_restoreCommand->click(); });
    QMenu *single = addMenu(menu列表操作, QStringLiteral("menu单选"), QStringLiteral("单选"));
    shell(addItem(single, QStringLiteral("menu复制文件目录"), QStringLiteral("复制文件目录")), &ShellActions::复制文件目录);
    shell(addItem(single, QStringLiteral("menu复制文件路径"), QStringLiteral("复制文件路径")), &ShellActions::复制文件路径);
    shell(addItem(single, QStringLiteral("menu打开文件所在目录"), QStringLiteral("打开文件所在目录")), &ShellActions::打开文件所在目录);
    QMenu *del = addMenu(menu列表操作, QStringLiteral("menu删除文件"), QStringLiteral("删除文件"));
    list(addItem(del, QStringLiteral("menu删除选中项"), QStringLiteral("删除选中项")), &ListCommands::删除选中项);
    list(addItem(del, QStringLiteral("menu删除勾选项"), QStringLiteral("删除勾选项")), &ListCommands::删除勾选项);
    list(addItem(del, QStringLiteral("menu删除全部替换备份文件"), QStringLiteral("删除全部[替换备份]文件")),
         &ListCommands::删除全部替换备份文件);
    list(addItem(del, QStringLiteral("menu删除全部恢复备份文件"), QStringLiteral("删除全部[恢复备份]文件")),
         &ListCommands::删除全部恢复备份文件);
    ListView1->setPopupMenu(menu列表操作);

    QMenu *tools = addMenu(bar, QStringLiteral("menu工具"), QStringLiteral("工具(&T)"));
    connect(addItem(tools, QStringLiteral("menu设置"), QStringLiteral("设置")), &QAction::triggered, this,
            [this] { fOption::showModal(this); });
    menu显示列表当前操作项 = addItem(tools, QStringLiteral("menu显示列表当前操作项"), QStringLiteral("显示列表当前操作项"));
    menu显示列表当前操作项->setCheckable(true);
    menu显示列表当前操作项->setChecked(false);

    QMenu *help = addMenu(bar, QStringLiteral("menu帮助"), QStringLiteral("帮助(&H)"));
    connect(addItem(help, QStringLiteral("menu关于"), QStringLiteral("关于")), &QAction::triggered, this,
            [this] { frmAbout::showModal(this, m_cover.data()); });
    connect(addItem(help, QStringLiteral("menu使用方法"), QStringLiteral("使用方法")), &QAction::triggered, this,
            [this] { ShowUsageHelp(this); });
    help->addSeparator();
    shell(addItem(help, QStringLiteral("menu最新版本"), QStringLiteral("最新版本")), &ShellActions::最新版本);
    shell(addItem(help, QStringLiteral("menu售后服务"), QStringLiteral("售后服务")), &ShellActions::售后服务);
    shell(addItem(help, QStringLiteral("menu功能定制"), QStringLiteral("功能定制")), &ShellActions::功能定制);
    shell(addItem(help, QStringLiteral("menu软件定制"), QStringLiteral("软件定制")), &ShellActions::软件定制);
    QMenu *sites = addMenu(help, QStringLiteral("menu作者网站"), QStringLiteral("作者网站"));
    shell(addItem(sites, QStringLiteral("menu墨桐软件"), QStringLiteral("墨桐软件")), &ShellActions::墨桐软件);
    shell(addItem(sites, QStringLiteral("menu柏岚软件"), QStringLiteral("柏岚软件")), &ShellActions::柏岚软件);
}

ResultModel *Form1::model() const { return ListView1->resultModel(); }

QAction *Form1::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void Form1::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 3)
        Panel[panel - 1]->setText(text);
}

void Form1::loadForm()
{
    // Each step stands alone: a bad stored value leaves its control as it was.
    setWindowTitle(AppInfo::windowCaption());

    ImageList1.clear();
    ImageList1.addUnkeyed(QIcon(Image1->pixmap()));
    model()->setIcons(&ImageList1.icons());

    初始化PicLV1();

    const QString &main = Settings::MainSection;
    Text1->setText(Settings::read(main, QStringLiteral("text1"), QString()));
    Text2->setText(Settings::read(main, QStringLiteral("text2"), QString()));
    Text3->setText(Settings::read(main, QStringLiteral("text3"), QString()));
    更新母文件信息(); // also when the stored text equals the designed one

    Combo1->setCurrentIndex(0);
    if (auto i = Settings::toWholeNumber(Settings::read(main, QStringLiteral("Combo1"), QStringLiteral("0"))))
        if (*i >= 0 && *i < Combo1->count())
            Combo1->setCurrentIndex(*i);

    const auto restoreCheck = [&](QCheckBox *box, const QString &key, const QString &def) {
        if (auto v = Settings::toWholeNumber(Settings::read(main, key, def)))
            if (*v == 0 || *v == 1)
                box->setChecked(*v == 1);
    };
    restoreCheck(Check1, QStringLiteral("Check1"), QStringLiteral("0"));
    restoreCheck(Check2, QStringLiteral("Check2"), QStringLiteral("1"));

    // After Text2 was restored: a remembered name does not narrow the scan
    // until the user edits or clicks the box.
    m_search.SearchExtension.clear();
    appState().RestoreConflictChoice = QStringLiteral("跳过");
    if (auto v = Settings::toWholeNumber(
            Settings::read(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("0"))))
        appState().NoBackupBeforeReplace = *v;
}

void Form1::saveSettings()
{
    const QString &main = Settings::MainSection;
    Settings::write(main, QStringLiteral("text1"), Text1->text());
    Settings::write(main, QStringLiteral("text2"), Text2->text());
    Settings::write(main, QStringLiteral("text3"), Text3->text());
    Settings::write(main, QStringLiteral("Combo1"), QString::number(Combo1->currentIndex()));
    Settings::write(main, QStringLiteral("Check1"), QString::number(Check1->isChecked() ? 1 : 0));
    Settings::write(main, QStringLiteral("Check2"), QString::number(Check2->isChecked() ? 1 : 0));
}

void Form1::初始化PicLV1()
{
    const int rows = model()->rowCount();
    const int h = rows > 0 ? ListView1->rowHeight(0) : px(225);
    PicLV1->hide();
    PicLV1->setFont(ListView1->font());
    PicLV1->setFrameShape(QFrame::Box);
    PicLV1->resize(ListView1->width(), h * (rows + 1));
    m_listBackground = QPixmap(PicLV1->size());
    m_listBackground.fill(palette().color(QPalette::Base));
    PicLV1->setPixmap(m_listBackground);
    QPalette p = ListView1->viewport()->palette();
    p.setBrush(QPalette::Base, QBrush(m_listBackground));
    ListView1->viewport()->setPalette(p);
}

void Form1::clearListBackground()
{
    QPalette p = ListView1->viewport()->palette();
    p.setBrush(QPalette::Base, palette().brush(QPalette::Base));
    ListView1->viewport()->setPalette(p);
    PicLV1->clear();
    m_listBackground = QPixmap();
}

void Form1::更新搜索扩展名()
{
    m_search.SearchExtension = SearchExtensionOf(Text2->text());
}

void Form1::更新母文件信息()
{
    Label7->setText(QStringLiteral("母文件的文件名、大小、修改日期：") + 计算文件的文件名大小修改日期(Text3->text()));
    Label7->adjustSize();
}

void Form1::指定文件夹()
{
    const QString start = Text1->text();
    bool picked = false;
    const QString folder = BrowseForFolder(this, start, QStringLiteral("请选择要搜索的目录:"), &picked);
    // A cancelled picker leaves an empty field empty rather than naming the root.
    if (!picked && start.trimmed().isEmpty())
        return;
    Text1->setText(folder);
}

void Form1::指定母文件()
{
    const QString picked = FileDialog::getOpenFileName(this);
    if (!picked.isEmpty())
        Text3->setText(QDir::toNativeSeparators(picked));
}

void Form1::搜索文件夹(const QString &folder)
{
    FolderWalk walk(m_search, *this);
    walk.搜索文件夹(folder);
    showWalkProgress();
}

bool Form1::includeSubfolders() { return Check1->isChecked(); }
bool Form1::stopRequested() { return appState().StopRequested; }
// The walk's texts reach the widgets when the window gets its turn: the
// user sees the same, and a label relaid out per folder costs the walk dear.
void Form1::showStatus(const QString &text)
{
    m_walkStatus = text;
    m_walkStatusPending = true;
}

void Form1::showProgress(int minimum, int maximum, int value)
{
    m_walkProgress = {minimum, maximum, value};
    m_walkProgressPending = true;
}

void Form1::showWalkProgress()
{
    if (m_walkStatusPending)
        setPanelText(2, m_walkStatus);
    if (m_walkProgressPending) {
        ProgressBar1->setRange(m_walkProgress[0], m_walkProgress[1]);
        ProgressBar1->setValue(m_walkProgress[2]);
    }
    m_walkStatusPending = m_walkProgressPending = false;
}

void Form1::letEventsRun()
{
    // The walk offers a turn every 50 files and every folder; taking it at
    // most every 20 ms keeps the window as lively and the walk fast.
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < 20)
        return;
    showWalkProgress();
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void Form1::showBusy(const QString &caption)
{
    Label3->setText(caption);
    Label3->adjustSize();
    PicProgress->show();
    PicProgress->raise();
}

void Form1::hideBusy() { PicProgress->hide(); }

void Form1::setProgressRange(int maximum)
{
    ProgressBar1->setValue(1);
    ProgressBar1->setMinimum(0);
    ProgressBar1->setMaximum(maximum);
}

void Form1::setProgressValue(int value) { ProgressBar1->setValue(value); }

void Form1::beginOperation() { ++m_operations; }

void Form1::endOperation()
{
    if (m_operations > 0)
        --m_operations;
    if (m_operations == 0 && m_closePending)
        QTimer::singleShot(0, this, &QWidget::close);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_operations > 0) {
        // The running operation still has frames on the stack that use this
        // window: ask it to stop and close once it has returned.
        appState().StopRequested = true;
        m_closePending = true;
        hide();
        event->ignore();
        return;
    }
    saveSettings();
    model()->clear();
    m_search.reset();
    if (m_cover)
        m_cover->show();
    event->accept();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyLayout();
}

void Form1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        applyLayout();
}

void Form1::applyLayout()
{
    Layout::Input in;
    in.outer = frameGeometry().size();
    in.minimized = isMinimized();
    in.list = ListView1->geometry();
    // The list's top is measured in the client area, as the outer height
    // includes the menu bar.
    in.statusBarHeight = StatusBar1 ? StatusBar1->height() : 0;
    in.progress = PicProgress->size();
    const Layout::Result r = Layout::apply(in);
    if (r.list)
        ListView1->setGeometry(*r.list);
    if (r.progress)
        PicProgress->move(*r.progress);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Text2)
            更新搜索扩展名();
        else if (watched == Text3)
            更新母文件信息();
    }
    return QMainWindow::eventFilter(watched, event);
}
