#pragma once
#include <QString>

class IconStore;
struct SearchState;

// What the search reads in the window and tells it, beside the list. Each
// read is made where the search needs the value: the subfolder box for every
// folder the walk reaches, the name box and the match mode once the walk is
// over, so a change made during the walk applies to the rest of the search.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    // The folder box, at the click.
    virtual QString searchFolder() = 0;
    // "搜索子目录", for every folder and for the count at the end.
    virtual bool includeSubfolders() = 0;
    // The name box and the match mode (0 exact, 1 similar), after the walk.
    virtual QString wantedName() = 0;
    virtual int matchMode() = 0;
    virtual SearchState &searchState() = 0;
    virtual IconStore &icons() = 0;
    // The search button: "停止搜索" on yellow while a search runs.
    virtual void showSearching(bool searching) = 0;
    // The picture behind the empty list goes once a search starts.
    virtual void clearListBackground() = 0;
};
