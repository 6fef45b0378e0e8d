// FMatrix: a 4x4 matrix stored row by row (M[r][c]), multiplying row vectors from the left:
// v x (A x B) applies A first, and a translation lives in row 3.
#pragma once

#include "tvCore/math/tvVector.h"

#include <cstring>

namespace Tolvane {

class FCoords;
class FPlane;
class FRotator;

class TVCORE_API FMatrix {
public:
    float M[4][4];

    static const FMatrix Identity;

    FMatrix() = default;
    constexpr FMatrix(float M00, float M01, float M02, float M03, float M10, float M11, float M12, float M13,
                      float M20, float M21, float M22, float M23, float M30, float M31, float M32, float M33)
        : M{{M00, M01, M02, M03}, {M10, M11, M12, M13}, {M20, M21, M22, M23}, {M30, M31, M32, M33}} {}
    // Sixteen floats, row by row.
    explicit FMatrix(const float* V) { std::memcpy(M, V, sizeof M); }
    // Four rows.
    constexpr FMatrix(const FVector4& R0, const FVector4& R1, const FVector4& R2, const FVector4& R3)
        : M{{R0.X, R0.Y, R0.Z, R0.W}, {R1.X, R1.Y, R1.Z, R1.W}, {R2.X, R2.Y, R2.Z, R2.W}, {R3.X, R3.Y, R3.Z, R3.W}} {}

    // Bit for bit, as 32-bit patterns: 0 and -0 differ, a NaN equals the same NaN.
    bool operator==(const FMatrix& B) const { return std::memcmp(M, B.M, sizeof M) == 0; }
    bool operator!=(const FMatrix& B) const { return !(*this == B); }

    FMatrix operator+(const FMatrix& B) const;
    FMatrix operator-(const FMatrix& B) const;
    FMatrix operator-() const;
    FMatrix operator*(float S) const;
    // Multiplies by the reciprocal.
    FMatrix operator/(float S) const { return *this * (1.0f / S); }
    FMatrix& operator+=(const FMatrix& B) { return *this = *this + B; }
    FMatrix& operator-=(const FMatrix& B) { return *this = *this - B; }
    FMatrix& operator*=(float S) { return *this = *this * S; }
    FMatrix& operator/=(float S) { return *this = *this / S; }

    // The ordinary product, R[r][c] = sum over k of M[r][k] x B[k][c].
    FMatrix operator*(const FMatrix& B) const
    {
        // Row r of the result is a combination of B's rows: the inner loop runs along a row,
        // which the compiler turns into four-wide arithmetic.
        FMatrix R;
        for (int r = 0; r < 4; ++r) {
            const float A0 = M[r][0], A1 = M[r][1], A2 = M[r][2], A3 = M[r][3];
            for (int c = 0; c < 4; ++c)
                R.M[r][c] = A0 * B.M[0][c] + A1 * B.M[1][c] + A2 * B.M[2][c] + A3 * B.M[3][c];
        }
        return R;
    }
    FMatrix& operator*=(const FMatrix& B) { return *this = *this * B; }

    // v x M with all four components.
    FVector4 TransformVector4(const FVector4& V) const
    {
        return FVector4(V.X * M[0][0] + V.Y * M[1][0] + V.Z * M[2][0] + V.W * M[3][0],
                        V.X * M[0][1] + V.Y * M[1][1] + V.Z * M[2][1] + V.W * M[3][1],
                        V.X * M[0][2] + V.Y * M[1][2] + V.Z * M[2][2] + V.W * M[3][2],
                        V.X * M[0][3] + V.Y * M[1][3] + V.Z * M[2][3] + V.W * M[3][3]);
    }
    // (x, y, z, 1) x M, keeping x, y, z (no division by w).
    FVector3 TransformVector3(const FVector3& V) const
    {
        return FVector3(V.X * M[0][0] + V.Y * M[1][0] + V.Z * M[2][0] + M[3][0],
                        V.X * M[0][1] + V.Y * M[1][1] + V.Z * M[2][1] + M[3][1],
                        V.X * M[0][2] + V.Y * M[1][2] + V.Z * M[2][2] + M[3][2]);
    }
    // (x, y, z, 0) x M.
    FVector3 TransformNormal(const FVector3& V) const
    {
        return FVector3(V.X * M[0][0] + V.Y * M[1][0] + V.Z * M[2][0],
                        V.X * M[0][1] + V.Y * M[1][1] + V.Z * M[2][1],
                        V.X * M[0][2] + V.Y * M[1][2] + V.Z * M[2][2]);
    }

    // Row i (0..3), first three elements.
    FVector3 GetAxis(int i) const { return FVector3(M[i & 3][0], M[i & 3][1], M[i & 3][2]); }
    FVector3 GetOrigin() const { return FVector3(M[3][0], M[3][1], M[3][2]); }

    [[nodiscard]] FMatrix Transpose() const;
    // By cofactor expansion along row 0.
    float Determinant() const;
    // The adjugate over the determinant; the identity when the determinant is exactly 0.
    [[nodiscard]] FMatrix Inverse() const;
    // Cofactors of the upper 3x3 in the upper 3x3 (the rows' cross products), identity elsewhere.
    [[nodiscard]] FMatrix TransposeAdjoint() const;

    // Origin from row 3, the axes from columns 0, 1 and 2.
    FCoords Coords() const;
    // Pitch, yaw and roll of the rotation in the upper 3x3, rounded to the nearest unit.
    FRotator ToRotator() const;

    // The clip planes of a projection matrix, built with MakeFrustumPlane from its columns.
    int GetFrustumNearPlane(FPlane& Out) const;
    int GetFrustumFarPlane(FPlane& Out) const;
    int GetFrustumLeftPlane(FPlane& Out) const;
    int GetFrustumRightPlane(FPlane& Out) const;
    int GetFrustumBottomPlane(FPlane& Out) const;
    int GetFrustumTopPlane(FPlane& Out) const;
    // Out = (-a, -b, -c, d) / |(a, b, c)| and 1; 0 with Out untouched when a^2 + b^2 + c^2 is
    // not above 1e-8.
    int MakeFrustumPlane(float A, float B, float C, float D, FPlane& Out) const;
};

} // namespace Tolvane
