// Reading and writing the catalog record (byte layout in CatalogFormat.h).

#include "CWexArchive.h"
#include "CWexFunkce.h"
#include "CWexSezMaterialu.h"
#include "CatalogFormat.h"

#include <limits>

namespace {

using namespace catalog_format;

const char* const kSource = "_Spolecny/_Velmora/CWexSezMaterialu";

} // namespace

void CWexSezMaterialu::Serialize(CWexArchive& ar, bool projectMode)
{
    if (ar.IsStoring())
        WriteTo(ar, projectMode);
    else
        ReadFrom(ar, projectMode);
}

void CWexSezMaterialu::WriteTo(CWexArchive& ar, bool projectMode)
{
    ar.WriteByte(kCatalogVersion);
    std::int32_t written = 0;
    for (auto& [name, material] : m_materials) {
        if (projectMode) {
            if (!material->IsUsed()) continue;
            material->m_nProjectIndex = written++;
        }
        material->Serialize(ar, projectMode);
    }
    ar.WriteByte(kEndMark);
}

int CWexSezMaterialu::ReadFrom(CWexArchive& ar, bool projectMode)
{
    const int version = ReadRecord(ar, projectMode);
    FinishReading();
    return version;
}

int CWexSezMaterialu::ReadRecord(CWexArchive& ar, bool projectMode)
{
    m_bUpdatedByReading = false;
    try {
        const int version = ReadMaterials(ar, projectMode);
        m_bSaved = true;
        m_nPromptAnswer = 0;
        return version;
    } catch (...) {
        // "Ano všem" / "Ne všem" belong to this reading only, failed or not. A failed reading
        // offers no save: the caller reports the failure, and the catalog stays unsaved when
        // the reading changed it, so the editing dialog still offers to save.
        m_nPromptAnswer = 0;
        m_bUpdatedByReading = false;
        throw;
    }
}

int CWexSezMaterialu::ReadMaterials(CWexArchive& ar, bool projectMode)
{
    ResetProjectIndexes();
    const int version = ar.ReadByte();
    if (version > kCatalogVersion)
        throw CWexNewerVersionError("Nelze načíst, soubor byl uložen vyšší verzí programu, aktualizujte program", 257,
                            kSource);
    const CatalogLayout layout = CatalogLayoutOf(version);

    // Counted lists (versions 0, 1) may still end early with an end mark.
    std::uint64_t left = layout.hasCount ? ar.ReadUInt64() : 0;
    std::int32_t position = 0;
    while (!layout.hasCount || left-- > 0) {
        auto incoming = std::make_unique<CWexMaterial>(this);
        incoming->Serialize(ar, projectMode);
        if (incoming->m_nProjectIndex == CWexMaterial::kEndMarkIndex) break;

        CWexMaterial* kept;
        // Files list the materials in the catalog's order: a new name usually goes in at the end.
        auto it = m_materials.lower_bound(incoming->m_strName);
        if (it == m_materials.end() || it->first != incoming->m_strName) {
            kept = incoming.get();
            m_materials.emplace_hint(it, kept->m_strName, std::move(incoming));
        } else {
            kept = it->second.get();
            ReconcileIncoming(*kept, std::move(incoming), projectMode);
        }
        kept->m_nProjectIndex = position;
        if (position < std::numeric_limits<std::int32_t>::max()) ++position;
    }
    if (layout.hasTrailer) ar.Skip(12);
    return version;
}
