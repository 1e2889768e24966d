#include "operations/control_handlers.h"

#include "operations/operation_table.h"

namespace rz {
namespace {

StartResult UseControl(Station& station, const OperationRow* row) {
  if (row == nullptr) return StartResult::NotAvailable;
  return StartOperation(station, *row, nullptr);
}

const OperationRow* SelectorRow(ControlKind kind) {
  for (const OperationRow& row : OperationTable()) {
    if (row.control == kind) return &row;
  }
  return nullptr;
}

}  // namespace

StartResult PressButton(Station& station, Button button) {
  return UseControl(station, FindOperationRow(button));
}

StartResult OnPortSelectorChanged(Station& station) {
  return UseControl(station, SelectorRow(ControlKind::PortSelector));
}

StartResult OnCpuSelectorChanged(Station& station) {
  return UseControl(station, SelectorRow(ControlKind::CpuSelector));
}

StartResult OnEthernetSwitchClicked(Station& station) {
  for (const OperationRow& row : OperationTable()) {
    if (row.control == ControlKind::EthernetSwitch) return StartOperation(station, row, nullptr);
  }
  return StartResult::NotAvailable;
}

}  // namespace rz
