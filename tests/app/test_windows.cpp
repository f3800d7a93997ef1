#include "app/engine/app_state.h"
#include "app/appearance.h"
#include "app/fcover.h"
#include "app/form1.h"
#include "app/engine/settings.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "online/frm_about.h"
#include "support/form_fixture.h"
#include "support/http_server.h"
#include "support/temp_tree.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString Caption = QStringLiteral("墨桐同名文件批量替换 V1.6.620 - 墨桐软件");

void clearSettings()
{
    QDir(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/墨桐同名文件批量替换")).removeRecursively();
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearSettings();
        // The cover's update check goes to a port where nothing listens.
        Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"),
                        QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
        appState() = AppState();
        cover = new fCover;
        cover->loadCover();
    }
    void TearDown() override
    {
        if (cover && cover->mainWindow())
            delete cover->mainWindow();
        delete cover;
        settle();
    }
    Form1 *enter()
    {
        cover->进入主界面();
        return cover->mainWindow();
    }
    fCover *cover = nullptr;
};

} // namespace

TEST_F(Windows, CoverShowsTitleVersionAndIntroduction)
{
    EXPECT_EQ(cover->windowTitle(), Caption);
    EXPECT_EQ(cover->Label2->text(), QStringLiteral("版本:1.6.620"));
    EXPECT_TRUE(cover->isVisible());
    EXPECT_FALSE(cover->Label1->isVisible());
    EXPECT_FALSE(cover->Label3->isVisible());
    EXPECT_EQ(cover->Command1->text(), QStringLiteral("进入主界面"));
    EXPECT_EQ(cover->Command3->text(), QStringLiteral("退出软件"));
    const QStringList lines = cover->Text1->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("【墨桐同名文件批量替换】")));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("6、本软件兼有")));
    // The cover is as wide as its picture plus 200 twips.
    EXPECT_EQ(cover->width(), cover->Image1->width() + Appearance::px(200));
}

TEST_F(Windows, TimerTicksOnceAndSwitchesItselfOff)
{
    int checks = 0;
    cover->setUpdateCheck([&] { ++checks; });
    EXPECT_TRUE(cover->Timer1->isActive());
    EXPECT_EQ(cover->Timer1->interval(), 100);
    QTest::qWait(350);
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(cover->Timer1->isActive());
}

TEST_F(Windows, FirstRunShowsTheDefaults)
{
    Form1 *f = enter();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(cover->isVisible());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowTitle(), Caption);
    EXPECT_EQ(f->Text1->text(), QString());
    EXPECT_EQ(f->Text2->text(), QString());
    EXPECT_EQ(f->Text3->text(), QString());
    EXPECT_EQ(f->Combo1->currentText(), QStringLiteral("完全匹配"));
    EXPECT_FALSE(f->Check1->isChecked());
    EXPECT_TRUE(f->Check2->isChecked());
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    EXPECT_EQ(appState().RestoreConflictChoice, QStringLiteral("跳过"));
    EXPECT_EQ(f->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期： 文件不存在"));
    EXPECT_FALSE(f->PicProgress->isVisible());
    EXPECT_EQ(f->ImageList1.size(), 1);
}

