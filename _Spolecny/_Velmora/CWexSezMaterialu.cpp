#include "CWexSezMaterialu.h"

#include <algorithm>

namespace {

// Forgets the users whose pointer field no longer points at `record` (they were re-pointed
// to a copy): destroying the record must not null a field that now points elsewhere.
template <typename Record>
void ForgetRepointedUsers(Record* record)
{
    std::erase_if(record->m_users, [record](Record** slot) { return !slot || *slot != record; });
}

bool StillPointedAt(CWexMaterial& material)
{
    ForgetRepointedUsers(&material);
    bool used = material.IsUsed();
    for (auto& [dn, profile] : material.m_profiles) {
        ForgetRepointedUsers(profile.get());
        used = used || profile->IsUsed();
    }
    return used;
}

} // namespace

CWexSezMaterialu::~CWexSezMaterialu()
{
    // Destroy the materials while the catalog's own fields are still alive: a material
    // that dies reports the change to its owner.
    m_materials.clear();
    ReleaseDetached(true);
}

void CWexSezMaterialu::ReleaseDetached(bool all)
{
    // A detached material still pointed at is destroyed only with the catalog; its
    // destructor then nulls the fields that still point at it.
    std::erase_if(m_detached, [all](const std::unique_ptr<CWexMaterial>& material) {
        return !StillPointedAt(*material) || all;
    });
}

void CWexSezMaterialu::Clear(bool keepUsed)
{
    ReleaseDetached(false);
    if (keepUsed) {
        for (auto& [name, material] : m_materials) {
            if (!material->IsUsed()) continue;
            // Detached: alive for its users, no longer part of this catalog, so a later
            // change through it cannot touch the catalog's saved state.
            material->m_pCatalogOwner = nullptr;
            m_detached.push_back(std::move(material));
        }
    }
    m_materials.clear();
    m_bSaved = true;
}

CWexSezMaterialu& CWexSezMaterialu::Assign(const CWexSezMaterialu& source)
{
    if (&source == this) return *this;
    m_nPromptAnswer = 0;
    Clear(true);
    // The copy constructor copies the users lists of the material and its profiles.
    // The source's order is the map's own: every copy goes in at the end, with no search.
    for (const auto& [name, material] : source.m_materials)
        m_materials.emplace_hint(m_materials.end(), name, std::make_unique<CWexMaterial>(this, *material));
    m_bSaved = source.m_bSaved;
    // The copy saves to the same file and must know what was read of it.
    m_userFile = source.m_userFile;
    return *this;
}

bool CWexSezMaterialu::Rename(const std::u16string& newName, CWexMaterial* material)
{
    if (!material) return false;
    auto holder = m_materials.find(newName);
    if (holder != m_materials.end() && holder->second.get() != material) return false;
    auto current = m_materials.find(material->m_strName);
    if (current == m_materials.end() || current->second.get() != material) return false;
    auto node = m_materials.extract(current);
    node.key() = newName;
    material->m_strName = newName;
    m_materials.insert(std::move(node));
    m_bSaved = false;
    return true;
}

bool CWexSezMaterialu::Remove(const std::u16string& name)
{
    auto it = m_materials.find(name);
    if (it == m_materials.end() || it->second->IsUsed()) return false;
    m_materials.erase(it);
    m_bSaved = false;
    return true;
}

std::pair<CWexMaterial*, bool> CWexSezMaterialu::Insert(std::unique_ptr<CWexMaterial>&& material)
{
    auto it = m_materials.find(material->m_strName);
    if (it != m_materials.end()) return {it->second.get(), false};
    material->m_pCatalogOwner = this;
    CWexMaterial* raw = material.get();
    m_materials.emplace(raw->m_strName, std::move(material));
    m_bSaved = false;
    return {raw, true};
}

CWexMaterial* CWexSezMaterialu::Find(const std::u16string& name) const
{
    auto it = m_materials.find(name);
    return it == m_materials.end() ? nullptr : it->second.get();
}

void CWexSezMaterialu::ResetProjectIndexes()
{
    for (auto& [name, material] : m_materials) material->m_nProjectIndex = CWexMaterial::kNoProjectIndex;
}

void CWexSezMaterialu::ClearUsers()
{
    for (auto& [name, material] : m_materials) {
        material->ClearUsers();
        for (auto& [dn, profile] : material->m_profiles) profile->ClearUsers();
    }
}
