// A whole search from the click to the completion message, through the
// window's own search button, against find(1) listing the same tree.
#include "support.h"
#include "window_main.h"
#include "trees.h"

#include "app/form1.h"
#include "list/result_model.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr int Runs = 5;

int run()
{
    const int files = bench::envNumber("BENCH_FILES", 200000);
    const int folders = bench::envNumber("BENCH_FOLDERS", 2000);
    const bench::Tree tree = bench::ensureTree(bench::walkTree(files, folders));
    std::printf("TREE %s %d files in %d folders\n", qPrintable(tree.root), files, folders);

    Form1 form;
    form.loadForm();
    form.show();
    form.Text1->setText(tree.root);
    form.Text2->clear(); // an empty name: every file is listed
    form.Combo1->setCurrentIndex(0);
    form.Check1->setChecked(true);

    const QByteArray find = "find " + bench::shellQuote(tree.root) + " -type f -printf '%p\\t%s\\t%T@\\n' >/dev/null";
    bench::timeShellMs(find); // warms the caches

    int listed = 0;
    const std::vector<double> ms = bench::medianMsInTurns(Runs, {{[&] {
                                                                      form.Command1->click();
                                                                      listed = form.model()->rowCount();
                                                                  },
                                                                  [&] {
                                                                      form.model()->clear(); // a fresh list: every file becomes a row
                                                                      MessageBox::clearHistory();
                                                                  }},
                                                                 {[&] { bench::timeShellMs(find); }, {}}});
    if (listed != files)
        std::printf("WARN the search listed %d files of %d\n", listed, files);
    if (MessageBox::history().isEmpty() || !MessageBox::history().last().text.startsWith(QStringLiteral("搜索完成！")))
        throw std::runtime_error("the search ended without its completion message");
    bench::printMs("search-all", ms[0]);
    bench::printMs("find-all", ms[1]);
    bench::printRatio("search-all/find", ms[0] / ms[1], 2.0);
    bench::printPeakMiB("search");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runWithWindows(argc, argv, run);
}
