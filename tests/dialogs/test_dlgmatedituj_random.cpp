// Long random sessions with the editing dialog, checked after every step against a small model
// of what the user did. A session is a sequence of user actions (rows, material buttons,
// fields, "Ulož.."/"Zruš..", filters, profile buttons, cell edits, price-list codes, loading
// the standard catalog, OK and "Zruš"); it always ends with OK. After every step:
//   - the list shows the model's materials in name order and selects the model's current one;
//   - the fields show that material (or the one being added, copied or edited), and the
//     profile table its profiles, with the codes of the selected profile row;
//   - every material the step did not address is value for value what it was, and those it
//     addressed hold what the model says (names, manufacturer, groups, purposes, shape,
//     description mode, DN sizes, price-list codes);
//   - the enabled controls match the state, and the boxes shown are those the model expects;
//   - a changed catalog counts as unsaved; OK writes a file equal to the working catalog.
//
// RapidCheck generates the sessions, prints the seed and shrinks a failing session to a short
// one. CI runs about 1,400 steps; RC_PARAMS asks for more (README, "Random dialog
// sessions"), e.g. RC_PARAMS="max_success=1000 max_size=400".

#include "CatalogDialogTestSupport.h"
#include "CatalogSettingsTestSupport.h"
#include "CWexFunkce.h"
#include "CheckedEdit.h"
#include "PipeTables.h"
#include "QyDlgGetDN.h"
#include "QyDlgMatEdituj.h"
#include "ScriptedWindowServices.h"
#include "TextConvert.h"

#include <rapidcheck.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace MatDlgId;

