#include "options/foption.h"

#include "app/engine/app_state.h"
#include "shell/appearance.h"
#include "app/engine/settings.h"
#include "shell/dialogs.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

using Appearance::px;

fOption::fOption(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fOption"));
    setWindowTitle(QStringLiteral("设置"));
    // A small fixed tool window: no minimize or maximize, not in the task bar.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(8265), px(2070));

    // Created in tab order: "确定", "取消", then the check box.
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command2 = new QPushButton(QStringLiteral("取消"), this);
    Check1 = new QCheckBox(QStringLiteral("替换文件前，不做备份！！！"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Check1->setGeometry(px(675), px(345), qMax(px(2970), Check1->sizeHint().width()), qMax(px(180), Check1->sizeHint().height()));
    Command1->setGeometry(px(5775), px(330), px(1665), px(435));
    Command2->setGeometry(px(5775), px(975), px(1665), px(435));
    // Neither button is the default or the cancel button, but the focused
    // one takes Enter, as desktop dialogs do.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);
    Command1->setFocus();

    Check1->setChecked(appState().NoBackupBeforeReplace == 1);

    connect(Command1, &QPushButton::clicked, this, &fOption::确定);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void fOption::确定()
{
    appState().NoBackupBeforeReplace = Check1->isChecked() ? 1 : 0;
    Settings::write(Settings::OptionSection, Settings::NoBackupKey, QString::number(appState().NoBackupBeforeReplace));
    accept();
}

void fOption::showModal(QWidget *parent)
{
    fOption dialog(parent);
    ModalDialog::exec(dialog);
}

QString UsageHelpText()
{
    const QStringList lines = {
        QStringLiteral(
            "1、指定目录，勾选搜索子目录，输入要被替换的文件名（即要搜索的文件名），点击搜索文件按钮；下方列表里面就会显示将要被替换的文件。"),
        QStringLiteral(
            "2、指定文件（母文件），也就是将要用这个文件去覆盖列表里面被勾选的文件，指定以后，会立即显示文件名、大小、修改日期。"),
        QStringLiteral(
            "3、确定是否勾选【文件大小及修改日期均相同的，跳过替换】选项，在列表中勾选需要被替换的文件，点击按钮【替换勾选的同名文件】，文件名不相同，即使勾选了，也不会被替换。"),
        QStringLiteral("4、win7，win8，win10系统，必须以管理员身份运行软件，否则，软件可能没有替换文件的权限。"),
        QStringLiteral("5、文件可能是系统文件、隐藏文件、只读文件，软件有可能无法替换。在资源管理器，事先设置成常规文件，就可以替换。"),
    };
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n") + QStringLiteral("\r\n");
    return text;
}

void ShowUsageHelp(QWidget *parent)
{
    MessageBox::show(parent, UsageHelpText(), MessageBox::Icon::None, MessageBox::Buttons::Ok, QStringLiteral("软件使用方法"));
}
