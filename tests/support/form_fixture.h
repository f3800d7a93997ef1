#pragma once
#include "app/engine/app_state.h"
#include "app/form1.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "app/engine/settings.h"
#include "search/engine/folder_walk.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "support/temp_tree.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QStatusBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

#include "support/qt_printers.h"

// A cell whose text or tick differs from when the watch began must have
// been announced to the view, or the screen keeps showing what it showed.
class ChangeWatch {
public:
    explicit ChangeWatch(const ResultModel *model) : m(model), before(cells())
    {
        QObject::connect(m, &QAbstractItemModel::dataChanged, &context, [this](const QModelIndex &from, const QModelIndex &to) {
            for (int r = from.row(); r <= to.row(); ++r)
                for (int c = from.column(); c <= to.column(); ++c)
                    told.insert({m->row(r).id, c});
        });
    }
    void expectAllTold(const char *after) const
    {
        for (const auto &[cell, shown] : cells())
            EXPECT_TRUE(!before.count(cell) || before.at(cell) == shown || told.count(cell))
                << after << ": row id, column " << testing::PrintToString(cell);
    }

private:
    using Cell = std::pair<int, int>; // row id, column
    std::map<Cell, QVariantList> cells() const
    {
        std::map<Cell, QVariantList> out;
        for (int r = 0; r < m->rowCount(); ++r)
            for (int c = 0; c < ResultModel::ColumnCount; ++c)
                out[{m->row(r).id, c}] = {m->index(r, c).data(), m->index(r, c).data(Qt::CheckStateRole)};
        return out;
    }
    const ResultModel *m;
    const std::map<Cell, QVariantList> before;
    std::set<Cell> told;
    QObject context;
};

// Every column as wide as the wider of its header and its widest cell.
inline void ExpectColumnsFit(const QTableView &view, const char *after)
{
    const QAbstractItemModel &m = *view.model();
    for (int c = 0; c < m.columnCount(); ++c) {
        int widest = view.horizontalHeader()->sectionSizeHint(c);
        for (int r = 0; r < m.rowCount(); ++r)
            widest = qMax(widest, view.sizeHintForIndex(m.index(r, c)).width());
        EXPECT_EQ(view.horizontalHeader()->sectionSize(c), widest) << after << ", column " << c;
    }
}

// A freshly loaded main window over empty settings, with every box and
// picker answered by the test seams.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/墨桐同名文件批量替换")).removeRecursively();
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
        FolderWalk::seam() = {};
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Searches as a user does: fill in the boxes, press the button.
    void search(const QString &folder, const QString &name = QString(), int mode = 0, bool subfolders = true)
    {
        form->Text1->setText(folder);
        form->Text2->setText(name);
        form->Combo1->setCurrentIndex(mode);
        form->Check1->setChecked(subfolders);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    }
    // Lists every file under the temp tree; an empty name matches them all.
    void listAll()
    {
        search(t.root());
        MessageBox::clearHistory();
    }
    // The shown file names, in row order.
    QStringList listed() const
    {
        QStringList out;
        for (int r = 0; r < form->model()->rowCount(); ++r)
            out << form->model()->row(r).fileName;
        return out;
    }
    int rowOf(const QString &path) const { return form->model()->findKey(path); }
    void tick(const QString &path)
    {
        ASSERT_GE(rowOf(path), 0) << path.toStdString();
        form->model()->setChecked(rowOf(path), true);
    }
    void select(int row)
    {
        form->ListView1->selectionModel()->select(form->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void run(const char *action) { form->action(QString::fromUtf8(action))->trigger(); }
    QString lastMessage() const { return MessageBox::history().isEmpty() ? QString() : MessageBox::history().last().text; }
    // After a close during a long operation: the window goes once the
    // operation has returned, nothing stays busy, and the settings were saved.
    void expectClosedAndSaved(const QString &searchFolder)
    {
        QPointer<Form1> guard = form;
        for (int i = 0; i < 3 && guard; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_TRUE(guard.isNull());
        form = guard.data();
        EXPECT_FALSE(appState().IsWorking);
        EXPECT_EQ(Settings::read(Settings::MainSection, QStringLiteral("text1"), QString()), searchFolder);
    }
    void expectColumnsFit(const char *after) const { ExpectColumnsFit(*form->ListView1, after); }
    Form1 *form = nullptr;
    TempTree t;
};
