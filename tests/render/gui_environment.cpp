#include "gui_environment.h"
