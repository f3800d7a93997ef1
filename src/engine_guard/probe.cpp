// Built only by the layer test, which expects this to fail.
#include <QtWidgets/QWidget>
