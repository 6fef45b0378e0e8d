// The vectors the math library is written in: FVector2, FVector3 and FVector4. Plain values in
// single precision; the default constructors leave the components uninitialised, so arrays of
// vectors cost nothing to create.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FCoords;
class FMatrix;
class FRotator;

class TVCORE_API FVector2 {
public:
    float X, Y;

    FVector2() = default;
    constexpr FVector2(float InX, float InY) : X(InX), Y(InY) {}
    explicit FVector2(const float* V) : X(V[0]), Y(V[1]) {}

    FVector2 operator+(const FVector2& V) const { return FVector2(X + V.X, Y + V.Y); }
    FVector2 operator-(const FVector2& V) const { return FVector2(X - V.X, Y - V.Y); }
    FVector2 operator-() const { return FVector2(-X, -Y); }
    FVector2 operator+() const { return *this; }
    FVector2 operator*(float S) const { return FVector2(X * S, Y * S); }
    FVector2 operator/(float S) const { const float R = 1.0f / S; return FVector2(X * R, Y * R); }
    friend FVector2 operator*(float S, const FVector2& V) { return V * S; }

    FVector2& operator+=(const FVector2& V) { X += V.X; Y += V.Y; return *this; }
    FVector2& operator-=(const FVector2& V) { X -= V.X; Y -= V.Y; return *this; }
    FVector2& operator*=(float S) { X *= S; Y *= S; return *this; }
    FVector2& operator/=(float S) { const float R = 1.0f / S; X *= R; Y *= R; return *this; }

    bool operator==(const FVector2& V) const { return X == V.X && Y == V.Y; }
    bool operator!=(const FVector2& V) const { return !(*this == V); }

    // The components as an array of two, starting at X.
    operator float*() { return &X; }
    operator const float*() const { return &X; }
};

class TVCORE_API FVector3 {
public:
    float X, Y, Z;

    static const FVector3 Zero;

    FVector3() = default;
    constexpr FVector3(float InX, float InY, float InZ) : X(InX), Y(InY), Z(InZ) {}
    explicit FVector3(const float* V) : X(V[0]), Y(V[1]), Z(V[2]) {}

    FVector3 operator+(const FVector3& V) const { return FVector3(X + V.X, Y + V.Y, Z + V.Z); }
    FVector3 operator-(const FVector3& V) const { return FVector3(X - V.X, Y - V.Y, Z - V.Z); }
    FVector3 operator-() const { return FVector3(-X, -Y, -Z); }
    FVector3 operator+() const { return *this; }
    FVector3 operator*(float S) const { return FVector3(X * S, Y * S, Z * S); }
    // Component product.
    FVector3 operator*(const FVector3& V) const { return FVector3(X * V.X, Y * V.Y, Z * V.Z); }
    // One reciprocal, three products.
    FVector3 operator/(float S) const { const float R = 1.0f / S; return FVector3(X * R, Y * R, Z * R); }
    friend FVector3 operator*(float S, const FVector3& V) { return V * S; }

    FVector3& operator+=(const FVector3& V) { X += V.X; Y += V.Y; Z += V.Z; return *this; }
    FVector3& operator-=(const FVector3& V) { X -= V.X; Y -= V.Y; Z -= V.Z; return *this; }
    FVector3& operator*=(float S) { X *= S; Y *= S; Z *= S; return *this; }
    FVector3& operator*=(const FVector3& V) { X *= V.X; Y *= V.Y; Z *= V.Z; return *this; }
    FVector3& operator/=(float S) { const float R = 1.0f / S; X *= R; Y *= R; Z *= R; return *this; }

    // Dot product.
    float operator|(const FVector3& V) const { return X * V.X + Y * V.Y + Z * V.Z; }
    // Cross product.
    FVector3 operator^(const FVector3& V) const
    {
        return FVector3(Y * V.Z - Z * V.Y, Z * V.X - X * V.Z, X * V.Y - Y * V.X);
    }

