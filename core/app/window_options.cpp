#include "app/window_options.h"

#include "app/ip_address.h"

namespace rz {

bool ParseWindowOptions(const std::vector<std::string>& args, WindowOptions& options, std::string& error) {
  std::string localAddress;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--no-history") {
      options.noHistory = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool hasValue = false;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    std::string* target = nullptr;
    if (name == "--workdir") target = &options.workDir;
    if (name == "--com1") target = &options.portPaths.com1;
    if (name == "--com2") target = &options.portPaths.com2;
    if (name == "--local-address") target = &localAddress;
    if (name == "--record") target = &options.recordPath;
    if (name == "--station") target = &options.station;
    if (name == "--operator") target = &options.operatorName;
    if (name == "--serial") target = &options.serial;
    if (name == "--profile") target = &options.profilePath;
    if (name == "--history") target = &options.historyDir;
    if (name == "--forward") target = &options.forwardDir;
    if (target == nullptr) {
      error = "unknown argument '" + arg + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (value.empty()) {
      error = name + " needs a non-empty value";
      return false;
    }
    *target = value;
  }
  if (options.noHistory && !options.forwardDir.empty()) {
    error = "--forward sends the history's unit files: it cannot go with --no-history";
    return false;
  }
  if (!localAddress.empty()) {
    options.localAddress = ParseDottedIpv4(localAddress);
    if (!options.localAddress) {
      error = "--local-address takes an IPv4 address such as 192.168.2.1, not '" + localAddress + "'";
      return false;
    }
  }
  return true;
}

}  // namespace rz
