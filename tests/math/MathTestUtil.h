// Comparisons of math values within a stated tolerance, reporting every component.
#pragma once

#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cmath>

namespace MathTest {

inline ::testing::AssertionResult Near3(const Tolvane::FVector3& A, const Tolvane::FVector3& B, float Tol)
{
    if (std::fabs(A.X - B.X) <= Tol && std::fabs(A.Y - B.Y) <= Tol && std::fabs(A.Z - B.Z) <= Tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << A.X << ", " << A.Y << ", " << A.Z << ") vs (" << B.X << ", "
                                         << B.Y << ", " << B.Z << ") beyond " << Tol;
}

inline ::testing::AssertionResult NearQ(const Tolvane::FQuaternion& A, const Tolvane::FQuaternion& B, float Tol)
{
    if (std::fabs(A.X - B.X) <= Tol && std::fabs(A.Y - B.Y) <= Tol && std::fabs(A.Z - B.Z) <= Tol &&
        std::fabs(A.W - B.W) <= Tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << A.X << ", " << A.Y << ", " << A.Z << ", " << A.W << ") vs ("
                                         << B.X << ", " << B.Y << ", " << B.Z << ", " << B.W << ") beyond " << Tol;
}

inline ::testing::AssertionResult NearM(const Tolvane::FMatrix& A, const Tolvane::FMatrix& B, float Tol)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(A.M[r][c] - B.M[r][c]) <= Tol))
                return ::testing::AssertionFailure() << "element [" << r << "][" << c << "]: " << A.M[r][c] << " vs "
                                                     << B.M[r][c] << " beyond " << Tol;
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult NearRot(const Tolvane::FRotator& A, const Tolvane::FRotator& B, int Tol)
{
    if (std::abs(A.Pitch - B.Pitch) <= Tol && std::abs(A.Yaw - B.Yaw) <= Tol && std::abs(A.Roll - B.Roll) <= Tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << A.Pitch << ", " << A.Yaw << ", " << A.Roll << ") vs (" << B.Pitch
                                         << ", " << B.Yaw << ", " << B.Roll << ") beyond " << Tol << " units";
}

// A vector (x, y, 0) whose squared length, as the library sums it, is exactly the float 1e-8:
// the edge of the "nearly zero length" thresholds. (0, 0, 0) if none was found.
inline Tolvane::FVector3 VectorAtSmallSquaredEdge()
{
    for (float X = 5e-5f; X < 7e-5f; X = std::nextafter(X, 1.0f)) {
        const float Y = std::sqrt(1e-8f - X * X);
        for (const float Candidate : {std::nextafter(Y, 0.0f), Y, std::nextafter(Y, 1.0f)}) {
            // One rounding per operation, as the library computes it at run time: separate
            // statements keep the compiler from fusing the products into the sum.
            const float XX = X * X;
            const float YY = Candidate * Candidate;
            const float Sum = XX + YY;
            if (Sum == 1e-8f)
                return Tolvane::FVector3(X, Candidate, 0);
        }
    }
    return Tolvane::FVector3(0, 0, 0);
}

// Rotators that exercise every angle, both signs and more than a turn.
inline const Tolvane::FRotator SampleRotators[] = {
    {0, 0, 0}, {2000, 5000, 3000}, {-4000, 12000, -7000}, {0, 16384, 0}, {8000, 0, 0}, {0, 0, 9000},
    {-12000, -30000, 20000}, {10000, 40000, -15000},
};

} // namespace MathTest
