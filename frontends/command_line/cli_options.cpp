#include "cli_options.h"

#include "app/ip_address.h"
#include "boardtests/external_com_test.h"
#include "cli_platform.h"
#include "debug/debug_operation.h"
#include "operations/operation_table.h"

namespace rz::cli {

std::string CliUsage() {
  return "Usage: rzstation-cli [OPTIONS] OPERATION...\n"
    "       rzstation-cli [OPTIONS] --profile FILE [--boards N] [--wait-board]\n"
    "       rzstation-cli history (--board UNIQ_ID | --serial SN | --rebuild-index)\n"
    "                     [--history DIR]\n"
    "       rzstation-cli report [--since YYYY-MM-DD] [--station NAME]\n"
    "                     [--csv days|pareto|retested] [--html FILE] [--history DIR]\n"
    "\n"
    "Runs the RZ station's operations one after another against the board on the\n"
    "serial port, prints the journal, and writes the results log vesk_rz.log into\n"
    "the working directory at the end, as the station's \"Выход\" button does.\n"
    "\n"
    "Options:\n"
    "  --workdir DIR        directory holding tst7312v26.bin and receiving vesk_rz.log\n"
    "                       (default: the current directory)\n"
    + PortOptionsHelp() +
    "  --local-address IPV4 the station's own address for work through Ethernet (UDP\n"
    "                       port 13330; default: the first IPv4 address of the\n"
    "                       computer's name, never a loopback one); a loopback\n"
    "                       address is allowed here, for a board simulated on\n"
    "                       this machine\n"
    "  --service-com v7|v5  service COM test variant (default v7; key C in the window)\n"
    "  --flash-service      Flash service mode on (key F in the window)\n"
    "  --sound              end-of-operation sound on (key S in the window)\n"
    "  --keep-going         run the remaining operations after one fails\n"
    "  --verify             read back what write= wrote over COM and compare it\n"
    "                       (key V in the window; doubles a write's time)\n"
    "  --no-verify          do not read back what write= wrote over UDP (a write\n"
    "                       whose answers leave doubt is read back anyway)\n"
    "  --debug-console      run the interactive debug console (on a terminal), in\n"
    "                       the order given among the operations\n"
    "  --record FILE        keep a record of the run in FILE (JSON): ports, options,\n"
    "                       and per board (from one download or port= to the next)\n"
    "                       its identity and every operation's outcome, duration\n"
    "                       and journal lines; rewritten after every operation\n"
    "  --junit FILE         write the run as a JUnit XML report into FILE, one test\n"
    "                       suite per board, one test case per operation, also\n"
    "                       after every operation\n"
    "  --station NAME       the station's name in the record (default: the\n"
    "                       computer's name)\n"
    "  --operator NAME      the operator's name in the record\n"
    "  --serial SN          the serial number of the board the next download (or\n"
    "                       port=) begins; may be given again before each board\n"
    "  --silence-limit SECONDS\n"
    "                       end a wait for the board as ESC (Ctrl-C) ends it once\n"
    "                       the board has been silent that long (default 60, 0: wait\n"
    "                       without limit); each wait gets the whole limit\n"
    "  --profile FILE       production: run the sequence of the profile FILE (JSON)\n"
    "                       for each board, judge its measurements against the\n"
    "                       profile's limits and print its verdict (PASS, FAIL or\n"
    "                       INCOMPLETE); no operations are given then; --serial\n"
    "                       may be given once for each board, in order\n"
    "  --boards N           test N boards one after another (default 1; 0: until\n"
    "                       Ctrl-C); each board's download waits for its boot ROM\n"
    "  --wait-board         wait for each board's boot ROM without the silence\n"
    "                       limit (the next board may take any time to come)\n"
    "  --history DIR        keep every board's units in DIR: one JSON file per board\n"
    "                       (from one download or port= to the next, with the\n"
    "                       station and operator) and a line in its index; a\n"
    "                       readout shows the board's past (default:\n"
    "                       " + HistoryFolderHelp() + ")\n"
    "  --no-history         keep no history\n"
    "  --forward DIR        also forward each finished unit's file to the shared\n"
    "                       folder DIR (a mounted share), through a spool in the\n"
    "                       history folder: while DIR cannot be reached the files\n"
    "                       wait there and are sent after the next unit, every\n"
    "                       minute or at the next start\n"
    "  --list-ports         list the machine's serial devices (USB adapters with\n"
    "                       vendor, product and serial number) and exit\n"
    "  --help               show this text\n"
    "\n"
    "History: \"history --board UNIQ_ID\" or \"--serial SN\" lists a board's units\n"
    "from the index (date, station, serial number, verdict or outcome, file);\n"
    "\"history --rebuild-index\" writes the index anew from the unit files (while\n"
    "no station writes into the folder).\n"
    "\n"
    "Report: \"report\" prints, from the history's index, the first-pass yield\n"
    "per station and day (counted per board: a board's first unit with a verdict\n"
    "decides), the retests, the boards that passed only after a retest, the\n"
    "Pareto of what failed and the cycle times; --csv TABLE prints one table as\n"
    "CSV instead; --html FILE also writes the report as one self-contained page\n"
    "with its charts.\n"
    "\n"
    "Operations:\n" +
    OperationHelpText() +
    "\n" + ExternalComHelpText() +
    "\n"
    "Debug console:\n"
    "  debug=TARGET:OPERATION:ADDRESS:DATA runs one operation as ENTER in the debug\n"
    "  window does, with the same checks and journal lines; TARGET is one of\n"
    "  " + DebugTargetNames() + "; fields may be empty, e.g.\n"
    "  debug=sdram:r:0x100:  debug=service-com:txc::0x55  debug=ext-com:rds:3:\n"
    "  A cyclic operation runs until Ctrl-C. --debug-console asks for a target and\n"
    "  then for operation, address and data (\"help\" shows the target's help text);\n"
    "  ENTER runs, Ctrl-C stops a cyclic operation, an empty operation or Ctrl-D\n"
    "  leaves the target. The debug journal is printed, not written to the log.\n"
    "\n"
    "FILE is relative to the current directory. The window asks before its save\n"
    "dialog overwrites a file; read cannot ask, so it checks COUNT (leading digits,\n"
    "none is 0) before it creates or empties FILE.\n"
    "\n"
    "While work through Ethernet is on (ethernet=on:IPV4), write= and read= run over\n"
    "UDP and the other board operations are refused, as in the window.\n"
    "Ctrl-C stops the running wait or operation, like ESC in the window.\n"
    "Each Ctrl-C is one ESC: an operation made of several waits (the configuration\n"
    "readout's four sections) needs one for each. SIGTERM, SIGQUIT (Ctrl-\\) and\n"
    "closing the terminal (on Windows the console window) end the whole run; it\n"
    "still writes the log and the record.\n"
    "A port whose device goes away (an adapter pulled) ends the operation at once\n"
    "and is closed.\n"
    "Exit status: 0 every operation succeeded (with --profile: every board PASS),\n"
    "1 one failed or was stopped (with --profile: a board FAIL or INCOMPLETE),\n"
    "2 bad usage or the station could not start (a profile that cannot be read).\n";
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions options;
  // A --serial waiting for the operation that follows it.
  std::optional<std::string> serial;
  const auto add = [&](ParsedOperation operation) {
    operation.serial = serial.value_or("");
    serial.reset();
    options.operations.push_back(std::move(operation));
  };
  options.ports = DefaultPortPaths();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--workdir") {
      if (!value(options.workDir)) return std::nullopt;
    } else if (arg == "--com1") {
      if (!value(options.ports.com1) || !CheckPortName(options.ports.com1, error)) return std::nullopt;
    } else if (arg == "--com2") {
      if (!value(options.ports.com2) || !CheckPortName(options.ports.com2, error)) return std::nullopt;
    } else if (arg == "--local-address") {
      std::string text;
      if (!value(text)) return std::nullopt;
      options.localAddress = ParseDottedIpv4(text);
      if (!options.localAddress) {
        error = "--local-address takes an IPv4 address such as 192.168.2.1, not '" + text + "'";
        return std::nullopt;
      }
    } else if (arg == "--service-com") {
      std::string variant;
      if (!value(variant)) return std::nullopt;
      if (variant != "v7" && variant != "v5") {
        error = "--service-com takes v7 or v5, not '" + variant + "'";
        return std::nullopt;
      }
      options.serviceComVariant = variant == "v7" ? 1 : 0;
    } else if (arg == "--flash-service") {
      options.flashService = true;
    } else if (arg == "--sound") {
      options.sound = true;
    } else if (arg == "--keep-going") {
      options.keepGoing = true;
    } else if (arg == "--no-verify") {
      options.verifyUdpWrites = false;
    } else if (arg == "--verify") {
      options.verifyWrites = true;
    } else if (arg == "--station" || arg == "--operator" || arg == "--serial") {
      std::string text;
      if (!value(text)) return std::nullopt;
      if (text.empty() || text.find_first_of("\r\n") != std::string::npos) {
        error = arg + " takes a non-empty name on one line";
        return std::nullopt;
      }
      if (arg == "--station") {
        options.station = text;
      } else if (arg == "--operator") {
        options.operatorName = text;
      } else {
        serial = text;
        options.boardSerials.push_back(text);
      }
    } else if (arg == "--debug-console") {
      ParsedOperation operation;
      operation.word = arg;
      operation.row = FindOperationRow(Button::Debug);
      operation.args.debug.interactive = true;
      add(std::move(operation));
    } else if (arg == "--record") {
      if (!value(options.recordPath)) return std::nullopt;
    } else if (arg == "--junit") {
      if (!value(options.junitPath)) return std::nullopt;
    } else if (arg == "--silence-limit") {
      std::string text;
      if (!value(text)) return std::nullopt;
      // Whole seconds, at most a day.
      if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos ||
          std::stoi(text) > 86400) {
        error = "--silence-limit takes whole seconds from 0 (no limit) to 86400, not '" + text + "'";
        return std::nullopt;
      }
      options.silenceLimit = std::chrono::seconds(std::stoi(text));
    } else if (arg == "--profile") {
      if (!value(options.profilePath)) return std::nullopt;
    } else if (arg == "--boards") {
      std::string text;
      if (!value(text)) return std::nullopt;
      if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
        error = "--boards takes a number of boards (0: until Ctrl-C), not '" + text + "'";
        return std::nullopt;
      }
      options.boards = static_cast<unsigned>(std::stoul(text));
    } else if (arg == "--history") {
      if (!value(options.historyDir)) return std::nullopt;
      if (options.historyDir.empty()) {
        error = "--history needs a folder";
        return std::nullopt;
      }
    } else if (arg == "--no-history") {
      options.history = false;
    } else if (arg == "--forward") {
      if (!value(options.forwardDir)) return std::nullopt;
      if (options.forwardDir.empty()) {
        error = "--forward needs a folder";
        return std::nullopt;
      }
    } else if (arg == "--wait-board") {
      options.waitBoard = true;
    } else if (arg == "--list-ports") {
      options.listPorts = true;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      ParsedOperation operation;
      operation.word = arg;
      if (!ParseOperationWord(arg, operation.row, operation.args, error)) return std::nullopt;
      add(std::move(operation));
    }
  }
  if (!options.forwardDir.empty() && !options.history) {
    error = "--forward sends the history's unit files: it cannot go with --no-history";
    return std::nullopt;
  }
  if (!options.profilePath.empty()) {
    if (!options.operations.empty()) {
      error = "--profile runs the profile's sequence for each board: give no operations with it";
      return std::nullopt;
    }
    return options;
  }
  if (options.boards != 1 || options.waitBoard) {
    error = "--boards and --wait-board need --profile";
    return std::nullopt;
  }
  options.boardSerials.clear();
  if (serial) {
    error = "--serial " + *serial + " is not followed by an operation";
    return std::nullopt;
  }
  if (!options.help && !options.listPorts && options.operations.empty()) {
    error = "no operation given";
    return std::nullopt;
  }
  return options;
}

}  // namespace rz::cli
