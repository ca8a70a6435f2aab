// Identifiers of the renderer tests' own bitmaps, clear of the saver's.
#pragma once

#define IDB_TEST_EIGHT_BIT 9001
#define IDB_TEST_TOP_DOWN 9002
#define IDB_TEST_MISSING 9999
