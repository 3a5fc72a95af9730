#pragma once

// Being written: the decoding of delimited text to UTF-8.
