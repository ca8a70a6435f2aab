#include "saver/bounce.h"

int RenderSideForHeight(int clientHeight) {
    constexpr float kSideFraction = 0.35f;
    // The product is formed exactly in double precision, then truncated.
    return static_cast<int>(static_cast<double>(clientHeight) * static_cast<double>(kSideFraction));
}

void BounceAxisStep(int& position, int& velocity, int side, int extent) {
    position += velocity;
    if (position + side > extent) {
        position = extent - side;
        velocity = -velocity;
    }
    if (position < 0) {
        velocity = -velocity;
        position = 0;
    }
}

void FitAxisInside(int& position, int side, int extent) {
    if (position + side > extent) position = extent - side;
    if (position < 0) position = 0;
}
