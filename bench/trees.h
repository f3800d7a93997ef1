#pragma once
#include "support.h"

namespace bench {

// The tree the walk and the search are measured on: every folder holds files
// of ten extensions, a quarter with Chinese names, about 3 % backup names.
TreeRecipe walkTree(int files, int folders);

} // namespace bench

namespace bench {

// The tree the search scenarios run on: about 100 files a folder, names as
// in walkTree plus a tenth without an extension; one folder in a hundred
// also holds report.txt, Makefile, README.md and old-readme.txt.
TreeRecipe scenarioTree(const QString &name, int files, int folders);

} // namespace bench

namespace bench {

// The tree served over the network: 20,000 files in 100 folders of 20
// subfolders, ten a folder, names as in walkTree; report.txt stands in 200
// folders, Makefile in 100, 50 names hold "readme" in some letter case.
TreeRecipe sshfsTree(const QString &name);

} // namespace bench
