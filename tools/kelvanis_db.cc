// kelvanis-db: creates, lists, changes, renders, exports and imports the
// entry database of a program folder through the program's own store and
// page code.
//
//   kelvanis-db --dir DIR init
//   kelvanis-db --dir DIR add FORM
//   kelvanis-db --dir DIR edit FORM
//   kelvanis-db --dir DIR delete FORM
//   kelvanis-db --dir DIR list [--key KEY]
//   kelvanis-db --dir DIR render [--key KEY] [--com COM]
//   kelvanis-db --dir DIR export [--format jsonl|csv]
//   kelvanis-db --dir DIR import [--format jsonl|csv] FILE
//
// Errors are one line on standard error and a non-zero exit status.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "codec/form.h"
#include "codec/hex.h"
#include "codec/sjis.h"
#include "pages/home_page.h"
#include "pages/page_file.h"
#include "settings/settings.h"
#include "store/connection.h"
#include "store/store.h"
#include "tools/entry_io.h"

namespace kelvanis {
namespace {

const char kUsage[] =
    "usage: kelvanis-db --dir DIR init\n"
    "       kelvanis-db --dir DIR add FORM\n"
    "       kelvanis-db --dir DIR edit FORM\n"
    "       kelvanis-db --dir DIR delete FORM\n"
    "       kelvanis-db --dir DIR list [--key KEY]\n"
    "       kelvanis-db --dir DIR render [--key KEY] [--com COM]\n"
    "       kelvanis-db --dir DIR export [--format jsonl|csv]\n"
    "       kelvanis-db --dir DIR import [--format jsonl|csv] FILE\n";

const char kSeeHelp[] = " (kelvanis-db --help lists the commands)";

const char kCreateTable[] =
    "create table mcnt (id integer primary key, title text, des text, keywd text, edate text, "
    "rout text)";

// Thrown for every failure; main prints it as one line.
struct ToolError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& where, const std::string& cause) {
  throw ToolError{where.empty() ? cause : where + ": " + cause};
}

struct Arguments {
  std::string dir;
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

Arguments ParseArguments(int argc, char** argv) {
  Arguments args;
  bool dir_given = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--dir" || arg == "--key" || arg == "--com" || arg == "--format") {
      if (i + 1 >= argc) Fail("", "option " + arg + " needs a value" + kSeeHelp);
      std::string value = argv[++i];
      if (arg == "--dir") {
        args.dir = value;
        dir_given = true;
      } else {
        args.options[arg] = value;
      }
    } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      Fail("", "unknown option " + arg + kSeeHelp);
    } else if (args.command.empty()) {
      args.command = arg;
    } else {
      args.positional.push_back(arg);
    }
  }
  if (!dir_given || args.dir.empty()) Fail("", std::string("--dir DIR is required") + kSeeHelp);
  if (args.command.empty()) Fail("", std::string("no command given") + kSeeHelp);
  if (args.dir.back() != '/') args.dir += '/';
  return args;
}

void Expect(const Arguments& args, size_t positional, std::initializer_list<const char*> options) {
  if (args.positional.size() != positional) {
    Fail("", "wrong number of arguments for " + args.command + kSeeHelp);
  }
  for (const auto& [name, value] : args.options) {
    bool allowed = false;
    for (const char* option : options) allowed = allowed || name == option;
    if (!allowed) Fail("", "option " + name + " does not apply to " + args.command);
  }
}

std::string Option(const Arguments& args, const std::string& name) {
  auto it = args.options.find(name);
  return it == args.options.end() ? std::string() : it->second;
}

EntryFormat FormatOption(const Arguments& args) {
  std::string format = Option(args, "--format");
  if (format.empty() || format == "jsonl") return EntryFormat::kJsonLines;
  if (format == "csv") return EntryFormat::kCsv;
  Fail("", "unknown format \"" + format + "\" (jsonl or csv)");
}

// Fails unless the database exists and holds a readable table mcnt.
void CheckDatabase(const std::string& path) {
  if (!FileExists(path)) Fail(path, "no such database (kelvanis-db init creates one)");
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::string cause;
  if (rc != SQLITE_OK) {
    cause = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  } else {
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db, "select id,title,des,keywd,edate,rout from mcnt limit 0", -1, &stmt,
                            nullptr);
    if (rc != SQLITE_OK) cause = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  if (!cause.empty()) Fail(path, cause);
}

void Init(const Arguments& args) {
  Expect(args, 0, {});
  const std::string path = DatabasePath(args.dir);
  // O_EXCL: an existing file, whatever it holds, is never opened for writing.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) Fail(path, "already exists; left untouched");
    Fail(path, std::strerror(errno));
  }
  ::close(fd);
  sqlite3* db = nullptr;
  std::string cause;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, kCreateTable, nullptr, nullptr, nullptr) != SQLITE_OK) {
    cause = db != nullptr ? sqlite3_errmsg(db) : "cannot open";
  }
  sqlite3_close(db);
  if (!cause.empty()) {
    ::unlink(path.c_str());
    Fail(path, cause);
  }
}

