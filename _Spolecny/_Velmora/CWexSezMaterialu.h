#pragma once
// The material catalog: the materials under their names, whether the contents still match
// the user catalog file, and the reading and writing of catalog files.

#include "CWexMaterial.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CWexArchive;

// What a catalog knows of the user catalog file it was loaded from and saves to, so that a
// save never replaces work it has not seen.
struct UserFileBase {
    enum class State {
        NotLoaded,  // the catalog never read the user catalog: a save replaces the file
        Missing,    // there was no file: a save creates it, or merges with one made meanwhile
        Whole,      // read to its end: `bytes` as read or last written, the base of a merge
        Damaged,    // read only in part: the file is kept aside before it is first replaced
        Newer,      // written by a newer program version: kept aside likewise
        Unopenable, // exists but could not be opened: never replaced
    };
    State state = State::NotLoaded;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};

class CWexSezMaterialu {
public:
    // Keyed by the material's name, compared code unit by code unit (case-sensitive).
    using MaterialMap = std::map<std::u16string, std::unique_ptr<CWexMaterial>>;

    static constexpr const char16_t* kUserCatalogName = u"Potrubi.ptq";
    static constexpr const char16_t* kStandardCatalogName = u"Potrubi_std.ptq";
    static constexpr const char16_t* kProgramFolderName = u"Velmora";

    // An empty catalog, saved.
    CWexSezMaterialu() = default;
    // Destroys every material, in the map or detached by Clear.
    ~CWexSezMaterialu();

    CWexSezMaterialu(const CWexSezMaterialu&) = delete;
    CWexSezMaterialu& operator=(const CWexSezMaterialu&) = delete;

    // Empties the catalog and marks it saved. With `keepUsed`, materials that are in use are
    // detached instead of destroyed: they stay alive and unchanged, owned by this catalog
    // until it is destroyed (or until a later Clear finds nobody pointing at them any more),
    // and no longer report changes to it.
    void Clear(bool keepUsed);
    // Makes this catalog a copy of `source` (materials, profiles, users lists, saved flag).
    CWexSezMaterialu& Assign(const CWexSezMaterialu& source);

    // Renames `material` (one of ours). False, and nothing changed, when another material
    // holds `newName` or the material is not in this catalog.
    bool Rename(const std::u16string& newName, CWexMaterial* material);
    // Destroys the material of that name. False when there is none or it is in use.
    bool Remove(const std::u16string& name);
    // Inserts a material under its name; never replaces. Returns the material now under that
    // name and whether `material` was taken; when not, `material` stays with the caller.
    std::pair<CWexMaterial*, bool> Insert(std::unique_ptr<CWexMaterial>&& material);
    CWexMaterial* Find(const std::u16string& name) const;

    // Every material's project index becomes -2 (not in a project).
    void ResetProjectIndexes();
    // Empties the users lists of every material and profile.
    void ClearUsers();

    // Reads the user catalog (or, with `standard`, the standard catalog) and adds its
    // materials. A missing user catalog falls back to the standard one and saves it as the
    // user catalog; one that exists but cannot be opened (after a short wait for another
    // process's lock) also falls back, and is then never written over. A user catalog read
    // only in part, or written by a newer version, leaves the catalog with what could be read,
    // saved (nothing to write until the user changes something). Shows every failure itself;
    // true when a catalog file was read to its end.
    bool LoadFromFile(bool standard);
    // Writes the user catalog, replacing the file atomically and keeping the replaced one
    // among the backups. When another program changed the file since it was read, its
    // changes are merged in first (asking about materials both changed); a file that was
    // read only in part or is newer is kept aside under a name that says why. Asks before it
    // writes a catalog without materials. Shows every failure itself and returns false
    // (also when the user declined, or the file was never read and must not be replaced).
    bool SaveToFile();

    // Reads or writes the catalog record, as the archive's direction says. Project mode:
    // writing keeps to used materials and numbers them 0, 1, 2 ...; reading compares a name
    // already present by containment instead of full equality. Throws CWexException or
    // CWexFileError.
    void Serialize(CWexArchive& ar, bool projectMode);
    // Serialize for a loading archive: ReadRecord, then FinishReading. Returns the catalog
    // record's version byte.
    int ReadFrom(CWexArchive& ar, bool projectMode);
    // The reading alone: adds the materials read, reconciling names already present (the
    // overwrite question, missing profiles, attributes taken over on "Ne"), and gives every
    // material read its position as project index. Ends with the catalog saved and the
    // remembered answer cleared. A failure ends the reading with the exception: what was
    // merged before it stays, the remembered answer is cleared, and nothing is offered to save.
    int ReadRecord(CWexArchive& ar, bool projectMode);
    // After a reading that gave main-list materials the values of incoming ones: asks
    // "Uložit materiály?" and on Yes saves the user catalog. Nothing otherwise. Separate from
    // ReadRecord so that a file can be closed before the user catalog is written.
    void FinishReading();
    void WriteTo(CWexArchive& ar, bool projectMode);

    // A material of the catalog changed: the contents no longer match the file.
    void SetModified() { m_bSaved = false; }

    // Materials detached by Clear(true), or replaced by a merge, that are still alive.
    std::size_t DetachedCount() const { return m_detached.size(); }

    // What a merge of another program's changes did.
    struct MergeReport {
        std::vector<std::u16string> taken;     // added or changed by the other side
        std::vector<std::u16string> removed;   // deleted by the other side
        std::vector<std::u16string> keptHere;  // changed on both sides, kept as here
        std::vector<std::u16string> keptInUse; // the other side's change refused: in use here
    };
    // Brings into this catalog the changes between `base` and `theirs` (another program's
    // save of the same file): what only `theirs` changed is taken (added, replaced or
    // removed), what only this catalog changed stays, and a material both changed differently
    // is asked about with the four-button question ("Ano": as here, "Ne": as in the file).
    // Materials in use are never replaced or removed. Replaced materials stay alive (detached)
    // until the next Clear, so that views still showing them do not dangle.
    void MergeChangesSince(const CWexSezMaterialu& base, const CWexSezMaterialu& theirs,
                           const std::u16string& fileName, MergeReport& report);

    UserFileBase m_userFile;

    MaterialMap m_materials;
    bool m_bSaved = true;
    // The overwrite answer remembered for the rest of one reading ("Ano všem" 66, "Ne všem" 68);
    // 0 = ask. Every reading ends with it 0, failed or not, and Assign clears it. A host may
    // set it before a reading to answer that reading's questions in advance.
    std::uint32_t m_nPromptAnswer = 0;

private:
    struct SaveReport;
    void WriteUserCatalog(const std::filesystem::path& file, SaveReport& report);
    void KeepLoadedPart(UserFileBase::State state, std::vector<std::uint8_t>&& content);
    int ReadMaterials(CWexArchive& ar, bool projectMode);
    // What becomes of a material read from an archive whose name the catalog already holds:
    // `existing` stays in the catalog; `incoming` is destroyed.
    void ReconcileIncoming(CWexMaterial& existing, std::unique_ptr<CWexMaterial> incoming, bool projectMode);
    // Destroys the detached materials that nobody points at any more.
    void ReleaseDetached(bool all);

    std::vector<std::unique_ptr<CWexMaterial>> m_detached;
    // Set by a reading when a main-list material took an incoming material's values; read
    // and cleared by FinishReading.
    bool m_bUpdatedByReading = false;
};
