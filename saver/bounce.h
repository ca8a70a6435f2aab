// Geometry of the bouncing square. Free of <windows.h> so that it can be built
// and tested natively.
#pragma once

// Side of the square for a saver window of the given client height: the height
// times the single-precision 0.35, which lies just below 0.35, truncated.
int RenderSideForHeight(int clientHeight);

// One tick along one axis: advance by velocity, then clamp and reverse at the
// far edge (position + side beyond extent) and at the near edge (below 0).
void BounceAxisStep(int& position, int& velocity, int side, int extent);

// After the saver window changed size: pulls the position back so that the
// square lies inside the extent again, at 0 where it cannot fit. The velocity
// is left as it is; the next step bounces as usual.
void FitAxisInside(int& position, int side, int extent);
