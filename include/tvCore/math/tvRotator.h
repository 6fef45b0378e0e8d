// FRotator: an Euler rotation in integer angles, 65536 units a turn (16384 = 90 degrees).
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FMatrix;

class TVCORE_API FRotator {
public:
    int Pitch, Yaw, Roll;

    FRotator() = default;
    constexpr FRotator(int InPitch, int InYaw, int InRoll) : Pitch(InPitch), Yaw(InYaw), Roll(InRoll) {}
    // Pitch, yaw, roll.
    explicit FRotator(const int* V) : Pitch(V[0]), Yaw(V[1]), Roll(V[2]) {}

    bool operator==(const FRotator& R) const { return Pitch == R.Pitch && Yaw == R.Yaw && Roll == R.Roll; }
    bool operator!=(const FRotator& R) const { return !(*this == R); }

    // Componentwise in 32-bit integers, wrapping on overflow.
    FRotator operator+(const FRotator& R) const
    {
        return FRotator(Wrap(static_cast<unsigned>(Pitch) + static_cast<unsigned>(R.Pitch)),
                        Wrap(static_cast<unsigned>(Yaw) + static_cast<unsigned>(R.Yaw)),
                        Wrap(static_cast<unsigned>(Roll) + static_cast<unsigned>(R.Roll)));
    }
    FRotator operator-(const FRotator& R) const
    {
        return FRotator(Wrap(static_cast<unsigned>(Pitch) - static_cast<unsigned>(R.Pitch)),
                        Wrap(static_cast<unsigned>(Yaw) - static_cast<unsigned>(R.Yaw)),
                        Wrap(static_cast<unsigned>(Roll) - static_cast<unsigned>(R.Roll)));
    }
    FRotator& operator+=(const FRotator& R) { return *this = *this + R; }
    FRotator& operator-=(const FRotator& R) { return *this = *this - R; }
    // Each component truncate(float(component) x F), saturating at the int range.
    FRotator& operator*=(float F);
    FRotator operator*(float F) const { FRotator R(*this); return R *= F; }

    // Each component becomes its remainder after truncating division by 65536
    // (-65535..65535); returns this rotator, so R.Clamp() both changes R and gives the value.
    FRotator& Clamp()
    {
        Pitch %= 65536;
        Yaw %= 65536;
        Roll %= 65536;
        return *this;
    }

    // Rows 0, 1, 2: the rotated X, Y and Z axes (table sine and cosine).
    FMatrix ToMatrix() const;
    // Row 0 of ToMatrix: the facing direction.
    FVector3 ToVector3() const;

private:
    static constexpr int Wrap(unsigned V) { return V <= 0x7FFFFFFFu ? static_cast<int>(V) : -static_cast<int>(~V) - 1; }
};

} // namespace Tolvane
