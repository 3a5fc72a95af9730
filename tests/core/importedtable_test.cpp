#include "core/io/importedtable.h"

#include <gtest/gtest.h>
