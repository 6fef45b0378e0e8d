// The math section: a camera-like frame from a rotator, the same turn as a matrix and as a
// quaternion, bounds of a transformed box and a sampled curve.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cmath>
#include <cstdio>

using namespace Tolvane;

namespace {

bool Near(const FVector3& A, const FVector3& B, float Tol)
{
    return std::fabs(A.X - B.X) <= Tol && std::fabs(A.Y - B.Y) <= Tol && std::fabs(A.Z - B.Z) <= Tol;
}

} // namespace

void DemoMath()
{
    std::printf("Math\n");
    const FRotator View(2048, 16384, 0);  // a quarter turn of yaw, a little pitch
    const FVector3 Facing = View.ToVector3();
    std::printf("  rotator (%d, %d, %d) faces (%.4f, %.4f, %.4f)\n", View.Pitch, View.Yaw, View.Roll,
                static_cast<double>(Facing.X), static_cast<double>(Facing.Y), static_cast<double>(Facing.Z));
    DemoCheck(Near(Facing, FVector3(0, 0.9808f, 0.1951f), 1e-3f), "the rotator faces along +Y, tilted up 11.25 degrees");

    const FMatrix M = View.ToMatrix();
    const FQuaternion Q = FQuaternion::StaticFromRotator(View);
    const FMatrix FromQ = Q.ToMatrix();
    DemoCheck(Near(FromQ.GetAxis(0), M.GetAxis(0), 1e-5f) && Near(FromQ.GetAxis(1), M.GetAxis(1), 1e-5f) &&
                  Near(FromQ.GetAxis(2), M.GetAxis(2), 1e-5f),
              "the rotator's quaternion gives the rotator's matrix");
    DemoCheck(M.ToRotator() == View, "the matrix gives its rotator back");
    DemoCheck(Near((M * M.Inverse()).GetAxis(0), FVector3(1, 0, 0), 1e-5f), "a matrix times its inverse is the identity");

    const FBox Turned = FBox::UnitBox.TransformBy(M * FVector3(10, 0, 0).ToTranslationMatrix());
    std::printf("  unit box turned and moved: (%.2f, %.2f, %.2f) to (%.2f, %.2f, %.2f)\n", static_cast<double>(Turned.Min.X),
                static_cast<double>(Turned.Min.Y), static_cast<double>(Turned.Min.Z), static_cast<double>(Turned.Max.X),
                static_cast<double>(Turned.Max.Y), static_cast<double>(Turned.Max.Z));
    DemoCheck(Turned.IsValid() && Turned.IsInside(FVector3(10, 0, 0)), "the turned box holds its moved centre");

    const FVector3 Control[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    TArray<FVector3> Points;
    const float Length = FBezier().Evaluate(Control, 65, &Points);
    std::printf("  Bezier arch sampled at %d points, length %.4f\n", Points.Num(), static_cast<double>(Length));
    DemoCheck(Points.Num() == 65 && Near(Points[64], Control[3], 1e-4f), "the curve ends on its last control point");
    DemoCheck(Length > 1.9f && Length < 2.1f, "the arch is about twice its width long");
}
