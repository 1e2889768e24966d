#include "boardtests/test_params_dialog.h"

#include <iterator>

#include "boardtests/external_com_texts.h"

namespace rz {
namespace {

int EntryOrNone(int index, std::size_t entries) {
  return index >= 0 && static_cast<std::size_t>(index) < entries ? index : -1;
}

}  // namespace

ExtComDialogChoice DialogOpeningChoice(const ExtComParams& params) {
  ExtComDialogChoice choice = DialogChoiceFor(params);
  choice.speedIndex = EntryOrNone(choice.speedIndex, std::size(text::kParamsSpeeds));
  choice.fifoIndex = EntryOrNone(choice.fifoIndex, std::size(text::kParamsFifoModes));
  choice.lineIndex = EntryOrNone(choice.lineIndex, std::size(text::kParamsLineModes));
  choice.codeIndex = EntryOrNone(choice.codeIndex, std::size(text::kParamsCodes));
  choice.channelIndex = EntryOrNone(choice.channelIndex, std::size(text::kParamsChannelCounts));
  return choice;
}

}  // namespace rz
