#include "replace/engine/backup.h"
#include "replace/engine/file_ops.h"
#include "replace/form2.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"

#include <QAccessible>
#include <QRadioButton>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

using FileOps::Call;

const QString Backup = QStringLiteral("report.doc[20240101000000替换备份]");

class CauseTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        master = t.file(QStringLiteral("master/report.doc"), "MASTER");
        form->Check2->setChecked(false);
    }
    void TearDown() override
    {
        FileOps::setFaults({});
        FormTest::TearDown();
    }
    // Lists one folder's files, and only those.
    void list(const QString &folder)
    {
        form->model()->clear();
        search(folder);
        MessageBox::clearHistory();
    }
    void replace()
    {
        form->Text3->setText(master);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    }
    void restore(bool setAside)
    {
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        ModalDialog::setNextScript([=](QDialog &dialog) {
            auto &d = static_cast<Form2 &>(dialog);
            (setAside ? d.Option2 : d.Option1)->setChecked(true);
            d.Command1->click();
        });
        run("menu恢复最近一次被替换的文件");
    }
    QString status(int row) const { return form->model()->row(row).status(); }
    // The status cell's cause as the tooltip shows it; a screen reader must
    // hear the same as the cell's description.
    QString cause(int row) const
    {
        const QString tip = form->model()->index(row, ResultModel::StatusColumn).data(Qt::ToolTipRole).toString();
        // Headless, no reader is active, so the views tell the accessible
        // table of no change: ask as a reader that comes just now.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(form->ListView1)));
        QAccessibleInterface *cell =
            QAccessible::queryAccessibleInterface(form->ListView1)->tableInterface()->cellAt(row, ResultModel::StatusColumn);
        EXPECT_EQ(cell ? cell->text(QAccessible::Description) : QStringLiteral("<no cell>"), tip);
        return tip;
    }
    QString master;
};

} // namespace

// Each fault, at the call it hits, becomes its cause on the row; the cause
// goes with the next status, and with the row.
TEST_F(CauseTest, AFailedRowTellsWhyUntilItsStatusChanges)
{
    enum Command { Replace, Restore, SetAside };
    const struct {
        Command command;
        FileOps::Fault fault;
        QString cause;
    } cases[] = {
        {Replace, {Call::Open, EACCES}, QStringLiteral("权限不足")},
        {Replace, {Call::Chmod, EPERM}, QStringLiteral("权限不足")},
        {Replace, {Call::Link, EROFS}, QStringLiteral("只读文件系统")},
        {Replace, {Call::CopyRange, ENOSPC}, QStringLiteral("磁盘空间不足")},
        {Replace, {Call::CopyRange, EDQUOT}, QStringLiteral("磁盘空间不足")},
        {Replace, {Call::Link, EEXIST}, QStringLiteral("文件名已存在")},
        {Replace, {Call::Open, ENOENT}, QStringLiteral("文件或文件夹不存在")},
        {Replace, {Call::Link, ENOTDIR}, QStringLiteral("文件或文件夹不存在")},
        {Replace, {Call::Rename, EBUSY}, QStringLiteral("文件正在使用")},
        {Replace, {Call::Rename, ETXTBSY}, QStringLiteral("文件正在使用")},
        {Replace, {Call::Link, ENAMETOOLONG}, QStringLiteral("文件名过长")},
        {Replace, {Call::Rename, EIO}, QStringLiteral("系统错误（错误号 5）")},
        {Restore, {Call::RenameNoReplace, ENOTEMPTY}, QStringLiteral("文件名已存在")},
        {Restore, {Call::RenameNoReplace, EACCES}, QStringLiteral("权限不足")},
        {SetAside, {Call::RenameNoReplace, EBUSY}, QStringLiteral("文件正在使用")},
        {SetAside, {Call::Chmod, EPERM}, QStringLiteral("权限不足")},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << n << ": " << c.cause.toStdString());
        const QString folder = t.folder(QStringLiteral("case%1").arg(n++));
        const QString target = t.file(folder.mid(t.root().size() + 1) + QStringLiteral("/report.doc"), "old");
        if (c.command == Replace) {
            ::chmod(QFile::encodeName(target).constData(), 0444);
        } else {
            t.file(folder.mid(t.root().size() + 1) + QLatin1Char('/') + Backup, "backup");
            if (c.command == Restore)
                QFile::remove(target);
            else
                ::chmod(QFile::encodeName(target).constData(), 0444);
        }
        list(folder);
        const int row = rowOf(c.command == Replace ? target : folder + QLatin1Char('/') + Backup);
        tick(form->model()->key(row));
        const auto runIt = [&] { c.command == Replace ? replace() : restore(c.command == SetAside); };

        FileOps::setFaults({c.fault});
        QList<QList<int>> roles;
        const auto spy = QObject::connect(form->model(), &QAbstractItemModel::dataChanged,
                                          [&](const QModelIndex &i, const QModelIndex &, const QList<int> &r) {
                                              if (i.row() == row && i.column() == ResultModel::StatusColumn)
                                                  roles << r;
                                          });
        runIt();
        FileOps::setFaults({});
        EXPECT_EQ(status(row), c.command == Replace ? QStringLiteral("替换失败")
                               : c.command == Restore ? QStringLiteral("恢复失败")
                                                      : QStringLiteral("已存在，跳过"));
        EXPECT_EQ(cause(row), c.cause);
        EXPECT_EQ(TempTree::read(folder + QStringLiteral("/report.doc")), c.command == Restore ? "" : "old");
        // Without the fault the same row succeeds, and no longer says why it failed.
        runIt();
        EXPECT_EQ(status(row), c.command == Replace ? QStringLiteral("已经替换") : QStringLiteral("已经恢复"));
        EXPECT_EQ(cause(row), QString());
        QObject::disconnect(spy);
        // Views and readers hear of the cause coming and going.
        ASSERT_EQ(roles.size(), 2);
        for (const QList<int> &r : roles)
            EXPECT_TRUE(r.contains(Qt::ToolTipRole) && r.contains(Qt::AccessibleDescriptionRole));
    }

    // A row listed afresh after the list was emptied is no failed row,
    // though it may take a failed row's place.
    const QString folder = t.folder(QStringLiteral("again"));
    const QString target = t.file(QStringLiteral("again/report.doc"), "old");
    list(folder);
    tick(target);
    FileOps::setFaults({{Call::Rename, EIO}});
    replace();
    FileOps::setFaults({});
    ASSERT_EQ(cause(rowOf(target)), QStringLiteral("系统错误（错误号 5）"));
    run("menu移除全部");
    search(folder);
    EXPECT_EQ(status(rowOf(target)), QString());
    EXPECT_EQ(cause(rowOf(target)), QString());
}

