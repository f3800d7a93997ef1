#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "app/fcover.h"
#include "app/form1.h"
#include "app/engine/settings.h"
#include "online/frm_about.h"
#include "online/update_check.h"
#include "online/engine/uxmlhttp.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "support/http_server.h"
#include "support/qt_printers.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(VersionCompare, OnlyANewerThreePartVersionCounts)
{
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("1.6.621")));
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("1.7.0")));
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("2.0.0")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.6.620")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.6.619")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.5.9999")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.7")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.7.0.0")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.x.0")));
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("1.6.")));
    EXPECT_FALSE(IsNewerVersion(QString()));
    // Numbers the parser takes that are no version.
    for (const char *odd : {"inf.0.0", "1.inf.0", "1.6.nan", "1e39.0.0", "1e38.0.0"})
        EXPECT_FALSE(IsNewerVersion(QString::fromLatin1(odd))) << odd;
    // Valid and newer, but 21 characters.
    EXPECT_FALSE(IsNewerVersion(QStringLiteral("000000001.0000007.000")));
    EXPECT_TRUE(IsNewerVersion(QStringLiteral("00000001.0000007.000")));
}

namespace {

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/墨桐同名文件批量替换")).removeRecursively();
        Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"), server.url(QString()));
        appState() = AppState();
        MessageBox::clearHistory();
        Desktop::clearHistory();
    }
    void TearDown() override
    {
        delete cover;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Loads the cover, whose timer starts the check, and waits for its end.
    void startCover(const QByteArray &published, int status = 200)
    {
        server.body = published;
        server.status = status;
        cover = new fCover;
        cover->loadCover();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !server.requests.isEmpty(); }, 3000));
        QTest::qWait(150);
    }
    QString product() const { return server.url(QStringLiteral("/") + AppInfo::executableName() + QStringLiteral("/")); }
    TestHttpServer server;
    fCover *cover = nullptr;
};

} // namespace

TEST_F(UpdateTest, ANewerVersionIsShownOpenedAndAnnounced)
{
    startCover(" 1.6.621\r\n");
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].path, "/" + AppInfo::executableName().toUtf8() + "/newver.txt");
    EXPECT_TRUE(cover->Label3->isVisible());
    EXPECT_EQ(cover->Label3->text(), QStringLiteral("有最新版本：V1.6.621可以下载升级"));
    EXPECT_EQ(appState().LatestVersionText, QStringLiteral("1.6.621"));
    EXPECT_EQ(Desktop::openedUrls(), QStringList({product()}));
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("有最新版本可以升级，请尽快下载安装！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
    // The update line opens the product page.
    QTest::mouseClick(cover->Label3, Qt::LeftButton);
    EXPECT_EQ(Desktop::openedUrls().size(), 2);
}

TEST_F(UpdateTest, EqualOlderAndMalformedVersionsShowNothing)
{
    for (const QByteArray &text : {QByteArray("1.6.620"), QByteArray("1.6.1"), QByteArray("1.7"), QByteArray("1.7.0.1"),
                                   QByteArray("1.7.a"), QByteArray("000000001.0000007.000"), QByteArray()}) {
        server.requests.clear();
        startCover(text);
        EXPECT_FALSE(cover->Label3->isVisible()) << text.constData();
        EXPECT_TRUE(MessageBox::history().isEmpty()) << text.constData();
        EXPECT_TRUE(Desktop::openedUrls().isEmpty()) << text.constData();
        EXPECT_TRUE(appState().LatestVersionText.isEmpty());
        delete cover;
        cover = nullptr;
    }
}

TEST_F(UpdateTest, AMissingFileAsksForANetworkAnOfflineUserHearsNothing)
{
    startCover("gone", 404);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("请保持网络畅通！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Critical);
    delete cover;
    cover = nullptr;

    MessageBox::clearHistory();
    Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"), QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    cover = new fCover;
    cover->loadCover();
    QTest::qWait(600);
    EXPECT_TRUE(MessageBox::history().isEmpty());
    EXPECT_TRUE(cover->updateCheck()->request()->DownOK());
}

TEST_F(UpdateTest, AboutBoxShowsTheResultAndClosingChecksAgain)
{
    startCover("1.6.620");
    Form1 *form = nullptr;
    cover->进入主界面();
    form = cover->mainWindow();
    ASSERT_NE(form, nullptr);

    QString before;
    ModalDialog::setNextScript([&](QDialog &d) {
        auto &box = static_cast<frmAbout &>(d);
        before = box.Label10->text();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("关于『墨桐同名文件批量替换』 "));
        EXPECT_EQ(box.lblVersion->text(), QStringLiteral("版本 1.6.620"));
        EXPECT_EQ(box.lsoftname->text(), QStringLiteral("墨桐同名文件批量替换"));
        EXPECT_EQ(box.Label1->text(), QStringLiteral("软件制作：墨桐软件"));
        EXPECT_TRUE(box.Label2->text().startsWith(QStringLiteral("墨桐软件：")));
        EXPECT_TRUE(box.Label7->text().startsWith(QStringLiteral("柏岚软件：")));
        EXPECT_TRUE(box.Label4->text().startsWith(QStringLiteral("Email：")));
        box.cmdOK->click();
    });
    server.body = "1.6.621"; // published meanwhile
    form->action(QStringLiteral("menu关于"))->trigger();
    EXPECT_EQ(before, QStringLiteral("[已经是最新版本]"));
    EXPECT_TRUE(cover->Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.requests.size() == 2; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !appState().LatestVersionText.isEmpty(); }, 3000));
    EXPECT_EQ(MessageBox::history().last().text, QStringLiteral("有最新版本可以升级，请尽快下载安装！"));

    frmAbout box;
    EXPECT_EQ(box.Label10->text(), QStringLiteral("[有最新版本可以升级：1.6.621]"));
    EXPECT_EQ(box.Label10->toolTip(), QStringLiteral("点击打开查看"));
    Desktop::clearHistory();
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.Label10, Qt::LeftButton);
    QTest::mouseClick(box.Label4, Qt::LeftButton);
    QTest::mouseClick(box.Label2, Qt::LeftButton);
    EXPECT_EQ(Desktop::openedUrls(),
              QStringList({server.url(QStringLiteral("/") + AppInfo::executableName()), server.url(QStringLiteral("/"))}));
    // The hover underline follows the pointer from label to label.
    const auto hover = [](QWidget *w) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    };
    hover(box.Label4);
    EXPECT_TRUE(box.Line2->isVisible());
    EXPECT_EQ(box.Line2->geometry().left(), box.Label4->geometry().left());
    EXPECT_EQ(box.Line2->geometry().top(), box.Label4->geometry().bottom() + 1);
    hover(&box);
    EXPECT_FALSE(box.Line2->isVisible());
    delete form;
}
