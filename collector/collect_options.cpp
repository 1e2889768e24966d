#include "collect_options.h"

#include <charconv>

namespace rz::collect {

std::string CollectUsage() {
  return "Usage: rzstation-collect --from DIR [OPTIONS] --once\n"
         "       rzstation-collect --from DIR [OPTIONS] [--interval SECONDS]\n"
         "\n"
         "Imports the unit files the RZ stations forward into a folder (one JSON file per\n"
         "tested board) into a PostgreSQL database, creating its tables and report views\n"
         "when missing. An imported file moves to the archive folder; a file that is not\n"
         "a valid unit moves to the quarantine folder with NAME.reason.txt beside it.\n"
         "Files are left where they are while the database cannot take them.\n"
         "\n"
         "Options:\n"
         "  --from DIR           the forward folder (required); files whose names start\n"
         "                       with \".\" (still being copied) are left alone\n"
         "  --db CONNINFO        libpq connection string, e.g. \"host=db dbname=factory\"\n"
         "                       (default: libpq's environment, PGHOST, PGDATABASE, ...)\n"
         "  --archive DIR        where imported files go (default: DIR/archive)\n"
         "  --quarantine DIR     where invalid files go (default: DIR/quarantine)\n"
         "  --once               import what is there and exit: status 0 when all went\n"
         "                       well, 1 when the folder or the database failed\n"
         "  --interval SECONDS   without --once, look again every SECONDS (default 60)\n"
         "                       until SIGTERM or SIGINT, which end it between batches\n"
         "  --help               show this help and exit\n"
         "  --version            show the version and exit\n"
         "\n"
         "Each pass prints a summary line: imported N, already known M, quarantined Q.\n";
}

std::optional<CollectOptions> ParseCollectOptions(const std::vector<std::string>& args, std::string& error) {
  CollectOptions options;
  bool archiveGiven = false;
  bool quarantineGiven = false;
  bool intervalGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    if (arg == "--version") {
      options.version = true;
      return options;
    }
    if (arg == "--once") {
      options.once = true;
      continue;
    }
    std::string* target = nullptr;
    if (arg == "--from") target = &options.folders.forward;
    if (arg == "--archive") target = &options.folders.archive;
    if (arg == "--quarantine") target = &options.folders.quarantine;
    if (arg == "--db") target = &options.conninfo;
    std::string interval;
    if (arg == "--interval") target = &interval;
    if (target == nullptr) {
      error = arg.rfind("--", 0) == 0 ? "unknown option " + arg : "unexpected argument '" + arg + "'";
      return std::nullopt;
    }
    if (i + 1 >= args.size() || (args[i + 1].empty() && arg != "--db")) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    *target = args[++i];
    archiveGiven |= arg == "--archive";
    quarantineGiven |= arg == "--quarantine";
    if (arg == "--interval") {
      intervalGiven = true;
      const auto [end, code] =
          std::from_chars(interval.data(), interval.data() + interval.size(), options.intervalSeconds);
      if (code != std::errc() || end != interval.data() + interval.size() || options.intervalSeconds < 1 ||
          options.intervalSeconds > 86400) {
        error = "--interval takes whole seconds from 1 to 86400, not '" + interval + "'";
        return std::nullopt;
      }
    }
  }
  if (options.folders.forward.empty()) {
    error = "--from needs the forward folder";
    return std::nullopt;
  }
  if (options.once && intervalGiven) {
    error = "--interval has no use with --once";
    return std::nullopt;
  }
  if (!archiveGiven) options.folders.archive = options.folders.forward + "/archive";
  if (!quarantineGiven) options.folders.quarantine = options.folders.forward + "/quarantine";
  return options;
}

}  // namespace rz::collect
