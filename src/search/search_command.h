#pragma once
#include "search/engine/found_file.h"

#include <QString>
#include <vector>

class Form1;
class IconStore;
class ResultModel;

// Which collected files the name box lets through: every file when it is
// empty, else equal names (mode 0) or names that contain it (mode 1), letter
// case ignored; the text is used untrimmed.
bool NameMatches(const QString &fileName, const QString &wanted, int mode);

// Adds rows for found files, each with the icon of its kind; a file listed
// already keeps its row untouched. Returns how many rows were added.
int AddToList(ResultModel &model, IconStore &icons, const std::vector<const FoundFile *> &files);

// The search button: starts a search, or asks the running one to stop.
class SearchCommand {
public:
    explicit SearchCommand(Form1 &form) : m_form(form) {}
    void click();
    void 加入列表(int index);
    // The most rows the list takes between two turns of the window.
    static constexpr int DefaultRowsPerPart = 32768;
    static void setRowsPerPart(int rows = DefaultRowsPerPart);

private:
    void run();
    Form1 &m_form;
};
