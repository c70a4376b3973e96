#pragma once
// The twelve-digit pi with which the program has always turned degrees into radians. Stored
// results, written files and the trigonometric tables depend on it, so every such conversion
// uses this one constant rather than the exact pi.

namespace sarvo {

constexpr double kPi12 = 3.14159265359;

} // namespace sarvo
