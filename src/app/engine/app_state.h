#pragma once
#include <QString>

// What the restore does with a file standing at the restored name; the
// texts are those the restore-conflict dialog writes.
namespace RestoreChoice {
inline const QString Skip = QStringLiteral("跳过");
inline const QString Rename = QStringLiteral("重命名");
inline const QString Cancel = QStringLiteral("取消");
} // namespace RestoreChoice

// State shared by the windows for the whole run; it outlives any one opening
// of the main window.
struct AppState {
    bool IsWorking = false;
    bool StopRequested = false;
    QString RestoreConflictChoice = RestoreChoice::Skip;
    int NoBackupBeforeReplace = 0;
    QString LatestVersionText;
};

AppState &appState();
