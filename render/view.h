// The view's projection.
#pragma once

// Viewport and perspective for a client area of width x height pixels.
void ResizeView(int width, int height);
