#include "render_options.h"
