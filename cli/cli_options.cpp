#include "cli_options.h"

#include "app/operation_table.h"

namespace rz::cli {

std::string CliUsage() {
  return "Usage: rzstation-cli [OPTIONS] OPERATION...\n"
    "\n"
    "Runs the RZ station's operations one after another against the board on the\n"
    "serial port, prints the journal, and writes the results log vesk_rz.log into\n"
    "the working directory at the end, as the station's \"Выход\" button does.\n"
    "\n"
    "Options:\n"
    "  --workdir DIR        directory holding tst7312v26.bin and receiving vesk_rz.log\n"
    "                       (default: the current directory)\n"
    "  --com1 PATH          device used as COM1 (default /dev/ttyS0), e.g. a USB adapter\n"
    "                       /dev/ttyUSB0 or the link made by rzboard-sim --link\n"
    "  --com2 PATH          device used as COM2 (default /dev/ttyS1)\n"
    "  --service-com v7|v5  service COM test variant (default v7; key C in the window)\n"
    "  --flash-service      Flash service mode on (key F in the window)\n"
    "  --sound              end-of-operation sound on (key S in the window)\n"
    "  --keep-going         run the remaining operations after one fails\n"
    "  --record FILE        keep a record of the run in FILE (JSON): ports, options,\n"
    "                       every operation's outcome, duration and journal lines,\n"
    "                       the board's identity; rewritten after every operation\n"
    "  --junit FILE         write the run as a JUnit XML report into FILE, one test\n"
    "                       case per operation, also after every operation\n"
    "  --list-ports         list the machine's serial devices (USB adapters with\n"
    "                       vendor, product and serial number) and exit\n"
    "  --help               show this text\n"
    "\n"
    "Operations:\n" +
    OperationHelpText() +
    "\n"
    "Ctrl-C stops the running wait or operation, like ESC in the window.\n"
    "Exit status: 0 every operation succeeded, 1 one failed or was stopped,\n"
    "2 bad usage or the station could not start.\n";
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions options;
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
      if (!value(options.ports.com1)) return std::nullopt;
    } else if (arg == "--com2") {
      if (!value(options.ports.com2)) return std::nullopt;
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
    } else if (arg == "--record") {
      if (!value(options.recordPath)) return std::nullopt;
    } else if (arg == "--junit") {
      if (!value(options.junitPath)) return std::nullopt;
    } else if (arg == "--list-ports") {
      options.listPorts = true;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      ParsedOperation operation;
      operation.word = arg;
      if (!ParseOperationWord(arg, operation.row, operation.args, error)) return std::nullopt;
      options.operations.push_back(std::move(operation));
    }
  }
  if (!options.help && !options.listPorts && options.operations.empty()) {
    error = "no operation given";
    return std::nullopt;
  }
  return options;
}

}  // namespace rz::cli
