#pragma once
#include <QString>

// State shared by the windows for the whole run; it outlives any one opening
// of the main window.
struct AppState {
    bool IsWorking = false;
    bool StopRequested = false;
    QString RestoreConflictChoice = QStringLiteral("跳过");
    int NoBackupBeforeReplace = 0;
    QString LatestVersionText;
};

AppState &appState();
