#pragma once
#include "list/icon_store.h"
#include "list/list_host.h"
#include "replace/replace_host.h"
#include "search/engine/found_file.h"
#include "search/search_host.h"
#include "shell/long_operation.h"

#include <QMainWindow>
#include <QPointer>
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
// panel; the commands of the other subsystems reach its controls through
// the narrow hosts it implements.
class Form1 : public QMainWindow, private SearchHost, private ListHost, private ReplaceHost, private BusyDisplay {
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
    SearchState &searchState() override { return m_search; }
    QAction *action(const QString &objectName) const;

    void setPanelText(int panel, const QString &text); // panels 1 to 3
    void showRowCount();                               // panel 3: "文件数：" and the rows in the list

    // Load: restores the settings and prepares the list.
    void loadForm();
    void 初始化PicLV1();
    void clearListBackground() override;
    void 更新搜索扩展名();
    void 更新母文件信息();
    void 指定文件夹();
    void 指定母文件();
    void 关于();

    LongOperation &operation() override { return m_operation; }

    // BusyDisplay
    void showBusy(const QString &caption) override;
    void hideBusy() override;
    void showBar(int minimum, int maximum, int value) override;
    void showActivity(const QString &text) override;

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

    // SearchHost
    QString searchFolder() override;
    bool includeSubfolders() override;
    QString wantedName() override;
    int matchMode() override;
    IconStore &icons() override { return ImageList1; }
    void showSearching(bool searching) override;

    // ListHost
    QWidget *dialogParent() override { return this; }
    ResultListView &list() override { return *ListView1; }

    // ReplaceHost
    QString masterFile() override;
    bool skipSameSizeAndTime() override;
    int noBackup() override;
    void setReplaceEnabled(bool enabled) override;

    // BusyDisplay
    void closeNow() override;

    QPointer<fCover> m_cover;
    std::unique_ptr<SearchCommand> m_searchCommand;
    std::unique_ptr<ReplaceCommand> m_replaceCommand;
    std::unique_ptr<RestoreCommand> m_restoreCommand;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<ShellActions> m_shellActions;
    SearchState m_search;
    LongOperation m_operation{*this};
    QPixmap m_listBackground;
};
