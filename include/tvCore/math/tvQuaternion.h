// FQuaternion: a rotation as X, Y, Z (the vector part u) and W (the scalar part), and the free
// functions that build one from two directions or turn one into a matrix.
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FMatrix;
class FRotator;

class TVCORE_API FQuaternion {
public:
    float X, Y, Z, W;

    FQuaternion() = default;
    constexpr FQuaternion(float InX, float InY, float InZ, float InW) : X(InX), Y(InY), Z(InZ), W(InW) {}

    // The Hamilton product a . b.
    FQuaternion operator*(const FQuaternion& B) const
    {
        return FQuaternion(X * B.W + B.X * W + Y * B.Z - Z * B.Y,
                           Y * B.W + B.Y * W + Z * B.X - B.Z * X,
                           Z * B.W + B.Z * W + X * B.Y - Y * B.X,
                           W * B.W - X * B.X - Y * B.Y - Z * B.Z);
    }
    // a . conjugate(b).
    FQuaternion operator/(const FQuaternion& B) const { return *this * B.SafeConjugate(); }
    // A mixed product kept for callers that use it: X and W as the Hamilton product, the
    // cross-product term of Y reversed and Z = aW.bZ - aZ.bW + aX.bY + bX.aY. It composes no
    // rotations (use operator* for that).
    FQuaternion operator^(const FQuaternion& B) const
    {
        return FQuaternion(X * B.W + B.X * W + Y * B.Z - Z * B.Y,
                           Y * B.W + B.Y * W - Z * B.X + B.Z * X,
                           B.Z * W - Z * B.W + X * B.Y + B.X * Y,
                           W * B.W - X * B.X - Y * B.Y - Z * B.Z);
    }

    bool operator==(const FQuaternion& Q) const { return X == Q.X && Y == Q.Y && Z == Q.Z && W == Q.W; }
    bool operator!=(const FQuaternion& Q) const { return !(*this == Q); }

    // Negates the vector part in place.
    FQuaternion& Conjugate() { X = -X; Y = -Y; Z = -Z; return *this; }
    FQuaternion SafeConjugate() const { return FQuaternion(-X, -Y, -Z, W); }
    // Unit length and 1; (0, 0, 0, 1) and 0 when the squared length is below 1e-8.
    int Normalize();
    FQuaternion SafeNormal() const;

    // The turn by a table angle about an axis (normalised here). A zero axis gives
    // (0, 0, 0, cos(angle/2)), as the formula does.
    FQuaternion& Rotation(const FVector3& Axis, int Angle);
    static FQuaternion StaticRotation(const FVector3& Axis, int Angle);
    // Reads this as (axis, angle in radians in W) and gives the rotation; the axis is used as given.
    FQuaternion AngAxisToFQuat() const;
    // (axis, angle in radians); (0, 0, 1, 0) when there is no rotation axis.
    FQuaternion FQuatToAngAxis() const;
    // (Roll x Pitch) x Yaw: roll about X, pitch about Y, yaw about -Z.
    FQuaternion& FromRotator(const FRotator& R);
    static FQuaternion StaticFromRotator(const FRotator& R);
    // From the upper 3x3 of a rotation matrix (the layout of ToMatrix); W is never negative.
    FQuaternion& FromMatrix(const FMatrix& M);
    static FQuaternion StaticFromMatrix(const FMatrix& M);

    // Rows (1 - 2(Y^2 + Z^2), 2(XY - WZ), 2(XZ + WY)), ... : the rotation acting on columns.
    FMatrix ToMatrix() const;
    // q v q* for a unit q.
    FVector3 RotateVector(const FVector3& V) const;
    // The vector part of conjugate(q) . (v, 1) . q.
    FVector3 TransformVector3(const FVector3& V) const;
    // The rotation axis u / sqrt(1 - W^2); (0, 0, 0) when W^2 reaches 1.
    FVector3 ToVector3() const;
    FVector3 Vector3Value() const { return FVector3(X, Y, Z); }
    FRotator ToRotator() const;

    // From a to b by the angle t (0 gives a, 1 gives b) the short way; linear when the two are
    // within 1 - 0.001 of each other. The result is not renormalised.
    static FQuaternion StaticSlerp(const FQuaternion& A, const FQuaternion& B, float T);
    FQuaternion& Slerp(const FQuaternion& A, const FQuaternion& B, float T);

    // The shortest rotation that carries the direction From onto the direction To.
    FQuaternion& QuaternionAxisToAxis(const FVector3& From, const FVector3& To);
    static FQuaternion StaticQuaternionAxisToAxis(const FVector3& From, const FVector3& To);
};

// The shortest rotation carrying From onto To (both normalised first). Returns Out; null, with
// nothing written, when any pointer is null.
TVCORE_API FQuaternion* QuaternionAxisToAxis(FQuaternion* Out, const FVector3* From, const FVector3* To);
// The same for unit directions (not normalised again).
TVCORE_API FQuaternion* QuaternionUnitAxisToUnitAxis(FQuaternion* Out, const FVector3* From, const FVector3* To);
// The rotation of Q as a row-vector matrix (the transpose of FQuaternion::ToMatrix) in the
// upper 3x3, identity elsewhere. Returns Out; null, with nothing written, when a pointer is null.
TVCORE_API FMatrix* QuaternionToMatrix(FMatrix* Out, const FQuaternion* Q);

} // namespace Tolvane
