// Cubic Bezier sampling by forward differences: three additions and one square root per step.
#include "base/tvPrelude.h"
#include "tvCore/math/tvBezier.h"

namespace Tolvane {

FBezier::~FBezier() = default;

float FBezier::Evaluate(const FVector3* Points, int Steps, TArray<FVector3>* Out)
{
    if (Points == nullptr || Out == nullptr)
        return 0.0f;
    const FVector3 &P0 = Points[0], &P1 = Points[1], &P2 = Points[2], &P3 = Points[3];
    Out->AddItem(P0);
    if (Steps < 2)
        return 0.0f;

    const float H = 1.0f / static_cast<float>(Steps - 1);
    const float H2 = H * H, H3 = H2 * H;
    const FVector3 A = -P0 + P1 * 3.0f - P2 * 3.0f + P3;
    const FVector3 B = P0 * 3.0f - P1 * 6.0f + P2 * 3.0f;
    const FVector3 C = (P1 - P0) * 3.0f;
    FVector3 D1 = A * H3 + B * H2 + C * H;
    FVector3 D2 = A * (6.0f * H3) + B * (2.0f * H2);
    const FVector3 D3 = A * (6.0f * H3);

    FVector3 P = P0;
    float Length = 0.0f;
    for (int i = 1; i < Steps; ++i) {
        const FVector3 Previous = P;
        P += D1;
        D1 += D2;
        D2 += D3;
        Out->AddItem(P);
        Length += (P - Previous).Size();
    }
    return Length;
}

} // namespace Tolvane
