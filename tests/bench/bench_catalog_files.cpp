// The catalog library on generated catalogs of 1,000, 10,000 and 100,000 materials with 28
// profiles each: reading and writing in memory and through the locked, atomically replaced
// file, reading the same file's bytes alone (the floor any reader has), Assign (the editing
// dialog's working copy), and the memory a catalog takes.
//
// scripts/bench.sh runs this and prints the table; the counters of Memory are bytes.

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "GeneratedCatalog.h"
#include "ScriptedWindowServices.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// One generated catalog and its file image at a time: the 100,000 one is large.
struct Generated {
    int materials = -1;
    std::unique_ptr<CWexSezMaterialu> catalog;
    std::vector<std::uint8_t> bytes;
};

Generated& GeneratedOf(int materials)
{
    static Generated generated;
    if (generated.materials != materials) {
        generated.catalog.reset();
        generated.bytes = {};
        {
            CWexSezMaterialu made;
            bench::FillGeneratedCatalog(made, materials);
            MemorySink sink(generated.bytes);
            CWexArchive ar(sink);
            made.WriteTo(ar, false);
            ar.Close();
        }
        // The program writes and copies catalogs it has read, laid out in memory as the file
        // lists them, never one just made up in another order: the catalog the benchmarks
        // work on is read back from the file image.
        ScriptedWindowServices services;
        ScopedWindowServices scope(services);
        generated.catalog = std::make_unique<CWexSezMaterialu>();
        MemorySource source(generated.bytes);
        CWexArchive ar(source);
        generated.catalog->ReadFrom(ar, false);
        generated.materials = materials;
    }
    return generated;
}

std::filesystem::path TempFile()
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(::getpid()) + ".ptq");
    return path;
}

void RemoveTempFiles()
{
    std::filesystem::remove(TempFile());
    std::filesystem::remove(std::filesystem::path(TempFile()) += ".bak");
}

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void ReadInto(CWexSezMaterialu& catalog, const std::vector<std::uint8_t>& bytes)
{
    MemorySource source(bytes);
    CWexArchive ar(source);
    catalog.ReadFrom(ar, false);
}

void Write(benchmark::State& state)
{
    Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    // One buffer for every round and repetition, its pages touched once: the figure is the
    // writing, not the kernel handing out fresh pages for a buffer as large as the file.
    static std::vector<std::uint8_t> bytes;
    if (bytes.capacity() < g.bytes.size()) {
        bytes.assign(g.bytes.size(), 0);
        bytes.clear();
    }
    for (auto _ : state) {
        bytes.clear();
        MemorySink sink(bytes);
        CWexArchive ar(sink);
        g.catalog->WriteTo(ar, false);
        ar.Close();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g.bytes.size()));
}

// Reading alone: the catalog read is destroyed outside the timing.
void Read(benchmark::State& state)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    const Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto catalog = std::make_unique<CWexSezMaterialu>();
        ReadInto(*catalog, g.bytes);
        benchmark::DoNotOptimize(catalog->m_materials.size());
        state.PauseTiming();
        catalog.reset();
        state.ResumeTiming();
    }
    if (!services.Prompts().empty()) state.SkipWithError("reading asked the user something");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g.bytes.size()));
}

void WriteFile(benchmark::State& state)
{
    Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    for (auto _ : state) WriteCatalogFile(TempFile(), *g.catalog);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g.bytes.size()));
    RemoveTempFiles();
}

void ReadFile(benchmark::State& state)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    WriteCatalogFile(TempFile(), *g.catalog);
    for (auto _ : state) {
        auto catalog = std::make_unique<CWexSezMaterialu>();
        ReadCatalogFile(TempFile(), *catalog);
        benchmark::DoNotOptimize(catalog->m_materials.size());
        state.PauseTiming();
        catalog.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g.bytes.size()));
    RemoveTempFiles();
}

// The same file's bytes read from the page cache into memory: what ReadFile is compared with.
void ReadFileBytes(benchmark::State& state)
{
    Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    WriteCatalogFile(TempFile(), *g.catalog);
    std::vector<std::uint8_t> buffer(g.bytes.size());
    for (auto _ : state) {
        const int fd = ::open(TempFile().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw std::runtime_error("cannot open the benchmark file");
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t got = ::read(fd, buffer.data() + done, buffer.size() - done);
            if (got <= 0) break;
            done += static_cast<std::size_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g.bytes.size()));
    RemoveTempFiles();
}

void Assign(benchmark::State& state)
{
    Generated& g = GeneratedOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto copy = std::make_unique<CWexSezMaterialu>();
        copy->Assign(*g.catalog);
        benchmark::DoNotOptimize(copy->m_materials.size());
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
}

// The heap a catalog read from its file takes: per material (materials without profiles) and
// per profile (what the profiles add), and the whole catalog per profile.
void Memory(benchmark::State& state)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    const int materials = static_cast<int>(state.range(0));
    std::vector<std::uint8_t> bare;
    {
        CWexSezMaterialu catalog;
        bench::FillGeneratedCatalog(catalog, materials, 0);
        MemorySink sink(bare);
        CWexArchive ar(sink);
        catalog.WriteTo(ar, false);
        ar.Close();
    }
    const std::vector<std::uint8_t>& full = GeneratedOf(materials).bytes;
    double perMaterial = 0, perProfile = 0, wholePerProfile = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t start = HeapInUse();
        auto withoutProfiles = std::make_unique<CWexSezMaterialu>();
        ReadInto(*withoutProfiles, bare);
        const std::size_t materialBytes = HeapInUse() - start;
        withoutProfiles.reset();

        const std::size_t before = HeapInUse();
        auto catalog = std::make_unique<CWexSezMaterialu>();
        ReadInto(*catalog, full);
        const std::size_t total = HeapInUse() - before;
        const double profiles = static_cast<double>(materials) * bench::kProfilesPerMaterial;
        perMaterial = static_cast<double>(materialBytes) / materials;
        perProfile = (static_cast<double>(total) - static_cast<double>(materialBytes)) / profiles;
        wholePerProfile = static_cast<double>(total) / profiles;
    }
    state.counters["bytes_per_material"] = perMaterial;
    state.counters["bytes_per_profile"] = perProfile;
    state.counters["catalog_bytes_per_profile"] = wholePerProfile;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Every operation on one size before the next size: one generated catalog serves them all.
    // Besides the median, the fastest repetition: on a shared machine it is the closest to
    // what an idle one gives.
    const auto fastest = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    for (int materials : {1000, 10000, 100000}) {
        benchmark::RegisterBenchmark("Write", Write)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("Read", Read)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("WriteFile", WriteFile)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("ReadFile", ReadFile)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("ReadFileBytes", ReadFileBytes)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("Assign", Assign)->Arg(materials)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark("Memory", Memory)->Arg(materials)->Iterations(1)->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
