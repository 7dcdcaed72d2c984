// How long encoding and decoding a whole configuration takes, for the factory record and
// for the largest one (15 extension blocks, the longest comments a file can hold).
#include "files/format.h"
#include "image/image.h"
#include "model/defaults.h"

#include <benchmark/benchmark.h>

namespace {

tk::Configuration record(bool largest) {
    tk::Configuration cfg;
    tk::setdefault(cfg);
    if (largest) {
        cfg.Inputs[64].Flags |= 1;
        cfg.Comments.assign(1000, std::string(24, 'c'));
    }
    return cfg;
}

void EncodeImage(benchmark::State& state) {
    tk::Configuration cfg = record(state.range(0) != 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tk::EncodeImage(cfg));
    }
}
BENCHMARK(EncodeImage)->Arg(0)->Arg(1);

void DecodeImage(benchmark::State& state) {
    tk::Configuration cfg = record(state.range(0) != 0);
    const auto image = tk::EncodeImage(cfg);
    for (auto _ : state) {
        tk::Configuration out;
        tk::DecodeImage(out, image, cfg.ExtBlocksCount);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(DecodeImage)->Arg(0)->Arg(1);

void WriteAndReadFile(benchmark::State& state) {
    tk::Configuration cfg = record(state.range(0) != 0);
    std::vector<std::uint8_t> file;
    for (auto _ : state) {
        tk::wrfile(cfg, file);
        tk::Configuration out;
        benchmark::DoNotOptimize(tk::refile(out, file));
    }
}
BENCHMARK(WriteAndReadFile)->Arg(0)->Arg(1);

} // namespace
