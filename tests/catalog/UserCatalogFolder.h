#pragma once
// A user catalog of its own for a test: a temporary folder named as the data folder in a
// settings file (the registry's stand-in), and catalogs of a given size to save into it.

#include "CWexMaterial.h"
#include "CWexSezMaterialu.h"

#include "CatalogTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

class UserCatalogFolder {
public:
    // `inMemory`: in /dev/shm where there is one, for tests that save thousands of times (a
    // disk file system makes each rename over a file wait for the disk).
    explicit UserCatalogFolder(bool inMemory = false) : m_dir(FolderBase(inMemory))
    {
        const std::filesystem::path data = m_dir / "data";
        std::filesystem::create_directories(data / "Velmora");
        userFile = data / "Velmora" / "Potrubi.ptq";
        backupFile = data / "Velmora" / "Potrubi.ptq.bak";
        const std::filesystem::path machine = m_dir / "machine.reg";
        std::ofstream out(machine, std::ios::binary | std::ios::trunc);
        out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\r\n"
            << "\"CommonDataPath\"=\"" << data.string() << "\"\r\n";
        out.close();
        ::setenv("VELMORA_MACHINE_REGISTRY", machine.c_str(), 1);
        ::setenv("VELMORA_USER_REGISTRY", (m_dir / "user.reg").c_str(), 1);
    }
    ~UserCatalogFolder()
    {
        ::unsetenv("VELMORA_MACHINE_REGISTRY");
        ::unsetenv("VELMORA_USER_REGISTRY");
    }

    // The names in the user catalog's folder.
    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(userFile.parent_path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::filesystem::path userFile;
    std::filesystem::path backupFile;

private:
    static std::filesystem::path FolderBase(bool inMemory)
    {
        std::error_code error;
        if (inMemory && std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0)
            return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    TempDir m_dir;
};

// `materials` materials with the profiles DN 8 to DN 1200 each (about 2 kB a material);
// `variant` changes every dimension, so two variants never save to the same bytes.
inline void FillSavedCatalog(CWexSezMaterialu& catalog, int materials, int variant = 0)
{
    for (int i = 0; i < materials; ++i) {
        std::u16string name = u"Materiál ";
        name += static_cast<char16_t>(u'A' + i % 26);
        name += static_cast<char16_t>(u'a' + i / 26 % 26);
        auto m = std::make_unique<CWexMaterial>(&catalog, name, MaterialFilter{3, 31});
        m->m_nDescMode = DescOuterXWall;
        m->m_strDetail = variant ? u"druhé provedení" : u"první provedení";
        m->GenerateProfiles(0, 27);
        for (auto& [dn, profile] : m->m_profiles) profile->m_fWall += 0.5f * static_cast<float>(variant);
        catalog.Insert(std::move(m));
    }
}
