// FNurbsCurve editing, knot generation and evaluation by the Cox-de Boor recursion.
#include "base/tvPrelude.h"
#include "tvCore/math/tvNurbsCurve.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

void FNurbsCurve::Reset()
{
    ControlPoints.RemoveAll();
    Weights.RemoveAll();
    Knots.RemoveAll();
    MaxDegree = 1;
}

int FNurbsCurve::SetMaxDegree(int Degree)
{
    if (Degree < 0)
        return 0;
    MaxDegree = Degree;
    return 1;
}

int FNurbsCurve::Resolve(int Index) const
{
    const int Last = ControlPoints.Num() - 1;
    if (Index == -1)
        return Last;
    return Index >= 0 && Index <= Last ? Index : -1;
}

int FNurbsCurve::AddControlPoint(const FVector3& Point, float Weight, int Index)
{
    const int Count = ControlPoints.Num();
    const int At = Index == -1 ? Count : Index;
    if (At < 0 || At > Count)
        return 0;
    if (!ControlPoints.InsertAt(At, Point))
        return 0;
    if (!Weights.InsertAt(At, Weight)) {
        ControlPoints.RemoveAt(At);  // keep the two arrays the same length
        return 0;
    }
    return 1;
}

int FNurbsCurve::ChangeControlPoint(const FVector3& Point, float Weight, int Index)
{
    const int At = Resolve(Index);
    if (At < 0)
        return 0;
    ControlPoints[At] = Point;
    Weights[At] = Weight;
    return 1;
}

int FNurbsCurve::GetControlPoint(int Index, FVector3& Point, float& Weight) const
{
    const int At = Resolve(Index);
    if (At < 0)
        return 0;
    Point = ControlPoints[At];
    Weight = Weights[At];
    return 1;
}

int FNurbsCurve::RemoveControlPoint(int Index)
{
    const int At = Resolve(Index);
    if (At < 0)
        return 0;
    ControlPoints.RemoveAt(At);
    Weights.RemoveAt(At);
    return 1;
}

void FNurbsCurve::Initial()
{
    const int Count = ControlPoints.Num();
    Knots.RemoveAll();
    Knots.ReserveSpace(2 * (MaxDegree + 1) + Count - 1);
    for (int i = 0; i <= MaxDegree; ++i)
        Knots.AddItem(0.0f);
    for (int i = 1; i < Count; ++i)
        Knots.AddItem(static_cast<float>(i));
    for (int i = 0; i <= MaxDegree; ++i)
        Knots.AddItem(static_cast<float>(Count));
}

float FNurbsCurve::CalcBasis(int i, int k, float T) const
{
    if (k == 0)
        return Knots[i] <= T && T < Knots[i + 1] ? 1.0f : 0.0f;
    // Repeated knots make a span empty; its basis value is 0 and so is its term.
    float Left = 0.0f;
    const float A = CalcBasis(i, k - 1, T);
    if (A > SlerpLinear && Knots[i + k] != Knots[i])
        Left = (T - Knots[i]) * A / (Knots[i + k] - Knots[i]);
    float Right = 0.0f;
    const float B = CalcBasis(i + 1, k - 1, T);
    if (B > SlerpLinear && Knots[i + k + 1] != Knots[i + 1])
        Right = (Knots[i + k + 1] - T) / (Knots[i + k + 1] - Knots[i + 1]) * B;
    return Left + Right;
}

FVector3 FNurbsCurve::Evaluate(float T) const
{
    const int Count = ControlPoints.Num();
    FVector3 Point(0.0f, 0.0f, 0.0f);
    // The recursion reads knots up to index count + degree: knots built for fewer points or a
    // lower degree would be read past their end.
    if (Knots.Num() < Count + MaxDegree + 1)
        return Point;
    float Sum = 0.0f;
    for (int i = 0; i < Count; ++i) {
        const float B = CalcBasis(i, MaxDegree, T) * Weights[i];
        Sum += B;
        Point += ControlPoints[i] * B;
    }
    if (Sum != 0.0f)
        Point *= 1.0f / Sum;
    return Point;
}

} // namespace Tolvane