namespace session {

// --- Actions ---------------------------------------------------------------------------------------

enum class Act {
    SelectRow, EditByDoubleClick, AddMaterial, CopyMaterial, EditMaterial,
    TypeName, TypeManufacturer, ToggleGroup, TogglePurpose, ChooseShape, ChooseDescMode,
    StoreByButton, StoreByEnter, CancelByButton, CancelByEscape, DeleteMaterial,
    FilterGroup, FilterPurpose,
    SelectProfile, AddProfile, DeleteProfile, DeleteAllProfiles, Generate, EditCell, ChooseDn, TypeCode,
    LoadStandard, Ok, Close,
};

// One user action as the session interprets it: a, b and c pick rows, values and answers
// (taken modulo what there is).
struct Action {
    Act act = Act::SelectRow;
    int a = 0;
    int b = 0;
    int c = 0;
};

// One generated step: `pick` chooses among the actions that the dialog's state offers (those
// of browsing, or those of a pending material), so that every step does something and every
// shrunk sequence is still a session a user could have.
struct Step {
    int pick = 0;
    int a = 0;
    int b = 0;
    int c = 0;
};

struct Weighted {
    int weight;
    Act act;
};
constexpr Weighted kBrowsingActs[] = {
    {12, Act::SelectRow}, {2, Act::EditByDoubleClick}, {5, Act::AddMaterial}, {4, Act::CopyMaterial},
    {6, Act::EditMaterial}, {3, Act::DeleteMaterial}, {3, Act::FilterGroup}, {3, Act::FilterPurpose},
    {5, Act::SelectProfile}, {5, Act::AddProfile}, {4, Act::DeleteProfile}, {3, Act::DeleteAllProfiles},
    {4, Act::Generate}, {6, Act::EditCell}, {3, Act::ChooseDn}, {4, Act::TypeCode}, {2, Act::LoadStandard},
    {1, Act::Ok}, {1, Act::Close},
};
constexpr Weighted kEditingActs[] = {
    {20, Act::TypeName}, {6, Act::TypeManufacturer}, {4, Act::ToggleGroup}, {4, Act::TogglePurpose},
    {2, Act::ChooseShape}, {2, Act::ChooseDescMode}, {12, Act::StoreByButton}, {8, Act::StoreByEnter},
    {4, Act::CancelByButton}, {4, Act::CancelByEscape}, {1, Act::Ok}, {1, Act::Close},
};
constexpr int kPickRange = 1000;

template <std::size_t N>
Act ActOf(const Weighted (&table)[N], int pick)
{
    int total = 0;
    for (const Weighted& w : table) total += w.weight;
    int point = pick % kPickRange * total / kPickRange;
    for (const Weighted& w : table) {
        if (point < w.weight) return w.act;
        point -= w.weight;
    }
    return table[0].act;
}

const char* const kNames[] = {"Zzz Beton", "Beton EN1916", "Beton EN1916 BS5911", "Azbest", "PVC KG",
                              "pvc kg", "Litina", "", "Kamenina 2"};
const char* const kManufacturers[] = {"", "Wavin", "Pipelife", "Hobas"};
const char* const kIntegerCells[] = {"0", "5", "110", "160", "99999999"};
const char* const kDecimalCells[] = {"0", "0.5", "3", "12.5", "110", "160.5", "99999999"};
const char* const kCodes[] = {"", "801-1", "123456789", "Z-7"};
constexpr int kCellColumns[] = {1, 2, 3, 5};
constexpr int kPurposeBoxes[] = {IdcPurposeSewer, IdcPurposePressureSewer, IdcPurposeWater, IdcPurposeGas,
                                 IdcPurposeHeating};
constexpr std::uint32_t kPurposeBits[] = {1, 2, 4, 8, 16};
constexpr int kFilterPurposeButtons[] = {IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas,
                                         IdcFilterHeating, IdcFilterAll};
constexpr int kFilterGroupButtons[] = {IdcGroupZti, IdcGroupNetworks, IdcGroupAll};
constexpr int kLoadAnswers[] = {101, 102, IDCANCEL}; // "Vymazat stávající", "Přidat materiály", "Zrušit načítání"
constexpr int kCloseAnswers[] = {IDYES, IDNO, IDCANCEL};

template <class T, std::size_t N>
const T& Pick(const T (&values)[N], int i)
{
    return values[static_cast<std::size_t>(i) % N];
}

const char* ActName(Act act)
{
    static const char* const names[] = {
        "SelectRow", "EditByDoubleClick", "AddMaterial", "CopyMaterial", "EditMaterial",
        "TypeName", "TypeManufacturer", "ToggleGroup", "TogglePurpose", "ChooseShape", "ChooseDescMode",
        "StoreByButton", "StoreByEnter", "CancelByButton", "CancelByEscape", "DeleteMaterial",
        "FilterGroup", "FilterPurpose",
        "SelectProfile", "AddProfile", "DeleteProfile", "DeleteAllProfiles", "Generate", "EditCell", "ChooseDn",
        "TypeCode", "LoadStandard", "Ok", "Close"};
    return names[static_cast<int>(act)];
}

std::string Describe(const Action& x)
{
    std::ostringstream os;
    os << ActName(x.act);
    switch (x.act) {
    case Act::SelectRow:
    case Act::EditByDoubleClick:
    case Act::SelectProfile:
    case Act::DeleteMaterial: os << "(row " << x.a << ")"; break;
    case Act::TypeName: os << "(\"" << Pick(kNames, x.a) << "\")"; break;
    case Act::TypeManufacturer: os << "(\"" << Pick(kManufacturers, x.a) << "\")"; break;
    case Act::ToggleGroup: os << "(" << (x.a % 2 ? "Inženýrské sítě" : "ZTI") << ")"; break;
    case Act::TogglePurpose: os << "(box " << Pick(kPurposeBoxes, x.a) << ")"; break;
    case Act::ChooseShape: os << "(" << x.a % 5 << ")"; break;
    case Act::ChooseDescMode: os << "(" << (x.a % 2 ? "D x t" : "DN") << ")"; break;
    case Act::FilterGroup: os << "(button " << Pick(kFilterGroupButtons, x.a) << ")"; break;
    case Act::FilterPurpose: os << "(button " << Pick(kFilterPurposeButtons, x.a) << ")"; break;
    case Act::AddProfile: os << "(" << (x.a % 2 ? "No" : "Yes") << " to adding from the beginning)"; break;
    case Act::DeleteAllProfiles: os << "(" << (x.a % 2 ? "Ne" : "Ano") << ")"; break;
    case Act::Generate:
        os << "(DN " << std::min(x.a, x.b) % kDnCount << " to " << std::max(x.a, x.b) % kDnCount << ", "
           << (x.c % 4 == 3 ? "Zruš" : "OK") << ")";
        break;
    case Act::EditCell: {
        const int column = Pick(kCellColumns, x.b);
        os << "(row " << x.a << ", column " << column << ", \""
           << (column == 1 ? Pick(kIntegerCells, x.c) : Pick(kDecimalCells, x.c)) << "\")";
        break;
    }
    case Act::ChooseDn: os << "(row " << x.a << ", DN index " << x.b % kDnCount << ")"; break;
    case Act::TypeCode: os << "(" << (x.a % 2 ? "materiál" : "montáž") << ", \"" << Pick(kCodes, x.b) << "\")"; break;
    case Act::LoadStandard: os << "(answer " << Pick(kLoadAnswers, x.a) << ")"; break;
    case Act::Close: os << "(answer " << Pick(kCloseAnswers, x.a) << ")"; break;
    default: break;
    }
    return os.str();
}

void showValue(const Step& step, std::ostream& os)
{
    os << "{" << step.pick << ", " << step.a << ", " << step.b << ", " << step.c << "}";
}

// --- Images of the records -------------------------------------------------------------------

struct ProfileImage {
    float inner, wall;
    std::int32_t width;
    std::u16string assembly, material, label, shortLabel;
    bool operator==(const ProfileImage&) const = default;
};

struct MaterialImage {
    std::u16string drawingName, detail, manufacturer, prefix, suffix;
    float roughness;
    std::uint32_t group, purposes, shape;
    std::int32_t pn, sdr, descMode;
    bool innerDiameter;
    std::map<int, ProfileImage> profiles;
    bool operator==(const MaterialImage&) const = default;
};

using CatalogImage = std::map<std::u16string, MaterialImage>;

CatalogImage ImageOf(const CWexSezMaterialu& catalog)
{
    CatalogImage image;
    for (const auto& [name, m] : catalog.m_materials) {
        MaterialImage& out = image[name];
        out = MaterialImage{m->m_strDrawingName, m->m_strDetail, m->m_strManufacturer, m->m_szPrefix, m->m_szSuffix,
                            m->m_fRoughness, m->m_nGroup, m->m_nPurposes, m->m_nShape, m->m_nPN, m->m_nSDR,
                            m->m_nDescMode, m->m_bInnerDiameter, {}};
        for (const auto& [dn, p] : m->m_profiles)
            out.profiles[dn] = ProfileImage{p->m_fInnerDiameter, p->m_fWall, p->m_nWidth, p->UrsAssembly(),
                                            p->UrsMaterial(), p->m_szLabel, p->m_szShortLabel};
    }
    return image;
}

std::string Utf8(const std::u16string& text)
{
    return QString::fromStdU16String(text).toStdString();
}

// --- The model ---------------------------------------------------------------------------------

struct Codes {
    std::u16string assembly, material;
    bool operator==(const Codes&) const = default;
};

// What the model knows of a material: what the user typed and chose, and which sizes it has.
struct ModelMaterial {
    std::u16string manufacturer;
    std::uint32_t group = 3, purposes = 31, shape = 0;
    std::int32_t descMode = DescOuterXWall;
    std::map<int, Codes> profiles;
    bool operator==(const ModelMaterial&) const = default;
};

ModelMaterial ModelOf(const MaterialImage& m)
{
    ModelMaterial out{m.manufacturer, m.group, m.purposes, m.shape, m.descMode, {}};
    for (const auto& [dn, p] : m.profiles) out.profiles[dn] = Codes{p.assembly, p.material};
    return out;
}

std::string Describe(const ModelMaterial& m)
{
    std::ostringstream os;
    os << "manufacturer \"" << Utf8(m.manufacturer) << "\", group " << m.group << ", purposes " << m.purposes
       << ", shape " << m.shape << ", description " << m.descMode << ", profiles:";
    for (const auto& [dn, c] : m.profiles)
        os << " " << Utf8(DnLabel(dn)) << " \"" << Utf8(c.assembly) << "\" \"" << Utf8(c.material) << "\"";
    return os.str();
}

// The model's view and the sizes: inner diameter / wall / width.
std::string Describe(const MaterialImage& m)
{
    std::ostringstream os;
    os << Describe(ModelOf(m)) << "; sizes:";
    for (const auto& [dn, p] : m.profiles) os << " " << p.inner << "/" << p.wall << "/" << p.width;
    return os.str();
}

// The material in the fields while one is added, copied or edited.
struct Pending {
    int mode = CQyDlgMatEdituj::EditBrowsing;
    std::u16string source; // copied or edited material
    std::u16string name;
    ModelMaterial fields;  // its profiles unused
};

struct Model {
    std::map<std::u16string, ModelMaterial> materials;
    std::vector<std::u16string> rows;     // listed names, top to bottom
    std::optional<std::u16string> current; // the selected row's material
    std::optional<int> profileRow;        // DN of the profile table's selected row
    MaterialFilter filter{GroupAll, PurposeAll};
    Pending pending;
    bool loaded = false; // a load counts as a change even when it added nothing

