// SHA-256 through Windows' own cryptography (CNG, bcrypt.dll).

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>

#include "record/record_host.h"

namespace rz {

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool failed = false;
  ~State() {
    if (hash != nullptr) ::BCryptDestroyHash(hash);
    if (algorithm != nullptr) ::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return;
  }
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(state->algorithm, &state->hash, nullptr, 0, nullptr, 0, 0))) return;
  state_ = std::move(state);
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t n) {
  if (state_ == nullptr) return;
  auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
  while (n > 0 && !state_->failed) {
    const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(n, 1u << 30));
    state_->failed = !BCRYPT_SUCCESS(::BCryptHashData(state_->hash, bytes, piece, 0));
    bytes += piece;
    n -= piece;
  }
}

bool Sha256::Finish(Digest& digest) {
  if (state_ == nullptr || state_->failed) return false;
  return BCRYPT_SUCCESS(
      ::BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
}

}  // namespace rz
