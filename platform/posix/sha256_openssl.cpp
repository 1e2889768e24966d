// SHA-256 through OpenSSL's digest interface.

#include <openssl/evp.h>

#include "record/record_host.h"

namespace rz {

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  state->context = EVP_MD_CTX_new();
  if (state->context != nullptr && EVP_DigestInit_ex(state->context, EVP_sha256(), nullptr) == 1) {
    state_ = std::move(state);
  }
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t n) {
  if (state_ != nullptr) EVP_DigestUpdate(state_->context, data, n);
}

bool Sha256::Finish(Digest& digest) {
  if (state_ == nullptr) return false;
  unsigned int length = 0;
  return EVP_DigestFinal_ex(state_->context, digest.data(), &length) == 1 && length == digest.size();
}

}  // namespace rz
