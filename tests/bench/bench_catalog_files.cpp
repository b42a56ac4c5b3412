// Reading and writing a large catalog: 10,000 materials of 28 profiles each, in memory and
// through the locked, atomically replaced file.

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "ScriptedWindowServices.h"
#include "TextConvert.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaterials = 10000;

void Generate(CWexSezMaterialu& catalog)
{
    for (int i = 0; i < kMaterials; ++i) {
        auto m = std::make_unique<CWexMaterial>(&catalog, u"Materiál " + Utf8ToUtf16(std::to_string(100000 + i)),
                                                MaterialFilter{3, 31});
        m->m_strDetail = u"Podrobný popis materiálu potrubí";
        m->m_strManufacturer = u"Výrobce potrubí a.s.";
        m->m_strDrawingName = u"Potrubí";
        m->m_nPN = 2;
        m->m_nSDR = 4;
        m->GenerateProfiles(0, 27);
        for (auto& [dn, profile] : m->m_profiles) profile->SetUrsMaterial(u"801-123");
        catalog.Insert(std::move(m));
    }
}

const CWexSezMaterialu& Catalog()
{
    static CWexSezMaterialu catalog;
    if (catalog.m_materials.empty()) Generate(catalog);
    return catalog;
}

const std::vector<std::uint8_t>& Bytes()
{
    static std::vector<std::uint8_t> bytes;
    if (bytes.empty()) {
        MemorySink sink(bytes);
        CWexArchive ar(sink);
        const_cast<CWexSezMaterialu&>(Catalog()).WriteTo(ar, false);
        ar.Close();
    }
    return bytes;
}

std::filesystem::path TempFile()
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(::getpid()) + ".ptq");
    return path;
}

void WriteMemory(benchmark::State& state)
{
    CWexSezMaterialu& catalog = const_cast<CWexSezMaterialu&>(Catalog());
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes;
        MemorySink sink(bytes);
        CWexArchive ar(sink);
        catalog.WriteTo(ar, false);
        ar.Close();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes().size()));
}

void ReadMemory(benchmark::State& state)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    const auto& bytes = Bytes();
    for (auto _ : state) {
        CWexSezMaterialu catalog;
        MemorySource source(bytes);
        CWexArchive ar(source);
        catalog.ReadFrom(ar, false);
        benchmark::DoNotOptimize(catalog.m_materials.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void WriteFile(benchmark::State& state)
{
    CWexSezMaterialu& catalog = const_cast<CWexSezMaterialu&>(Catalog());
    for (auto _ : state) WriteCatalogFile(TempFile(), catalog);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes().size()));
    std::filesystem::remove(TempFile());
    std::filesystem::remove(std::filesystem::path(TempFile()) += ".bak");
}

void ReadFile(benchmark::State& state)
{
    ScriptedWindowServices services;
    ScopedWindowServices scope(services);
    WriteCatalogFile(TempFile(), const_cast<CWexSezMaterialu&>(Catalog()));
    for (auto _ : state) {
        CWexSezMaterialu catalog;
        ReadCatalogFile(TempFile(), catalog);
        benchmark::DoNotOptimize(catalog.m_materials.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Bytes().size()));
    std::filesystem::remove(TempFile());
}

} // namespace

BENCHMARK(WriteMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteFile)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
