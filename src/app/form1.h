#pragma once
#include "list/icon_store.h"
#include "search/engine/folder_walk.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class ResultListView;
class ResultModel;
class fCover;
class SearchCommand;
class ReplaceCommand;
class RestoreCommand;
class ListCommands;
class ShellActions;

// The main window. It owns the result list, the search state and the busy
// panel; the commands of the other subsystems act on its controls.
class Form1 : public QMainWindow, private WalkHost {
    Q_OBJECT
public:
    explicit Form1(fCover *cover = nullptr);
    ~Form1() override;

    // Controls under their designed names.
    QLabel *Label1, *Label4, *Label5, *Label6, *Label7;
    QLineEdit *Text1, *Text2, *Text3;
    QCheckBox *Check1, *Check2;
    QComboBox *Combo1;
    QPushButton *Command1, *Command2, *Command3, *Command4;
    QFrame *Line1, *Line2;
    ResultListView *ListView1;
    QLabel *PicLV1;
    QLabel *Image1;
    QListWidget *File1;
    QObject *CommonDialog1;
    QFrame *PicProgress;
    QLabel *Label3;
    QProgressBar *ProgressBar1;
    QStatusBar *StatusBar1;
    QLabel *Panel[3];
    IconStore ImageList1;

    QMenu *menu列表操作;
    QAction *menu显示列表当前操作项;

    ResultModel *model() const;
    SearchState &searchState() { return m_search; }
    QAction *action(const QString &objectName) const;

    void setPanelText(int panel, const QString &text); // panels 1 to 3
    void showRowCount(); // panel 3: "文件数：" and the rows in the list

    // Load: restores the settings and prepares the list.
    void loadForm();
    void 初始化PicLV1();
    void clearListBackground();
    void 更新搜索扩展名();
    void 更新母文件信息();
    void 指定文件夹();
    void 指定母文件();
    void 搜索文件夹(const QString &folder);
    // The walk alone: the candidates' names, their facts left to the caller.
    void walkFolder(const QString &folder);
    void 关于();

    // The busy panel shown over the list by the long operations.
    void showBusy(const QString &caption);
    void hideBusy();
    void setProgressRange(int maximum); // value 1, minimum 0, maximum, in that order
    void setProgressValue(int value);

    // A long operation calls these around its run; a close that arrives
    // while it runs waits until it has returned.
    void beginOperation();
    void endOperation();
    bool closePending() const { return m_closePending; }

    // The search puts its rows in a part at a time with a turn for the window
    // between parts. A command on the whole list given meanwhile would reach
    // only some rows: it waits, in order, until the loading ends (and is
    // dropped when the window is closing); at any other time it runs at once.
    void whenLoaded(std::function<void()> command);
    void setLoading(bool loading);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls(QWidget *client);
    void buildMenus();
    void applyLayout();
    void saveSettings();

    // WalkHost
    bool includeSubfolders() override;
    bool stopRequested() override;
    void showStatus(const QString &text) override;
    void showProgress(int minimum, int maximum, int value) override;
    void letEventsRun() override;

    QPointer<fCover> m_cover;
    std::unique_ptr<SearchCommand> m_searchCommand;
    std::unique_ptr<ReplaceCommand> m_replaceCommand;
    std::unique_ptr<RestoreCommand> m_restoreCommand;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<ShellActions> m_shellActions;
    SearchState m_search;
    void showWalkProgress();
    QElapsedTimer m_sinceEvents;
    QString m_walkStatus;
    std::array<int, 3> m_walkProgress{};
    bool m_walkStatusPending = false;
    bool m_walkProgressPending = false;
    int m_operations = 0;
    bool m_closePending = false;
    bool m_loading = false;
    std::vector<std::function<void()>> m_afterLoading;
    QPixmap m_listBackground;
};
