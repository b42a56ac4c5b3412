#include "Options.h"

#include <string_view>
#include <vector>

namespace {

struct CommandName {
    std::string_view name;
    Command command;
};

constexpr CommandName kCommands[] = {
    {"info", Command::Info},   {"export", Command::Export}, {"import", Command::Import},
    {"check", Command::Check}, {"merge", Command::Merge}, {"update-codes", Command::UpdateCodes},
    {"backups", Command::Backups}, {"restore", Command::Restore},
};

struct AnswerName {
    std::string_view name;
    int button;
};

// The buttons of the overwrite question, by the names --answer takes (with or without the
// accent of "všem").
constexpr AnswerName kAnswers[] = {
    {"ano", 2}, {"ne", 4}, {"ano-vsem", 16}, {"ano-všem", 16}, {"ne-vsem", 32}, {"ne-všem", 32},
};

int ParseAnswer(std::string_view value)
{
    for (const auto& [name, button] : kAnswers)
        if (value == name) return button;
    throw UsageError("--answer takes ano, ne, ano-vsem or ne-vsem, not '" + std::string(value) + "'");
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

} // namespace

Options ParseOptions(int argc, const char* const* argv)
{
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) throw UsageError("no command given");

    Options options;
    std::string_view first = args.front();
    if (IsHelp(first) || first == "help") return options;
    if (first == "--version") {
        if (args.size() > 1) throw UsageError("--version takes no arguments");
        options.command = Command::Version;
        return options;
    }
    bool known = false;
    for (const auto& [name, command] : kCommands) {
        if (first == name) {
            options.command = command;
            known = true;
        }
    }
    if (!known) throw UsageError("unknown command '" + std::string(first) + "'");

    std::vector<std::string_view> files;
    bool optionsEnded = false;
    bool answerGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg.front() != '-') {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            options.command = Command::Help;
            return options;
        } else if (arg == "-o" || arg == "--output" || arg.starts_with("--output=")) {
            if (options.output) throw UsageError("-o given twice");
            std::string_view value;
            if (arg.starts_with("--output=")) {
                value = arg.substr(9);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError(std::string(arg) + " needs a file name");
            }
            if (value.empty()) throw UsageError(std::string(arg) + " needs a file name");
            options.output = std::string(value);
        } else if (arg == "--answer" || arg.starts_with("--answer=")) {
            if (options.command != Command::Merge) throw UsageError(std::string(first) + " takes no --answer");
            if (answerGiven) throw UsageError("--answer given twice");
            answerGiven = true;
            if (arg.starts_with("--answer=")) {
                options.overwriteButton = ParseAnswer(arg.substr(9));
            } else if (i + 1 < args.size()) {
                options.overwriteButton = ParseAnswer(args[++i]);
            } else {
                throw UsageError("--answer needs ano, ne, ano-vsem or ne-vsem");
            }
        } else if (!ParseTableOption(options, args, i)) {
            throw UsageError("unknown option '" + std::string(arg) + "'");
        }
    }

    std::string name(first);
    if (options.command == Command::Restore) {
        if (files.size() != 2) throw UsageError("restore needs a file and a backup number (1 to 5)");
        const std::string_view number = files[1];
        if (number.size() != 1 || number[0] < '1' || number[0] > '5')
            throw UsageError("restore takes a backup number from 1 to 5, not '" + std::string(number) + "'");
        options.generation = number[0] - '0';
        files.pop_back();
    }
    const std::size_t wanted = options.command == Command::Merge || options.command == Command::UpdateCodes ? 2 : 1;
    if (files.size() < wanted) throw UsageError(name + (wanted == 2 ? " needs two files" : " needs a file"));
    if (files.size() > wanted)
        throw UsageError(name + " takes " + (wanted == 2 ? "two files" : "one file") + ", not " +
                         std::to_string(files.size()));
    options.input = std::string(files.front());
    if (wanted == 2) options.from = std::string(files[1]);
    bool takesOutput = options.command == Command::Export || options.command == Command::Import ||
                       options.command == Command::Merge || options.command == Command::UpdateCodes;
    if (options.output && (!takesOutput || options.dryRun)) throw UsageError(name + " takes no -o");
    if ((options.command == Command::Import || options.command == Command::Merge ||
         options.command == Command::UpdateCodes) &&
        !options.output && !options.dryRun)
        throw UsageError(name + " needs -o FILE");
    if (options.format && *options.format != TableFormat::Json && !options.output)
        throw UsageError(name + " --format csv or xlsx needs -o OUT");
    if ((options.input == "-" || options.from == "-") && options.command != Command::Import)
        throw UsageError(name + " reads a catalog file, not standard input");
    return options;
}

