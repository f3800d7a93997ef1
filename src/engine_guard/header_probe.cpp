// Built only by the layer test, which expects this to fail: the engine does
// not find the windows layer's headers.
#include "list/result_model.h"
