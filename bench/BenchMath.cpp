// The math library's hot operations against the same operations in GLM, on the same data in
// the same run: matrix product, point transform, rotator to matrix, quaternion product, slerp.
// GLM is column-major and multiplies column vectors; each pair does the same amount of work.
#if defined(TVCORE_BENCH_HAVE_GLM)

#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/gtx/euler_angles.hpp>

#include <cstring>
#include <vector>

using namespace Tolvane;

namespace {

constexpr int Items = 256;

float Value(int i, int k) { return static_cast<float>((i * 7 + k * 13) % 29) * 0.0625f - 0.9f; }

std::vector<FMatrix> Matrices(int Seed)
{
    std::vector<FMatrix> Out(Items);
    for (int i = 0; i < Items; ++i)
        for (int k = 0; k < 16; ++k)
            Out[i].M[k / 4][k % 4] = Value(i + Seed, k);
    return Out;
}

std::vector<glm::mat4> GlmMatrices(int Seed)
{
    std::vector<glm::mat4> Out(Items);
    const std::vector<FMatrix> Source = Matrices(Seed);
    for (int i = 0; i < Items; ++i)
        Out[i] = glm::make_mat4(&Source[i].M[0][0]);  // the same bytes: the transposed layout
    return Out;
}

std::vector<FQuaternion> Quaternions(int Seed)
{
    std::vector<FQuaternion> Out(Items);
    for (int i = 0; i < Items; ++i)
        Out[i] = FQuaternion::StaticRotation(FVector3(Value(i, Seed), Value(i, Seed + 1), 1.0f), (i * 977 + Seed * 31) % 65536);
    return Out;
}

std::vector<glm::quat> GlmQuaternions(int Seed)
{
    std::vector<glm::quat> Out(Items);
    const std::vector<FQuaternion> Source = Quaternions(Seed);
    for (int i = 0; i < Items; ++i)
        Out[i] = glm::quat(Source[i].W, Source[i].X, Source[i].Y, Source[i].Z);
    return Out;
}

void BM_MathMatrixProduct(benchmark::State& State)
{
    const std::vector<FMatrix> A = Matrices(1), B = Matrices(2);
    std::vector<FMatrix> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = A[i] * B[i];
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_MathMatrixProduct);

void BM_GlmMatrixProduct(benchmark::State& State)
{
    const std::vector<glm::mat4> A = GlmMatrices(1), B = GlmMatrices(2);
    std::vector<glm::mat4> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = B[i] * A[i];  // column-major: the same product as A x B on rows
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_GlmMatrixProduct);

void BM_MathTransformPoint(benchmark::State& State)
{
    const FMatrix M = Matrices(3)[5];
    std::vector<FVector3> In(Items), Out(Items);
    for (int i = 0; i < Items; ++i)
        In[i] = FVector3(Value(i, 0), Value(i, 1), Value(i, 2));
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            Out[i] = M.TransformVector3(In[i]);
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_MathTransformPoint);

void BM_GlmTransformPoint(benchmark::State& State)
{
    const glm::mat4 M = GlmMatrices(3)[5];
    std::vector<glm::vec3> In(Items), Out(Items);
    for (int i = 0; i < Items; ++i)
        In[i] = glm::vec3(Value(i, 0), Value(i, 1), Value(i, 2));
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            Out[i] = glm::vec3(M * glm::vec4(In[i], 1.0f));
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_GlmTransformPoint);

void BM_MathRotatorToMatrix(benchmark::State& State)
{
    std::vector<FRotator> In(Items);
    for (int i = 0; i < Items; ++i)
        In[i] = FRotator(i * 311, i * 523 - 40000, i * 97);
    std::vector<FMatrix> Out(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            Out[i] = In[i].ToMatrix();
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_MathRotatorToMatrix);

void BM_GlmEulerToMatrix(benchmark::State& State)
{
    const float Unit = 6.2831853f / 65536.0f;
    std::vector<glm::vec3> In(Items);
    for (int i = 0; i < Items; ++i)
        In[i] = glm::vec3(static_cast<float>(i * 523 - 40000) * Unit, static_cast<float>(i * 311) * Unit,
                          static_cast<float>(i * 97) * Unit);
    std::vector<glm::mat4> Out(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            Out[i] = glm::eulerAngleYXZ(In[i].x, In[i].y, In[i].z);
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_GlmEulerToMatrix);

void BM_MathQuaternionProduct(benchmark::State& State)
{
    const std::vector<FQuaternion> A = Quaternions(1), B = Quaternions(2);
    std::vector<FQuaternion> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = A[i] * B[i];
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_MathQuaternionProduct);

void BM_GlmQuaternionProduct(benchmark::State& State)
{
    const std::vector<glm::quat> A = GlmQuaternions(1), B = GlmQuaternions(2);
    std::vector<glm::quat> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = A[i] * B[i];
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_GlmQuaternionProduct);

void BM_MathSlerp(benchmark::State& State)
{
    const std::vector<FQuaternion> A = Quaternions(1), B = Quaternions(2);
    std::vector<FQuaternion> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = FQuaternion::StaticSlerp(A[i], B[i], static_cast<float>(i & 15) * 0.0625f);
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_MathSlerp);

void BM_GlmSlerp(benchmark::State& State)
{
    const std::vector<glm::quat> A = GlmQuaternions(1), B = GlmQuaternions(2);
    std::vector<glm::quat> R(Items);
    for (auto _ : State) {
        for (int i = 0; i < Items; ++i)
            R[i] = glm::slerp(A[i], B[i], static_cast<float>(i & 15) * 0.0625f);
        benchmark::DoNotOptimize(R.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_GlmSlerp);

} // namespace

TVCORE_BENCH_RATIO("BM_MathMatrixProduct", "BM_GlmMatrixProduct", "goal <= 1.0");
TVCORE_BENCH_RATIO("BM_MathTransformPoint", "BM_GlmTransformPoint", "goal <= 1.0");
TVCORE_BENCH_RATIO("BM_MathRotatorToMatrix", "BM_GlmEulerToMatrix", "goal <= 1.0: table lookups instead of sin/cos");
TVCORE_BENCH_RATIO("BM_MathQuaternionProduct", "BM_GlmQuaternionProduct", "goal <= 1.0");
TVCORE_BENCH_RATIO("BM_MathSlerp", "BM_GlmSlerp", "goal <= 1.0: table sines instead of sin");

#endif
