#include "app/form1.h"

#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "shell/appearance.h"
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

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMimeData>
#include <QUrl>
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

#include <algorithm>
#include <functional>
#include <vector>

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

// Creates a designed control as the member it is kept in.
template <auto Member> QWidget *make(Form1 &f, QWidget *parent)
{
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(f.*Member)>>;
    auto *w = new T(parent);
    f.*Member = w;
    return w;
}

// The designed controls in creation order. Placed ones grow to fit their
// text (see place); the others take their rectangle exactly; tab is the
// position in the keyboard order, 0 for none.
enum class Fit { Place, Exact, Hidden, Own };
struct Control {
    const char *name;
    QWidget *(*create)(Form1 &, QWidget *);
    const char *caption;
    int left, top, width, height;
    Fit fit;
    int tab;
};
// clang-format off
const Control Controls[] = {
    {"Label1", make<&Form1::Label1>, "搜索目录：", 270, 150, 900, 180, Fit::Place, 0},
    {"Text1", make<&Form1::Text1>, nullptr, 1290, 120, 7875, 270, Fit::Place, 1},
    {"Check1", make<&Form1::Check1>, "搜索子目录", 9360, 143, 1290, 225, Fit::Place, 2},
    {"Command4", make<&Form1::Command4>, "指定目录", 10860, 105, 1050, 300, Fit::Place, 3},
    {"Command1", make<&Form1::Command1>, "搜索文件", 12075, 90, 2040, 600, Fit::Place, 4},
    {"Label4", make<&Form1::Label4>, "搜索文件名：", 270, 525, 1080, 180, Fit::Place, 0},
    {"Text2", make<&Form1::Text2>, nullptr, 1290, 480, 5130, 270, Fit::Place, 5},
    {"Label6", make<&Form1::Label6>, "（如果留空，则显示所有文件；不区分大小写）", 6420, 525, 3780, 180, Fit::Place, 0},
    {"Combo1", make<&Form1::Combo1>, nullptr, 10485, 465, 1425, 300, Fit::Place, 6},
    {"Line1", make<&Form1::Line1>, nullptr, 0, 0, 0, 0, Fit::Own, 0},
    {"Line2", make<&Form1::Line2>, nullptr, 0, 0, 0, 0, Fit::Own, 0},
    {"Label5", make<&Form1::Label5>, "替换用的母文件：", 270, 1005, 1440, 180, Fit::Place, 0},
    {"Text3", make<&Form1::Text3>, nullptr, 1725, 960, 9000, 270, Fit::Place, 7},
    {"Command2", make<&Form1::Command2>, "指定文件", 10815, 945, 1095, 300, Fit::Place, 8},
    {"Command3", make<&Form1::Command3>, "替换勾选的同名文件", 12075, 1125, 2040, 600, Fit::Place, 9},
    {"Label7", make<&Form1::Label7>, "母文件的文件名、大小、修改日期：", 270, 1350, 2880, 180, Fit::Place, 0},
    {"Check2", make<&Form1::Check2>, "文件大小及修改日期均相同的，跳过替换", 270, 1665, 3690, 240, Fit::Place, 10},
    {"ListView1", make<&Form1::ListView1>, nullptr, 75, 2055, 13425, 4365, Fit::Exact, 11},
    {"PicLV1", make<&Form1::PicLV1>, nullptr, 8610, 7020, 1800, 450, Fit::Hidden, 0},
    {"File1", make<&Form1::File1>, nullptr, 6630, 7050, 1740, 450, Fit::Hidden, 0},
    {"Image1", make<&Form1::Image1>, nullptr, 6315, 7065, 480, 480, Fit::Hidden, 0},
    {"PicProgress", make<&Form1::PicProgress>, nullptr, 3150, 3015, 8385, 945, Fit::Hidden, 0},
};
// clang-format on

void setCaption(QWidget *w, const char *caption)
{
    const QString text = QString::fromUtf8(caption);
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
}

// The menus in creation order: a row with an action is an item, one without
// is a submenu (or a separator when it has no name either).
struct MenuRow {
    const char *parent; // nullptr: the menu bar
    const char *name;
    const char *caption;
    std::function<void()> run;
};

} // namespace

