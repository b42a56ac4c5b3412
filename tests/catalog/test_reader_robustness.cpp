// The reader over damaged copies of every committed catalog file: each cut and each single
// flipped bit gives either a catalog or the program's own failure, never anything else; and
// string lengths that no file could hold are refused at once, without the memory they ask for.

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "ScriptedWindowServices.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every catalog file in the fixtures folder (the golden files of each record version and
// the damaged ones), in name order.
std::vector<std::string> FixtureNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(VELMORA_FIXTURES_DIR)) {
        if (entry.path().extension() == ".ptq") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsGolden(const std::string& name) { return name.rfind("broken_", 0) != 0; }

enum class Outcome { Read, Failure, EndOfFile };

// Reads `bytes` into `catalog`: file mode through the whole reading, project mode through the
// reading alone (the offer to save would write the user catalog). Any exception other than the
// program's own two escapes and fails the test.
Outcome Read(const Bytes& bytes, CWexSezMaterialu& catalog, bool projectMode)
{
    MemorySource source(bytes);
    CWexArchive ar(source);
    try {
        if (projectMode)
            catalog.ReadRecord(ar, true);
        else
            catalog.ReadFrom(ar, false);
        return Outcome::Read;
    } catch (const CWexFileError& e) {
        return e.GetCause() == CWexFileError::Cause::EndOfFile ? Outcome::EndOfFile : Outcome::Failure;
    } catch (const CWexException&) {
        return Outcome::Failure;
    }
}

class ReaderRobustness : public ::testing::Test {
protected:
    // What a reading of damaged bytes must leave: no remembered answer, and a catalog that
    // saves and loads back to the same bytes without a single correction.
    void ExpectSound(CWexSezMaterialu& catalog, const std::string& where)
    {
        EXPECT_EQ(catalog.m_nPromptAnswer, 0u) << where;
        const Bytes written = WriteCatalog(catalog);
        CWexSezMaterialu again;
        ScriptedWindowServices quiet;
        ScopedWindowServices scope(quiet);
        ASSERT_EQ(Read(written, again, false), Outcome::Read) << where;
        EXPECT_TRUE(quiet.Prompts().empty()) << where << ": " << quiet.Prompts().front().Text();
        EXPECT_EQ(WriteCatalog(again), written) << where;
    }

    // A main list holding what the undamaged file holds, for the project-mode readings:
    // damaged materials of the same names then go through the reconciliation.
    void FillMainList(CWexSezMaterialu& catalog, const Bytes& original)
    {
        Read(original, catalog, false);
        services.ClearPrompts();
    }

    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
};

TEST_F(ReaderRobustness, EveryCutOfEveryFileFailsCleanlyAndKeepsOnlyWholeMaterials)
{
    for (const std::string& name : FixtureNames()) {
        const Bytes whole = Fixture(name);
        CWexSezMaterialu complete;
        const Outcome full = Read(whole, complete, false);
        if (IsGolden(name)) ASSERT_EQ(full, Outcome::Read) << name;
        for (bool projectMode : {false, true}) {
            for (std::size_t size = 0; size < whole.size(); ++size) {
                const std::string where = name + (projectMode ? " (project)" : "") + " cut at " + std::to_string(size);
                const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
                CWexSezMaterialu catalog;
                if (projectMode) FillMainList(catalog, whole);
                const Outcome outcome = Read(cut, catalog, projectMode);
                // No golden file is complete before its last byte.
                if (IsGolden(name)) EXPECT_EQ(outcome, Outcome::EndOfFile) << where;
                // What stays was read whole: each material as the complete reading has it.
                for (const auto& [key, material] : catalog.m_materials) {
                    const CWexMaterial* same = complete.Find(key);
                    ASSERT_NE(same, nullptr) << where << ": a material the file does not hold";
                    if (full == Outcome::Read) EXPECT_TRUE(same->Matches(*material, true)) << where;
                }
                ExpectSound(catalog, where);
            }
        }
    }
}

TEST_F(ReaderRobustness, EverySingleBitFlipReadsOrFailsCleanly)
{
    std::size_t read = 0, failed = 0;
    for (const std::string& name : FixtureNames()) {
        const Bytes whole = Fixture(name);
        for (bool projectMode : {false, true}) {
            for (std::size_t bit = 0; bit < whole.size() * 8; ++bit) {
                Bytes flipped = whole;
                flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
                const std::string where = name + (projectMode ? " (project)" : "") + " byte " +
                                          std::to_string(bit / 8) + " bit " + std::to_string(bit % 8);
                CWexSezMaterialu catalog;
                if (projectMode) FillMainList(catalog, whole);
                (Read(flipped, catalog, projectMode) == Outcome::Read ? read : failed) += 1;
                ExpectSound(catalog, where);
                if (HasFailure()) return; // one damaged file is enough to look at
            }
        }
    }
    // Both outcomes occur: the flips reach values as well as the structure.
    EXPECT_GT(read, 0u);
    EXPECT_GT(failed, 0u);
}

// A catalog whose first material holds, in string `field` (0 name, 1 detail, 2 manufacturer),
// the length prefix `length` followed by a few bytes of text: the real data is far shorter.
Bytes WithStringLength(const Bytes& length, int field)
{
    Bytes bytes{3, 6, 0, 0, 0, 0, 0, 0};               // catalog 3, material 6, mode, choice, prefix, suffix
    const Bytes shortText{0xFF, 0xFE, 0xFF, 1, 'A', 0}; // "A"
    for (int i = 0; i < field; ++i) bytes.insert(bytes.end(), shortText.begin(), shortText.end());
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), 64, 'x');
    return bytes;
}

