#include "replace/form2.h"

#include "app/engine/app_state.h"
#include "shell/dialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

Form2::Form2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("恢复替换备份文件"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    Label1 = new QLabel(QStringLiteral("如果恢复以后的文件已经存在："), this);
    Option1 = new QRadioButton(QStringLiteral("跳过，不恢复"), this);
    Option2 = new QRadioButton(QStringLiteral("重命名已经存在的文件名像：原文件名[00000000000000恢复备份]，然后再恢复文件"), this);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command2 = new QPushButton(QStringLiteral("取消"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2->setObjectName(QStringLiteral("Option2"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));

    Label1->setGeometry(24, 16, 480, 22);
    Option1->setGeometry(40, 46, 560, 24);
    Option2->setGeometry(40, 76, 560, 24);
    Option2->adjustSize();
    const int w = qMax(560, Option2->x() + Option2->width() + 24);
    Command1->setGeometry(w - 230, 116, 100, 30);
    Command2->setGeometry(w - 120, 116, 100, 30);
    setFixedSize(w, 162);

    // The dialog remembers the last decision while the program runs; after a
    // cancel it offers to skip.
    (appState().RestoreConflictChoice == RestoreChoice::Rename ? Option2 : Option1)->setChecked(true);

    connect(Command1, &QPushButton::clicked, this, &Form2::确定);
    connect(Command2, &QPushButton::clicked, this, &Form2::取消);
}

void Form2::确定()
{
    appState().RestoreConflictChoice = Option1->isChecked() ? RestoreChoice::Skip : RestoreChoice::Rename;
    accept();
}

void Form2::取消()
{
    appState().RestoreConflictChoice = RestoreChoice::Cancel;
    reject();
}

void Form2::showModal(QWidget *parent)
{
    Form2 dialog(parent);
    ModalDialog::exec(dialog);
}