Form1::Form1(fCover *cover) : m_cover(cover)
{
    ListHost &list = *this;
    ReplaceHost &replace = *this;
    SearchHost &search = *this;
    m_searchCommand = std::make_unique<SearchCommand>(list, search);
    m_replaceCommand = std::make_unique<ReplaceCommand>(list, replace);
    m_restoreCommand = std::make_unique<RestoreCommand>(list);
    m_listCommands = std::make_unique<ListCommands>(list);
    m_shellActions = std::make_unique<ShellActions>(list);
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
    std::vector<std::pair<int, QWidget *>> tabOrder;
    for (const Control &c : Controls) {
        QWidget *w = c.create(*this, client);
        w->setObjectName(QString::fromLatin1(c.name));
        if (c.caption)
            setCaption(w, c.caption);
        switch (c.fit) {
        case Fit::Place:
            place(w, c.left, c.top, c.width, c.height);
            // Labels and tick boxes keep their whole text.
            if (qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w))
                w->resize(qMax(w->width(), w->sizeHint().width()), w->height());
            break;
        case Fit::Exact:
        case Fit::Hidden:
            w->setGeometry(px(c.left), px(c.top), px(c.width), px(c.height));
            w->setVisible(c.fit == Fit::Exact);
            break;
        case Fit::Own: break;
        }
        if (c.tab > 0)
            tabOrder.emplace_back(c.tab, w);
    }
    std::sort(tabOrder.begin(), tabOrder.end());
    for (size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    CommonDialog1 = new QObject(this);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    Label3 = new QLabel(QStringLiteral("正在。。。"), PicProgress);
    Label3->setObjectName(QStringLiteral("Label3"));
    ProgressBar1 = new QProgressBar(PicProgress);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));

    Label1->setBuddy(Text1);
    Label4->setBuddy(Text2);
    Label5->setBuddy(Text3);
    Text1->setAccessibleName(QStringLiteral("搜索目录"));
    Text2->setAccessibleName(QStringLiteral("搜索文件名"));
    Text3->setAccessibleName(QStringLiteral("替换用的母文件"));
    // No name: on Linux a drop-down is heard by its current item, so the
    // box's purpose goes in its description (no label stands beside it).
    Combo1->setAccessibleDescription(QStringLiteral("匹配方式"));
    Combo1->addItems({QStringLiteral("完全匹配"), QStringLiteral("相似匹配")});
    Combo1->setCurrentIndex(0);
    QPalette grey = Label6->palette();
    grey.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    Label6->setPalette(grey);

    // An etched rule: the blue line with a white one under it.
    Line1->setGeometry(px(285), px(870), px(14100) - px(285), 2);
    Line1->setAutoFillBackground(true);
    Line1->setPalette(QPalette(QColor(0, 0, 0xC0)));
    Line2->setGeometry(px(285), px(870) + 1, px(14100) - px(285), 1);
    Line2->setAutoFillBackground(true);
    Line2->setPalette(QPalette(Qt::white));
    Line1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Line2->setAttribute(Qt::WA_TransparentForMouseEvents);

    Image1->setPixmap(Appearance::appIconPixmap(32));

    // The busy panel: orange, white caption, a bar.
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

    // Enter in either search box is a click on the search button.
    connect(Text1, &QLineEdit::returnPressed, Command1, &QAbstractButton::click);
    connect(Text2, &QLineEdit::returnPressed, Command1, &QAbstractButton::click);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::更新搜索扩展名);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::更新母文件信息);
    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
    Text3->installEventFilter(this);
    connect(Command4, &QPushButton::clicked, this, &Form1::指定文件夹);
    connect(Command1, &QPushButton::clicked, this, [this] { m_searchCommand->click(); });
    connect(Command2, &QPushButton::clicked, this, &Form1::指定母文件);
    connect(Command3, &QPushButton::clicked, this, [this] { m_replaceCommand->click(); });
}

