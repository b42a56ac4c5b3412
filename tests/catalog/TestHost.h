#pragma once
// A host program's side of project mode, as the tests stand in for it: pipes that use a
// material and one of its profiles through reference slots registered in the records, and a
// project archive that holds the catalog's material section followed by the pipes, each
// naming its material by project index and its profile by DN.
//
// Project archive: version byte 1; the catalog record written in project mode; the pipe
// count (uint32); per pipe its name (archive string), length (float32), material project
// index (int32, -1 none) and DN index (int16, -1 none).

#include "CWexArchive.h"
#include "CWexSezMaterialu.h"
#include "CatalogFileIO.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_host {

// A pipe of the host's network. Its two pointer fields are the reference slots it registers
// in the material's and the profile's users lists; a record that dies writes null into them.
class Pipe {
public:
    Pipe(std::u16string name, float length) : m_name(std::move(name)), m_length(length) {}
    ~Pipe() { Release(); }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    // Uses `material` and `profile` (either may be null) instead of what the pipe used.
    void Use(CWexMaterial* material, CWexProfil* profile)
    {
        Release();
        m_material = material;
        m_profile = profile;
        if (m_material) m_material->AddUser(&m_material);
        if (m_profile) m_profile->AddUser(&m_profile);
    }
    // Takes the pipe's slots out of the users lists of the records it points at now (which,
    // after an editing dialog's OK, are the records it was re-pointed to).
    void Release()
    {
        if (m_material) m_material->RemoveUser(&m_material);
        if (m_profile) m_profile->RemoveUser(&m_profile);
        m_material = nullptr;
        m_profile = nullptr;
    }

    // True when the records pointed at list this pipe's slots among their users.
    bool Registered() const
    {
        auto listed = [](const auto& users, const void* slot) {
            return std::find(users.begin(), users.end(), slot) != users.end();
        };
        return (!m_material || listed(m_material->m_users, &m_material)) &&
               (!m_profile || listed(m_profile->m_users, &m_profile));
    }

    const std::u16string& Name() const { return m_name; }
    float Length() const { return m_length; }
    CWexMaterial* Material() const { return m_material; }
    CWexProfil* Profile() const { return m_profile; }
    CWexMaterial* const* MaterialSlot() const { return &m_material; }
    CWexProfil* const* ProfileSlot() const { return &m_profile; }

private:
    std::u16string m_name;
    float m_length;
    CWexMaterial* m_material = nullptr;
    CWexProfil* m_profile = nullptr;
};

// A pipe whose material or profile the catalog read cannot supply.
class UnresolvedReference : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Project {
public:
    static constexpr std::uint8_t kVersion = 1;

    Pipe& AddPipe(std::u16string name, float length, CWexMaterial* material, CWexProfil* profile)
    {
        m_pipes.push_back(std::make_unique<Pipe>(std::move(name), length));
        m_pipes.back()->Use(material, profile);
        return *m_pipes.back();
    }
    const std::vector<std::unique_ptr<Pipe>>& Pipes() const { return m_pipes; }
    Pipe& At(std::size_t i) const { return *m_pipes.at(i); }

    // The catalog's material section first: it numbers the used materials, and the pipes
    // then name theirs by that number.
    void Write(CWexArchive& ar, CWexSezMaterialu& catalog) const
    {
        ar.WriteByte(kVersion);
        catalog.Serialize(ar, true);
        ar.WriteUInt32(static_cast<std::uint32_t>(m_pipes.size()));
        for (const auto& pipe : m_pipes) {
            ar.WriteString(pipe->Name());
            ar.WriteFloat(pipe->Length());
            ar.WriteInt32(pipe->Material() ? pipe->Material()->m_nProjectIndex : -1);
            ar.WriteInt16(pipe->Profile() ? pipe->Profile()->m_nDN : -1);
        }
    }

    // Replaces the pipes by those of the archive, their materials and profiles resolved in
    // `catalog` after the material section has been read into it (and reconciled there).
    // Throws what the catalog's reader throws, CWexFileError, or UnresolvedReference.
    void Read(CWexArchive& ar, CWexSezMaterialu& catalog)
    {
        if (ar.ReadByte() != kVersion) throw std::runtime_error("not a test project");
        catalog.Serialize(ar, true);
        std::vector<CWexMaterial*> byIndex;
        for (const auto& [name, material] : catalog.m_materials) {
            if (material->m_nProjectIndex < 0) continue;
            const auto index = static_cast<std::size_t>(material->m_nProjectIndex);
            if (byIndex.size() <= index) byIndex.resize(index + 1);
            byIndex[index] = material.get();
        }

        // The old pipes stay until every new one is resolved.
        std::vector<std::unique_ptr<Pipe>> pipes;
        for (std::uint32_t count = ar.ReadUInt32(); count > 0; --count) {
            std::u16string name = ar.ReadString();
            const float length = ar.ReadFloat();
            const std::int32_t index = ar.ReadInt32();
            const std::int32_t dn = ar.ReadInt16();
            CWexMaterial* material = nullptr;
            CWexProfil* profile = nullptr;
            if (index >= 0) {
                if (static_cast<std::size_t>(index) >= byIndex.size() || !byIndex[index])
                    throw UnresolvedReference("no material of project index " + std::to_string(index));
                material = byIndex[index];
                if (dn >= 0 && !(profile = material->FindProfile(dn)))
                    throw UnresolvedReference("no profile of DN index " + std::to_string(dn));
            }
            pipes.push_back(std::make_unique<Pipe>(std::move(name), length));
            pipes.back()->Use(material, profile);
        }
        m_pipes = std::move(pipes);
    }

    std::vector<std::uint8_t> WriteToMemory(CWexSezMaterialu& catalog) const
    {
        std::vector<std::uint8_t> bytes;
        MemorySink sink(bytes);
        CWexArchive ar(sink);
        Write(ar, catalog);
        ar.Close();
        return bytes;
    }
    void ReadFromMemory(const std::vector<std::uint8_t>& bytes, CWexSezMaterialu& catalog)
    {
        MemorySource source(bytes);
        CWexArchive ar(source);
        Read(ar, catalog);
    }

    void WriteToFile(const std::filesystem::path& path, CWexSezMaterialu& catalog) const
    {
        catalog_io::AtomicFileWriter file(path, {});
        CWexArchive ar(file, path);
        Write(ar, catalog);
        ar.Close();
        file.Commit();
    }
    void ReadFromFile(const std::filesystem::path& path, CWexSezMaterialu& catalog)
    {
        catalog_io::LockedReadFile file(path);
        CWexArchive ar(file, path);
        Read(ar, catalog);
    }

private:
    std::vector<std::unique_ptr<Pipe>> m_pipes;
};

} // namespace test_host