// The id that `form` names; fails unless it is a decimal id of an entry
// that exists.
long long ExistingEntryId(const Arguments& args, const std::string& path, const std::string& form) {
  const std::string text = ParsePostedEntry(form).id;
  if (!IsDecimalId(text)) Fail(path, "id \"" + SjisToUtf8(text) + "\" is not a decimal integer");
  const long long id = std::stoll(text);
  if (!ReadEntry(args.dir, id)) Fail(path, "no entry with id " + std::to_string(id));
  return id;
}

void Add(const Arguments& args) {
  Expect(args, 1, {});
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  int id = AddEntry(args.dir, args.positional[0]);
  if (id < 0) Fail(path, "the entry was not stored (database locked, read-only or full)");
  std::printf("%d\n", id);
}

void Edit(const Arguments& args) {
  Expect(args, 1, {});
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  const std::string& form = args.positional[0];
  const long long id = ExistingEntryId(args, path, form);
  const std::time_t now = std::time(nullptr);
  EditEntry(args.dir, form, now);
  // EditEntry reports nothing; read the entry back to tell.
  const PostedEntry posted = ParsePostedEntry(form);
  std::optional<Entry> entry = ReadEntry(args.dir, id);
  if (!entry || entry->edate != DateText(now) ||
      entry->title != HexDecode(StoredText(posted.title)) ||
      entry->rout != HexDecode(StoredText(posted.rout))) {
    Fail(path, "the entry was not changed (database locked, read-only or full)");
  }
}

void Delete(const Arguments& args) {
  Expect(args, 1, {});
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  const std::string& form = args.positional[0];
  const long long id = ExistingEntryId(args, path, form);
  DeleteEntry(args.dir, form);
  if (ReadEntry(args.dir, id)) {
    Fail(path, "the entry was not deleted (database locked, read-only or full)");
  }
}

void CheckOutput(const std::string& path) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) Fail(path, "cannot write standard output");
}

void List(const Arguments& args) {
  Expect(args, 0, {"--key"});
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  VisitEntryRows(args.dir, Utf8ToSjis(Option(args, "--key")), [](char** values) {
    const std::string line = EntryLine(EntryFormat::kJsonLines, values);
    std::fwrite(line.data(), 1, line.size(), stdout);
  });
  CheckOutput(path);
}

void Render(const Arguments& args) {
  Expect(args, 0, {"--key", "--com"});
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  try {
    BuildHomePage(args.dir, ReadSiteUrl(args.dir), args.dir + "page/home.html",
                  Utf8ToSjis(Option(args, "--com")), Utf8ToSjis(Option(args, "--key")));
  } catch (const FileCreateError& error) {
    Fail("", error.what());
  }
}

void Export(const Arguments& args) {
  Expect(args, 0, {"--format"});
  const EntryFormat format = FormatOption(args);
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  if (format == EntryFormat::kCsv) std::fputs(CsvHeader().c_str(), stdout);
  Connection db(path);
  int rc = db.ForEachRow("select id,title,des,keywd,edate,rout from mcnt order by id",
                         [&](int column_count, char** values) {
                           if (column_count != 6) return false;
                           const std::string line = EntryLine(format, values);
                           std::fwrite(line.data(), 1, line.size(), stdout);
                           return true;
                         });
  if (rc != SQLITE_OK) Fail(path, sqlite3_errstr(rc));
  CheckOutput(path);
}

void Import(const Arguments& args) {
  Expect(args, 1, {"--format"});
  const EntryFormat format = FormatOption(args);
  const std::string path = DatabasePath(args.dir);
  CheckDatabase(path);
  const std::string& file = args.positional[0];
  std::vector<ImportedEntry> entries;
  std::string error;
  if (!ReadEntries(file, format, &entries, &error)) Fail("", error);
  if (!StoreEntries(path, file, entries, isatty(STDERR_FILENO) != 0, &error)) Fail("", error);
}

struct Command {
  const char* name;
  void (*run)(const Arguments& args);
};

constexpr Command kCommands[] = {
    {"init", Init}, {"add", Add},       {"edit", Edit},     {"delete", Delete},
    {"list", List}, {"render", Render}, {"export", Export}, {"import", Import},
};

const Command* FindCommand(const std::string& name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

int Run(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  try {
    Arguments args = ParseArguments(argc, argv);
    const Command* command = FindCommand(args.command);
    if (command == nullptr) Fail("", "unknown command \"" + args.command + "\"" + kSeeHelp);
    command->run(args);
  } catch (const ToolError& error) {
    std::fprintf(stderr, "kelvanis-db: %s\n", error.message.c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace kelvanis

int main(int argc, char** argv) { return kelvanis::Run(argc, argv); }