    bool Browsing() const { return pending.mode == CQyDlgMatEdituj::EditBrowsing; }
    ModelMaterial* Current() { return current ? &materials.at(*current) : nullptr; }
    std::vector<int> Dns() const
    {
        std::vector<int> dns;
        if (current)
            for (const auto& [dn, codes] : materials.at(*current).profiles) dns.push_back(dn);
        return dns;
    }
    // Showing a material selects its first profile row.
    void Show(std::optional<std::u16string> name)
    {
        current = std::move(name);
        const std::vector<int> dns = Dns();
        profileRow = dns.empty() ? std::nullopt : std::optional<int>(dns.front());
    }
    // Filling the list: the materials that pass the filter, the first one shown.
    void Fill(MaterialFilter f)
    {
        rows.clear();
        for (const auto& [name, m] : materials)
            if (f.Passes(m.group, m.purposes)) rows.push_back(name);
        SortRows();
        Show(rows.empty() ? std::nullopt : std::optional<std::u16string>(rows.front()));
    }
    void SortRows()
    {
        std::stable_sort(rows.begin(), rows.end(), [](const std::u16string& a, const std::u16string& b) {
            return CompareNames(a, b) < 0;
        });
    }
    static int CompareNames(const std::u16string& a, const std::u16string& b)
    {
        CWexMaterial ma(nullptr, a, {}), mb(nullptr, b, {});
        return CompareMaterialNames(&ma, &mb, 0);
    }
};

// --- The session: the dialog, its catalogs and files, the model ---------------------------------

// The shown fields, read from the controls.
struct Fields {
    std::u16string name, popis, manufacturer, detail, roughness;
    int pn = -1, sdr = -1, desc = -1, shape = -1;
    std::uint32_t group = 0, purposes = 0;
    bool operator==(const Fields&) const = default;
};

std::string Describe(const Fields& f)
{
    std::ostringstream os;
    os << "name \"" << Utf8(f.name) << "\", popis \"" << Utf8(f.popis) << "\", manufacturer \""
       << Utf8(f.manufacturer) << "\", detail \"" << Utf8(f.detail) << "\", roughness " << Utf8(f.roughness)
       << ", PN " << f.pn << ", SDR " << f.sdr << ", description " << f.desc << ", shape " << f.shape
       << ", group " << f.group << ", purposes " << f.purposes;
    return os.str();
}

class Failure : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Session {
public:
    explicit Session(int catalogKind);
    ~Session() { dlg.reset(); }
    // Runs one step and checks the dialog against the model; throws Failure on a mismatch.
    void Run(const Step& step);
    // Ends the session with OK, which must write what the model holds.
    void Finish() { if (!closed) RunAction(Action{Act::Ok}); }
    // The actions run so far, one a line.
    const std::string& Log() const { return log; }
    bool Closed() const { return closed; }

private:
    TempCatalogSettings settings;
    ScriptedWindowServices services;
    ScopedWindowServices scope{services};
    CWexSezMaterialu caller;
    std::unique_ptr<CQyDlgMatEdituj> dlg;
    Model model;
    CatalogImage opened; // the caller's catalog as the dialog opened on it
    CatalogImage last;   // the working catalog after the last step
    std::set<std::u16string> addressed; // the materials this step may change
    std::vector<std::string> expectedPrompts;
    bool allowOverwriteQuestions = false;
    bool closed = false;
    bool focusOnList = false; // this step must leave the focus on the list
    std::optional<int> editedDn; // a cell edit's profile
    std::string log;
    int steps = 0;

