#include "shell/appearance.h"
#include "app/fcover.h"
#include "online/frm_about.h"
#include "options/foption.h"
#include "replace/form2.h"
#include "support/form_fixture.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// The program as it starts: the cover over an empty settings store, its
// update check counted instead of sent.
class Cover : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        cover = new fCover;
        cover->setUpdateCheck([this] { ++checks; });
        cover->loadCover();
    }
    void TearDown() override
    {
        delete cover->mainWindow();
        delete cover;
        settle();
        FormTest::TearDown();
    }
    fCover *cover = nullptr;
    int checks = 0;
};

using MainWindow = FormTest;

} // namespace

TEST_F(Cover, OpensTheMainWindowWhoseClosingSavesForTheNextOpening)
{
    EXPECT_FALSE(cover->Label1->isVisible());
    EXPECT_EQ(cover->width(), cover->Image1->width() + Appearance::px(200));
    ASSERT_TRUE(QTest::qWaitFor([this] { return checks == 1; }, 2000));
    EXPECT_FALSE(cover->Timer1->isActive());

    // The boxes in the order of their keys, as earlier releases wrote them, letter case included.
    const QStringList keys = {"text1", "text2", "text3", "Combo1", "Check1", "Check2"};
    const auto boxes = [](const Form1 *w) {
        return QStringList({w->Text1->text(), w->Text2->text(), w->Text3->text(), QString::number(w->Combo1->currentIndex()),
                            QString::number(w->Check1->isChecked()), QString::number(w->Check2->isChecked())});
    };
    // First run. The restore's last answer belongs to the window that asked it.
    appState().RestoreConflictChoice = RestoreChoice::Rename;
    cover->进入主界面();
    QPointer<Form1> f = cover->mainWindow();
    ASSERT_TRUE(f && f->isVisible());
    EXPECT_FALSE(cover->isVisible());
    EXPECT_EQ(boxes(f), QStringList({"", "", "", "0", "0", "1"}));
    EXPECT_EQ(appState().RestoreConflictChoice, RestoreChoice::Skip);
    EXPECT_EQ(f->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期： 文件不存在"));
    EXPECT_EQ(f->ImageList1.size(), 1);

    const QString master = t.file(QStringLiteral("m.doc"));
    f->Text1->setText(t.root());
    f->Text2->setText(QStringLiteral("report.doc"));
    f->Text3->setText(master);
    f->Combo1->setCurrentIndex(1);
    f->Check1->setChecked(true);
    f->Check2->setChecked(false);
    const QStringList saved = boxes(f);
    f->close();
    settle();
    EXPECT_TRUE(f.isNull());
    EXPECT_TRUE(cover->isVisible());
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(Settings::read(Settings::MainSection, keys[i], QString()), saved[i]) << keys[i].toStdString();

    cover->进入主界面();
    Form1 *g = cover->mainWindow();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(boxes(g), saved);
    // The remembered name does not narrow the scan until the box is touched.
    EXPECT_EQ(g->searchState().SearchExtension, QString());
    QTest::mouseClick(g->Text2, Qt::LeftButton);
    EXPECT_EQ(g->searchState().SearchExtension, QStringLiteral("doc"));
    g->Text2->setText(QStringLiteral("a.b.TXT"));
    EXPECT_EQ(g->searchState().SearchExtension, QStringLiteral("TXT"));
}

TEST_F(MainWindow, StoredValuesTheControlsCannotTakeLeaveThemAsDesigned)
{
    const QString &main = Settings::MainSection;
    Settings::write(main, QStringLiteral("Check1"), QStringLiteral("yes"));
    // Only 0 and 1 are states; a 2 must not tick the box as any nonzero would.
    Settings::write(main, QStringLiteral("Check2"), QStringLiteral("2"));
    // One past the last item must not leave the box blank.
    for (const char *index : {"2", "-1", "abc"}) {
        Settings::write(main, QStringLiteral("Combo1"), QString::fromLatin1(index));
        Form1 f;
        f.loadForm();
        EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("完全匹配")) << index;
        EXPECT_FALSE(f.Check1->isChecked());
        EXPECT_FALSE(f.Check2->isChecked());
    }
}

TEST_F(MainWindow, ADroppedFolderOrMasterFileReplacesItsBoxAndTheMasterLineStaysCurrent)
{
    const QString master = t.file(QStringLiteral("a master file of a long name.doc"), QByteArray(1024, 'm'));
    // As a file manager drags: the URL, and the same as text.
    const auto drop = [](QLineEdit *box, const QString &path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        mime.setText(mime.urls()[0].toString());
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };
    EXPECT_FALSE(drop(form->Text1, master));
    EXPECT_FALSE(drop(form->Text3, t.root()));
    EXPECT_EQ(form->Text1->text() + form->Text3->text(), QString());
    EXPECT_TRUE(drop(form->Text1, t.root()));
    EXPECT_EQ(form->Text1->text(), t.root());
    EXPECT_TRUE(drop(form->Text3, master));
    EXPECT_EQ(form->Text3->text(), master);
    // The same file dropped again after it changed shows its new facts.
    t.file(QStringLiteral("a master file of a long name.doc"), QByteArray(2048, 'm'));
    EXPECT_TRUE(drop(form->Text3, master));
    EXPECT_TRUE(form->Label7->text().contains(QStringLiteral("name.doc 2.000KB"))) << form->Label7->text().toStdString();
    EXPECT_GE(form->Label7->width(), form->Label7->sizeHint().width()) << "the line shows whole";
    // So does a click in the box.
    QFile::remove(master);
    QTest::mouseClick(form->Text3, Qt::LeftButton);
    EXPECT_EQ(form->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期： 文件不存在"));
}

namespace {

// Every text a window shows, one "window/control: text" line each: captions,
// items, menu entries and column headers. Line breaks are written as \n.
QStringList shownTexts(QWidget *window)
{
    QStringList out;
    const auto add = [&](const QObject *o, const QString &text) {
        if (!text.isEmpty())
            out << window->objectName() + QLatin1Char('/') + o->objectName() + QStringLiteral(": ")
                       + QString(text).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    };
    add(window, window->windowTitle());
    for (const QObject *o : window->findChildren<QObject *>()) {
        if (auto *l = qobject_cast<const QLabel *>(o))
            add(l, l->text());
        else if (auto *b = qobject_cast<const QAbstractButton *>(o))
            add(b, b->text());
        else if (auto *a = qobject_cast<const QAction *>(o); a && !a->objectName().isEmpty())
            add(a, a->text());
        else if (auto *c = qobject_cast<const QComboBox *>(o))
            for (int i = 0; i < c->count(); ++i)
                add(c, c->itemText(i));
        else if (auto *e = qobject_cast<const QPlainTextEdit *>(o))
            add(e, e->toPlainText());
        else if (auto *v = qobject_cast<const QTableView *>(o))
            for (int i = 0; i < v->model()->columnCount(); ++i)
                add(v, v->model()->headerData(i, Qt::Horizontal).toString());
    }
    return out;
}

} // namespace

// One character off in any caption is a fault users see; the texts are kept
// beside this test, as the windows show them on opening.
TEST_F(Cover, EveryWindowShowsItsTextsExactly)
{
    fOption options;
    Form2 restore;
    frmAbout about;
    QStringList shown;
    for (QWidget *w : std::initializer_list<QWidget *>{cover, form, &options, &restore, &about})
        shown << shownTexts(w);
    shown.sort();
    QFile file(QStringLiteral(SAMENAME_TESTS_DIR "/app/shown_texts.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList expected = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(shown, expected) << qPrintable(shown.join(QLatin1Char('\n')));
}
