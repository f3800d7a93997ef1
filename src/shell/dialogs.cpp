#include "shell/dialogs.h"

#include "app/engine/app_info.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>

namespace MessageBox {

namespace {
bool g_headless = false;
QQueue<Answer> g_answers;
QList<Shown> g_history;
} // namespace

Answer show(QWidget *parent, const QString &text, Icon icon, Buttons buttons, const QString &caption)
{
    const QString title = caption.isEmpty() ? AppInfo::title() : caption;
    g_history.append(Shown{text, title, icon, buttons});
    if (g_headless) {
        if (!g_answers.isEmpty())
            return g_answers.dequeue();
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information: qicon = QMessageBox::Information; break;
    case Icon::Question: qicon = QMessageBox::Question; break;
    case Icon::Critical: qicon = QMessageBox::Critical; break;
    case Icon::None: break;
    }
    // Texts keep their CR LF line breaks; the label wants plain ones.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(qicon, title, shown, buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    const int r = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void setHeadless(bool headless)
{
    g_headless = headless;
}
bool headless()
{
    return g_headless;
}
void setNextAnswer(Answer answer)
{
    g_answers.enqueue(answer);
}
const QList<Shown> &history()
{
    return g_history;
}
void clearHistory()
{
    g_history.clear();
    g_answers.clear();
    ModalDialog::clearScripts();
}

} // namespace MessageBox

namespace ModalDialog {

namespace {
QQueue<std::function<void(QDialog &)>> g_scripts;
}

int exec(QDialog &dialog)
{
    if (!MessageBox::headless())
        return dialog.exec();
    if (!g_scripts.isEmpty())
        g_scripts.dequeue()(dialog);
    return dialog.result();
}

void setNextScript(std::function<void(QDialog &)> script)
{
    g_scripts.enqueue(std::move(script));
}
void clearScripts()
{
    g_scripts.clear();
}

} // namespace ModalDialog

namespace FileDialog {

namespace {
QQueue<QString> g_files;
QQueue<QString> g_folders;
QStringList g_starts;
} // namespace

QString getOpenFileName(QWidget *parent)
{
    if (MessageBox::headless())
        return g_files.isEmpty() ? QString() : g_files.dequeue();
    return QFileDialog::getOpenFileName(parent, QString(), QString(), QStringLiteral("*.* (*)"));
}

QString getExistingDirectory(QWidget *parent, const QString &prompt, const QString &startFolder)
{
    g_starts.append(startFolder);
    if (MessageBox::headless())
        return g_folders.isEmpty() ? QString() : g_folders.dequeue();
    return QFileDialog::getExistingDirectory(parent, prompt, startFolder);
}

void setNextFileName(const QString &fileName)
{
    g_files.enqueue(fileName);
}
void setNextDirectory(const QString &folder)
{
    g_folders.enqueue(folder);
}
const QStringList &directoryStartFolders()
{
    return g_starts;
}
void clearHistory()
{
    g_files.clear();
    g_folders.clear();
    g_starts.clear();
}

} // namespace FileDialog
