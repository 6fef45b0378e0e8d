// FBezier: samples a cubic Bezier segment into a polyline by forward differencing.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/strings/tvArray.h"
#include "tvCore/math/tvVector.h"

namespace Tolvane {

class TVCORE_API FBezier {
public:
    FBezier() = default;
    FBezier(const FBezier&) = default;
    FBezier& operator=(const FBezier&) = default;
    virtual ~FBezier();

    // Like every library class, a new-expression allocates from GMalloc and yields null when
    // it refuses (the same functions as FFundament's).
    static void* operator new(std::size_t Size) noexcept { return FFundament::operator new(Size); }
    static void operator delete(void* Ptr) noexcept { FFundament::operator delete(Ptr); }
    static void* operator new(std::size_t, void* Where) noexcept { return Where; }
    static void operator delete(void*, void*) noexcept {}

    // Appends Steps points of the curve through the four control points Points[0..3] to Out
    // (Points[0] first, Points[3] last) and returns the length of the polyline through them.
    // Below 2 steps only Points[0] is appended and 0 returned; with a null pointer nothing is
    // appended and 0 returned.
    float Evaluate(const FVector3* Points, int Steps, TArray<FVector3>* Out);
};

} // namespace Tolvane
