// Number-to-text conversions of the language runtime against the standard library's own, on
// the same values in the same run, so that the ratio is what counts.
#include "platform/vb/Convert.h"
#include "platform/vb/Format.h"
#include "platform/vb/Strings.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <vector>

namespace {

std::vector<double> Amounts()
{
    std::vector<double> values;
    for (int i = 0; i < 1000; ++i) {
        values.push_back(i * 12.37 - 500.5);
    }
    return values;
}

void Baseline_ToChars(benchmark::State& state)
{
    const auto values = Amounts();
    char buffer[64];
    for (auto _ : state) {
        for (const double v : values) {
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
            benchmark::DoNotOptimize(result.ptr);
        }
    }
    state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(Baseline_ToChars);

void Vb_CStr(benchmark::State& state)
{
    const auto values = Amounts();
    for (auto _ : state) {
        for (const double v : values) {
            benchmark::DoNotOptimize(vb::CStr(v));
        }
    }
    state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(Vb_CStr);

void Baseline_Printf2Decimals(benchmark::State& state)
{
    const auto values = Amounts();
    char buffer[64];
    for (auto _ : state) {
        for (const double v : values) {
            benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.2f", v));
        }
    }
    state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(Baseline_Printf2Decimals);

void Vb_Format2Decimals(benchmark::State& state)
{
    const auto values = Amounts();
    for (auto _ : state) {
        for (const double v : values) {
            benchmark::DoNotOptimize(vb::Format(v, "0.00"));
        }
    }
    state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(Vb_Format2Decimals);

void Vb_FormatMoney(benchmark::State& state)
{
    const auto values = Amounts();
    for (auto _ : state) {
        for (const double v : values) {
            benchmark::DoNotOptimize(vb::Format(v, "#\u00A0##0,00 \"€\""));
        }
    }
    state.SetItemsProcessed(state.iterations() * values.size());
}
BENCHMARK(Vb_FormatMoney);

void Baseline_FromChars(benchmark::State& state)
{
    std::vector<std::string> texts;
    for (const double v : Amounts()) {
        char buffer[64];
        texts.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    }
    for (auto _ : state) {
        for (const std::string& t : texts) {
            double v = 0;
            std::from_chars(t.data(), t.data() + t.size(), v);
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(Baseline_FromChars);

void Vb_CDbl(benchmark::State& state)
{
    std::vector<std::string> texts;
    for (const double v : Amounts()) {
        texts.push_back(vb::CStr(v));
    }
    for (auto _ : state) {
        for (const std::string& t : texts) {
            benchmark::DoNotOptimize(vb::CDbl(t));
        }
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(Vb_CDbl);

} // namespace
