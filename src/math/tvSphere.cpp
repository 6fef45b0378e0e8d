// FSphere transformed by a matrix: the radius grows with the matrix's largest row scale.
#include "base/tvPrelude.h"
#include "tvCore/math/tvSphere.h"
#include "tvCore/math/tvMatrix.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

// Constant-initialised, so the centre equals FVector3::Zero from the moment of loading.
const FSphere FSphere::UnitSphere(FVector3(0.0f, 0.0f, 0.0f), 1.0f);

FSphere FSphere::TransformBy(const FMatrix& M) const
{
    const FVector3 Center = M.TransformVector3(GetCenter());
    const float Largest = std::max(std::max(M.GetAxis(0).SizeSquared(), M.GetAxis(1).SizeSquared()), M.GetAxis(2).SizeSquared());
    return FSphere(Center, W * std::sqrt(Largest));
}

} // namespace Tolvane
