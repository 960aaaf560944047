// What an operator waits for at a login or a special check: one Argon2id
// digest of the typed password against the stored one (at most 0.3 s),
// and once, for a row stored before Argon2id, the rewrite with a new one.
#include "db/Password.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_LoginDigest(benchmark::State& state)
{
    const QString stored = Password::digest(QStringLiteral("quorvy"));
    for (auto _ : state)
        benchmark::DoNotOptimize(Password::matches(QStringLiteral(" Quorvy "), stored));
}

void BM_NewDigest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Password::digest(QStringLiteral("quorvy")));
}

void BM_OlderDigest(benchmark::State& state)
{
    const QString stored = QStringLiteral(
        "pbkdf2-sha256$20000$6345c99a86f3b970dea4ae99f63eac69$aaf220d414787da91c20eff3634cc00da7cbb0f4638b771d838a05960cfacbe4");
    for (auto _ : state)
        benchmark::DoNotOptimize(Password::matches(QStringLiteral("quorvy"), stored));
}

BENCHMARK(BM_LoginDigest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_NewDigest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_OlderDigest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