    // Exact comparison of all three components.
    bool operator==(const FVector3& V) const { return X == V.X && Y == V.Y && Z == V.Z; }
    bool operator!=(const FVector3& V) const { return !(*this == V); }

    float Size() const;
    float SizeSquared() const { return X * X + Y * Y + Z * Z; }
    float Size2D() const;
    float Size2DSquared() const { return X * X + Y * Y; }
    float GetMax() const;
    float GetMin() const;
    float GetAbsMax() const;

    bool IsZero() const { return X == 0.0f && Y == 0.0f && Z == 0.0f; }
    // |X|, |Y| and |Z| all below 0.0001.
    bool IsNearlyZero() const;

    // Scales to unit length unless the squared length is below 1e-8 (then unchanged).
    FVector3& Normalize();
    // The unit copy, or (0, 0, 0) when the squared length is below 1e-8.
    FVector3 SafeNormal() const;
    // A coordinate axis that is not nearly parallel to this vector.
    FVector3 GetNonParallel() const;
    // The reflection v - n x 2(v . n) in the plane with unit normal n.
    FVector3 MirrorByVector(const FVector3& N) const;
    // Rotation about a unit axis by a table angle (65536 units a turn). The axis is used as
    // given: it is not normalised.
    FVector3 RotateAngleAxis(int Angle, const FVector3& Axis) const;

    // Into the frame's space: the offset from its origin projected on its axes.
    FVector3 TransformPointBy(const FCoords& C) const;
    FVector3 TransformVectorBy(const FCoords& C) const;
    // Back out of the frame's space (the axes taken as columns), without the origin.
    FVector3 TransformVectorByTranspose(const FCoords& C) const;

    // Yaw and pitch of the direction, roll 0; angles truncated toward zero.
    FRotator ToRotator() const;
    FMatrix ToTranslationMatrix() const;
    FMatrix ToScaleMatrix() const;
};

class TVCORE_API FVector4 {
public:
    float X, Y, Z, W;

    FVector4() = default;
    constexpr FVector4(float InX, float InY, float InZ, float InW) : X(InX), Y(InY), Z(InZ), W(InW) {}
    constexpr FVector4(const FVector3& V, float InW) : X(V.X), Y(V.Y), Z(V.Z), W(InW) {}
    explicit FVector4(const float* V) : X(V[0]), Y(V[1]), Z(V[2]), W(V[3]) {}

    FVector4 operator+(const FVector4& V) const { return FVector4(X + V.X, Y + V.Y, Z + V.Z, W + V.W); }
    FVector4 operator-(const FVector4& V) const { return FVector4(X - V.X, Y - V.Y, Z - V.Z, W - V.W); }
    FVector4 operator-() const { return FVector4(-X, -Y, -Z, -W); }
    FVector4 operator+() const { return *this; }
    FVector4 operator*(float S) const { return FVector4(X * S, Y * S, Z * S, W * S); }
    FVector4 operator/(float S) const
    {
        const float R = 1.0f / S;
        return FVector4(X * R, Y * R, Z * R, W * R);
    }
    friend FVector4 operator*(float S, const FVector4& V) { return V * S; }

    FVector4& operator+=(const FVector4& V) { X += V.X; Y += V.Y; Z += V.Z; W += V.W; return *this; }
    FVector4& operator-=(const FVector4& V) { X -= V.X; Y -= V.Y; Z -= V.Z; W -= V.W; return *this; }
    FVector4& operator*=(float S) { X *= S; Y *= S; Z *= S; W *= S; return *this; }
    FVector4& operator/=(float S) { const float R = 1.0f / S; X *= R; Y *= R; Z *= R; W *= R; return *this; }

    bool operator==(const FVector4& V) const { return X == V.X && Y == V.Y && Z == V.Z && W == V.W; }
    bool operator!=(const FVector4& V) const { return !(*this == V); }

    // Over all four components, with the same 1e-8 threshold as FVector3::Normalize.
    FVector4& Normalize();
    FVector3 Vector3Value() const { return FVector3(X, Y, Z); }
};

} // namespace Tolvane
