// FColor conversions and channel arithmetic, each channel clamped to 0..255 before it becomes
// a byte (NaN counts as 0), so no conversion can overflow.
#include "base/tvPrelude.h"
#include "tvCore/math/tvColor.h"
#include "tvCore/math/tvVector.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

const FColor FColor::White(0xFFFFFFFFu);
const FColor FColor::Black(0xFF000000u);

namespace {

// A float channel value clamped to 0..255 and truncated.
unsigned char ClampToByte(float F)
{
    if (!(F > 0.0f))
        return 0;
    if (F >= 255.0f)
        return 255;
    return static_cast<unsigned char>(F);
}

// A 0..1 channel scaled to 0..255: floor first, then clamped.
unsigned char UnitToByte(float F) { return ClampToByte(std::floor(F * 255.0f)); }

float Clamp01(float T)
{
    if (!(T > 0.0f))
        return 0.0f;
    return T > 1.0f ? 1.0f : T;
}

unsigned char LerpChannel(unsigned char From, unsigned char To, float T)
{
    const float F = static_cast<float>(From);
    return ClampToByte((static_cast<float>(To) - F) * T + F);
}

unsigned char SaturatedSum(unsigned char L, unsigned char R)
{
    const int Sum = L + R;
    return static_cast<unsigned char>(Sum > 255 ? 255 : Sum);
}

} // namespace

FColor::FColor(const FVector3& V) : B(UnitToByte(V.Z)), G(UnitToByte(V.Y)), R(UnitToByte(V.X)), A(255) {}

FColor::FColor(const FVector4& V) : B(UnitToByte(V.Z)), G(UnitToByte(V.Y)), R(UnitToByte(V.X)), A(UnitToByte(V.W)) {}

FVector4 FColor::ToVector4() const
{
    return FVector4(static_cast<float>(R) * ByteToUnit, static_cast<float>(G) * ByteToUnit,
                    static_cast<float>(B) * ByteToUnit, static_cast<float>(A) * ByteToUnit);
}

FColor FColor::operator+(const FColor& C) const
{
    return FColor(SaturatedSum(R, C.R), SaturatedSum(G, C.G), SaturatedSum(B, C.B), SaturatedSum(A, C.A));
}

FColor& FColor::operator+=(const FColor& C) { return *this = *this + C; }

FColor FColor::operator*(float F) const
{
    return FColor(ClampToByte(static_cast<float>(R) * F), ClampToByte(static_cast<float>(G) * F),
                  ClampToByte(static_cast<float>(B) * F), ClampToByte(static_cast<float>(A) * F));
}

FColor FColor::Lerp(const FColor& From, const FColor& To, float T)
{
    const float U = Clamp01(T);
    return FColor(LerpChannel(From.R, To.R, U), LerpChannel(From.G, To.G, U), LerpChannel(From.B, To.B, U),
                  LerpChannel(From.A, To.A, U));
}

FColor& FColor::Lerp(const FColor& To, float T) { return *this = Lerp(*this, To, T); }

} // namespace Tolvane
