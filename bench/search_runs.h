#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class Form1;

namespace bench {

// A search as a user types it.
struct SearchCase {
    const char *label; // the <case> of the RATIO line
    QString name;      // the name box
    int mode = 0;      // 0 exact, 1 part of the name
};

// Whether BENCH_ONLY lets a label run: unset, or a part of the label.
bool selected(const QString &label);

// What find(1) adds to a command to pick the files a case lists.
QByteArray findNameTest(const SearchCase &c);
// fd(1) listing the files a case lists under root.
QByteArray fdCommand(const QString &root, const SearchCase &c);

// Searches through the window's own search button, from the click to the
// completion message, with subfolders.
class SearchRuns {
public:
    explicit SearchRuns(Form1 &form) : m_form(form) { }

    // Fills the folder, name and mode boxes.
    void prepare(const QString &root, const SearchCase &c);
    // The median ms of runs searches and of runs calls of each command, the
    // calls taking turns; before runs untimed ahead of every call of every
    // side. The search's median comes first.
    std::vector<double> timeInTurns(int runs, const std::vector<QByteArray> &commands, const std::function<void()> &before = {});
    // The list's full paths against those findRows prints, compared by hash.
    // Prints a ROWS line, or a WARN line when they differ; empties the list
    // and returns how many rows it had.
    int checkRows(const QString &label, const QByteArray &findRows);
    // The longest lateness of a 10 ms timer while an empty name is searched
    // under root, counting the stretch from the timer's last turn to the end.
    double maxGapMs(const QString &root);
    int rows() const;
    void reset();

private:
    void search();
    Form1 &m_form;
};

} // namespace bench
