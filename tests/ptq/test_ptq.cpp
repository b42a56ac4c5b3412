// ptq through its command line: exit status, standard output and standard error.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values) bytes.push_back(static_cast<char>(v));
    return bytes;
}

// An archive string in the UTF-16 form (ASCII names only).
std::string ArchiveString(const std::string& text)
{
    std::string bytes = Bytes({0xFF, 0xFE, 0xFF, static_cast<int>(text.size())});
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes;
}

// A profile record of version 7 with wall 3; `innerDiameter` as its four float bytes.
std::string Profile(int dn, const std::string& innerDiameter)
{
    return Bytes({0x07, dn, 0x00}) + innerDiameter + Bytes({0x00, 0x00, 0x40, 0x40, 0, 0, 0, 0, 0, 0, 0, 0});
}

const std::string kHundred = Bytes({0x00, 0x00, 0xC8, 0x42});
const std::string kZero = Bytes({0x00, 0x00, 0x00, 0x00});

// A material record of version 5 described by DN: roughness 0.01, purposes 1, group 2.
std::string Material(const std::string& name, const std::string& profiles = {}, int pn = 0)
{
    return Bytes({0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}) + ArchiveString(name) + ArchiveString("") +
           ArchiveString("") + Bytes({0x0A, 0xD7, 0x23, 0x3C, 0x01, 0x00, 0x02, 0x00, pn, 0x00, 0x00, 0x00, 0x00}) +
           profiles + Bytes({0xFF});
}

std::string Catalog(const std::string& materials) { return Bytes({0x03}) + materials + Bytes({0xFF}); }

// The 60-byte catalog: material PVC with one profile DN 100, inner diameter 100, wall 3.
const std::string kExample = Catalog(Material("PVC", Profile(11, kHundred)));

const char* const kExampleJson = R"({
  "version": 3,
  "materials": [
    {
      "name": "PVC",
      "drawingName": "PVC",
      "detail": "",
      "manufacturer": "",
      "roughness": 0.01,
      "group": 2,
      "purposes": 1,
      "pnIndex": 0,
      "sdrIndex": 0,
      "shape": 0,
      "descMode": 0,
      "prefix": "",
      "suffix": "",
      "innerDiameterLabel": false,
      "profiles": [
        {
          "dn": 11,
          "innerDiameter": 100,
          "wall": 3,
          "od": 106,
          "width": 0,
          "ursMaterial": "",
          "ursAssembly": "",
          "label": "DN 100",
          "shortLabel": "100"
        }
      ]
    }
  ]
}
)";

class Ptq : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("velmora-ptq-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path File(const std::string& name) const { return m_dir / name; }

    // Runs ptq with `args`, standard input from `input`.
    Result Exec(const std::vector<std::string>& args, const std::string& input = {}) const
    {
        fs::path in = File(".stdin"), out = File(".stdout"), err = File(".stderr");
        WriteFile(in, input);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(::open(in.c_str(), O_RDONLY), 0);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            std::vector<char*> argv{const_cast<char*>(PTQ_BINARY)};
            for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(PTQ_BINARY, argv.data());
            ::_exit(127);
        }
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        Result run;
        run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

    fs::path m_dir;
};

const char* const kCorrection = "Materiály potrubí: U materiálu PVC byl načteny chybné hodnoty u profilu DN 100, \n"
                                "budou nastaveny implicitní hodnoty - po načtení zkontrolujte.\n";

} // namespace

TEST_F(Ptq, InfoAndExportOfTheSixtyByteCatalog)
{
    WriteFile(File("example.ptq"), kExample);
    ASSERT_EQ(kExample.size(), 60u);
    Result info = Exec({"info", File("example.ptq")});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "version: 3\nmaterials: 1\nprofiles: 1\n");

    Result exported = Exec({"export", File("example.ptq")});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, kExampleJson);
    EXPECT_EQ(exported.err, "");

    Result toFile = Exec({"export", File("example.ptq"), "-o", File("example.json")});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(ReadFile(File("example.json")), kExampleJson);
}

