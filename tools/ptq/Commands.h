#pragma once
// The commands of ptq. Each returns the exit status: 0 success, 1 a file could not be read
// or written (the reason is on standard error).

#include "Options.h"

class ConsoleWindowServices;

int RunInfo(const Options& options);
int RunExport(const Options& options);
int RunImport(const Options& options);
// `services` counts the messages the reader shows: each is a correction it made.
int RunCheck(const Options& options, const ConsoleWindowServices& services);
// Reads options.from into options.input through the reconciliation, answering its questions
// through `services`, and writes options.output.
int RunMerge(const Options& options, ConsoleWindowServices& services);
// Lists the backups kept beside a catalog file and the copies kept aside, with what they hold.
int RunBackups(const Options& options);
// Puts backup generation options.generation back in place of the file (which becomes the
// newest backup); nothing changes when the backup cannot be read whole.
int RunRestore(const Options& options);

class CWexSezMaterialu;
// export --format csv|xlsx of a catalog read from a file of `version`.
int RunTableExport(const Options& options, const CWexSezMaterialu& catalog, int version);
// merge --dry-run: lists the materials FROM would add and the differences it would ask about.
int RunMergeDryRun(const Options& options);
// import of a .csv or .xlsx file.
int RunTableImport(const Options& options);
// Sets the price-list codes of options.input's profiles from the table options.from.
int RunUpdateCodes(const Options& options);
