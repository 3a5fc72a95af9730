#include "core/io/delimitedtext.h"

#include <gtest/gtest.h>
