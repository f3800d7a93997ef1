#pragma once
#include "search/engine/found_file.h"
#include "shell/long_operation.h"

#include <QString>
#include <vector>

class IconStore;
class ListHost;
class ResultModel;
class SearchHost;

// The search button: starts a search, or asks the running one to stop.
class SearchCommand {
public:
    SearchCommand(ListHost &list, SearchHost &host) : m_list(list), m_host(host) { }
    void click();
    // Adds rows for found files, each with the icon of its kind; a file listed
    // already keeps its row untouched. Returns how many rows were added.
    static int 加入列表(ResultModel &model, IconStore &icons, const std::vector<const FoundFile *> &files);
    // The most rows the list takes between two turns of the window.
    static constexpr int DefaultRowsPerPart = 32768;
    static void setRowsPerPart(int rows = DefaultRowsPerPart);

private:
    void run();
    // The walk under the folder: the candidates' names, their facts left to
    // the loading of rows.
    void 搜索文件夹(const QString &folder, LongOperation::Run &run);
    ListHost &m_list;
    SearchHost &m_host;
    bool m_searching = false;
};
