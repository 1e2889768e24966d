#include "boardtests/external_com_params.h"
#include "operations/operation_table.h"
#include "operations/start_steps.h"
#include "operations/station.h"

namespace rz {

StartResult StartExternalComTest(Station& station, const OperationRow& row, const OperationArgs* args) {
  ExtComState& state = station.extCom;
  state.cycleLimit.reset();
  if (args != nullptr) {
    const ExtComArgs& given = args->extCom;
    if (given.speedCode || given.fifoMode || given.blockSize || given.lineMode || given.codePattern ||
        given.channelCount) {
      state.params = ApplyExtComArgs(state.params, given);
    }
    state.cycleLimit = given.cycles;
  }
  station.Ui().FocusJournal();
  return StartWorker(station, row.worker);
}

bool ParseExternalComArgument(std::string_view rest, OperationArgs& args, std::string& error) {
  if (rest.empty()) return true;
  if (rest.front() != ':' || rest.size() == 1) {
    error = "takes :KEY=VALUE[,KEY=VALUE...] with the keys cycles, speed, fifo, block, line, code, channels";
    return false;
  }
  return ParseExtComArgs(rest.substr(1), args.extCom, error);
}

}  // namespace rz
