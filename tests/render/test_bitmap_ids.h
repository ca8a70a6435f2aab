// Identifiers of the renderer tests' own bitmaps, clear of the saver's.
#pragma once

#define kEightBitBitmapId 9001
#define kTopDownBitmapId 9002
#define kMissingBitmapId 9999