void Form1::buildMenus()
{
    const auto list = [this](void (ListCommands::*command)()) { return [this, command] { (m_listCommands.get()->*command)(); }; };
    const auto shell = [this](void (ShellActions::*command)()) { return [this, command] { (m_shellActions.get()->*command)(); }; };
    // clang-format off
    const MenuRow rows[] = {
        {nullptr, "menu文件", "文件(&F)", {}},
        {"menu文件", "menu指定文件夹", "指定文件夹", [this] { 指定文件夹(); }},
        {"menu文件", nullptr, nullptr, {}},
        {"menu文件", "menu退出软件", "退出软件", [this] { close(); }},
        {nullptr, "menu列表操作", "列表操作(&L)", {}},
        {"menu列表操作", "menu选择", "选择", {}},
        {"menu选择", "menu选中全部", "选中全部", list(&ListCommands::选中全部)},
        {"menu选择", "menu勾选全部", "勾选全部", list(&ListCommands::勾选全部)},
        {"menu选择", "menu全部去勾选", "全部去勾选", list(&ListCommands::全部去勾选)},
        {"menu列表操作", "menu移除", "移除", {}},
        {"menu移除", "menu移除选中项", "选中项", list(&ListCommands::移除选中项)},
        {"menu移除", "menu移除勾选项", "勾选项", list(&ListCommands::移除勾选项)},
        {"menu移除", "menu移除全部", "全部", list(&ListCommands::移除全部)},
        {"menu列表操作", "menu恢复最近一次被替换的文件", "恢复最近一次被替换的文件", [this] { m_restoreCommand->click(); }},
        {"menu列表操作", "menu单选", "单选", {}},
        {"menu单选", "menu复制文件目录", "复制文件目录", shell(&ShellActions::复制文件目录)},
        {"menu单选", "menu复制文件路径", "复制文件路径", shell(&ShellActions::复制文件路径)},
        {"menu单选", "menu打开文件所在目录", "打开文件所在目录", shell(&ShellActions::打开文件所在目录)},
        {"menu列表操作", "menu删除文件", "删除文件", {}},
        {"menu删除文件", "menu删除选中项", "删除选中项", list(&ListCommands::删除选中项)},
        {"menu删除文件", "menu删除勾选项", "删除勾选项", list(&ListCommands::删除勾选项)},
        {"menu删除文件", "menu删除全部替换备份文件", "删除全部[替换备份]文件", list(&ListCommands::删除全部替换备份文件)},
        {"menu删除文件", "menu删除全部恢复备份文件", "删除全部[恢复备份]文件", list(&ListCommands::删除全部恢复备份文件)},
        {nullptr, "menu工具", "工具(&T)", {}},
        {"menu工具", "menu设置", "设置", [this] { fOption::showModal(this); }},
        {"menu工具", "menu显示列表当前操作项", "显示列表当前操作项", [] {}},
        {nullptr, "menu帮助", "帮助(&H)", {}},
        {"menu帮助", "menu关于", "关于", [this] { 关于(); }},
        {"menu帮助", "menu使用方法", "使用方法", [this] { ShowUsageHelp(this); }},
        {"menu帮助", nullptr, nullptr, {}},
        {"menu帮助", "menu最新版本", "最新版本", shell(&ShellActions::最新版本)},
        {"menu帮助", "menu售后服务", "售后服务", shell(&ShellActions::售后服务)},
        {"menu帮助", "menu功能定制", "功能定制", shell(&ShellActions::功能定制)},
        {"menu帮助", "menu软件定制", "软件定制", shell(&ShellActions::软件定制)},
        {"menu帮助", "menu作者网站", "作者网站", {}},
        {"menu作者网站", "menu墨桐软件", "墨桐软件", shell(&ShellActions::墨桐软件)},
        {"menu作者网站", "menu柏岚软件", "柏岚软件", shell(&ShellActions::柏岚软件)},
    };
    // clang-format on
    QHash<QString, QMenu *> menus;
    for (const MenuRow &r : rows) {
        QMenu *parent = r.parent ? menus.value(QString::fromUtf8(r.parent)) : nullptr;
        const QString name = r.name ? QString::fromUtf8(r.name) : QString();
        const QString caption = QString::fromUtf8(r.caption ? r.caption : "");
        if (!r.name) {
            parent->addSeparator();
        } else if (!r.run) {
            QMenu *m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            menus.insert(name, m);
        } else {
            QAction *a = parent->addAction(caption);
            a->setObjectName(name);
            connect(a, &QAction::triggered, this, r.run);
        }
    }
    menu列表操作 = menus.value(QStringLiteral("menu列表操作"));
    ListView1->setPopupMenu(menu列表操作);
    // Delete acts on the list only while it has the focus: in a text box
    // the key edits the text.
    QAction *deleteSelected = action(QStringLiteral("menu删除选中项"));
    deleteSelected->setShortcut(QKeySequence(QKeySequence::Delete));
    deleteSelected->setShortcutContext(Qt::WidgetShortcut);
    ListView1->addAction(deleteSelected);
    action(QStringLiteral("menu使用方法"))->setShortcut(QKeySequence(Qt::Key_F1));
    menu显示列表当前操作项 = action(QStringLiteral("menu显示列表当前操作项"));
    menu显示列表当前操作项->setCheckable(true);
    menu显示列表当前操作项->setChecked(false);
}

