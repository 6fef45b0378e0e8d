// FRotator scaling and its rotation matrix from the sine table.
#include "base/tvPrelude.h"
#include "tvCore/math/tvRotator.h"
#include "tvCore/math/tvMatrix.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

FRotator& FRotator::operator*=(float F)
{
    Pitch = TruncToInt(static_cast<float>(Pitch) * F);
    Yaw = TruncToInt(static_cast<float>(Yaw) * F);
    Roll = TruncToInt(static_cast<float>(Roll) * F);
    return *this;
}

FMatrix FRotator::ToMatrix() const
{
    const float SP = TableSin(Pitch), CP = TableCos(Pitch);
    const float SY = TableSin(Yaw), CY = TableCos(Yaw);
    const float SR = TableSin(Roll), CR = TableCos(Roll);
    return FMatrix(CP * CY, CP * SY, SP, 0.0f,
                   SR * SP * CY - CR * SY, SR * SP * SY + CR * CY, -SR * CP, 0.0f,
                   -(CR * SP * CY + SR * SY), CY * SR - CR * SP * SY, CR * CP, 0.0f,
                   0.0f, 0.0f, 0.0f, 1.0f);
}

FVector3 FRotator::ToVector3() const
{
    const float SP = TableSin(Pitch), CP = TableCos(Pitch);
    const float SY = TableSin(Yaw), CY = TableCos(Yaw);
    return FVector3(CP * CY, CP * SY, SP);
}

} // namespace Tolvane
