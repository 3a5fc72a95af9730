#include "core/io/workbook.h"

#include <gtest/gtest.h>
