// Loading and saving the user catalog and the standard catalog, with every message the user
// sees on the way. The user catalog is never replaced by less than the user knowingly kept:
// a file that could not be opened is not written over, one read only in part (or written by
// a newer version) is kept aside before it is first replaced, and another program's changes
// saved since the file was read are merged in, not overwritten.

#include "CWexArchive.h"
#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "CWexRegistry.h"
#include "CWexSezMaterialu.h"
#include "CatalogFile.h"
#include "CatalogFileIO.h"
#include "TextConvert.h"
#include "WindowServices.h"

#include <chrono>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

using State = UserFileBase::State;

// How often a save merges before it gives up on a file that keeps changing under it.
constexpr int kMergeRounds = 5;

const char16_t* const kNotReplaced =
    u"Soubor existuje, ale při spuštění jej nebylo možné otevřít (používá jej jiný program, nebo k němu "
    u"nemáte přístup). Aby nepřišel o svůj obsah, nebude přepsán: změny provedené v tomto okně do něj "
    u"nelze uložit.";

void ShowCannotOpen(const std::u16string& path, const std::u16string& content)
{
    TaskDialogSpec request;
    request.title = kProgramTitle;
    request.mainInstruction = u"Nelze otevřít soubor:\n" + path;
    request.content = content;
    request.icon = MessageIcon::Error;
    request.commonButtons = TaskButtonOk;
    GetWindowServices().ShowTaskDialog(request);
}

void ShowFileError(const char16_t* text)
{
    GetWindowServices().ShowMessage(text, u"Neočekávaná výjimka", MessageIcon::Error, MessageButtons::Ok);
}

bool ConfirmEmptySave(const std::u16string& backupName)
{
    return GetWindowServices().ShowMessage(
               u"Katalog neobsahuje žádný materiál.\nUložit jej přesto? Uživatelský soubor pak nebude obsahovat "
               u"žádný materiál; jeho dosavadní obsah zůstane v záloze " + backupName + u".",
               kProgramTitle, MessageIcon::Question, MessageButtons::YesNo) == IDYES;
}

std::u16string ToU16(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return Utf8ToUtf16(std::string(text.begin(), text.end()));
}

// "Potrubi-poskozeny-20261209-143005.ptq" beside `file`: the name says why it was kept and
// when, and keeps the catalog type, so that "Načíst ze souboru..." can bring it back.
fs::path AsideName(const fs::path& file, State why)
{
    const std::string stamp =
        LocalTimeText(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()), "%Y%m%d-%H%M%S");
    const std::string reason = why == State::Newer ? "novejsi-verze" : "poskozeny";
    const std::string stem = file.stem().string() + "-" + reason + "-" + stamp;
    for (int n = 1;; ++n) {
        fs::path candidate = file.parent_path() / (stem + (n > 1 ? "-" + std::to_string(n) : "") + ".ptq");
        std::error_code error;
        if (!fs::exists(candidate, error) || n >= 100) return candidate;
    }
}

// Passes the bytes on and keeps a copy of them.
class CopyingSink : public ByteSink {
public:
    CopyingSink(ByteSink& target, std::vector<std::uint8_t>& copy) : m_target(target), m_copy(copy) {}
    void Write(const std::uint8_t* data, std::size_t size) override
    {
        m_target.Write(data, size);
        m_copy.insert(m_copy.end(), data, data + size);
    }

private:
    ByteSink& m_target;
    std::vector<std::uint8_t>& m_copy;
};

std::u16string JoinNames(const std::vector<std::u16string>& names)
{
    std::u16string text;
    for (const std::u16string& name : names) text += (text.empty() ? u"" : u", ") + name;
    return text;
}

} // namespace

// What a save did besides writing, told to the user once the new file is in place.
struct CWexSezMaterialu::SaveReport {
    bool merged = false;
    MergeReport merge;
    fs::path keptAside;
    State asideReason = State::Damaged;

    void Show(const std::u16string& path) const
    {
        if (!keptAside.empty()) {
            const std::u16string why = asideReason == State::Newer
                                           ? u" byl uložen novější verzí programu a nebyl přečten celý."
                                           : u" je poškozený a nebyl přečten celý.";
            GetWindowServices().ShowMessage(u"Soubor " + path + why +
                                                u"\nJeho původní obsah byl před uložením zachován v souboru:\n" +
                                                ToU16(keptAside),
                                            kProgramTitle, MessageIcon::Warning, MessageButtons::Ok);
        }
        // A merge that found nothing to take or to ask about has nothing to tell.
        if (!merged || (merge.taken.empty() && merge.removed.empty() && merge.keptHere.empty() &&
                        merge.keptInUse.empty()))
            return;
        std::u16string text =
            u"Soubor " + path + u" mezitím uložil jiný uživatel nebo program. Jeho změny byly sloučeny s vašimi.";
        const std::pair<const char16_t*, const std::vector<std::u16string>*> lines[] = {
            {u"Převzato ze souboru: ", &merge.taken},
            {u"Vymazáno podle souboru: ", &merge.removed},
            {u"Ponecháno podle tohoto okna: ", &merge.keptHere},
            {u"Ponecháno, protože se používá: ", &merge.keptInUse},
        };
        for (const auto& [label, names] : lines) {
            if (!names->empty()) text += u"\n" + std::u16string(label) + JoinNames(*names);
        }
        GetWindowServices().ShowMessage(text, kProgramTitle, MessageIcon::Information, MessageButtons::Ok);
    }
};

void CWexSezMaterialu::KeepLoadedPart(State state, std::vector<std::uint8_t>&& content)
{
    m_userFile = {state, std::make_shared<const std::vector<std::uint8_t>>(std::move(content))};
    // What could be read is shown; nothing is written until the user changes something.
    m_bSaved = true;
}

