#pragma once
#include "search/engine/folder_walk.h"

#include <QStringList>
#include <functional>
#include <tuple>
#include <vector>

// Records what the walk shows and lets a test act at each event-loop turn.
struct FakeHost : WalkHost {
    bool subfolders = false;
    bool stop = false;
    QStringList statuses;
    std::vector<std::tuple<int, int, int>> bars; // minimum, maximum, value
    int turns = 0;
    std::function<void(FakeHost &)> onTurn;

    bool includeSubfolders() override { return subfolders; }
    bool stopRequested() override { return stop; }
    void showStatus(const QString &text) override { statuses << text; }
    void showProgress(int minimum, int maximum, int value) override { bars.emplace_back(minimum, maximum, value); }
    void letEventsRun() override
    {
        ++turns;
        if (onTurn)
            onTurn(*this);
    }
};

// The walk, then the facts of every name it found, as a search with an empty
// name box reads them.
inline std::vector<FoundFile> WalkWithFacts(FolderWalk &walk, SearchState &s, const QString &folder)
{
    walk.搜索文件夹(folder);
    std::vector<FoundFile> found;
    FoundReader(s.Finds, {}).read(found);
    s.Finds.clear();
    return found;
}
