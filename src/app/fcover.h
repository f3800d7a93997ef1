#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class Form1;
class UpdateCheck;

// The start-up cover: the first window shown, and the only one whose closing
// ends the program.
class fCover : public QWidget {
    Q_OBJECT
public:
    explicit fCover(QWidget *parent = nullptr);

    QLabel *Image1, *Label1, *Label2, *Label3;
    QPlainTextEdit *Text1;
    QPushButton *Command1, *Command3;
    QTimer *Timer1;

    void loadCover();
    // "进入主界面": hides the cover and shows the main window, loading it first.
    void 进入主界面();
    Form1 *mainWindow() const;

    // What a tick of Timer1 starts once it has switched itself off: the
    // update check, unless replaced.
    void setUpdateCheck(std::function<void()> check) { m_updateCheck = std::move(check); }
    UpdateCheck *updateCheck() const { return m_update; }

    static QString introduction();
    // The line under the title that tells of a newer version.
    void showNewerVersion(const QString &version);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void timerTick();
    void openProductPage();

    QPointer<Form1> m_form;
    UpdateCheck *m_update;
    std::function<void()> m_updateCheck;
};
