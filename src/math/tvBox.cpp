// FBox growth by points and boxes, its bounding sphere and its transformed bounds.
#include "base/tvPrelude.h"
#include "tvCore/math/tvBox.h"
#include "tvCore/math/tvCoords.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvSphere.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

const FBox FBox::UnitBox(FVector3(-1.0f, -1.0f, -1.0f), FVector3(1.0f, 1.0f, 1.0f));
const FBox FBox::ZeroBox(FVector3(-1e-8f, -1e-8f, -1e-8f), FVector3(1e-8f, 1e-8f, 1e-8f));

FBox::FBox(const FVector3* Points, int Count) : FBox(0)
{
    if (Points != nullptr)
        for (int i = 0; i < Count; ++i)
            *this += Points[i];
    SetAsValid();
}

FBox& FBox::operator+=(const FVector3& P)
{
    if (!IsValid()) {
        Min = Max = P;
        SetAsValid();
        return *this;
    }
    Min = FVector3(std::min(Min.X, P.X), std::min(Min.Y, P.Y), std::min(Min.Z, P.Z));
    Max = FVector3(std::max(Max.X, P.X), std::max(Max.Y, P.Y), std::max(Max.Z, P.Z));
    return *this;
}

FBox& FBox::operator+=(const FBox& B)
{
    if (!IsValid() || !B.IsValid())
        return *this = B;
    Min = FVector3(std::min(Min.X, B.Min.X), std::min(Min.Y, B.Min.Y), std::min(Min.Z, B.Min.Z));
    Max = FVector3(std::max(Max.X, B.Max.X), std::max(Max.Y, B.Max.Y), std::max(Max.Z, B.Max.Z));
    return *this;
}

FSphere FBox::GetBoundingSphere() const { return FSphere((Min + Max) * 0.5f, GetExtent().Size()); }

namespace {

template <typename Transform>
FBox CornerBounds(const FBox& Box, Transform Apply)
{
    FBox R;
    for (int i = 0; i < 8; ++i) {
        const FVector3 Corner((i & 1) != 0 ? Box.Max.X : Box.Min.X, (i & 2) != 0 ? Box.Max.Y : Box.Min.Y,
                              (i & 4) != 0 ? Box.Max.Z : Box.Min.Z);
        R += Apply(Corner);
    }
    return R;
}

} // namespace

FBox FBox::TransformBy(const FCoords& C) const
{
    return CornerBounds(*this, [&](const FVector3& P) { return P.TransformPointBy(C); });
}

FBox FBox::TransformBy(const FMatrix& M) const
{
    return CornerBounds(*this, [&](const FVector3& P) { return M.TransformVector3(P); });
}

} // namespace Tolvane
