#include "render/animation.h"

#include "render/single_precision.h"

void AdvanceAnimation(float& spinAngle, float& sphereDepth, float& depthStep) {
    spinAngle = StoreSingle(spinAngle + kSpinStep);
    if (spinAngle > kSpinWrap) spinAngle = 0.0f;

    sphereDepth = StoreSingle(sphereDepth + depthStep);
    // Two separate tests on the same depth, as a step can only cross one bound.
    if (sphereDepth > kDepthNearLimit) depthStep = StoreSingle(depthStep * -1.0f);
    if (sphereDepth < kDepthFarLimit) depthStep = StoreSingle(depthStep * -1.0f);
}