std::string HelpText()
{
    return R"(Usage: ptq COMMAND FILE [-o OUT]
       ptq merge INTO FROM -o OUT [--answer ano|ne|ano-vsem|ne-vsem]
       ptq merge INTO FROM --dry-run
       ptq export FILE --format csv|xlsx -o OUT
       ptq update-codes FILE TABLE -o OUT
       ptq restore FILE N
Inspect, check, export, build and merge Velmora pipe-material catalog files (*.ptq).

Commands:
  info FILE              print the catalog version, the number of materials and the
                         number of profiles
  export FILE [-o OUT]   write the catalog as JSON to OUT (standard output without -o);
                         --format csv or xlsx writes a spreadsheet to OUT instead
  import IN -o FILE      write a catalog file of the current versions from JSON, or
                         from a spreadsheet when IN ends in .csv or .xlsx (IN "-" reads
                         JSON from standard input); nothing is written when IN is not
                         valid (the message names the row and the column)
  check FILE             read the file with the program's own reader and report every
                         correction it makes and every failure it meets, and warn of
                         walls that do not fit the SDR series, pressure classes that
                         contradict it, inner diameters far from the DN, repeated
                         price-list codes within a material and names that differ
                         only in case or accents. A .json, .csv or .xlsx FILE is read
                         as import reads it, and its outer diameters are checked too
  update-codes FILE TABLE -o OUT
                         set the two price-list codes of FILE's profiles from TABLE
                         (.csv or .xlsx with the columns Název, DN, Kód URS materiál
                         and/or Kód URS montáž; other columns are ignored, an empty
                         cell leaves its code as it is) and write OUT; reports what
                         changed, which rows matched no profile and which were
                         ambiguous. Nothing else changes
  merge INTO FROM -o OUT read INTO, then read FROM into the same catalog as the program
                         merges a catalog file, and write the result to OUT. A material
                         of FROM whose name INTO holds with other values raises the
                         overwrite question: "ano" keeps INTO's material, "ne" takes
                         FROM's drawing name, detail, manufacturer, roughness, flags, PN,
                         SDR, shape and description format; sizes INTO lacks are added
                         either way, and sizes both have keep INTO's values. Neither
                         input is changed, and the user catalog is never written.
                         Each question lists what differs (INTO's value -> FROM's)
  backups FILE           list the saved versions kept beside FILE (1 = FILE.bak, the
                         newest, to 5 = FILE.bak5) and the copies of a damaged or newer
                         file kept aside before it was replaced (FILE's name with
                         -poskozeny- or -novejsi-verze- and the time), with their time,
                         size and what they hold
  restore FILE N         put backup N (1 to 5) back in place of FILE; FILE as it was
                         becomes the newest backup, so a restore can be undone. Nothing
                         changes when backup N cannot be read whole

Options:
  -o, --output FILE      the file to write
      --answer ANSWER    merge: the answer to every overwrite question: ano (the
                         default), ne, ano-vsem or ne-vsem ("for all": asked once)
      --dry-run          merge: list the new materials and what differs in each
                         material the merge would ask about; write nothing
      --strict           check: warnings and corrections fail the check (status 1)
      --format FORMAT    export: json (the default), csv or xlsx
      --delimiter D      import, update-codes, check of a CSV file: ";", "," or tab
      --decimal M        the same: "," or "." as the decimal mark
      --encoding E       the same: utf-8 or windows-1250
                         (each is recognised from the file when not given)
  -h, --help             show this help and exit
      --version          show the version and exit

JSON layout (export writes it, import reads it):
  {"version": 3, "materials": [{
     "name", "drawingName", "detail", "manufacturer", "roughness", "group",
     "purposes", "pnIndex", "sdrIndex", "shape", "descMode", "prefix", "suffix",
     "innerDiameterLabel", "profiles": [{"dn", "innerDiameter", "wall", "od",
     "width", "ursMaterial", "ursAssembly", "label", "shortLabel"}]}]}
  Export lists materials in file order and profiles in DN order; "version" is the
  catalog version of the file read. Numbers of millimetres are 32-bit floats, written
  as the shortest text that reads back to the same value.
  Import: "name" (1 to 20 characters, unique) and each profile's "dn" are required;
  every other field may be left out and takes the value of a new material or size.
  "od", "label" and "shortLabel" are derived and ignored, as is "version".
  Ranges: drawingName up to 20 characters, manufacturer up to 25, prefix and suffix up
  to 4, roughness >= 0, group 1-3, purposes 1-31, pnIndex -1..6, sdrIndex -1..7
  (-1 = not chosen), shape 0-4, descMode 0-2, innerDiameterLabel true/false;
  dn 0-27 (once per material), innerDiameter > 0, wall >= 0, width >= 0,
  ursMaterial and ursAssembly up to 10 characters. Unknown fields are errors.

Spreadsheet layout (export --format csv|xlsx writes it, import reads it): one row
  per profile, the material's fields repeated on each of its rows; a material
  without profiles has one row with empty profile columns. Columns (JSON field):
  Název (name), Popis (drawingName), Podrobný popis (detail), Výrobce
  (manufacturer), Drsnost [mm] (roughness), Skupina (group), Použití (purposes),
  Index PN (pnIndex), Index SDR (sdrIndex), Tvar (shape), Režim popisu (descMode),
  Předpona (prefix), Přípona (suffix), Popis vnitřním průměrem (innerDiameterLabel,
  ano/ne), DN (the nominal size, 100 or "DN 100"), Vnitřní průměr [mm]
  (innerDiameter), Tloušťka stěny [mm] (wall), Vnější průměr [mm] (od), Šířka [mm]
  (width), Kód URS materiál (ursMaterial), Kód URS montáž (ursAssembly), Popis
  profilu (label), Krátký popis profilu (shortLabel). Import takes the columns in
  any order and any subset with Název; rows of one name form one material wherever
  they stand, and its fields must agree on all of them. An empty number cell takes
  the default, as a missing JSON field does. CSV is written in UTF-8 with a
  byte-order mark, ";" and a decimal comma; read also in Windows-1250 and with ","
  or "." (XLSX needs a build with libxlsxwriter, liborcus and libzip).

Messages the program shows go to standard error as "TITLE: TEXT"; questions take
their default answer (merge: as --answer says; "Uložit materiály?" is answered Ne),
and each question is followed by the line "-> ANSWER".

Exit status: 0 success (check: the whole file was read, corrections and warnings
included), 1 a file could not be read or written, the JSON or spreadsheet is not
valid, or check --strict found a correction or a warning; 2 wrong usage.
)";
}
