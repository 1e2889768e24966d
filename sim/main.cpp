// rzboard-sim: a simulated RZ board on a pseudo-terminal, for the station to
// talk to instead of real hardware.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "board.h"
#include "flash_image.h"
#include "options.h"
#include "pty_link.h"
#include "serve_loop.h"

namespace {

rzsim::ServeControl* g_control = nullptr;

extern "C" void OnStopSignal(int) { g_control->stop.store(true); }
extern "C" void OnResetSignal(int) { g_control->reset.store(true); }

void InstallHandler(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a signal cuts the current poll short
  sigaction(signal, &action, nullptr);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "rzboard-sim: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  rzsim::SimConfig config;
  const rzsim::ParseResult parsed =
      rzsim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), config);
  if (parsed.kind == rzsim::ParseResult::Kind::kHelp) {
    std::fputs(rzsim::UsageText().c_str(), stdout);
    return 0;
  }
  if (parsed.kind == rzsim::ParseResult::Kind::kError) {
    std::fprintf(stderr, "rzboard-sim: %s\nTry 'rzboard-sim --help' for more information.\n",
                 parsed.error.c_str());
    return 2;
  }

  rzsim::ServeControl control;
  g_control = &control;
  InstallHandler(SIGTERM, OnStopSignal);
  InstallHandler(SIGINT, OnStopSignal);
  InstallHandler(SIGHUP, OnStopSignal);
  InstallHandler(SIGUSR1, OnResetSignal);

  rzsim::PtyLink link;
  std::string error;
  if (!link.Open(error)) return Fail(error);
  if (!config.linkPath.empty() && !link.MakeLink(config.linkPath, error)) return Fail(error);

  rzsim::Board board(config.model, config.faults);
  if (!config.flashLoad.empty() && !rzsim::LoadFlash(config.flashLoad, board.memory(), error)) return Fail(error);
  rzsim::ServeOptions options;
  options.autoReset = config.autoReset;
  options.pace = config.pace;
  options.log = config.verbose ? stderr : nullptr;
  rzsim::UdpSide udp(config.faults.udp, config.faults.flash, options.log);
  options.udp = &udp;
  options.onReady = [&link] {
    std::string where = "rzboard-sim: board on " + link.slavePath();
    if (!link.linkPath().empty()) where += " (link " + link.linkPath() + ")";
    std::printf("%s\n", where.c_str());
    std::fflush(stdout);
  };
  rzsim::Serve(link, board, options, control);
  link.RemoveLink();
  const std::uint64_t badChecksums = board.program().flashState().badWriteChecksums;
  if (badChecksums != 0) {
    std::fprintf(stderr, "rzboard-sim: %llu 'w' command(s) with a wrong checksum\n",
                 static_cast<unsigned long long>(badChecksums));
  }
  if (!config.flashSave.empty() && !rzsim::SaveFlash(config.flashSave, board.memory(), error)) return Fail(error);
  return 0;
}
