// FBox: an axis-aligned box with a validity flag. An invalid box is empty: adding a point or a
// box to it makes it that point or box.
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FCoords;
class FMatrix;
class FSphere;

class TVCORE_API FBox {
public:
    // Valid, (-1, -1, -1) to (1, 1, 1).
    static const FBox UnitBox;
    // Valid, (-1e-8, -1e-8, -1e-8) to (1e-8, 1e-8, 1e-8).
    static const FBox ZeroBox;

private:
    tvULong Flags;  // bit 0: valid; no other bit is ever set

public:
    FVector3 Min, Max;

    // Invalid. Min and Max start at zero here, so that no operation ever reads indeterminate values.
    constexpr FBox() : Flags(0), Min(0.0f, 0.0f, 0.0f), Max(0.0f, 0.0f, 0.0f) {}
    // Invalid, Min = Max = (0, 0, 0).
    constexpr FBox(int) : Flags(0), Min(0.0f, 0.0f, 0.0f), Max(0.0f, 0.0f, 0.0f) {}
    // Valid.
    constexpr FBox(const FVector3& InMin, const FVector3& InMax) : Flags(1), Min(InMin), Max(InMax) {}
    // The bounds of Count points, valid even for none (then Min = Max = (0, 0, 0)). A null
    // array or a negative count counts as no points.
    FBox(const FVector3* Points, int Count);

    void Init() { Min = Max = FVector3(0.0f, 0.0f, 0.0f); Flags = 0; }
    bool IsValid() const { return (Flags & 1u) != 0; }
    void SetAsValid() { Flags = 1; }
    void SetAsInvalid() { Flags = 0; }

    FBox& operator+=(const FVector3& P);
    FBox operator+(const FVector3& P) const { FBox B(*this); return B += P; }
    // The union of two valid boxes; otherwise a copy of B.
    FBox& operator+=(const FBox& B);
    FBox operator+(const FBox& B) const { FBox R(*this); return R += B; }

    // Valid, grown by D on every side.
    FBox ExpandBy(float D) const { return FBox(Min - FVector3(D, D, D), Max + FVector3(D, D, D)); }
    FVector3 GetCenter() const { return (Min + Max) * 0.5f; }
    FVector3 GetExtent() const { return (Max - Min) * 0.5f; }
    void GetCenterAndExtents(FVector3& Center, FVector3& Extent) const
    {
        Extent = (Max - Min) * 0.5f;
        Center = Min + Extent;
    }
    FSphere GetBoundingSphere() const;

    // Strictly inside (a point on a face is outside).
    bool IsInside(const FVector3& P) const
    {
        return Min.X < P.X && P.X < Max.X && Min.Y < P.Y && P.Y < Max.Y && Min.Z < P.Z && P.Z < Max.Z;
    }
    bool IsInside2(const FVector2& P) const { return Min.X < P.X && P.X < Max.X && Min.Y < P.Y && P.Y < Max.Y; }
    // Touching boxes intersect.
    bool Intersect(const FBox& B) const
    {
        return !(Min.X > B.Max.X || B.Min.X > Max.X || Min.Y > B.Max.Y || B.Min.Y > Max.Y || Min.Z > B.Max.Z ||
                 B.Min.Z > Max.Z);
    }
    bool Intersect2D(const FBox& B) const
    {
        return !(Min.X > B.Max.X || B.Min.X > Max.X || Min.Y > B.Max.Y || B.Min.Y > Max.Y);
    }

    // The bounds of the eight transformed corners (the source's validity is not looked at).
    FBox TransformBy(const FCoords& C) const;
    FBox TransformBy(const FMatrix& M) const;

protected:
    // Min for 0, Max for any other index.
    FVector3& GetExtrema(int i) { return i == 0 ? Min : Max; }
    const FVector3& GetExtrema(int i) const { return i == 0 ? Min : Max; }
};

} // namespace Tolvane
