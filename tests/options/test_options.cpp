#include "options/foption.h"
#include "support/form_fixture.h"

namespace {

class OptionsTest : public FormTest {
protected:
    // Opens the dialog from the menu; the script plays the user. Returns
    // whether the box was ticked as the dialog opened.
    bool openOptions(std::function<void(fOption &)> user)
    {
        bool ticked = false;
        ModalDialog::setNextScript([&ticked, user](QDialog &d) {
            auto &o = static_cast<fOption &>(d);
            ticked = o.Check1->isChecked();
            user(o);
        });
        run("menu设置");
        return ticked;
    }
    static QString stored() { return Settings::read(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("absent")); }
};

} // namespace

TEST_F(OptionsTest, OnlyConfirmingStoresAndANewRunShowsIt)
{
    openOptions([](fOption &d) {
        d.Check1->setChecked(true);
        d.Command2->click();
    });
    openOptions([](fOption &d) {
        d.Check1->setChecked(true);
        d.close();
    });
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    EXPECT_EQ(stored(), QStringLiteral("absent"));
    // Each opening starts again from the value in force, with "确定" taking Enter.
    EXPECT_FALSE(openOptions([](fOption &d) {
        d.show();
        QApplication::processEvents();
        d.Check1->setChecked(true);
        ASSERT_EQ(QApplication::focusWidget(), d.Command1);
        QTest::keyClick(d.Command1, Qt::Key_Return);
    }));
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
    EXPECT_EQ(stored(), QStringLiteral("1"));

    // A new run of the program reads it back.
    delete form;
    appState() = AppState();
    form = new Form1;
    form->loadForm();
    EXPECT_EQ(appState().NoBackupBeforeReplace, 1);
    EXPECT_TRUE(openOptions([](fOption &d) {
        d.Check1->setChecked(false);
        d.Command1->click();
    }));
    EXPECT_EQ(appState().NoBackupBeforeReplace, 0);
    EXPECT_EQ(stored(), QStringLiteral("0"));
}
