#include "dialog_template.h"

namespace rz::win32 {
namespace {

// Offset just past a null-terminated UTF-16 string, or past a 0 or an
// ordinal (0xFFFF, then the ordinal) where the template allows one.
std::size_t Skip(const std::vector<unsigned char>& bytes, std::size_t at, bool ordinalAllowed) {
  const auto unit = [&](std::size_t i) {
    return i + 1 < bytes.size() ? static_cast<WORD>(bytes[i] | (bytes[i + 1] << 8)) : WORD{0};
  };
  if (ordinalAllowed && unit(at) == 0xFFFF) return at + 4;
  while (at < bytes.size() && unit(at) != 0) at += 2;
  return at + 2;
}

std::size_t AlignedToDword(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

}  // namespace

std::vector<DWORD> TemplateWithFontFace(int resourceId, const std::wstring& face) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(5));  // RT_DIALOG
  const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto* data = static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (data == nullptr) return {};
  const std::vector<unsigned char> bytes(data, data + SizeofResource(module, found));
  // DLGTEMPLATEEX: 26 bytes of fixed fields, then menu, class, title, and
  // the font's size, weight, italic and character set before its face.
  constexpr std::size_t kFixedFields = 26;
  constexpr std::size_t kFontFields = 6;
  if (bytes.size() < kFixedFields || bytes[2] != 0xFF || bytes[3] != 0xFF) return {};
  DWORD style = 0;
  std::memcpy(&style, bytes.data() + 12, sizeof style);
  const auto whole = [&] {
    std::vector<DWORD> words(AlignedToDword(bytes.size()) / sizeof(DWORD));
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
  };
  if ((style & DS_SETFONT) == 0) return whole();
  std::size_t at = Skip(bytes, kFixedFields, true);  // menu
  at = Skip(bytes, at, true);                         // window class
  at = Skip(bytes, at, false) + kFontFields;          // title, font fields
  const std::size_t faceEnd = Skip(bytes, at, false);
  if (faceEnd > bytes.size()) return {};
  std::vector<unsigned char> patched(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  const auto* faceBytes = reinterpret_cast<const unsigned char*>(face.c_str());
  patched.insert(patched.end(), faceBytes, faceBytes + (face.size() + 1) * sizeof(wchar_t));
  // The controls start on a DWORD boundary in both templates, so each keeps
  // the alignment of its own fields.
  patched.resize(AlignedToDword(patched.size()), 0);
  const std::size_t items = std::min(AlignedToDword(faceEnd), bytes.size());
  patched.insert(patched.end(), bytes.begin() + static_cast<std::ptrdiff_t>(items), bytes.end());
  patched.resize(AlignedToDword(patched.size()), 0);
  std::vector<DWORD> words(patched.size() / sizeof(DWORD));
  std::memcpy(words.data(), patched.data(), patched.size());
  return words;
}

}  // namespace rz::win32