// The length prefixes of 2^31 - 1, 2^32, 2^63 - 1 and 2^64 - 1 units in the UTF-16 form and in
// the 8-bit form, each in the 32-bit field where it fits and in the 64-bit field.
std::vector<Bytes> AbsurdLengthPrefixes()
{
    auto le = [](std::uint64_t value, int size) {
        Bytes bytes;
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return bytes;
    };
    const std::uint64_t lengths[] = {0x7FFFFFFFull, 0x100000000ull, 0x7FFFFFFFFFFFFFFFull, ~0ull};
    std::vector<Bytes> prefixes;
    for (const Bytes& form : {Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0xFF, 0xFF, 0xFF}}) {
        for (std::uint64_t length : lengths) {
            if (length < 0xFFFFFFFFull) {
                Bytes p = form;
                for (std::uint8_t b : le(length, 4)) p.push_back(b);
                prefixes.push_back(p);
            }
            Bytes p = form;
            for (std::uint8_t b : le(0xFFFFFFFFull, 4)) p.push_back(b);
            for (std::uint8_t b : le(length, 8)) p.push_back(b);
            prefixes.push_back(p);
        }
    }
    return prefixes;
}

// Runs `work` in a child process and returns how far its peak resident memory rose above
// what it started with, in kB; -1 when the child did not exit with 0.
long PeakGrowthInChild(const std::function<bool()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const bool ok = work();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        // The growth in MB goes out as the exit status; 255 when the work itself failed.
        ::_exit(ok ? static_cast<int>(std::min(growth / 1024, 254L)) : 255);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status) * 1024L;
}

TEST_F(ReaderRobustness, AbsurdStringLengthsAreRefusedAtOnceWithoutTheirMemory)
{
    TempDir dir;
    const std::vector<Bytes> prefixes = AbsurdLengthPrefixes();
    ASSERT_EQ(prefixes.size(), 10u);
    const auto start = std::chrono::steady_clock::now();
    const long growth = PeakGrowthInChild([&] {
        bool ok = true;
        for (const Bytes& prefix : prefixes) {
            for (int field = 0; field < 3; ++field) {
                const Bytes bytes = WithStringLength(prefix, field);
                // From memory and from a file: both know how many bytes are left.
                CWexSezMaterialu fromMemory;
                ok = ok && Read(bytes, fromMemory, false) == Outcome::EndOfFile && fromMemory.m_materials.empty();
                const fs::path file = dir / ("absurd" + std::to_string(field) + ".ptq");
                WriteBytes(file, bytes);
                CWexSezMaterialu fromFile;
                try {
                    ReadCatalogFile(file, fromFile);
                    ok = false;
                } catch (const CWexFileError& e) {
                    ok = ok && e.GetCause() == CWexFileError::Cause::EndOfFile;
                } catch (const std::exception&) {
                    ok = false;
                }
            }
        }
        return ok;
    });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_GE(growth, 0) << "a length was not refused as the end of the data";
    EXPECT_LT(growth, 64 * 1024) << "kB";
    // Sixty readings: instant, even under a memory checker.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

} // namespace
