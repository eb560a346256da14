// The dialog framework on Qt Widgets.
#include "platform/window.h"
