#pragma once

#include <string>
#include <string_view>

#include "app/controls.h"
#include "operations/operation_args.h"

namespace rz {

class Station;
struct OperationRow;

// The start steps of the operations whose handler does more than start the
// worker, and the parsers of their command-line arguments. `args` is nullptr
// when the operator is asked through the window's dialogs.

// The Ethernet switch, called after the click has changed the check box: asks
// for the board's address when the switch went on (from `args` when given,
// else through the IP-address dialog), unchecks it when the dialog was left
// with ESC or no valid address was entered, and otherwise starts the
// switching worker.
StartResult StartEthernetSwitch(Station& station, const OperationRow& row, const OperationArgs* args);
// "=on:IPV4" or "=off".
bool ParseEthernetArgument(std::string_view rest, OperationArgs& args, std::string& error);

// The external COM test: with command-line arguments, stores their parameters
// as the dialog's OK would and sets the cycle limit; from the window it stores
// nothing. Then starts the worker.
StartResult StartExternalComTest(Station& station, const OperationRow& row, const OperationArgs* args);
// "ext-com[:KEY=VALUE,...]" (what follows the word).
bool ParseExternalComArgument(std::string_view rest, OperationArgs& args, std::string& error);

// "Отладка": opens the debug console through the window operations. From the
// window the console runs modally on the window's thread; with arguments (the
// command line) it runs as the station's one operation on a worker, so that
// Ctrl-C and the wait for its end work as for every other operation.
StartResult OpenDebugConsole(Station& station, const OperationRow& row, const OperationArgs* args);
// "=TARGET:OPERATION:ADDRESS:DATA".
bool ParseDebugArgument(std::string_view rest, OperationArgs& args, std::string& error);

// The two transfer buttons, shared by both channels: choose the file (from
// `args` or through the window's dialogs), open or create it with its
// messages, ask for and check the read count, then clear the abort flag, move
// the focus to the journal and start the channel's worker. The read count is
// checked before the output file is created, so that a mistyped count neither
// empties an existing file nor leaves a new one behind (the window only tries
// the chosen file before it asks for the count).
StartResult StartFileToFlash(Station& station, const OperationRow& row, const OperationArgs* args);
StartResult StartFlashToFile(Station& station, const OperationRow& row, const OperationArgs* args);
// "=FILE" and "=FILE:COUNT" (the count converted as the byte-count dialog
// converts its text).
bool ParseWriteArgument(std::string_view rest, OperationArgs& args, std::string& error);
bool ParseReadArgument(std::string_view rest, OperationArgs& args, std::string& error);

}  // namespace rz
