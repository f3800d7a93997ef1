#pragma once
#include "app/engine/app_state.h"
#include "app/form1.h"
#include "list/result_model.h"
#include "app/engine/settings.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

#include "support/qt_printers.h"

// A freshly loaded main window over empty settings, with every box and
// picker answered by the test seams.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/墨桐同名文件批量替换"))
            .removeRecursively();
        appState() = AppState();
        MessageBox::clearHistory();
        FileDialog::clearHistory();
        Desktop::clearHistory();
        form = new Form1;
        form->loadForm();
        new QAbstractItemModelTester(form->model(), QAbstractItemModelTester::FailureReportingMode::Fatal, form);
        form->show();
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString lastMessage() const
    {
        return MessageBox::history().isEmpty() ? QString() : MessageBox::history().last().text;
    }
    Form1 *form = nullptr;
};
