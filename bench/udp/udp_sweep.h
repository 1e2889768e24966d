#pragma once

// The station's UDP transfers beside a raw stop-and-wait loop, swept over the
// board's reply time and over lost and repeated datagrams.
namespace rz::bench {

void ReplyTimeSweep();
void FaultSweep();

}  // namespace rz::bench
