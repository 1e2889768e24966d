#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "app/outcome.h"

namespace rz {

class StationContext;
struct FileToFlashJob;
struct FlashToFileJob;

// The journal texts in which the channels differ.
struct FlashChannelTexts {
  const char* writeHeading = nullptr;  // "%s": the file name
  const char* readHeading = nullptr;   // "%d": the byte count, "%s": the file name
  // What the erasing's progress line shows once every block is erased, before
  // it names the erased range ([File] or [Flash]); nullptr: nothing.
  const char* eraseDone = nullptr;
  // Behind the percentage when the writing's settle fails.
  const char* writeFailed = nullptr;
  // Behind the percentage when a piece cannot be read or stored, or the
  // reading's settle or its file fails.
  const char* readFailed = nullptr;
};

// What a channel has left behind so far that may mean a reply was taken for
// another request: answers that arrived while none was awaited, and requests
// sent again (whose other answer may still be on its way). Over the serial
// port, whose bytes arrive in order, there are none.
struct ChannelTraces {
  std::uint64_t surplus = 0;
  // Each of these puts one piece (and the next) in doubt: a request sent
  // again, a reply far later than usual, a reply equal to a recent one on a
  // path known to repeat datagrams.
  std::uint64_t resends = 0;
  std::uint64_t late = 0;
  std::uint64_t repeated = 0;
  bool operator==(const ChannelTraces&) const = default;
};

// What the two transfers between a file and the Flash need of the line to the
// board: the Flash commands on one piece, the progress line in the channel's
// style, and the settle after the last piece. Implemented over the serial
// port (SerialFlashChannel) and over UDP (UdpFlashChannel).
class FlashChannel {
 public:
  explicit FlashChannel(const FlashChannelTexts& texts) : texts_(texts) {}
  virtual ~FlashChannel() = default;
  FlashChannel(const FlashChannel&) = delete;
  FlashChannel& operator=(const FlashChannel&) = delete;

  const FlashChannelTexts& Texts() const { return texts_; }

  // The transfer's worker frame has opened: input left over from earlier
  // operations is dropped.
  virtual void Begin() = 0;

  // The progress line (use ChannelProgress for its scope). BeginProgress
  // appends `header` as the new last line; ShowProgress shows a percentage
  // behind it (a step that changes nothing is not sent to the window again);
  // FailProgress puts `error` behind it; FailAfterPieces does so once every
  // piece has gone through; EndProgress leaves the line as it is.
  virtual void BeginProgress(const char* header) = 0;
  virtual void ShowProgress(std::uint32_t percent) = 0;
  virtual void FailProgress(const char* error) = 0;
  virtual void FailAfterPieces(const char* error) = 0;
  virtual void EndProgress() = 0;

  // Erases the block that starts at `address`, or writes one piece (at most
  // 512 bytes) at `address`, each with the channel's own repetition. A failure
  // leaves its trace on the progress line. Success, Failed, or Aborted (ESC).
  virtual Outcome EraseBlock(std::uint32_t address) = 0;
  virtual Outcome WritePiece(std::uint32_t address, std::span<const std::uint8_t> data) = 0;

  // One request for into.size() bytes (at most 512) at `address`: not
  // repeated after a failure and without a journal line of its own (over UDP
  // the exchange's resends and its waiting suffixes on an open progress line
  // still belong to the one request), so that a caller may read a piece for
  // its own ends (a transfer, a check of what was written) and decide itself
  // what a failure means. True when the bytes arrived and passed the
  // channel's check. The abort flag stays as it is, so that a repetition
  // after ESC fails at once as well.
  virtual bool ReadPiece(std::uint32_t address, std::span<std::uint8_t> into) = 0;
  // As ReadPiece, but so that no answer to an earlier request can stand in
  // for this one's: what a check of doubtful pieces relies on. Over the
  // serial port every read is so.
  virtual bool ReadPieceCarefully(std::uint32_t address, std::span<std::uint8_t> into) = 0;

  // After the last piece of a pass: gives answers still on their way the
  // time to arrive, so that they show in Traces(). False on ESC.
  virtual bool Settle() = 0;
  virtual ChannelTraces Traces() const = 0;

  // Whether every write over this channel is read back and compared.
  virtual bool VerifiesWrites() const = 0;

 private:
  FlashChannelTexts texts_;
};

// The progress line of a transfer's phase, from the scope's start to its end.
class ChannelProgress {
 public:
  ChannelProgress(FlashChannel& channel, const char* header) : channel_(channel) { channel_.BeginProgress(header); }
  ~ChannelProgress() { channel_.EndProgress(); }
  ChannelProgress(const ChannelProgress&) = delete;
  ChannelProgress& operator=(const ChannelProgress&) = delete;

 private:
  FlashChannel& channel_;
};

std::unique_ptr<FlashChannel> SerialFlashChannel(StationContext& station);
std::unique_ptr<FlashChannel> UdpFlashChannel(StationContext& station);

// The two transfers over any channel, each in its own worker frame. They take
// the job's file (closed last, on every path), append the final line and
// return the outcome; the writing ends with the end signal.
Outcome FileToFlash(StationContext& station, FlashChannel& channel, FileToFlashJob& job);
Outcome FlashToFile(StationContext& station, FlashChannel& channel, FlashToFileJob& job);

}  // namespace rz
