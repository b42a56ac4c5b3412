#pragma once
// Helpers shared by the catalog file tests: fixtures, in-memory reading and writing, and
// a temporary folder that removes itself.

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::filesystem::path FixturePath(const std::string& name)
{
    return std::filesystem::path(VELMORA_FIXTURES_DIR) / name;
}

inline Bytes Fixture(const std::string& name)
{
    return ReadBytes(FixturePath(name));
}

// Reads a catalog record from memory; returns the version byte.
inline int ReadCatalog(const Bytes& bytes, CWexSezMaterialu& catalog, bool projectMode = false)
{
    MemorySource source(bytes);
    CWexArchive ar(source);
    return catalog.ReadFrom(ar, projectMode);
}

// Writes the catalog record to memory.
inline Bytes WriteCatalog(CWexSezMaterialu& catalog, bool projectMode = false, int materialVersion = 6)
{
    Bytes bytes;
    MemorySink sink(bytes);
    CWexArchive ar(sink);
    ar.SetMaterialVersion(materialVersion);
    catalog.Serialize(ar, projectMode);
    ar.Close();
    return bytes;
}

class TempDir {
public:
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path())
    {
        std::random_device random;
        m_path = base /
                 ("velmora-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};
