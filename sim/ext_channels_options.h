#pragma once

#include <string>
#include <string_view>

#include "ext_channels_model.h"

namespace rzsim {

// The values of the external-channel options; each returns what is wrong with
// the value, or "" when it was applied.

// "POS=BYTE[,POS=BYTE...]": channel-map entries (0xFF or above 31: absent).
std::string ApplyExtMap(std::string_view value, ExtChannelsModel& model);
// "CH:B1[,B2...]": the status bytes of channel CH's tests, the last repeating.
std::string ApplyExtStatus(std::string_view value, ExtChannelsModel& model);
// "POS:A,B,C,D": the FIFO counters of a position.
std::string ApplyExtFifo(std::string_view value, ExtChannelsModel& model);
// "OP[:N]": the channel commands go silent from the Nth OP (n k h u p z) on.
std::string ApplyExtSilentFrom(std::string_view value, ExtChannelsFaults& faults);

}  // namespace rzsim
