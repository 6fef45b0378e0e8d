// FColor: a 32-bit colour, bytes B, G, R, A in memory, so that the four bytes read as one
// little-endian value give 0xAARRGGBB.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FVector3;
class FVector4;

class TVCORE_API FColor {
public:
    unsigned char B, G, R, A;

    static const FColor White;  // 0xFFFFFFFF
    static const FColor Black;  // 0xFF000000, opaque

    FColor() = default;
    constexpr FColor(unsigned char InR, unsigned char InG, unsigned char InB, unsigned char InA)
        : B(InB), G(InG), R(InR), A(InA) {}
    constexpr explicit FColor(tvULong Value)
        : B(static_cast<unsigned char>(Value)), G(static_cast<unsigned char>(Value >> 8)),
          R(static_cast<unsigned char>(Value >> 16)), A(static_cast<unsigned char>(Value >> 24)) {}
    // Channels of 0..1 scaled to 0..255 (floor, then clamped); A = 255.
    FColor(const FVector3& V);
    // The same, with A from W.
    FColor(const FVector4& V);

    constexpr operator tvULong() const
    {
        return static_cast<tvULong>(B) | static_cast<tvULong>(G) << 8 | static_cast<tvULong>(R) << 16 |
               static_cast<tvULong>(A) << 24;
    }
    bool operator==(const FColor& C) const { return static_cast<tvULong>(*this) == static_cast<tvULong>(C); }
    bool operator!=(const FColor& C) const { return !(*this == C); }

    // (R, G, B, A) x 0.00392.
    FVector4 ToVector4() const;

    // Per channel sum, saturated at 255.
    FColor operator+(const FColor& C) const;
    FColor& operator+=(const FColor& C);
    // Per channel product, clamped to 0..255 and truncated.
    FColor operator*(float F) const;

    // Each channel truncate((To - From) x T + From), T clamped to 0..1 (NaN counts as 0).
    static FColor Lerp(const FColor& From, const FColor& To, float T);
    // The same from this colour, in place.
    FColor& Lerp(const FColor& To, float T);

    // Bytes 0 and 2 swapped: R, G, B, A in memory.
    FColor ColorOpenGL() const { return FColor(B, G, R, A); }
    FColor RenderColor() const { return ColorOpenGL(); }
};

} // namespace Tolvane
