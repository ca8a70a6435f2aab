// One step of the sphere's animation: spin about its axis and a bob along the
// line of sight between two depth bounds.
#pragma once

constexpr float kSpinStep = 2.5f;
constexpr float kSpinWrap = 360.0f;
constexpr float kDepthNearLimit = -14.8f;
constexpr float kDepthFarLimit = -28.0f;

constexpr float kInitialSpinAngle = 0.0f;
constexpr float kInitialSphereDepth = -15.0f;
constexpr float kInitialDepthStep = 0.4f;

// Advances the three values in single precision, exactly as each frame does:
// the angle wraps to 0 (not by 360) once past 360, and the step reverses after
// the depth has crossed a bound, so the crossing value itself is drawn.
void AdvanceAnimation(float& spinAngle, float& sphereDepth, float& depthStep);