    CWexMaterial* Record(const std::u16string& name) { return dlg->m_workCatalog.Find(name); }
    QWidget* Control(int id) { return dlg->GetDlgItem(id); }
    void Fail(const std::string& what) { throw Failure(what); }
    void Click(int id) { QTest::mouseClick(Button(*dlg, id), Qt::LeftButton); }
    void ClickMark(int id)
    {
        auto* box = Button(*dlg, id);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void Type(int id, const QString& text)
    {
        auto* edit = dlg->GetDlgItemAs<QLineEdit>(id);
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    TreeListItem* TreeRow(int row)
    {
        TreeListItem* item = dlg->m_treeProf->GetRootItem();
        for (int i = 0; item && i < row; ++i) item = dlg->m_treeProf->GetNextItem(item, TLGN_NEXT);
        return item;
    }

    void RunAction(const Action& action);
    void Perform(const Action& action);
    void StartEditing(int mode);
    void Store(bool byEnter);
    void EditCell(const Action& action);
    void ChooseDn(const Action& action);
    void Generate(const Action& action);
    void LoadStandard(int answer);
    void CloseWith(bool ok, int answer);

    void Verify();
    void VerifyList();
    void VerifyFields();
    void VerifyProfiles();
    void VerifyEnabled();
    void VerifyPrompts();
    void VerifyCatalog(const CatalogImage& now);
    Fields ShownFields();
    static Fields FieldsOf(const std::u16string& name, const MaterialImage& m);
};

// Pressure class and SDR "---", as the materials of the program's catalogs have them.
void GiveNoPressureClass(CWexSezMaterialu& catalog)
{
    for (auto& [name, m] : catalog.m_materials) m->m_nPN = m->m_nSDR = 0;
}

// The catalogs a session may open on: none at all, two materials named alike (so that a
// rename moves a row past the other), or those and three more of both groups and several
// purposes.
void FillStartCatalog(CWexSezMaterialu& catalog, int kind)
{
    if (kind > 0)
        FillCatalog(catalog, {{"Beton EN1916", GroupUtilityNetworks, PurposeSewer, {17, 18, 19}, DescByDn},
                              {"Beton EN1916 BS5911", GroupUtilityNetworks, PurposeSewer, {17, 20}, DescByDn}});
    if (kind > 1)
        FillCatalog(catalog, {{"PVC KG", GroupAll, PurposeSewer | PurposePressureSewer, {11, 12, 13}},
                              {"Ocel", GroupBuildingServices, PurposeWater | PurposeGas | PurposeHeating, {5, 8}, 1, "",
                               "Ferona"},
                              {"Kamenina", GroupUtilityNetworks, PurposeSewer, {}, DescByDn}});
    GiveNoPressureClass(catalog);
}

Session::Session(int catalogKind)
{
    FillStartCatalog(caller, catalogKind % 3);
    // The standard catalog shares one name (with other sizes) and adds one.
    CWexSezMaterialu standard;
    FillCatalog(standard, {{"Beton EN1916", GroupUtilityNetworks, PurposeSewer, {17, 22}, DescByDn},
                           {"Litina", GroupUtilityNetworks, PurposeWater, {11, 13}, 1, "", "Duktus"}});
    GiveNoPressureClass(standard);
    WriteCatalogFile(FsPath(settings.StandardCatalog()), standard);
    opened = ImageOf(caller);
    dlg = std::make_unique<CQyDlgMatEdituj>();
    if (!OpenEditingOn(*dlg, caller)) Fail("the dialog did not become active");
    QCoreApplication::processEvents();

    for (const auto& [name, m] : opened) model.materials[name] = ModelOf(m);
    model.Fill(model.filter);
    last = opened;
    Verify();
}

void Session::Run(const Step& step)
{
    if (closed) return;
    RunAction(Action{model.Browsing() ? ActOf(kBrowsingActs, step.pick) : ActOf(kEditingActs, step.pick), step.a,
                     step.b, step.c});
}

void Session::RunAction(const Action& action)
{
    log += "  " + std::to_string(++steps) + ". " + Describe(action) + "\n";
    addressed.clear();
    expectedPrompts.clear();
    allowOverwriteQuestions = false;
    focusOnList = false;
    editedDn.reset();
    services.ClearPrompts();
    Perform(action);
    QCoreApplication::processEvents(); // reports made after the step's events
    if (!closed) Verify();
}

// --- Performing an action and predicting its effect -----------------------------------------------

void Session::Perform(const Action& x)
{
    const bool browsing = model.Browsing();
    const bool editing = !browsing;
    const bool hasCurrent = model.current.has_value();
    const int rowCount = static_cast<int>(model.rows.size());
    const std::vector<int> dns = model.Dns();

    switch (x.act) {
    case Act::SelectRow:
        if (!browsing || rowCount == 0) return;
        ClickRow(*dlg->m_listMat, x.a % rowCount);
        if (model.current != model.rows[x.a % rowCount]) model.Show(model.rows[x.a % rowCount]);
        return;
    case Act::EditByDoubleClick:
        if (!browsing || rowCount == 0) return;
        ClickRow(*dlg->m_listMat, x.a % rowCount, true);
        if (model.current != model.rows[x.a % rowCount]) model.Show(model.rows[x.a % rowCount]);
        StartEditing(CQyDlgMatEdituj::EditEditing);
        return;
    case Act::AddMaterial:
        if (!browsing) return;
        Click(IdcAddMaterial);
        model.pending = Pending{CQyDlgMatEdituj::EditAdding, {}, {}, ModelMaterial{}};
        model.pending.fields.descMode = hasCurrent ? model.Current()->descMode : DescOuterXWall;
        return;
    case Act::CopyMaterial:
        if (!browsing || !hasCurrent) return;
        Click(IdcCopyMaterial);
        StartEditing(CQyDlgMatEdituj::EditCopying);
        return;
    case Act::EditMaterial:
        if (!browsing || !hasCurrent) return;
        Click(IdcEditMaterial);
        StartEditing(CQyDlgMatEdituj::EditEditing);
        return;
    case Act::TypeName:
        if (!editing) return;
        Type(IdcName, QString::fromUtf8(Pick(kNames, x.a)));
        model.pending.name = U16(Pick(kNames, x.a));
        return;
    case Act::TypeManufacturer:
        if (!editing) return;
        Type(IdcManufacturer, QString::fromUtf8(Pick(kManufacturers, x.a)));
        model.pending.fields.manufacturer = U16(Pick(kManufacturers, x.a));
        return;
    case Act::ToggleGroup: {
        if (!editing) return;
        const std::uint32_t bit = x.a % 2 ? GroupUtilityNetworks : GroupBuildingServices;
        ClickMark(x.a % 2 ? IdcGroupCheckNetworks : IdcGroupCheckZti);
        // The last checked group is checked again.
        if (model.pending.fields.group != bit) model.pending.fields.group ^= bit;
        return;
    }
    case Act::TogglePurpose: {
        if (!editing) return;
        const std::uint32_t bit = Pick(kPurposeBits, x.a);
        ClickMark(Pick(kPurposeBoxes, x.a));
        if (model.pending.fields.purposes != bit) model.pending.fields.purposes ^= bit;
        return;
    }
    case Act::ChooseShape:
        if (!editing) return;
        ClickMark(IdcShapeCircle + x.a % 5);
        model.pending.fields.shape = static_cast<std::uint32_t>(x.a % 5);
        return;
    case Act::ChooseDescMode:
        if (!editing) return;
        ClickMark(x.a % 2 ? IdcDescDxT : IdcDescDn);
        model.pending.fields.descMode = x.a % 2 ? DescOuterXWall : DescByDn;
        return;
    case Act::StoreByButton:
    case Act::StoreByEnter:
        if (!editing) return; // "Ulož.." is hidden; Enter would be OK
        Store(x.act == Act::StoreByEnter);
        return;
    case Act::CancelByButton:
    case Act::CancelByEscape:
        if (!editing) return; // Escape would be "Zruš"
        if (x.act == Act::CancelByButton) Click(IdcCancelMaterial);
        else QTest::keyClick(dlg->focusWidget() ? dlg->focusWidget() : dlg.get(), Qt::Key_Escape);
        model.pending = Pending{};
        focusOnList = true;
        return;
    case Act::DeleteMaterial: {
        if (!browsing || !hasCurrent) return;
        Click(IdcDeleteMaterial);
        const auto at = std::find(model.rows.begin(), model.rows.end(), *model.current);
        const auto index = at - model.rows.begin();
        addressed.insert(*model.current);
        model.materials.erase(*model.current);
        model.rows.erase(at);
        if (model.rows.empty()) model.Show(std::nullopt);
        else model.Show(model.rows[std::min<std::size_t>(index, model.rows.size() - 1)]);
        return;
    }
    case Act::FilterGroup:
    case Act::FilterPurpose: {
        if (!browsing) return;
        const bool group = x.act == Act::FilterGroup;
        const int button = group ? Pick(kFilterGroupButtons, x.a) : Pick(kFilterPurposeButtons, x.a);
        Click(button);
        if (group) model.filter.group = button == IdcGroupAll ? GroupAll : (button == IdcGroupZti ? 1u : 2u);
        else model.filter.purposes = button == IdcFilterAll ? PurposeAll : 1u << (button - IdcFilterSewer);
        model.Fill(model.filter);
        return;
    }
    case Act::SelectProfile:
        if (!browsing || dns.empty()) return;
        ClickTreeRow(*dlg->m_treeProf, x.a % static_cast<int>(dns.size()));
        model.profileRow = dns[x.a % dns.size()];
        return;
    case Act::AddProfile: {
        if (!browsing || !hasCurrent) return;
        auto& profiles = model.Current()->profiles;
        auto freeFrom = [&](int from) {
            for (int dn = from; dn < kDnCount; ++dn)
                if (!profiles.count(dn)) return dn;
            return -1;
        };
        const int start = model.profileRow.value_or(0);
        int dn = freeFrom(start);
        if (dn < 0 && start != 0) {
            expectedPrompts.push_back("Nelze přidat již další DN, přidat od začátku?");
            services.QueueAnswer(x.a % 2 ? IDNO : IDYES);
            dn = x.a % 2 ? -2 : freeFrom(0);
        }
        if (dn == -1) expectedPrompts.push_back("Nelze přidat již další DN !!");
        Click(IdcAddProfile);
        if (dn >= 0) {
            profiles[dn] = Codes{};
            addressed.insert(*model.current);
        }
        return;
    }
    case Act::DeleteProfile: {
        if (!browsing || !model.profileRow) return;
        Click(IdcDeleteProfile);
        auto& profiles = model.Current()->profiles;
        auto next = profiles.upper_bound(*model.profileRow);
        profiles.erase(*model.profileRow);
        if (next != profiles.end()) model.profileRow = next->first;
        else model.profileRow = profiles.empty() ? std::nullopt : std::optional<int>(profiles.rbegin()->first);
        addressed.insert(*model.current);
        return;
    }
    case Act::DeleteAllProfiles:
        if (!browsing || !hasCurrent) return;
        expectedPrompts.push_back("Opravdu vymazat všechny profily?\ntento krok je nevratný");
        services.QueueAnswer(x.a % 2 ? IDNO : IDYES);
        Click(IdcDeleteAllProfiles);
        if (x.a % 2 == 0) {
            model.Current()->profiles.clear();
            model.profileRow.reset();
            addressed.insert(*model.current);
        }
        return;
    case Act::Generate:
        if (!browsing || !hasCurrent) return;
        Generate(x);
        return;
    case Act::EditCell:
        if (!browsing || dns.empty()) return;
        EditCell(x);
        return;
    case Act::ChooseDn:
        if (!browsing || dns.empty()) return;
        ChooseDn(x);
        return;
    case Act::TypeCode: {
        if (!browsing || !model.profileRow) return;
        const std::u16string code = U16(Pick(kCodes, x.b));
        Type(x.a % 2 ? IdcUrsMaterial : IdcUrsAssembly, QString::fromStdU16String(code));
        Codes& codes = model.Current()->profiles.at(*model.profileRow);
        (x.a % 2 ? codes.material : codes.assembly) = code;
        addressed.insert(*model.current);
        return;
    }
    case Act::LoadStandard:
        if (!browsing) return;
        LoadStandard(Pick(kLoadAnswers, x.a));
        return;
    case Act::Ok: CloseWith(true, 0); return;
    case Act::Close: CloseWith(false, Pick(kCloseAnswers, x.a)); return;
    }
}

void Session::StartEditing(int mode)
{
    const ModelMaterial& source = *model.Current();
    model.pending = Pending{mode, *model.current, *model.current, source};
}

void Session::Store(bool byEnter)
{
    if (byEnter) {
        QWidget* focus = dlg->focusWidget() ? dlg->focusWidget() : Control(IdcName);
        QTest::keyClick(focus, Qt::Key_Return);
    } else {
        Click(IdcSaveMaterial);
    }
    Pending& p = model.pending;
    // A description format whose labels cannot be built for the material's sizes (a size of
    // eight digits, taken while the material was labelled by DN, switched to "D x t") is
    // refused whole with the report of the label; the material stays pending, nothing changes.
    const auto& shown = services.Prompts();
    if (p.mode != CQyDlgMatEdituj::EditAdding && shown.size() == 1 &&
        shown.front().Text().rfind("Nepodařilo se vytvořit popis", 0) == 0 &&
        p.fields.descMode != model.materials.at(p.source).descMode) {
        expectedPrompts.push_back(shown.front().Text());
        return;
    }
    if (p.name.empty()) {
        expectedPrompts.push_back("Název nesmí být prázdný");
        return;
    }
    const bool nameTaken = model.materials.count(p.name) && !(p.mode == CQyDlgMatEdituj::EditEditing && p.name == p.source);
    if (nameTaken) {
        expectedPrompts.push_back(p.mode == CQyDlgMatEdituj::EditEditing
                                      ? "Tento název již existuje u jiného materiálu"
                                      : "Tento název již existuje u jiného materiálu, možná jen není zobrazen\n(přepněte filtry)");
        return;
    }
    ModelMaterial stored = p.fields;
    if (p.mode == CQyDlgMatEdituj::EditAdding) stored.profiles.clear();
    else stored.profiles = model.materials.at(p.source).profiles;
    addressed.insert(p.name);
    if (p.mode == CQyDlgMatEdituj::EditEditing) {
        // The edited material keeps its row (and its profile row), under its new name.
        addressed.insert(p.source);
        model.materials.erase(p.source);
        model.materials[p.name] = stored;
        std::replace(model.rows.begin(), model.rows.end(), p.source, p.name);
        model.SortRows();
        model.current = p.name;
    } else {
        model.materials[p.name] = stored;
        model.rows.push_back(p.name);
        model.SortRows();
        model.Show(p.name);
    }
    model.pending = Pending{};
    focusOnList = true;
}

void Session::Generate(const Action& x)
{
    const int from = std::min(x.a, x.b) % kDnCount;
    const int to = std::max(from, std::max(x.a, x.b) % kDnCount);
    const bool ok = x.c % 4 != 3;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* range = qobject_cast<CQyDlgGetDN*>(QApplication::activeModalWidget());
        if (!range) return;
        shown = true;
        range->m_comboFrom->setCurrentIndex(from);
        range->m_comboTo->setCurrentIndex(to);
        Button(*range, ok ? IDOK : IDCANCEL)->click();
    });
    Click(IdcGenerateProfiles);
    QCoreApplication::processEvents();
    if (!shown) Fail("\"Generovat...\" showed no DN range dialog");
    if (!ok) return;
    auto& profiles = model.Current()->profiles;
    profiles.clear();
    for (int dn = from; dn <= to; ++dn) profiles[dn] = Codes{};
    model.profileRow.reset();
    addressed.insert(*model.current);
}

void Session::EditCell(const Action& x)
{
    const std::vector<int> dns = model.Dns();
    const int row = x.a % static_cast<int>(dns.size());
    const int dn = dns[row];
    const int column = Pick(kCellColumns, x.b);
    const QString text = QString::fromUtf8(column == 1 ? Pick(kIntegerCells, x.c) : Pick(kDecimalCells, x.c));
    CTreeListCtrl& tree = *dlg->m_treeProf;
    const ProfileImage before = last.at(*model.current).profiles.at(dn);

    tree.setFocus();
    tree.SelectItem(TreeRow(row), column);
    model.profileRow = dn;
    addressed.insert(*model.current);
    editedDn = dn;
    QTest::keyClick(&tree, Qt::Key_Return);
    auto* editor = qobject_cast<CCheckedEdit*>(tree.Editor());
    if (!editor) return; // a hidden column offers no editor
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    const CWexProfil* p = Record(*model.current)->FindProfile(dn);
    if (tree.IsEditing()) {
        // Refused: the editor stays open and the profile keeps everything it had.
        QTest::keyClick(editor, Qt::Key_Escape);
        tree.EndEdit(false);
        if (ImageOf(dlg->m_workCatalog).at(*model.current).profiles.at(dn) != before)
            Fail("a refused cell edit changed the profile");
        return;
    }
    // The value as a float holds it (an eight-digit number is rounded).
    const float value = text.toFloat();
    auto near = [value](double got) { return std::abs(got - value) <= std::abs(value) * 1e-6 + 1e-3; };
    bool taken = true;
    switch (column) {
    case 1: taken = near(p->OuterDiameter()); break;
    case 2: taken = near(p->m_fWall); break;
    case 3: taken = near(p->m_fInnerDiameter); break;
    case 5: taken = p->m_nWidth == static_cast<int>(std::trunc(value)) || near(p->m_nWidth); break;
    }
    if (!taken)
        Fail("an accepted cell edit did not take the typed value: the cell shows \"" +
             tree.GetItemText(TreeRow(row), column).toStdString() + "\"");
}

void Session::ChooseDn(const Action& x)
{
    const std::vector<int> dns = model.Dns();
    const int row = x.a % static_cast<int>(dns.size());
    const int dn = dns[row];
    const int target = x.b % kDnCount;
    CTreeListCtrl& tree = *dlg->m_treeProf;
    tree.setFocus();
    tree.SelectItem(TreeRow(row), 4);
    QTest::keyClick(&tree, Qt::Key_Return);
    auto* combo = qobject_cast<QComboBox*>(tree.Editor());
    if (!combo) Fail("the DN column offered no drop-down list");
    combo->setCurrentIndex(target);
    QTest::keyClick(combo, Qt::Key_Return);
    auto& profiles = model.Current()->profiles;
    model.profileRow = dn;
    if (!profiles.count(target)) {
        // The profile moves to the new size, with its codes; its row stays selected.
        profiles[target] = profiles.at(dn);
        profiles.erase(dn);
        model.profileRow = target;
        addressed.insert(*model.current);
    }
}

void Session::LoadStandard(int answer)
{
    services.QueueAnswer(answer);
    expectedPrompts.push_back("Vymazat stávající materiály?");
    Click(IdcLoadStandard);
    if (answer == IDCANCEL) return;

    CWexSezMaterialu standard;
    ReadCatalogFile(FsPath(settings.StandardCatalog()), standard);
    for (const auto& [name, m] : model.materials) addressed.insert(name);
    if (answer == 101) model.materials.clear();
    for (const auto& [name, image] : ImageOf(standard)) {
        addressed.insert(name);
        const ModelMaterial incoming = ModelOf(image);
        auto [at, added] = model.materials.try_emplace(name, incoming);
        if (added) continue;
        // A material of that name stays as it is ("Ano" to the overwrite question) and
        // gains the sizes it lacked.
        allowOverwriteQuestions = true;
        for (const auto& [dn, codes] : incoming.profiles) at->second.profiles.try_emplace(dn, codes);
    }
    model.loaded = true;
    model.Fill(MaterialFilter{GroupAll, PurposeAll}); // the filter buttons keep their state
}

void Session::CloseWith(bool ok, int answer)
{
    const bool wasSaved = dlg->m_workCatalog.m_bSaved;
    const CatalogImage work = ImageOf(dlg->m_workCatalog);
    if (!ok && !wasSaved) {
        expectedPrompts.push_back("Uložit provedené změny do souboru?");
        services.QueueAnswer(answer);
    }
    // A catalog without materials is saved only when the user says so: here OK says yes and
    // "Zruš" no, so both ways are taken.
    const bool saves = ok ? !wasSaved : !wasSaved && answer == IDYES;
    if (saves && work.empty()) {
        expectedPrompts.push_back("Katalog neobsahuje žádný materiál.\nUložit jej přesto? Uživatelský soubor pak nebude "
                                  "obsahovat žádný materiál; jeho dosavadní obsah zůstane v záloze Potrubi.ptq.bak.");
        services.QueueAnswer(ok ? IDYES : IDNO);
    }
    Click(ok ? IDOK : IDCANCEL);
    VerifyPrompts();
    if (!ok && !wasSaved && answer == IDCANCEL) {
        if (!dlg->isVisible()) Fail("\"Zruš\" answered Storno closed the dialog");
        return;
    }
    closed = true;
    if (dlg->isVisible() || dlg->result() != (ok ? IDOK : IDCANCEL)) Fail("the dialog did not close as asked");
    const bool written = saves && (ok || !work.empty());
    const bool fileExists = QFile::exists(settings.UserCatalog());
    if (fileExists != written)
        Fail(fileExists ? "a user catalog was written that should not be" : "no user catalog was written");
    if (fileExists) {
        CWexSezMaterialu saved;
        ReadCatalogFile(FsPath(settings.UserCatalog()), saved);
        if (ImageOf(saved) != work) Fail("the user catalog written differs from the working catalog");
        for (const auto& [name, m] : model.materials)
            if (!saved.Find(name) || ModelOf(ImageOf(saved).at(name)) != m)
                Fail("the user catalog written differs from the model at \"" + Utf8(name) + "\"");
    }
    if (ImageOf(caller) != (ok ? work : opened))
        Fail(ok ? "OK did not hand the work back" : "\"Zruš\" changed the caller's catalog");
}

// --- Checks ---------------------------------------------------------------------------------

void Session::Verify()
{
    VerifyPrompts();
    VerifyList();
    VerifyEnabled();
    VerifyProfiles();
    VerifyFields();
    const CatalogImage now = ImageOf(dlg->m_workCatalog);
    VerifyCatalog(now);
    if ((now != opened || model.loaded) && dlg->m_workCatalog.m_bSaved)
        Fail("the catalog changed but counts as saved: OK would not write it");
    if (focusOnList && dlg->focusWidget() != dlg->m_listMat)
        Fail(std::string("the focus is not on the list after storing or abandoning a material but on ") +
             (dlg->focusWidget() ? dlg->focusWidget()->objectName().toStdString() : "nothing"));
    last = now;
}

void Session::VerifyPrompts()
{
    std::vector<std::string> shown;
    for (const RecordedPrompt& prompt : services.Prompts()) {
        const bool overwrite = prompt.Text().find("Přepsat materiál") != std::string::npos;
        if (overwrite && allowOverwriteQuestions) continue;
        shown.push_back(prompt.Text());
    }
    services.ClearPrompts();
    if (shown != expectedPrompts) {
        std::string text = "boxes shown:";
        for (const std::string& s : shown) text += " [" + s + "]";
        text += "; expected:";
        for (const std::string& s : expectedPrompts) text += " [" + s + "]";
        Fail(text);
    }
    expectedPrompts.clear();
}

void Session::VerifyList()
{
    const QStringList listed = ListedNames(*dlg->m_listMat);
    std::vector<std::u16string> names;
    for (const QString& name : listed) names.push_back(name.toStdU16String());
    std::vector<std::u16string> expected = model.rows;
    auto sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    if (sorted != expected) Fail("the list shows " + listed.join(", ").toStdString());
    for (std::size_t i = 1; i < names.size(); ++i)
        if (Model::CompareNames(names[i - 1], names[i]) > 0) Fail("the list is not in name order");
    // Names equal but for letter case stand in the order the list gives them.
    model.rows = names;

    const int selected = dlg->m_listMat->GetSelectedRow();
    // The dialog's current row, on which the profile buttons act, is the selected row.
    if (model.Browsing() && dlg->m_nCurItem != selected)
        Fail("the current row is " + std::to_string(dlg->m_nCurItem) + ", the selected row " + std::to_string(selected));
    const std::optional<std::u16string> shown =
        selected < 0 ? std::nullopt : std::optional<std::u16string>(names[static_cast<std::size_t>(selected)]);
    if (shown != model.current)
        Fail("the list selects " + (shown ? Utf8(*shown) : std::string("nothing")) + " instead of " +
             (model.current ? Utf8(*model.current) : std::string("nothing")));
}

Fields Session::FieldsOf(const std::u16string& name, const MaterialImage& m)
{
    Fields f;
    f.name = name;
    f.popis = m.drawingName;
    f.manufacturer = m.manufacturer;
    f.detail = m.detail;
    f.roughness = FormatFixed16(m.roughness, 5);
    f.pn = m.pn;
    f.sdr = m.sdr;
    f.desc = m.descMode;
    f.shape = static_cast<int>(m.shape);
    f.group = m.group;
    f.purposes = m.purposes;
    return f;
}

Fields Session::ShownFields()
{
    Fields f;
    f.name = EditText(*dlg, IdcName).toStdU16String();
    f.popis = EditText(*dlg, IdcPopis).toStdU16String();
    f.manufacturer = EditText(*dlg, IdcManufacturer).toStdU16String();
    f.detail = EditText(*dlg, IdcDetail).toStdU16String();
    f.roughness = EditText(*dlg, IdcRoughness).toStdU16String();
    f.pn = dlg->m_comboPN->currentIndex();
    f.sdr = dlg->m_comboSDR->currentIndex();
    for (int i = 0; i < 3; ++i)
        if (Button(*dlg, IdcDescDn + i)->isChecked()) f.desc = i;
    for (int i = 0; i < 5; ++i)
        if (Button(*dlg, IdcShapeCircle + i)->isChecked()) f.shape = i;
    if (Button(*dlg, IdcGroupCheckZti)->isChecked()) f.group |= GroupBuildingServices;
    if (Button(*dlg, IdcGroupCheckNetworks)->isChecked()) f.group |= GroupUtilityNetworks;
    for (int i = 0; i < 5; ++i)
        if (Button(*dlg, kPurposeBoxes[i])->isChecked()) f.purposes |= kPurposeBits[i];
    return f;
}

void Session::VerifyFields()
{
    const Fields shown = ShownFields();
    if (!model.Browsing()) {
        // The pending material: what the user typed and chose.
        const Pending& p = model.pending;
        Fields expected = shown;
        expected.name = p.name;
        expected.manufacturer = p.fields.manufacturer;
        expected.group = p.fields.group;
        expected.purposes = p.fields.purposes;
        expected.shape = static_cast<int>(p.fields.shape);
        expected.desc = p.fields.descMode;
        if (shown != expected) Fail("the fields show " + Describe(shown) + " instead of " + Describe(expected));
        return;
    }
    if (!model.current) {
        if (shown != Fields{}) Fail("no material is selected, yet the fields show " + Describe(shown));
        return;
    }
    const Fields expected = FieldsOf(*model.current, ImageOf(dlg->m_workCatalog).at(*model.current));
    if (shown != expected) Fail("the fields show " + Describe(shown) + " instead of " + Describe(expected));
}

void Session::VerifyProfiles()
{
    CTreeListCtrl& tree = *dlg->m_treeProf;
    std::vector<const CWexProfil*> rows;
    for (TreeListItem* item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TLGN_NEXT))
        rows.push_back(static_cast<const CWexProfil*>(tree.GetItemData(item)));
    std::vector<const CWexProfil*> expected;
    if (model.current)
        for (const auto& [dn, p] : Record(*model.current)->m_profiles) expected.push_back(p.get());
    if (rows != expected)
        Fail("the profile table does not show the profiles of " +
             (model.current ? "\"" + Utf8(*model.current) + "\"" : std::string("no material")) + " (" +
             std::to_string(rows.size()) + " rows)");

