#include "flash/byte_count_dialog.h"

namespace rz {

std::uint32_t ByteCountOnEnter(std::string_view text) { return ByteCountFromText(EditClip(kByteCountEdit, text)); }

}  // namespace rz
