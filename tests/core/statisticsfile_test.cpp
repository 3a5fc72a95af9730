#include "core/io/statisticsfile.h"

#include <gtest/gtest.h>