    const auto* selected = static_cast<const CWexProfil*>(tree.GetItemData(tree.GetSelectedItem()));
    const std::optional<int> selectedDn = selected ? std::optional<int>(selected->m_nDN) : std::nullopt;
    if (selectedDn != model.profileRow)
        Fail("the profile table selects " + (selected ? Utf8(DnLabel(selected->m_nDN)) : std::string("no row")) +
             " instead of " + (model.profileRow ? Utf8(DnLabel(*model.profileRow)) : std::string("no row")));
    if (selected && (EditText(*dlg, IdcUrsAssembly).toStdU16String() != selected->UrsAssembly() ||
                     EditText(*dlg, IdcUrsMaterial).toStdU16String() != selected->UrsMaterial()))
        Fail("the price-list code edits do not show the codes of the selected profile");
}

void Session::VerifyEnabled()
{
    const bool browsing = model.Browsing();
    const bool current = model.current.has_value();
    struct Rule {
        std::initializer_list<int> ids;
        bool enabled;
    };
    const Rule rules[] = {
        {{IdcMaterialList, IdcAddMaterial, IdcLoadFromFile, IdcLoadStandard, IdcFilterSewer, IdcFilterAll, IdcGroupZti,
          IdcGroupAll},
         browsing},
        {{IdcAddProfile, IdcDeleteProfile, IdcDeleteAllProfiles, IdcGenerateProfiles, IdcProfileTree, IdcUrsAssembly,
          IdcUrsMaterial},
         browsing && current},
        {{IdcDeleteMaterial, IdcCopyMaterial, IdcEditMaterial}, browsing && current},
        {{IdcName, IdcManufacturer, IdcGroupCheckZti, IdcPurposeWater, IdcShapeCircle, IdcDescDn}, !browsing},
        {{IDOK, IDCANCEL}, true},
    };
    for (const Rule& rule : rules) {
        const QStringList wrong = IdsFailing(*dlg, rule.ids, [&](QWidget* w) { return w->isEnabled() == rule.enabled; });
        if (!wrong.isEmpty())
            Fail("controls " + wrong.join(", ").toStdString() + " should be " + (rule.enabled ? "enabled" : "disabled"));
    }
    for (int id : {IdcSaveMaterial, IdcCancelMaterial})
        if (Control(id)->isVisibleTo(dlg.get()) == browsing) Fail("\"Ulož..\" and \"Zruš..\" are shown while browsing, or hidden while editing");
}

