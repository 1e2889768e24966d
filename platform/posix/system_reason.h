#pragma once

#include <string>

namespace rz {

// A short Russian text for a system error number (errno), for the reason that
// follows a message: "нет такого файла или каталога" for ENOENT. Numbers
// without a text of their own give "системная ошибка N".
std::string SystemReasonText(int error);

}  // namespace rz
