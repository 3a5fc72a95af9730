#include "core/io/textencoding.h"
