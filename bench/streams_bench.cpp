#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/io/c_stream.h"
#include "platform/io/memory_stream.h"

namespace {

// Typed writes as the map saver issues them: one call per value.
void BM_MemoryStreamWriteInts(benchmark::State& state) {
    const int64_t count = state.range(0);
    for (auto _ : state) {
        dm::TMemoryStream stream;
        for (int64_t i = 0; i < count; ++i) {
            stream.WriteInt(static_cast<int32_t>(i));
        }
        benchmark::DoNotOptimize(stream.Bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * count * 4);
}
BENCHMARK(BM_MemoryStreamWriteInts)->Arg(1 << 16);

void BM_MemoryStreamReadBytes(benchmark::State& state) {
    const int64_t count = state.range(0);
    dm::TMemoryStream stream(std::vector<uint8_t>(static_cast<size_t>(count), 7));
    for (auto _ : state) {
        stream.Seek(0);
        int sum = 0;
        for (int64_t i = 0; i < count; ++i) {
            sum += stream.ReadByte();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * count);
}
BENCHMARK(BM_MemoryStreamReadBytes)->Arg(1 << 16);

// Configuration files are read line by line, one byte per Read call.
void BM_FileStreamReadLines(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "dm_streams_bench_lines.txt";
    {
        auto out = dm::TCStream::OpenFile(path.string(), false, true);
        for (int i = 0; i < 4096; ++i) {
            out->WriteLine("tileset = data\\image\\curses.png");
        }
    }
    int64_t bytes = 0;
    for (auto _ : state) {
        auto in = dm::TCStream::OpenFile(path.string(), true, false);
        while (!in->Eof()) {
            benchmark::DoNotOptimize(in->ReadLine());
        }
        bytes += in->Size();
    }
    state.SetBytesProcessed(bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_FileStreamReadLines);

void BM_FileStreamWriteBytes(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "dm_streams_bench_write.bin";
    const std::vector<uint8_t> block(static_cast<size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        auto out = dm::TCStream::OpenFile(path.string(), false, true);
        out->WriteBytes(block.data(), static_cast<int64_t>(block.size()));
        out->Close();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(path);
}
BENCHMARK(BM_FileStreamWriteBytes)->Arg(1 << 20);

} // namespace
