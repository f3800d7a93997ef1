#pragma once
#include <QList>
#include <QString>
#include <functional>

class QWidget;

// Every modal box and picker goes through here so that tests can script the
// answer and read back what would have been shown.
namespace MessageBox {

enum class Icon { None, Information, Question, Critical };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Shown {
    QString text;
    QString caption;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// An empty caption stands for the application title.
Answer show(QWidget *parent, const QString &text, Icon icon, Buttons buttons = Buttons::Ok, const QString &caption = QString());

inline void information(QWidget *parent, const QString &text)
{
    show(parent, text, Icon::Information);
}
inline void critical(QWidget *parent, const QString &text)
{
    show(parent, text, Icon::Critical);
}
inline bool ask(QWidget *parent, const QString &text, const QString &caption = QString())
{
    return show(parent, text, Icon::Question, Buttons::YesNo, caption) == Answer::Yes;
}

// Test seam: while headless no box appears; scripted answers are used in
// order, then Ok for plain boxes and No for questions.
void setHeadless(bool headless);
bool headless();
void setNextAnswer(Answer answer);
const QList<Shown> &history();
void clearHistory();

} // namespace MessageBox

class QDialog;

// The program's own modal dialogs. While message boxes are headless, the
// next scripted action plays the user's part instead of exec() (none: the
// dialog is closed by its close box).
namespace ModalDialog {
int exec(QDialog &dialog);
void setNextScript(std::function<void(QDialog &)> script);
void clearScripts();
} // namespace ModalDialog

namespace FileDialog {

// The file-open dialog with one filter entry that matches every file.
QString getOpenFileName(QWidget *parent);
// The folder picker, opened at startFolder; empty when cancelled.
QString getExistingDirectory(QWidget *parent, const QString &prompt, const QString &startFolder);

// Test seam (used while MessageBox::headless() is on): the next pickers'
// answers, and the start folders they were opened at.
void setNextFileName(const QString &fileName);
void setNextDirectory(const QString &folder);
const QStringList &directoryStartFolders();
void clearHistory();

} // namespace FileDialog
