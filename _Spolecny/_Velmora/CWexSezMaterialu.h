#pragma once
// The material catalog: the materials under their names, and whether the contents still
// match the user catalog file.

#include "CWexMaterial.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CWexSezMaterialu {
public:
    // Keyed by the material's name, compared code unit by code unit (case-sensitive).
    using MaterialMap = std::map<std::u16string, std::unique_ptr<CWexMaterial>>;

    CWexSezMaterialu() = default;
    ~CWexSezMaterialu();

    CWexSezMaterialu(const CWexSezMaterialu&) = delete;
    CWexSezMaterialu& operator=(const CWexSezMaterialu&) = delete;

    // A material of the catalog changed: the contents no longer match the file.
    void SetModified() { m_bSaved = false; }

    MaterialMap m_materials;
    bool m_bSaved = true;
    std::uint32_t m_nPromptAnswer = 0;
};
