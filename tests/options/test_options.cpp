#include "options/foption.h"
#include "support/form_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

namespace {

class OptionsTest : public FormTest {
protected:
    // Opens the dialog from the menu; the script plays the user.
    void openOptions(std::function<void(fOption &)> user)
    {
        ModalDialog::setNextScript([user](QDialog &d) { user(static_cast<fOption &>(d)); });
        form->action(QStringLiteral("menu设置"))->trigger();
    }
};

} // namespace

TEST_F(OptionsTest, ConfirmedTickIsStoredAndShownAgainAfterARestart)
{
    bool ticked = true;
    openOptions([&](fOption &d) { ticked = d.Check1->isChecked(); d.Check1->setChecked(true); d.Command1->click(); });
    EXPECT_FALSE(ticked) << "no stored setting: unticked";
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
    EXPECT_EQ(Settings::read(Settings::OptionSection, Settings::NoBackupKey, QString()), QStringLiteral("1"));

    // A new run of the program reads it back.
    delete form;
    appState() = AppState();
    form = new Form1;
    form->loadForm();
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
    openOptions([&](fOption &d) { ticked = d.Check1->isChecked(); d.Command1->click(); });
    EXPECT_TRUE(ticked);
}

TEST_F(OptionsTest, CancelAndTheCloseBoxStoreNothing)
{
    openOptions([](fOption &d) { d.Check1->setChecked(true); d.Command2->click(); });
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    openOptions([](fOption &d) { d.Check1->setChecked(true); d.close(); });
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    EXPECT_EQ(Settings::read(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("absent")), QStringLiteral("absent"));
    // Each opening starts again from the value in force.
    bool ticked = true;
    openOptions([&](fOption &d) { ticked = d.Check1->isChecked(); });
    EXPECT_FALSE(ticked);
}

TEST_F(OptionsTest, ASmallFixedToolWindowWithOkFirstInTheTabOrder)
{
    fOption d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(d.Check1->text(), QStringLiteral("替换文件前，不做备份！！！"));
    EXPECT_EQ(d.Command1->text(), QStringLiteral("确定"));
    EXPECT_EQ(d.Command2->text(), QStringLiteral("取消"));
    EXPECT_TRUE(d.windowFlags() & Qt::Tool);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_FALSE(d.Command1->isDefault());
    EXPECT_FALSE(d.Command2->isDefault());
    EXPECT_EQ(d.Command1->nextInFocusChain(), d.Command2);
    EXPECT_EQ(d.Command2->nextInFocusChain(), d.Check1);
    d.show();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), d.Command1);
}

TEST_F(OptionsTest, EnterPressesTheFocusedButtonOnly)
{
    openOptions([](fOption &d) {
        d.show();
        d.Check1->setChecked(true);
        QTest::keyClick(d.Command1, Qt::Key_Return);
    });
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
    // Enter on "取消" must not reach "确定".
    openOptions([](fOption &d) {
        d.show();
        d.Check1->setChecked(false);
        d.Command2->setFocus();
        QTest::keyClick(d.Command2, Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
}

TEST_F(OptionsTest, UsageHelpHasFiveInstructionsEachFollowedByABlankLine)
{
    form->action(QStringLiteral("menu使用方法"))->trigger();
    ASSERT_EQ(MessageBox::history().size(), 1);
    const MessageBox::Shown &shown = MessageBox::history()[0];
    EXPECT_EQ(shown.caption, QStringLiteral("软件使用方法"));
    EXPECT_EQ(shown.icon, MessageBox::Icon::None);
    EXPECT_EQ(shown.buttons, MessageBox::Buttons::Ok);
    const QStringList parts = shown.text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(parts.size(), 11);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(parts[2 * i].startsWith(QString::number(i + 1) + QStringLiteral("、"))) << i;
        EXPECT_TRUE(parts[2 * i + 1].isEmpty());
    }
    EXPECT_TRUE(parts[10].isEmpty());
    EXPECT_EQ(parts[3 * 2 + 0], QStringLiteral("4、win7，win8，win10系统，必须以管理员身份运行软件，否则，软件可能没有替换文件的权限。"));
}
