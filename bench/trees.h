#pragma once
#include "support.h"

namespace bench {

// The tree the walk and the search are measured on: every folder holds files
// of ten extensions, a quarter with Chinese names, about 3 % backup names.
TreeRecipe walkTree(int files, int folders);

} // namespace bench