bool CWexSezMaterialu::LoadFromFile(bool standard)
{
    std::u16string path;
    std::optional<std::vector<std::uint8_t>> content;
    std::optional<CWexFileError> openFailure;
    try {
        path = CWexRegistry::GetDataFolder(standard ? CWexRegistry::CommonInstallPath : CWexRegistry::CommonDataPath,
                                           false) +
               (standard ? kStandardCatalogName : kUserCatalogName);
        const fs::path file(path);
        try {
            content = ReadWholeFile(file);
        } catch (const CWexFileError& e) {
            if (!e.IsOpenFailure()) throw;
            openFailure = e;
        }
        if (content) {
            ReadCatalogBytes(*content, file, *this, false);
            m_bSaved = !standard; // the standard catalog is not what the user file holds
            ResetProjectIndexes();
            if (!standard)
                m_userFile = {State::Whole, std::make_shared<const std::vector<std::uint8_t>>(std::move(*content))};
            return true;
        }
    } catch (const CWexFileError&) {
        // Also a file that ends inside a record: what was read so far stays.
        ShowFileError(u"Chyba při čtení ze souboru");
        if (!standard && content) KeepLoadedPart(State::Damaged, std::move(*content));
        return false;
    } catch (const CWexNewerVersionError& e) {
        ShowException(e);
        if (!standard && content) KeepLoadedPart(State::Newer, std::move(*content));
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        if (!standard && content) KeepLoadedPart(State::Damaged, std::move(*content));
        return false;
    }

    if (standard) {
        ShowCannotOpen(path, u"\nDoporučujeme přeinstalovat program" + kProgramTitle);
        return false;
    }
    if (openFailure->IsMissing()) {
        // The first start creates the user catalog (and its folder) this way.
        m_userFile = {State::Missing, nullptr};
        ShowCannotOpen(path, u"Bude načten standardní soubor");
        const bool loaded = LoadFromFile(true);
        if (loaded && !m_materials.empty()) SaveToFile();
        return loaded;
    }
    // The file is there but held by another program or refused: its content is unknown, so
    // it is never written over. The standard catalog is shown for picking materials.
    m_userFile = {State::Unopenable, nullptr};
    ShowCannotOpen(path, std::u16string(u"Bude načten standardní soubor.\n") + kNotReplaced);
    const bool loaded = LoadFromFile(true);
    m_bSaved = true;
    return loaded;
}

bool CWexSezMaterialu::SaveToFile()
{
    std::u16string path;
    SaveReport report;
    try {
        path = CWexRegistry::GetDataFolder(CWexRegistry::CommonDataPath, true) + kUserCatalogName;
        if (m_userFile.state == State::Unopenable) {
            ShowCannotOpen(path, kNotReplaced);
            return false;
        }
        const fs::path file(path);
        if (m_materials.empty() && !ConfirmEmptySave(ToU16(catalog_io::BackupPathOf(file).filename()))) return false;
        WriteUserCatalog(file, report);
    } catch (const CWexFileError& e) {
        if (e.IsOpenFailure())
            ShowCannotOpen(path, u"Nelze uložit provedené změny");
        else
            ShowFileError(u"Chyba při zápisu do souboru");
        return false;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
    m_bSaved = true;
    report.Show(path);
    return true;
}

void CWexSezMaterialu::WriteUserCatalog(const fs::path& file, SaveReport& report)
{
    for (int round = 1;; ++round) {
        std::optional<catalog_io::AtomicFileWriter> writer;
        writer.emplace(file, catalog_io::BackupPathOf(file));
        // Read under the lock the writer holds until the new file is in place. A catalog that
        // never read the file has nothing to compare it with.
        static const std::optional<std::vector<std::uint8_t>> notRead;
        const std::optional<std::vector<std::uint8_t>>& current =
            m_userFile.state == State::NotLoaded ? notRead : writer->ExistingContent();
        const bool changedSinceRead =
            current && ((m_userFile.state == State::Whole && *current != *m_userFile.bytes) ||
                        m_userFile.state == State::Missing);
        std::optional<State> keepAside;
        if (current && (m_userFile.state == State::Damaged || m_userFile.state == State::Newer))
            keepAside = m_userFile.state;

        if (changedSinceRead) {
            CWexSezMaterialu theirs;
            try {
                ReadCatalogBytesQuietly(*current, file, theirs);
            } catch (const CWexNewerVersionError&) {
                keepAside = State::Newer;
            } catch (const std::exception&) {
                keepAside = State::Damaged;
            }
            if (!keepAside) {
                if (round > kMergeRounds) throw CWexFileError(CWexFileError::Cause::Locked, file);
                // The lock is not held while the user answers.
                auto read = std::make_shared<const std::vector<std::uint8_t>>(*current);
                writer.reset();
                CWexSezMaterialu base;
                if (m_userFile.state == State::Whole) ReadCatalogBytesQuietly(*m_userFile.bytes, file, base);
                MergeChangesSince(base, theirs, ToU16(file), report.merge);
                report.merged = true;
                // This catalog now holds the other program's file plus the changes made here.
                m_userFile = {State::Whole, std::move(read)};
                continue;
            }
        }

        if (keepAside) {
            report.keptAside = AsideName(file, *keepAside);
            report.asideReason = *keepAside;
            WriteFileBytes(report.keptAside, *current, false);
        }
        // Written as the archive fills its buffer, and kept as the base of the next save.
        auto content = std::make_shared<std::vector<std::uint8_t>>();
        CopyingSink sink(*writer, *content);
        CWexArchive ar(sink, file);
        WriteTo(ar, false);
        ar.Close();
        writer->Commit();
        m_userFile = {State::Whole, std::move(content)};
        return;
    }
}