void Session::VerifyCatalog(const CatalogImage& now)
{
    std::set<std::u16string> names;
    for (const auto& [name, m] : now) names.insert(name);
    std::set<std::u16string> expected;
    for (const auto& [name, m] : model.materials) expected.insert(name);
    if (names != expected) {
        std::string text = "the working catalog holds:";
        for (const auto& name : names) text += " \"" + Utf8(name) + "\"";
        Fail(text);
    }
    for (const auto& [name, m] : now) {
        if (ModelOf(m) != model.materials.at(name))
            Fail("\"" + Utf8(name) + "\" holds " + Describe(m) + "; expected " + Describe(model.materials.at(name)));
        if (addressed.count(name)) {
            // The profiles of a cell edit's material other than the edited one stay.
            if (editedDn)
                for (const auto& [dn, p] : m.profiles)
                    if (dn != *editedDn && last.count(name) && last.at(name).profiles.count(dn) &&
                        last.at(name).profiles.at(dn) != p)
                        Fail("a cell edit changed another profile of \"" + Utf8(name) + "\"");
            continue;
        }
        if (!last.count(name) || last.at(name) != m)
            Fail("\"" + Utf8(name) + "\", which the step did not address, changed: " +
                 (last.count(name) ? Describe(last.at(name)) : std::string("(new)")) + " -> " + Describe(m));
    }
}

