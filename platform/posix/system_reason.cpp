// Russian texts for the system error numbers a station meets: opening the
// test-program file and serial devices, files, sockets. The C library's own
// translations would need a generated Russian locale on every machine, so the
// station carries these few.

#include "posix/system_reason.h"

#include <cerrno>

namespace rz {
namespace {

struct Reason {
  int error;
  const char* text;
};

constexpr Reason kReasons[] = {
    {EPERM, "операция не разрешена"},
    {ENOENT, "нет такого файла или каталога"},
    {EINTR, "прервано сигналом"},
    {EIO, "ошибка ввода-вывода"},
    {ENXIO, "нет такого устройства или адреса"},
    {EAGAIN, "ресурс временно недоступен"},
    {ENOMEM, "недостаточно памяти"},
    {EACCES, "нет доступа"},
    {EBUSY, "устройство занято"},
    {EEXIST, "файл уже существует"},
    {ENODEV, "нет такого устройства"},
    {ENOTDIR, "не каталог"},
    {EISDIR, "это каталог"},
    {EINVAL, "недопустимый аргумент"},
    {ENFILE, "слишком много открытых файлов в системе"},
    {EMFILE, "слишком много открытых файлов"},
    {ENOTTY, "не терминал"},
    {ETXTBSY, "файл занят"},
    {EFBIG, "файл слишком велик"},
    {ENOSPC, "нет места на устройстве"},
    {EROFS, "файловая система только для чтения"},
    {EPIPE, "канал закрыт"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {ELOOP, "слишком много символических ссылок"},
    {EDQUOT, "превышена дисковая квота"},
    {EADDRINUSE, "адрес уже используется"},
    {EADDRNOTAVAIL, "адрес недоступен"},
    {ENETDOWN, "сеть не работает"},
    {ENETUNREACH, "сеть недоступна"},
    {EHOSTUNREACH, "узел недоступен"},
    {ECONNREFUSED, "в соединении отказано"},
    {ETIMEDOUT, "время ожидания истекло"},
};

}  // namespace

std::string SystemReasonText(int error) {
  for (const Reason& reason : kReasons) {
    if (reason.error == error) return reason.text;
  }
  return "системная ошибка " + std::to_string(error);
}

}  // namespace rz
