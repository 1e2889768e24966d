#pragma once

// The station's texts of the Ethernet channel and its switch, UTF-8 (kept apart
// from app/texts.h with the code they belong to; the same conventions apply).

namespace rz::text {

// Message boxes of the socket, caption "Ошибка".
inline constexpr const char* kSocketLayerError = "Проблемы с версией WinSock2.dll";
inline constexpr const char* kSocketCreateError = "Ошибка создания сокета";
inline constexpr const char* kSocketBindError = "Socket Local Address error";

// The IP-address dialog.
inline constexpr const char* kIpAddressDialogTitle = " Введите IP-адрес";

// Journal: the switching operation.
inline constexpr const char* kSocketOpenError = " *Ошибка открытия сокета.";
inline constexpr const char* kEthernetConnecting = " Подключение к Ethernet...";
inline constexpr const char* kEthernetEnabled = " Разрешена работа через Ethernet.";
inline constexpr const char* kEthernetAddressPrefix = " IP:";
inline constexpr const char* kEthernetConnectError = " *Ошибка подключения через Ethernet.";
inline constexpr const char* kEthernetDisconnecting = " Отключение от Ethernet...";
inline constexpr const char* kEthernetDisabled = " Запрещена работа через Ethernet.";
inline constexpr const char* kEthernetDisconnectError = " *Ошибка отключения от Ethernet.";

}  // namespace rz::text