TEST_F(Windows, EveryDesignedControlAndMenuItemIsFoundByName)
{
    Form1 *f = enter();
    for (const char *name : {"Label1", "Text1", "Command4", "Check1", "Label4", "Text2", "Label6", "Combo1",
                             "Command1", "Label5", "Text3", "Command2", "Label7", "Check2", "Command3",
                             "ListView1", "PicLV1", "Image1", "PicProgress", "Label3", "ProgressBar1",
                             "StatusBar1", "File1", "Line1", "Line2"})
        EXPECT_NE(f->findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_NE(f->findChild<QObject *>(QStringLiteral("CommonDialog1")), nullptr);
    const std::pair<const char *, const char *> items[] = {
        {"menu指定文件夹", "指定文件夹"}, {"menu退出软件", "退出软件"}, {"menu选中全部", "选中全部"},
        {"menu勾选全部", "勾选全部"}, {"menu全部去勾选", "全部去勾选"}, {"menu移除选中项", "选中项"},
        {"menu移除勾选项", "勾选项"}, {"menu移除全部", "全部"},
        {"menu恢复最近一次被替换的文件", "恢复最近一次被替换的文件"}, {"menu复制文件目录", "复制文件目录"},
        {"menu复制文件路径", "复制文件路径"}, {"menu打开文件所在目录", "打开文件所在目录"},
        {"menu删除选中项", "删除选中项"}, {"menu删除勾选项", "删除勾选项"},
        {"menu删除全部替换备份文件", "删除全部[替换备份]文件"}, {"menu删除全部恢复备份文件", "删除全部[恢复备份]文件"},
        {"menu设置", "设置"}, {"menu显示列表当前操作项", "显示列表当前操作项"}, {"menu关于", "关于"},
        {"menu使用方法", "使用方法"}, {"menu最新版本", "最新版本"}, {"menu售后服务", "售后服务"},
        {"menu功能定制", "功能定制"}, {"menu软件定制", "软件定制"}, {"menu墨桐软件", "墨桐软件"},
        {"menu柏岚软件", "柏岚软件"}, {"menu文件", "文件(&F)"}, {"menu列表操作", "列表操作(&L)"},
        {"menu工具", "工具(&T)"}, {"menu帮助", "帮助(&H)"}, {"menu作者网站", "作者网站"}};
    for (const auto &[name, caption] : items) {
        QAction *a = f->action(QString::fromUtf8(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_TRUE(f->action(QStringLiteral("menu显示列表当前操作项"))->isCheckable());
    EXPECT_FALSE(f->action(QStringLiteral("menu显示列表当前操作项"))->isChecked());
    // Inputs reach a screen reader through a buddy label or a name.
    EXPECT_EQ(f->Label1->buddy(), f->Text1);
    EXPECT_EQ(f->Label4->buddy(), f->Text2);
    EXPECT_EQ(f->Label5->buddy(), f->Text3);
    EXPECT_FALSE(f->Combo1->accessibleName().isEmpty());
}

TEST_F(Windows, ClosingSavesReopeningRestoresAndTheCoverComesBack)
{
    TempTree t;
    Form1 *f = enter();
    f->Text1->setText(t.root());
    f->Text2->setText(QStringLiteral("report.doc"));
    f->Combo1->setCurrentIndex(1);
    f->Check1->setChecked(true);
    f->Check2->setChecked(false);
    QPointer<Form1> first = f;
    f->close();
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(cover->isVisible());

    Form1 *g = enter();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Text1->text(), t.root());
    EXPECT_EQ(g->Text2->text(), QStringLiteral("report.doc"));
    EXPECT_EQ(g->Combo1->currentText(), QStringLiteral("相似匹配"));
    EXPECT_TRUE(g->Check1->isChecked());
    EXPECT_FALSE(g->Check2->isChecked());
    EXPECT_EQ(g->windowTitle(), Caption);
    // The remembered name does not narrow the scan until the box is touched.
    EXPECT_EQ(g->searchState().SearchExtension, QString());
    QTest::mouseClick(g->Text2, Qt::LeftButton);
    EXPECT_EQ(g->searchState().SearchExtension, QStringLiteral("doc"));
    g->Text2->setText(QStringLiteral("a.b.TXT"));
    EXPECT_EQ(g->searchState().SearchExtension, QStringLiteral("TXT"));
}

TEST_F(Windows, BadStoredValuesLeaveTheControlsAsDesigned)
{
    const QString &main = Settings::MainSection;
    Settings::write(main, QStringLiteral("Combo1"), QStringLiteral("7"));
    Settings::write(main, QStringLiteral("Check1"), QStringLiteral("yes"));
    Settings::write(main, QStringLiteral("Check2"), QStringLiteral("abc"));
    Settings::write(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("x"));
    Form1 *f = enter();
    EXPECT_EQ(f->Combo1->currentIndex(), 0);
    EXPECT_FALSE(f->Check1->isChecked());
    EXPECT_FALSE(f->Check2->isChecked());
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    f->close();
    settle();

    Settings::write(main, QStringLiteral("Combo1"), QStringLiteral("abc"));
    Settings::write(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("1"));
    Form1 *g = enter();
    EXPECT_EQ(g->Combo1->currentIndex(), 0);
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
}

TEST_F(Windows, MasterFileLineFollowsTheText)
{
    TempTree t;
    const QString master = t.file(QStringLiteral("report.doc"), QByteArray(1536, 'r'));
    TempTree::touch(master, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime));
    Form1 *f = enter();
    f->Text3->setText(master);
    EXPECT_EQ(f->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期：report.doc 1.500KB 2024-01-02 03:04:05"));
    // A click refreshes the line after the file changed on disk.
    QFile::remove(master);
    QTest::mouseClick(f->Text3, Qt::LeftButton);
    EXPECT_EQ(f->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期： 文件不存在"));
}

TEST_F(Windows, ADroppedFolderOrMasterFileReplacesItsBoxOtherDropsAreRefused)
{
    TempTree t;
    const QString master = t.file(QStringLiteral("m.doc"), QByteArray(1024, 'm'));
    Form1 *f = enter();
    f->Text1->setText(QStringLiteral("old"));
    f->Text3->setText(QStringLiteral("old"));
    // As a file manager drags: the URL, and the same as text.
    const auto drop = [](QLineEdit *box, const QUrl &url) {
        QMimeData mime;
        mime.setUrls({url});
        mime.setText(url.toString());
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };
    EXPECT_TRUE(drop(f->Text1, QUrl::fromLocalFile(t.root())));
    EXPECT_EQ(f->Text1->text(), t.root());
    EXPECT_FALSE(drop(f->Text1, QUrl::fromLocalFile(master)));
    EXPECT_FALSE(drop(f->Text1, QUrl(QStringLiteral("https://example.com/folder"))));
    EXPECT_EQ(f->Text1->text(), t.root());
    EXPECT_FALSE(drop(f->Text3, QUrl::fromLocalFile(t.root())));
    EXPECT_EQ(f->Text3->text(), QStringLiteral("old"));
    EXPECT_TRUE(drop(f->Text3, QUrl::fromLocalFile(master)));
    EXPECT_EQ(f->Text3->text(), master);
    EXPECT_TRUE(f->Label7->text().contains(QStringLiteral("m.doc 1.000KB"))) << f->Label7->text().toStdString();
    // The same file dropped again after it changed shows its new facts.
    t.file(QStringLiteral("m.doc"), QByteArray(2048, 'm'));
    EXPECT_TRUE(drop(f->Text3, QUrl::fromLocalFile(master)));
    EXPECT_TRUE(f->Label7->text().contains(QStringLiteral("m.doc 2.000KB"))) << f->Label7->text().toStdString();
}

TEST_F(Windows, WalkWritesItsProgressToTheStatusBar)
{
    TempTree t;
    const QString last = t.file(QStringLiteral("only.txt"));
    Form1 *f = enter();
    f->searchState().SearchPattern = QStringLiteral("*.*");
    f->搜索文件夹(t.root());
    EXPECT_EQ(f->Panel[1]->text(), QStringLiteral("搜索文件：") + last);
    EXPECT_EQ(f->ProgressBar1->maximum(), 2);
    EXPECT_EQ(f->searchState().FoundFiles.size(), 1u);
    EXPECT_TRUE(f->Panel[0]->text().isEmpty());
}

TEST_F(Windows, ClosingDuringAWalkStopsItFirstAndStillSaves)
{
    TempTree t;
    for (int d = 0; d < 20; ++d)
        for (int i = 0; i < 30; ++i)
            t.file(QStringLiteral("d%1/f%2.txt").arg(d).arg(i));
    Form1 *f = enter();
    QPointer<Form1> guard = f;
    f->Text1->setText(t.root());
    f->Check1->setChecked(true);
    f->searchState().SearchPattern = QStringLiteral("*.*");
    // The close arrives at the walk's first event-loop turn.
    QTimer::singleShot(0, f, [f] { f->close(); });
    f->beginOperation();
    f->搜索文件夹(t.root());
    ASSERT_FALSE(guard.isNull()) << "the window must outlive the walk that uses it";
    EXPECT_LT(f->searchState().FoundFiles.size(), 600u);
    EXPECT_TRUE(appState().StopRequested);
    f->endOperation();
    settle();
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(cover->isVisible());
    EXPECT_EQ(Settings::read(Settings::MainSection, QStringLiteral("text1"), QString()), t.root());
}

TEST_F(Windows, ListFollowsTheWindowSize)
{
    Form1 *f = enter();
    f->resize(1200, 800);
    settle();
    EXPECT_EQ(f->ListView1->width(), f->frameGeometry().width() - Appearance::px(400));
    EXPECT_EQ(f->ListView1->x(), Appearance::px(50));
    const QRect list = f->ListView1->geometry();
    EXPECT_EQ(f->PicProgress->x(), (list.width() - f->PicProgress->width()) / 2);
    f->resize(300, 120); // too small: the list keeps its last size
    settle();
    EXPECT_EQ(f->ListView1->geometry(), list);
}

TEST_F(Windows, ScreenReadersHearTheCoverAsAWindowAndTheMatchBoxByItsName)
{
    QAccessibleInterface *c = QAccessible::queryAccessibleInterface(cover);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->role(), QAccessible::Window);
    EXPECT_EQ(c->text(QAccessible::Name), Caption);
    Form1 *f = enter();
    f->Combo1->setCurrentIndex(1);
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(f->Combo1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->role(), QAccessible::ComboBox);
    EXPECT_EQ(box->text(QAccessible::Name), QStringLiteral("匹配方式"));
    EXPECT_EQ(box->text(QAccessible::Value), QStringLiteral("相似匹配"));
    // The item list stays reachable from the box.
    ASSERT_EQ(box->childCount(), 1);
    EXPECT_EQ(box->child(0)->object(), f->Combo1->view());
}

TEST_F(Windows, LinksTakeTheThemesLinkColour)
{
    const DarkTheme dark;
    frmAbout about;
    for (QWidget *w : std::initializer_list<QWidget *>{cover->Label3, about.Label10, about.Label2, about.Label7, about.Line2}) {
        w->ensurePolished();
        EXPECT_EQ(w->palette().color(w->foregroundRole()).name(), dark.palette.color(QPalette::Link).name())
            << qPrintable(w->objectName());
    }
}

// Blurred artwork on 1.5x and 2x screens came from 1x bitmaps scaled up.
TEST(Appearance, ArtworkIsDrawnAtTheScreensPixelRatio)
{
    const QSize banner = Appearance::coverPicture(1).size();
    for (qreal dpr : {1.5, 2.0}) {
        const QPixmap cover = Appearance::coverPicture(dpr);
        EXPECT_EQ(cover.devicePixelRatio(), dpr);
        EXPECT_EQ(cover.size(), banner * dpr);
        const QPixmap about = Appearance::appIconPixmap(48, dpr);
        EXPECT_EQ(about.devicePixelRatio(), dpr);
        EXPECT_EQ(about.size(), QSize(48, 48) * dpr);
    }
    // The largest window icon too, as docks and task switchers show it.
    const QPixmap window = Appearance::appIcon().pixmap(QSize(128, 128), 2.0);
    EXPECT_EQ(window.devicePixelRatio(), 2.0);
    EXPECT_EQ(window.size(), QSize(256, 256));
}