// --- The property ---------------------------------------------------------------------------

// Uniform whatever the size: the size makes sessions longer, not their steps less varied.
rc::Gen<int> Uniform(int end)
{
    return rc::gen::resize(rc::kNominalSize, rc::gen::inRange(0, end));
}

rc::Gen<Step> StepGen()
{
    return rc::gen::construct<Step>(Uniform(kPickRange), Uniform(28), Uniform(28), Uniform(28));
}

} // namespace session

class TestDlgMatEditujRandom : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyButtonActsOnTheShownMaterial();
};

namespace {
QtMessageHandler g_previousHandler = nullptr;
}

void TestDlgMatEditujRandom::initTestCase()
{
    // Every session activates its dialog; the offscreen platform says each time that it
    // cannot raise a window.
    g_previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.contains(QLatin1String("does not support raise()"))) g_previousHandler(type, context, text);
    });
    // CI's budget: a few thousand steps. Whatever RC_PARAMS names (a seed, a longer run) wins.
    qputenv("RC_PARAMS", "max_success=60 max_size=200 " + qgetenv("RC_PARAMS"));
}

void TestDlgMatEditujRandom::everyButtonActsOnTheShownMaterial()
{
    using namespace session;
    long long steps = 0;
    const bool passed = rc::check("random editing sessions agree with the model", [&] {
        const int catalogKind = *session::Uniform(3);
        const auto generated = *rc::gen::container<std::vector<Step>>(StepGen());
        std::string failure;
        std::string log;
        {
            std::optional<Session> s;
            try {
                s.emplace(catalogKind);
                for (const Step& step : generated) {
                    if (s->Closed()) break;
                    ++steps;
                    s->Run(step);
                }
                s->Finish();
            } catch (const std::exception& e) {
                failure = e.what();
            }
            if (s) log = s->Log();
        }
        if (!failure.empty()) RC_FAIL("after\n" + log + failure);
    });
    qInfo("%lld steps", steps);
    QVERIFY(passed);
}

int main(int argc, char** argv)
{
    // A long run (RC_PARAMS) may take far longer than QtTest's five minutes per test function.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT")) qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    QApplication app(argc, argv);
    TestDlgMatEditujRandom test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_dlgmatedituj_random.moc"
