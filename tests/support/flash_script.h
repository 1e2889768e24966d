#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "flash/image_file.h"
#include "scripted_serial.h"

namespace rz::testing {

// A file in memory for the image checks and the transfers. Its bytes live in
// `store`, which a test may keep after the worker has closed the file.
class MemoryFile final : public TransferFile {
 public:
  explicit MemoryFile(std::vector<std::uint8_t> bytes = {})
      : store(std::make_shared<std::vector<std::uint8_t>>(std::move(bytes))) {}
  std::uint64_t Size() override { return store->size(); }
  bool Seek(std::uint64_t offset) override {
    offset_ = offset;
    return true;
  }
  std::size_t Read(std::uint8_t* out, std::size_t n) override {
    if (offset_ >= store->size()) return 0;
    const std::size_t take = std::min<std::size_t>(n, store->size() - offset_);
    std::memcpy(out, store->data() + offset_, take);
    offset_ += take;
    return take;
  }
  bool Write(const std::uint8_t* in, std::size_t n) override {
    if (writesLeft == 0) return false;
    --writesLeft;
    store->insert(store->end(), in, in + n);
    return true;
  }
  bool Restart() override {
    store->clear();
    return true;
  }
  std::shared_ptr<std::vector<std::uint8_t>> store;
  int writesLeft = 1 << 30;  // writes that succeed before the disk is full

 private:
  std::uint64_t offset_ = 0;
};

// A signed image file around `image`: "VESK", the image, the XOR byte.
inline std::vector<std::uint8_t> SignedImage(const std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> file(image.size() + 5);
  const char* signature = "VESK";
  std::copy(signature, signature + 4, file.begin());
  std::copy(image.begin(), image.end(), file.begin() + 4);
  std::uint8_t x = 0;
  for (std::size_t i = 0; i + 1 < file.size(); ++i) x ^= file[i];
  file.back() = x;
  return file;
}

inline std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed = 1) {
  std::vector<std::uint8_t> bytes(n);
  std::uint32_t v = seed;
  for (auto& b : bytes) {
    v = v * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(v >> 16);
  }
  return bytes;
}

// One Flash command the station wrote, as the scripted board parsed it.
struct FlashCommand {
  std::uint8_t op = 0;
  std::uint32_t address = 0;
  std::uint32_t length = 0;  // 't', 'w', 'r'
  std::vector<std::uint8_t> data;  // 'w'
  std::uint8_t checksum = 0;       // 'w'
};

// Parses the Flash commands out of what the station writes on a scripted
// port and feeds the reply that `answer` gives for each (by its number, from 0).
class FlashScript {
 public:
  using Answer = std::function<std::vector<std::uint8_t>(const FlashCommand& command, int number)>;

  FlashScript(std::shared_ptr<PortScript> port, Answer answer) : port_(std::move(port)), answer_(std::move(answer)) {
    port_->onWrite = [this](const std::vector<std::uint8_t>& written) { Parse(written); };
  }
  std::vector<FlashCommand> commands;

  static std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
  }
  static std::vector<std::uint8_t> Refusal(std::uint32_t a, std::uint32_t b) {
    std::vector<std::uint8_t> reply = {'q'};
    for (std::uint32_t w : {a, b}) {
      for (int k = 0; k < 4; ++k) reply.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
    }
    return reply;
  }

 private:
  void Parse(const std::vector<std::uint8_t>& written) {
    while (parsed_ < written.size()) {
      const std::size_t rest = written.size() - parsed_;
      const std::uint8_t op = written[parsed_];
      std::size_t need = op == 'e' ? 5 : 9;
      if (rest < need) return;
      FlashCommand command{op, Le32(written, parsed_ + 1), op == 'e' ? 0 : Le32(written, parsed_ + 5), {}, 0};
      if (op == 'w') {
        need += command.length + 1;
        if (rest < need) return;
        command.data.assign(written.begin() + static_cast<std::ptrdiff_t>(parsed_ + 9),
                            written.begin() + static_cast<std::ptrdiff_t>(parsed_ + 9 + command.length));
        command.checksum = written[parsed_ + need - 1];
      }
      parsed_ += need;
      commands.push_back(command);
      port_->Feed(answer_(command, static_cast<int>(commands.size()) - 1));
    }
  }

  std::shared_ptr<PortScript> port_;
  Answer answer_;
  std::size_t parsed_ = 0;
};

}  // namespace rz::testing