void Form1::关于()
{
    frmAbout::showModal(this);
    // Every closing of the About box runs one more update check.
    if (m_cover)
        m_cover->Timer1->start();
}

ResultModel *Form1::model() const
{
    return ListView1->resultModel();
}

QAction *Form1::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void Form1::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 3)
        Panel[panel - 1]->setText(text);
}

void Form1::showRowCount()
{
    setPanelText(3, QStringLiteral("文件数：") + QString::number(model()->rowCount()));
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
    appState().RestoreConflictChoice = RestoreChoice::Skip;
    if (auto v = Settings::toWholeNumber(Settings::read(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("0"))))
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

QString Form1::searchFolder()
{
    return Text1->text();
}
bool Form1::includeSubfolders()
{
    return Check1->isChecked();
}
QString Form1::wantedName()
{
    return Text2->text();
}
int Form1::matchMode()
{
    return Combo1->currentIndex();
}

void Form1::showSearching(bool searching)
{
    Command1->setText(searching ? QStringLiteral("停止搜索") : QStringLiteral("搜索文件"));
    Command1->setStyleSheet(searching ? QStringLiteral("background-color: yellow; color: black;") : QString());
}

void Form1::showBusy(const QString &caption)
{
    Label3->setText(caption);
    Label3->adjustSize();
    PicProgress->show();
    PicProgress->raise();
}

void Form1::hideBusy()
{
    PicProgress->hide();
}

void Form1::showBar(int minimum, int maximum, int value)
{
    ProgressBar1->setRange(minimum, maximum);
    ProgressBar1->setValue(value);
}

void Form1::showActivity(const QString &text)
{
    setPanelText(2, text);
}

void Form1::closeNow()
{
    QTimer::singleShot(0, this, &QWidget::close);
}

QString Form1::masterFile()
{
    return Text3->text();
}
bool Form1::skipSameSizeAndTime()
{
    return Check2->isChecked();
}
int Form1::noBackup()
{
    return appState().NoBackupBeforeReplace;
}
void Form1::setReplaceEnabled(bool enabled)
{
    Command3->setEnabled(enabled);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_operation.deferClose()) {
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

namespace {

// The path a drag from a file manager carries when it is one local folder
// (or one local file); empty for anything else.
QString droppedPath(const QMimeData *mime, bool folder)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls[0].isLocalFile())
        return QString();
    const QString path = urls[0].toLocalFile();
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() != folder)
        return QString();
    return QDir::toNativeSeparators(path);
}

} // namespace

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // A dropped folder names the folder to search, a dropped file the master
    // file, in place of the box's text; other URLs are refused rather than
    // pasted in as text.
    const QEvent::Type type = event->type();
    if ((watched == Text1 || watched == Text3) && (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->mimeData() && drop->mimeData()->hasUrls()) {
            const QString path = droppedPath(drop->mimeData(), watched == Text1);
            if (path.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            if (type == QEvent::Drop) {
                auto *box = static_cast<QLineEdit *>(watched);
                const bool same = box->text() == path;
                box->setText(path);
                if (watched == Text3 && same)
                    更新母文件信息(); // the file may have changed since; a new text refreshed it already
            }
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Text2)
            更新搜索扩展名();
        else if (watched == Text3)
            更新母文件信息();
    }
    return QMainWindow::eventFilter(watched, event);
}