namespace {

// A small tmpfs at a folder, as root; why() tells what kept it from mounting.
class TmpfsMount {
public:
    explicit TmpfsMount(const QString &at) : m_at(QFile::encodeName(at))
    {
        if (::mount("tmpfs", m_at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0)
            m_mounted = true;
        else
            m_why = std::string("mount of a tmpfs refused: ") + std::strerror(errno);
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_at.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    const std::string &why() const { return m_why; }
    bool makeReadOnly() { return ::mount(nullptr, m_at.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0; }

private:
    QByteArray m_at;
    bool m_mounted = false;
    std::string m_why;
};

} // namespace

// No fault planted: a file system that is read-only, and one where the
// trash has no place (GIO refuses tmpfs as a system mount).
TEST_F(CauseTest, ARealReadOnlyFileSystemAndAPlaceWithoutTrashAreNamed)
{
    const QString root = t.folder(QStringLiteral("mnt"));
    TmpfsMount tmpfs(root);
    if (!tmpfs.mounted())
        GTEST_SKIP() << tmpfs.why();
    const QString target = root + QStringLiteral("/report.doc");
    const QString restorable = root + QStringLiteral("/b.doc[20240101000000替换备份]");
    const QString blocked = root + QStringLiteral("/c.doc[20240101000000替换备份]");
    const QString standing = root + QStringLiteral("/c.doc");
    const QString trashed = root + QStringLiteral("/d.doc");
    for (const QString &p : {target, restorable, blocked, standing, trashed}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("kept") == 4) << p.toStdString();
    }
    list(root);
    tick(target);
    // Without a backup the old file must go to the trash first, which has no place here.
    appState().NoBackupBeforeReplace = 1;
    replace();
    EXPECT_EQ(status(rowOf(target)), QStringLiteral("替换失败"));
    EXPECT_EQ(cause(rowOf(target)), QStringLiteral("此位置没有回收站"));

    ASSERT_TRUE(tmpfs.makeReadOnly()) << std::strerror(errno);
    appState().NoBackupBeforeReplace = 0;
    replace();
    EXPECT_EQ(cause(rowOf(target)), QStringLiteral("只读文件系统"));
    run("menu全部去勾选");
    tick(restorable);
    tick(blocked);
    restore(true);
    EXPECT_EQ(status(rowOf(restorable)), QStringLiteral("恢复失败"));
    EXPECT_EQ(cause(rowOf(restorable)), QStringLiteral("只读文件系统"));
    EXPECT_EQ(status(rowOf(blocked)), QStringLiteral("已存在，跳过"));
    EXPECT_EQ(cause(rowOf(blocked)), QStringLiteral("只读文件系统"));
    run("menu全部去勾选");
    tick(trashed);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除勾选项");
    EXPECT_EQ(status(rowOf(trashed)), QStringLiteral("删除失败"));
    EXPECT_EQ(cause(rowOf(trashed)), QStringLiteral("此位置没有回收站"));
    EXPECT_EQ(QDir(root).entryList(QDir::Files | QDir::Hidden).size(), 5);
}