TEST_F(Ptq, ImportThenExportGivesBackTheSameJson)
{
    const std::string json = ReadFile(fs::path(VELMORA_FIXTURES_DIR) / "ptq" / "catalog.json");
    ASSERT_FALSE(json.empty());
    Result imported = Exec({"import", fs::path(VELMORA_FIXTURES_DIR) / "ptq" / "catalog.json", "-o", File("a.ptq")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out + imported.err, "");

    Result exported = Exec({"export", File("a.ptq"), "-o", File("a.json")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(ReadFile(File("a.json")), json);

    // The export read through standard input writes the same bytes again.
    Result again = Exec({"import", "-", "--output=" + File("b.ptq").string()}, json);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadFile(File("b.ptq")), ReadFile(File("a.ptq")));
    EXPECT_EQ(Exec({"check", File("b.ptq")}).out, File("b.ptq").string() +
                                                       ": version 3, 3 materials, 5 profiles; 0 corrections, 0 warnings\n");
}

TEST_F(Ptq, MissingFieldsTakeTheDefaultsOfANewMaterial)
{
    Result imported = Exec({"import", "-", "-o", File("d.ptq")},
                        R"({"materials": [{"name": "X", "profiles": [{"dn": 19}, {"dn": 11, "wall": 2}]}]})");
    ASSERT_EQ(imported.status, 0) << imported.err;
    Result exported = Exec({"export", File("d.ptq")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    for (const char* expected :
         {"\"drawingName\": \"\",", "\"roughness\": 1e-05,", "\"group\": 3,", "\"purposes\": 31,", "\"pnIndex\": -1,",
          "\"sdrIndex\": -1,", "\"descMode\": 1,",
          // DN 100 described as D x t without SDR: outer diameter 110, wall 3, inner 104;
          // the given wall is taken, the inner diameter stays the default one.
          "\"dn\": 11,\n          \"innerDiameter\": 104,\n          \"wall\": 2,",
          // DN 400 gets the wall of the large sizes.
          "\"dn\": 19,\n          \"innerDiameter\": 390,\n          \"wall\": 5,", "\"label\": \"400x5.0\""}) {
        EXPECT_NE(exported.out.find(expected), std::string::npos) << expected;
    }
    EXPECT_LT(exported.out.find("\"dn\": 11"), exported.out.find("\"dn\": 19")) << "profiles in DN order";
}

TEST_F(Ptq, ExportKeepsTheOrderOfTheFile)
{
    WriteFile(File("order.ptq"), Catalog(Material("B") + Material("A")));
    Result exported = Exec({"export", File("order.ptq")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_LT(exported.out.find("\"name\": \"B\""), exported.out.find("\"name\": \"A\""));
}

TEST_F(Ptq, BadJsonOrOutOfRangeValueWritesNothing)
{
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {R"({"materials": [{"name": "PVC",)", "not valid JSON: [json.exception.parse_error.101] parse error at line 1"},
        {R"({"materials": [{"name": "PVC", "roughness": -1}]})", R"(material #1 "PVC", field "roughness")"},
        {R"({"materials": [{"name": "PVC", "roughness": 1e39}]})", R"(material #1 "PVC", field "roughness")"},
        {R"({"materials": [{"name": "A"}, {"name": "PVC", "sdrIndex": 8}]})", R"(material #2 "PVC", field "sdrIndex")"},
        {R"({"materials": [{"name": "PVC", "profiles": [{"dn": 28}]}]})", R"("PVC", profile #1, field "dn")"},
        {R"({"materials": [{"name": "PVC", "profiles": [{"dn": 3, "wall": "3"}]}]})",
         R"("PVC", profile #1 (dn 3), field "wall")"},
        {R"({"materials": [{"name": "PVC", "profiles": [{"dn": 3}, {"dn": 3}]}]})",
         R"("PVC", profile #2 (dn 3), field "dn")"},
        {R"({"materials": [{"name": "PVC", "profiles": [{"dn": 3, "innerDiameter": 0}]}]})",
         R"(field "innerDiameter")"},
        {R"({"materials": [{"name": "PVC", "colour": "red"}]})", R"(material #1 "PVC", field "colour": unknown)"},
        {R"({"materials": [{"name": "PVC"}, {"name": "PVC"}]})", R"(material #2 "PVC", field "name")"},
        {R"({"materials": [{"name": "123456789012345678901"}]})", R"(material #1, field "name")"},
        {R"({"materials": [{"detail": "no name"}]})", R"(material #1, field "name": required)"},
    };
    WriteFile(File("kept.ptq"), kExample);
    for (const Case& c : cases) {
        Result fresh = Exec({"import", "-", "-o", File("new.ptq")}, c.json);
        EXPECT_EQ(fresh.status, 1) << c.json;
        EXPECT_NE(fresh.err.find(c.message), std::string::npos) << fresh.err;
        EXPECT_FALSE(fs::exists(File("new.ptq"))) << c.json;

        Result over = Exec({"import", "-", "-o", File("kept.ptq")}, c.json);
        EXPECT_EQ(over.status, 1);
        EXPECT_EQ(ReadFile(File("kept.ptq")), kExample) << "an existing file must stay as it was";
    }
}

TEST_F(Ptq, WrongUsageExitsWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", "x.ptq"},
        {"info"},
        {"info", "a.ptq", "b.ptq"},
        {"info", "a.ptq", "-o", "x"},
        {"export", "a.ptq", "-o"},
        {"export", "a.ptq", "-o", "x", "-o", "y"},
        {"export", "a.ptq", "--verbose"},
        {"import", "in.json"},
        {"check", "-"},
        {"--version", "extra"},
    };
    for (const auto& args : cases) {
        Result run = Exec(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "(none)" : args.front());
        EXPECT_NE(run.err.find("Try 'ptq --help'"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }

    Result help = Exec({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: ptq COMMAND"), std::string::npos);
    EXPECT_EQ(Exec({"export", "--help"}).out, help.out);
    Result version = Exec({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("ptq (Velmora) ") + PTQ_EXPECTED_VERSION + "\n");
}

TEST_F(Ptq, CheckReportsTheCorrectionsOfTheReader)
{
    WriteFile(File("good.ptq"), kExample);
    Result good = Exec({"check", File("good.ptq")});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.err, "");
    EXPECT_EQ(good.out, File("good.ptq").string() + ": version 3, 1 materials, 1 profiles; 0 corrections, 0 warnings\n");

    WriteFile(File("zero.ptq"), Catalog(Material("PVC", Profile(11, kZero))));
    Result zero = Exec({"check", File("zero.ptq")});
    EXPECT_EQ(zero.status, 0);
    EXPECT_EQ(zero.err, kCorrection);
    EXPECT_EQ(zero.out, File("zero.ptq").string() + ": version 3, 1 materials, 1 profiles; 1 corrections, 0 warnings\n");
    // Export shows the corrected value and reports the same correction.
    Result exported = Exec({"export", File("zero.ptq")});
    EXPECT_EQ(exported.err, kCorrection);
    EXPECT_NE(exported.out.find("\"innerDiameter\": 100,"), std::string::npos);
}

TEST_F(Ptq, CheckWarnsOfRepeatedNamesAndIndexesOutsideTheTables)
{
    WriteFile(File("odd.ptq"), Catalog(Material("B") + Material("A", {}, 9) + Material("B")));
    Result run = Exec({"check", File("odd.ptq")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("ptq: material \"A\": PN index 9 is outside the table"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 material record(s) repeat a name"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, File("odd.ptq").string() + ": version 3, 2 materials, 0 profiles; 0 corrections, 2 warnings\n");
}

TEST_F(Ptq, FilesThatCannotBeReadOrWrittenExitWithOne)
{
    Result missing = Exec({"info", File("missing.ptq")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Neočekávaná výjimka: Chyba při čtení ze souboru\nptq: "), std::string::npos);
    EXPECT_NE(missing.err.find("missing.ptq"), std::string::npos);
    EXPECT_EQ(missing.out, "");

    WriteFile(File("truncated.ptq"), kExample.substr(0, 40));
    Result truncated = Exec({"check", File("truncated.ptq")});
    EXPECT_EQ(truncated.status, 1);
    EXPECT_NE(truncated.err.find("Chyba při čtení ze souboru"), std::string::npos);
    EXPECT_EQ(truncated.out, File("truncated.ptq").string() +
                                 ": FAILED after 0 materials, 0 profiles; 0 corrections, 0 warnings\n");

    WriteFile(File("newer.ptq"), Bytes({0x04, 0xFF}));
    Result newer = Exec({"export", File("newer.ptq"), "-o", File("newer.json")});
    EXPECT_EQ(newer.status, 1);
    EXPECT_EQ(newer.err, "Program vyvolal výjimku: Nelze načíst, soubor byl uložen vyšší verzí programu, "
                         "aktualizujte program, Line 257, \n_Spolecny/_Velmora/CWexSezMaterialu\n");
    EXPECT_FALSE(fs::exists(File("newer.json")));

    WriteFile(File("example.ptq"), kExample);
    Result unwritable = Exec({"export", File("example.ptq"), "-o", File("no/such/dir.json")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("ptq: cannot write"), std::string::npos);
    Result importUnwritable = Exec({"import", "-", "-o", File("no/such/dir.ptq")}, R"({"materials": []})");
    EXPECT_EQ(importUnwritable.status, 1);
    EXPECT_NE(importUnwritable.err.find("Neočekávaná výjimka: Chyba při zápisu do souboru"), std::string::npos);
}

namespace {

const std::string kNinety = Bytes({0x00, 0x00, 0xB4, 0x42});

const char* const kQuestionA = "Materiály potrubí: Materiál, který je obsažen v projektu se liší od materiálu v obecném "
                               "seznamu\nPřepsat materiál v projektu obecným?\nPřepsat materiál A v projektu materiálem "
                               "z obecného seznamu?\nV opačném případě bude použit materiál z projektu a na konci "
                               "načítání bude uživatel dotázán, zda chce zaktualizovat obecný seznam\n"
                               "  Obecný seznam → projekt:\n"
                               "  Tl. třída: --- → PN 16\n"
                               "  DN 100: ID 100 → 90 (zůstane podle obecného seznamu)\n"
                               "  Profily jen v projektu (budou přidány): DN 125\n";
const char* const kSaveOffer = "Uložit materiály?: Hlavní seznam materiálů byl při načítání projektu aktualizován "
                               "materiály z projektu\nULOŽIT I PRO BUDOUCÍ POUŽÍTÍ?\n-> Ne\n";

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

} // namespace

TEST_F(Ptq, MergeAsksAboutDifferingMaterialsAndAlwaysAddsTheMissingSizes)
{
    // The user catalog lives here, should anything try to write it.
    WriteFile(File("machine.reg"), "Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\r\n\"CommonDataPath\"=\"" +
                                       File("data").string() + "\"\r\n");
    ::setenv("VELMORA_MACHINE_REGISTRY", File("machine.reg").c_str(), 1);
    ::setenv("VELMORA_USER_REGISTRY", File("user.reg").c_str(), 1);

    // "A" differs in its DN 100 and brings DN 125; "B" agrees; "C" is new. PN 3 marks the
    // supplier's attributes.
    WriteFile(File("into.ptq"), Catalog(Material("A", Profile(11, kHundred)) + Material("B", Profile(11, kHundred))));
    WriteFile(File("from.ptq"), Catalog(Material("A", Profile(11, kNinety) + Profile(12, kHundred), 3) +
                                        Material("B", Profile(11, kHundred), 3) + Material("C")));

    Result ano = Exec({"merge", File("into.ptq"), File("from.ptq"), "-o", File("ano.ptq")});
    EXPECT_EQ(ano.status, 0) << ano.err;
    EXPECT_EQ(ano.err, std::string(kQuestionA) + "-> Ano\n");
    EXPECT_EQ(ano.out, File("ano.ptq").string() + ": 3 materials, 3 profiles; 1 new materials, 1 profiles added "
                                                  "to existing ones\n");
    const std::string kept = Exec({"export", File("ano.ptq")}).out;
    EXPECT_EQ(Count(kept, "\"pnIndex\": 0,"), 3u) << "B agrees, so its PN 3 is dropped too";
    EXPECT_EQ(Count(kept, "\"innerDiameter\": 100,"), 3u) << "DN 100 keeps INTO's value; DN 125 is added";

    Result ne = Exec({"merge", File("into.ptq"), File("from.ptq"), "-o", File("ne.ptq"), "--answer", "ne"});
    EXPECT_EQ(ne.status, 0) << ne.err;
    EXPECT_EQ(ne.err, std::string(kQuestionA) + "-> Ne\n" + kSaveOffer);
    const std::string taken = Exec({"export", File("ne.ptq")}).out;
    EXPECT_EQ(Count(taken, "\"pnIndex\": 3,"), 1u);
    EXPECT_EQ(Count(taken, "\"innerDiameter\": 100,"), 3u);
    EXPECT_FALSE(fs::exists(File("data"))) << "the user catalog is never written";
    EXPECT_EQ(ReadFile(File("into.ptq")),
              Catalog(Material("A", Profile(11, kHundred)) + Material("B", Profile(11, kHundred))));

    ::unsetenv("VELMORA_MACHINE_REGISTRY");
    ::unsetenv("VELMORA_USER_REGISTRY");
}

TEST_F(Ptq, MergeForAllAsksOnceAndAFailedReadingWritesNothing)
{
    WriteFile(File("into.ptq"), Catalog(Material("A") + Material("B") + Material("C")));
    WriteFile(File("from.ptq"), Catalog(Material("A", Profile(11, kHundred)) + Material("B", Profile(12, kHundred)) +
                                        Material("C", Profile(13, kHundred))));
    Result all = Exec({"merge", File("into.ptq"), File("from.ptq"), "-o", File("out.ptq"), "--answer=ne-vsem"});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(Count(all.err, "Přepsat materiál v projektu obecným?"), 1u) << all.err;
    EXPECT_EQ(Count(all.err, "-> Ne všem\n"), 1u);
    EXPECT_EQ(Count(all.err, "Uložit materiály?"), 1u);
    EXPECT_EQ(Exec({"info", File("out.ptq")}).out, "version: 3\nmaterials: 3\nprofiles: 3\n");

    Result vsem = Exec({"merge", File("into.ptq"), File("from.ptq"), "-o", File("out2.ptq"), "--answer", "ano-všem"});
    EXPECT_EQ(Count(vsem.err, "-> Ano všem\n"), 1u) << vsem.err;
    EXPECT_EQ(Count(vsem.err, "Uložit materiály?"), 0u);

    WriteFile(File("truncated.ptq"), kExample.substr(0, 40));
    Result failed = Exec({"merge", File("into.ptq"), File("truncated.ptq"), "-o", File("out.ptq")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Chyba při čtení ze souboru"), std::string::npos);
    EXPECT_EQ(Exec({"info", File("out.ptq")}).out, "version: 3\nmaterials: 3\nprofiles: 3\n") << "left as it was";

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"merge", "a.ptq", "-o", "x"},
             {"merge", "a.ptq", "b.ptq"},
             {"merge", "a.ptq", "b.ptq", "c.ptq", "-o", "x"},
             {"merge", "a.ptq", "b.ptq", "-o", "x", "--answer", "snad"},
             {"merge", "a.ptq", "b.ptq", "-o", "x", "--answer"},
             {"merge", "a.ptq", "-", "-o", "x"},
             {"export", "a.ptq", "--answer", "ne"},
         }) {
        Result run = Exec(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find("Try 'ptq --help'"), std::string::npos);
    }
    EXPECT_NE(Exec({"--help"}).out.find("merge INTO FROM -o OUT"), std::string::npos);
}

TEST_F(Ptq, BackupsAreListedAndOneIsRestoredUndoably)
{
    const std::string versions[] = {Catalog(Material("A")), Catalog(Material("A") + Material("B")),
                                    Catalog(Material("A") + Material("B") + Material("C"))};
    WriteFile(File("c.ptq"), versions[0]);
    for (int i = 1; i < 3; ++i) {
        WriteFile(File("next.ptq"), versions[i]);
        ASSERT_EQ(Exec({"merge", File("next.ptq"), File("next.ptq"), "-o", File("c.ptq")}).status, 0);
    }
    Result listed = Exec({"backups", File("c.ptq")});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("c.ptq.bak  "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("2 materials, 0 profiles\n2      c.ptq.bak2  "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("1 materials, 0 profiles\n"), std::string::npos) << listed.out;

    const std::string current = ReadFile(File("c.ptq"));
    Result restored = Exec({"restore", File("c.ptq"), "2"});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(ReadFile(File("c.ptq")), versions[0]);
    EXPECT_EQ(ReadFile(File("c.ptq.bak")), current) << "the restore itself can be undone";

    // A backup that does not read whole is not put back, and a wrong number is wrong usage.
    WriteFile(File("c.ptq.bak5"), kExample.substr(0, 40));
    Result broken = Exec({"restore", File("c.ptq"), "5"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(ReadFile(File("c.ptq")), versions[0]);
    EXPECT_NE(Exec({"backups", File("c.ptq")}).out.find("cannot be read"), std::string::npos);
    for (const char* number : {"0", "6", "x", "12"}) EXPECT_EQ(Exec({"restore", File("c.ptq"), number}).status, 2);
    EXPECT_EQ(Exec({"restore", File("c.ptq")}).status, 2);
    EXPECT_NE(Exec({"backups", File("none.ptq")}).out.find("no backups"), std::string::npos);
}

namespace {

// The few Czech letters of these tests in Windows-1250.
std::string Cp1250(const std::string& utf8)
{
    const std::pair<const char*, char> letters[] = {{"á", '\xE1'}, {"í", '\xED'}, {"é", '\xE9'}, {"ý", '\xFD'},
                                                    {"ř", '\xF8'}, {"ž", '\x9E'}, {"Ž", '\x8E'}, {"č", '\xE8'},
                                                    {"š", '\x9A'}, {"ě", '\xEC'}, {"ů", '\xF9'}, {"ť", '\x9D'}, {"ó", '\xF3'}};
    std::string out = utf8;
    for (const auto& [letter, byte] : letters)
        for (std::size_t at; (at = out.find(letter)) != std::string::npos;) out.replace(at, std::string(letter).size(), 1, byte);
    return out;
}

// Every field the JSON form holds, with texts that need quoting in CSV.
const char* const kRichJson = R"({"materials": [
  {"name": "Kamenina; \"H\"", "drawingName": "Kam", "detail": "řádek 1\nřádek 2", "manufacturer": "Výrobce",
   "roughness": 0.15, "group": 2, "purposes": 1, "pnIndex": -1, "sdrIndex": 0, "shape": 1, "descMode": 2,
   "prefix": "DA", "suffix": "x", "innerDiameterLabel": true,
   "profiles": [{"dn": 11, "innerDiameter": 96.8, "wall": 6.6, "width": 70, "ursMaterial": "0123456789",
                 "ursAssembly": "871313121"}, {"dn": 27, "innerDiameter": 1200, "wall": 0}]},
  {"name": "Prázdný", "roughness": 1e-05, "profiles": []}]})";

} // namespace

TEST_F(Ptq, SpreadsheetsRoundTripAndCzechCsvReadsAsItsJson)
{
    ASSERT_EQ(Exec({"import", "-", "-o", File("rich.ptq")}, kRichJson).status, 0);
    for (const std::string format : {"csv", "xlsx"}) {
        const std::string table = File("rich." + format);
        Result exported = Exec({"export", File("rich.ptq"), "--format", format, "-o", table});
        ASSERT_EQ(exported.status, 0) << exported.err;
        Result imported = Exec({"import", table, "-o", File("back.ptq")});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_EQ(ReadFile(File("back.ptq")), ReadFile(File("rich.ptq"))) << format;
    }
    const std::string csv = ReadFile(File("rich.csv"));
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBFNázev;Popis;", 0), 0u) << "UTF-8 with a byte-order mark, ';'";
    EXPECT_NE(csv.find(";96,8;6,6;110;70;0123456789;871313121;DA97x;d110\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"Kamenina; \"\"H\"\"\";Kam;\"řádek 1\nřádek 2\""), std::string::npos) << csv;
    EXPECT_NE(csv.find("Prázdný;;;;1e-05;3;31;-1;-1;0;1;;;ne;;;;;;;;;\r\n"), std::string::npos)
        << "a material without profiles has one row, its profile columns empty";

    // The same small catalog as a Czech spreadsheet saves it, and as other programs do.
    ASSERT_EQ(Exec({"import", "-", "-o", File("expected.ptq")},
                   R"({"materials": [{"name": "Potrubí", "roughness": 0.01, "profiles": [
                        {"dn": 11, "innerDiameter": 96.8, "wall": 6.6, "ursMaterial": "286113121"},
                        {"dn": 13, "innerDiameter": 141.8, "wall": 9.1}]},
                      {"name": "Žádné profily", "roughness": 1, "profiles": []}]})")
                  .status,
              0);
    const std::string czech = "Název;Drsnost [mm];DN;Vnitřní průměr [mm];Tloušťka stěny [mm];Kód URS materiál\r\n"
                              "Potrubí;0,01;100;96,8;6,6;286113121\r\nŽádné profily;1;;;;\r\n"
                              "Potrubí;0,01;DN 150;141,8;9,1;\r\n;;;;;\r\n";
    const std::string points = "Název,Drsnost [mm],DN,Vnitřní průměr [mm],Tloušťka stěny [mm],Kód URS materiál\n"
                               "Potrubí,0.01,100,96.8,6.6,\"286113121\"\n\"Žádné profily\",1,,,,\n"
                               "Potrubí,0.01,150,141.8,9.1,\n";
    struct Variant {
        const char* why;
        std::string bytes;
        std::vector<std::string> options;
    } variants[] = {
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + czech, {}},
        {"Windows-1250, recognised", Cp1250(czech), {}},
        {"Windows-1250, said", Cp1250(czech), {"--encoding", "windows-1250", "--delimiter", ";", "--decimal", ","}},
        {"',' and decimal points", points, {}},
    };
    for (const Variant& variant : variants) {
        WriteFile(File("in.csv"), variant.bytes);
        std::vector<std::string> args{"import", File("in.csv"), "-o", File("out.ptq")};
        args.insert(args.end(), variant.options.begin(), variant.options.end());
        Result run = Exec(args);
        EXPECT_EQ(run.status, 0) << variant.why << ": " << run.err;
        EXPECT_EQ(ReadFile(File("out.ptq")), ReadFile(File("expected.ptq"))) << variant.why;
    }
}

TEST_F(Ptq, BadSpreadsheetNamesTheRowAndColumnAndWritesNothing)
{
    const std::string head = "Název;Drsnost [mm];DN;Vnitřní průměr [mm];Kód URS materiál\n";
    struct Case {
        std::string csv;
        const char* message;
    } cases[] = {
        {"Název;Barva\nA;x\n", "row 1, column B: unknown column \"Barva\""},
        {head + "A;abc;100;96;\n", "row 2, column B (Drsnost [mm]): must be a number, not \"abc\""},
        {head + "A;0,01;100;96;\nA;0,02;150;140;\n", "row 3, column B (Drsnost [mm]): differs from the material's first row"},
        {head + "A;0,01;105;96;\n", "row 2, column C (DN): no DN of the DN table is \"105\""},
        {head + "A;0,01;100;0;\n", "row 2, column D (Vnitřní průměr [mm]): must be a number above 0"},
        {head + "A;0,01;100;96;\nA;0,01;100;97;\n", "row 3, column C (DN): the material already has a profile of this DN"},
        {head + "A;0,01;100;96;12345678901\n", "row 2, column E (Kód URS materiál): longer than 10 characters"},
        {head + "A;0,01;100;96.5;\n", "row 2, column D: numbers with a decimal comma and numbers with a decimal point"},
        {head + ";0,01;100;96;\n", "row 2, column A (Název): a row needs the material's name"},
        {head + "A;0,01;;96;\n", "row 2, column C (DN): a profile needs its DN"},
        {head + "A;0,01;100;96;;x\n", "row 2, column F: a value in a column without a header"},
        {head + "\"A;0,01;100;96;\n", "row 2: a quoted field is not closed"},
        {head + "A\x81;0,01;100;96;\n", "row 2: byte"},
    };
    for (const Case& c : cases) {
        WriteFile(File("bad.csv"), c.csv);
        Result run = Exec({"import", File("bad.csv"), "-o", File("out.ptq")});
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_NE(run.err.find("bad.csv: " + std::string(c.message)), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("; nothing written"), std::string::npos);
        EXPECT_FALSE(fs::exists(File("out.ptq")));
    }
    WriteFile(File("bad.xlsx"), "PK\x03\x04 not a workbook");
    Result xlsx = Exec({"import", File("bad.xlsx"), "-o", File("out.ptq")});
    EXPECT_EQ(xlsx.status, 1);
    EXPECT_NE(xlsx.err.find("bad.xlsx: not an XLSX workbook that can be read"), std::string::npos) << xlsx.err;
    EXPECT_FALSE(fs::exists(File("out.ptq")));
}

TEST_F(Ptq, UpdateCodesChangesOnlyTheCodesAndReportsWhatDidNotFit)
{
    ASSERT_EQ(Exec({"import", "-", "-o", File("in.ptq")},
                   R"({"materials": [
                        {"name": "PE100 SDR11 voda", "profiles": [{"dn": 11, "ursMaterial": "1", "ursAssembly": "2"},
                                                                 {"dn": 13}]},
                        {"name": "Trubka", "profiles": [{"dn": 11}]}, {"name": "trubká", "profiles": [{"dn": 11}]}]})")
                  .status,
              0);
    WriteFile(File("codes.csv"), "Cena;Název;DN;Kód URS materiál;Kód URS montáž\n"
                                 "10;PE100 SDR11 voda;100;286113121;\n"
                                 "11;pe100 sdr11 VODA;DN 150;286113122;871313122\n"
                                 "12;PE100 SDR11 voda;200;1;\n"
                                 "13;Neznámý;100;1;\n"
                                 "14;trubka;100;5;\n"
                                 "15;Trubka;100;7;\n"
                                 "16;Trubka;100;8;\n");
    Result run = Exec({"update-codes", File("in.ptq"), File("codes.csv"), "-o", File("out.ptq")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "changed: \"PE100 SDR11 voda\" DN 100: Kód URS materiál \"1\" -> \"286113121\"\n"
              "changed: \"PE100 SDR11 voda\" DN 150: Kód URS materiál \"\" -> \"286113122\", Kód URS montáž \"\" -> "
              "\"871313122\"\n"
              "not matched: row 4: \"PE100 SDR11 voda\" DN 200: \"PE100 SDR11 voda\" has no such size\n"
              "not matched: row 5: \"Neznámý\" DN 100: no material of this name\n"
              "ambiguous: row 6: \"trubka\" DN 100: the name fits \"Trubka\", \"trubká\"\n"
              "ambiguous: rows 7, 8: \"Trubka\" DN 100 with different codes; left as it is\n" +
                  File("out.ptq").string() + ": 2 profiles changed, 0 unchanged; 2 rows not matched, 2 ambiguous\n");
    const std::string json = Exec({"export", File("out.ptq")}).out;
    EXPECT_NE(json.find("\"ursMaterial\": \"286113121\",\n          \"ursAssembly\": \"2\""), std::string::npos)
        << "an empty cell leaves the code as it was";
    // Everything but the codes as it was.
    std::string before = Exec({"export", File("in.ptq")}).out;
    for (std::string* text : {&before, const_cast<std::string*>(&json)}) {
        std::string kept;
        std::istringstream lines(*text);
        for (std::string line; std::getline(lines, line);)
            if (line.find("\"urs") == std::string::npos) kept += line + "\n";
        *text = kept;
    }
    EXPECT_EQ(json, before);

    WriteFile(File("long.csv"), "Název;DN;Kód URS materiál\nTrubka;100;12345678901\n");
    Result bad = Exec({"update-codes", File("in.ptq"), File("long.csv"), "-o", File("bad.ptq")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("long.csv: row 2, column C (Kód URS materiál): longer than 10 characters; nothing written"),
              std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(File("bad.ptq")));
}

TEST_F(Ptq, CheckWarnsOfEachKindOfInconsistencyAndStrictFails)
{
    const std::string pe = R"({"name": "PE100 SDR11 voda", "descMode": 1, "pnIndex": 3, "sdrIndex": 4, "purposes": 4, )";
    struct Case {
        std::string materials;
        const char* warning;
        bool inCatalogFile; // a catalog file holds no outer diameter
    } cases[] = {
        {pe + R"("profiles": [{"dn": 11, "innerDiameter": 90, "wall": 10, "od": 110}]})", nullptr, true},
        {pe + R"("profiles": [{"dn": 11, "innerDiameter": 90, "wall": 10, "od": 111}]})",
         "DN 100: inner diameter 90 is not the outer diameter 111 minus twice the wall 10 (that is 110)", false},
        {pe + R"("profiles": [{"dn": 11, "innerDiameter": 96.8, "wall": 6.6}]})",
         "DN 100: wall 6.6 does not match SDr 11 (outer diameter 110 / 11 = 10.00)", true},
        {R"({"name": "PE100 SDR17", "pnIndex": 3, "sdrIndex": 6, "purposes": 4})",
         "\"PE100 SDR17\": PN 16 contradicts SDr 17 for PE 100, which gives 10.00 bar (PN 10)", true},
        {R"({"name": "PE 80 plyn", "pnIndex": 2, "sdrIndex": 4, "purposes": 8})",
         "PN 10 contradicts SDr 11 for PE 80 in gas, which gives 8.00 bar (PN 6)", true},
        {R"({"name": "Beton", "profiles": [{"dn": 19, "innerDiameter": 40, "wall": 50}]})",
         "DN 400: inner diameter 40 is far from the nominal size 400", true},
        {R"({"name": "Beton", "profiles": [{"dn": 19, "ursAssembly": "X1"}, {"dn": 20, "ursAssembly": "X1"}]})",
         "\"Beton\": DN 400, DN 450 have the same Kód URS montáž \"X1\"", true},
        {R"({"name": "Trubka"}, {"name": "trubká"})", "materials \"Trubka\", \"trubká\" differ only in case or accents",
         true},
    };
    for (const Case& c : cases) {
        WriteFile(File("in.json"), "{\"materials\": [" + c.materials + "]}");
        ASSERT_EQ(Exec({"import", File("in.json"), "-o", File("in.ptq")}).status, 0) << c.materials;
        for (const std::string file : {"in.json", "in.ptq"}) {
            const bool warns = c.warning && (file == "in.json" || c.inCatalogFile);
            Result plain = Exec({"check", File(file)});
            Result strict = Exec({"check", File(file), "--strict"});
            EXPECT_EQ(plain.status, 0) << plain.err;
            EXPECT_EQ(strict.status, warns ? 1 : 0) << file << ": " << strict.err;
            if (warns) {
                EXPECT_NE(strict.err.find(c.warning), std::string::npos) << file << ": " << strict.err;
                EXPECT_NE(strict.out.find(" 1 warnings (--strict: failed)\n"), std::string::npos) << strict.out;
            }
        }
    }
}

TEST_F(Ptq, MergeDryRunListsTheDifferencesAndWritesNothing)
{
    WriteFile(File("into.ptq"), Catalog(Material("A", Profile(11, kHundred)) + Material("B")));
    WriteFile(File("from.ptq"), Catalog(Material("A", Profile(11, kNinety) + Profile(12, kHundred), 3) + Material("B") +
                                        Material("C")));
    Result run = Exec({"merge", File("into.ptq"), File("from.ptq"), "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "differs: \"A\" (INTO -> FROM)\n"
                       "  Tl. třída: --- → PN 16\n"
                       "  DN 100: ID 100 → 90 (zůstane podle obecného seznamu)\n"
                       "  Profily jen v projektu (budou přidány): DN 125\n"
                       "new: \"C\", 0 profiles\n"
                       "1 new materials, 1 differing, 1 the same; nothing written\n");
    EXPECT_EQ(Exec({"merge", File("into.ptq"), File("from.ptq"), "--dry-run", "-o", File("out.ptq")}).status, 2);
    EXPECT_EQ(Exec({"check", File("into.ptq"), "--dry-run"}).status, 2);
    EXPECT_FALSE(fs::exists(File("out.ptq")));
}
