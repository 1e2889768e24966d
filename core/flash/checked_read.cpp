#include "flash/checked_read.h"

#include <algorithm>
#include <string>

#include "context/station_context.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/image_file.h"

namespace rz {

Outcome FailedOrAborted(StationContext& station) {
  return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
}

int PassPieceCount(std::span<const std::uint8_t> data) {
  return ReadPieceCount(static_cast<std::uint32_t>(data.size()));
}

Outcome ReadPass(StationContext& station, FlashChannel& channel, std::span<std::uint8_t> data, const char* failed,
                 PieceDoubt& doubt, const PieceSink& sink) {
  const auto count = static_cast<std::uint32_t>(data.size());
  const int pieces = ReadPieceCount(count);
  for (int k = 0; k < pieces; ++k) {
    const ReadPiece piece = ReadPieceAt(count, k);
    channel.ShowProgress(piece.percent);
    const std::span<std::uint8_t> into = data.subspan(piece.address, piece.length);
    // A piece that did not arrive is asked for once more, without a trace in
    // the journal.
    const bool read = channel.ReadPiece(piece.address, into) || channel.ReadPiece(piece.address, into);
    doubt.AfterPiece(k);
    if (!read || (sink && !sink(into))) {
      channel.FailProgress(failed);
      return FailedOrAborted(station);
    }
  }
  if (!channel.Settle()) {
    channel.FailAfterPieces(failed);
    return FailedOrAborted(station);
  }
  doubt.AfterSettle();
  return Outcome::Success;
}

Outcome RecheckPieces(StationContext& station, FlashChannel& channel, const std::vector<int>& pieces,
                      std::span<std::uint8_t> data, int& differed) {
  const auto count = static_cast<std::uint32_t>(data.size());
  const ChannelProgress progress(channel, text::kCheckProgress);
  std::vector<std::uint8_t> fresh(kFlashPieceBytes);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    channel.ShowProgress(static_cast<std::uint32_t>(100 * i / pieces.size()));
    const ReadPiece piece = ReadPieceAt(count, pieces[i]);
    const std::span<std::uint8_t> into(fresh.data(), piece.length);
    if (!channel.ReadPieceCarefully(piece.address, into) && !channel.ReadPieceCarefully(piece.address, into)) {
      channel.FailProgress(text::kReadFailedUdp);
      return FailedOrAborted(station);
    }
    const std::span<std::uint8_t> kept = data.subspan(piece.address, piece.length);
    if (!std::equal(into.begin(), into.end(), kept.begin())) {
      ++differed;
      std::copy(into.begin(), into.end(), kept.begin());
    }
  }
  // Through the channel, so that a failure it reports next stands behind 100%.
  channel.ShowProgress(100);
  return Outcome::Success;
}

Outcome ReadFlashChecked(StationContext& station, FlashChannel& channel, std::span<std::uint8_t> data,
                         const char* failed, const PieceSink& sink, int& corrected) {
  PieceDoubt doubt(channel, PassPieceCount(data));
  {
    const ChannelProgress progress(channel, text::kReadProgress);
    const Outcome outcome = ReadPass(station, channel, data, failed, doubt, sink);
    if (outcome != Outcome::Success) return outcome;
    station.Ui().AddJournalLine(-1, text::kReadDone);
  }
  if (!doubt.Any()) return Outcome::Success;
  const std::vector<int> pieces = doubt.Pieces();
  const Outcome outcome = RecheckPieces(station, channel, pieces, data, corrected);
  if (corrected == 0) return outcome;
  station.Ui().Note("ответы платы могли достаться не тем запросам (повторы, запоздавшие или лишние датаграммы): " +
                    std::to_string(pieces.size()) + " частей по 512 байт перечитаны с проверкой, " +
                    std::to_string(corrected) + " из них прочитаны иначе и исправлены");
  return outcome;
}

}  // namespace rz
