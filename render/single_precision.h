// Forces a value through a 32-bit float in memory. The i686 build computes on
// the x87 stack in extended precision; without the store a comparison or a
// widening to double could see more bits than the single that is kept.
#pragma once

inline float StoreSingle(float value) {
    volatile float stored = value;
    return stored;
}
