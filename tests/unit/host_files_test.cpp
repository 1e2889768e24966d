// The host's files as the run uses them: readers that share, writes through
// links that keep the file's mode, read-only files refused, names near the
// system's limit, and which spellings name one file.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/file_uses.h"
#include "app/host_system.h"
#include "flash/image_file.h"
#include "temp_dir.h"

namespace rz::testing {
namespace {

namespace fs = std::filesystem;

bool Replace(const std::string& path, const std::string& content, std::string& reason) {
  return ReplaceWholeFile(PlatformHostSystem(), path, content, reason);
}

TEST(HostFiles, ReadersShareAFileThatTheyKeepWritersOutOf) {
  TempDir dir;
  dir.Write("image.bin", std::vector<std::uint8_t>(100, 7));
  std::string reason;
  HostSystem& system = PlatformHostSystem();
  const auto first = system.OpenForReading(dir.File("image.bin"), reason);
  const auto second = system.OpenForReading(dir.File("image.bin"), reason);
  ASSERT_NE(first, nullptr) << reason;
  ASSERT_NE(second, nullptr) << reason;
  EXPECT_EQ(second->Size(), 100u);
}

TEST(HostFiles, AReadOnlyFileIsRefusedAndKeptAndANameNearTheLimitIsWritten) {
  TempDir dir;
  dir.Write("locked.log", std::vector<std::uint8_t>{'o', 'l', 'd'});
  fs::permissions(Utf8Path(dir.File("locked.log")), fs::perms::owner_write | fs::perms::group_write |
                  fs::perms::others_write, fs::perm_options::remove);
  std::string reason;
  EXPECT_FALSE(Replace(dir.File("locked.log"), "new", reason));
  EXPECT_NE(reason.find("только для чтения"), std::string::npos) << reason;
  EXPECT_EQ(dir.Read("locked.log"), "old");
  fs::permissions(Utf8Path(dir.File("locked.log")), fs::perms::owner_write, fs::perm_options::add);
#if !defined(_WIN32)
  // The temporary name does not grow with the target's: 249 characters fit.
  const std::string longName(249, 'n');
  EXPECT_TRUE(Replace(dir.File(longName), "long", reason)) << reason;
  EXPECT_EQ(dir.Read(longName), "long");
#endif
}

#if !defined(_WIN32)
TEST(HostFiles, WritesGoThroughLinksAndKeepTheMode) {
  TempDir dir;
  dir.Write("shared.log", std::vector<std::uint8_t>{'o', 'l', 'd'});
  fs::permissions(dir.File("shared.log"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("shared.log", dir.File("vesk_rz.log"));
  fs::create_symlink("later.json", dir.File("run.json"));  // dangling until written
  std::string reason;
  ASSERT_TRUE(Replace(dir.File("vesk_rz.log"), "new", reason)) << reason;
  ASSERT_TRUE(Replace(dir.File("run.json"), "{}", reason)) << reason;
  EXPECT_TRUE(fs::is_symlink(dir.File("vesk_rz.log")));
  EXPECT_TRUE(fs::is_symlink(dir.File("run.json")));
  EXPECT_EQ(dir.Read("shared.log"), "new");
  EXPECT_EQ(dir.Read("later.json"), "{}");
  EXPECT_EQ(fs::status(dir.File("shared.log")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

// Which uses of one file a run refuses, whatever the spelling.
TEST(HostFiles, OutputsThatAreInputsCollideByIdentity) {
  TempDir dir;
  dir.Write("image.bin", std::vector<std::uint8_t>(10, 1));
  HostSystem& system = PlatformHostSystem();
  const std::string dot = dir.Path() + "/./";
  const struct {
    std::vector<FileUse> uses;
    bool collides;
  } cases[] = {
      {{{dir.File("image.bin"), "write=", false}, {dot + "image.bin", "--record", true}}, true},
      {{{dir.File("image.bin"), "write=", false}, {dot + "image.bin", "write=", false}}, false},
      {{{dir.File("new.json"), "--record", true}, {dot + "new.json", "--junit", true}}, true},
      {{{dir.File("a.bin"), "read=", true}, {dir.File("b.bin"), "--record", true}}, false},
      {{{dir.File("image.bin"), "тестовая программа", false}, {dir.File("image.bin"), "write=", false}}, false},
      {{{dir.File("no/such/x"), "read=", true}, {dir.File("no/such/x"), "--record", true}}, false},
#if defined(_WIN32)
      {{{dir.File("Image.BIN"), "write=", false}, {dir.File("image.bin"), "read=", true}}, true},
#endif
  };
  for (const auto& c : cases) {
    const std::string message = FileCollision(system, c.uses);
    EXPECT_EQ(!message.empty(), c.collides) << c.uses[0].path << " / " << c.uses[1].path << ": " << message;
    if (c.collides) {
      EXPECT_NE(message.find(c.uses[0].use), std::string::npos) << message;
      EXPECT_NE(message.find(c.uses[1].use), std::string::npos) << message;
      EXPECT_NE(FileCollision(system, {c.uses[0]}, c.uses[1]), "");
    }
  }
}

// When every short ".partial" name is taken, the bytes of a read that did
// not complete still get a name, and the report says where.
TEST(HostFiles, KeptBytesFindANameWhenTheShortOnesAreTaken) {
  TempDir dir;
  dir.Write("back.bin", std::vector<std::uint8_t>{'o', 'l', 'd'});
  dir.Write("back.bin.partial", std::vector<std::uint8_t>{});
  for (int n = 2; n <= 9; ++n) dir.Write("back.bin.partial-" + std::to_string(n), std::vector<std::uint8_t>{});
  std::string kept;
  std::string note;
  std::string reason;
  {
    const auto out = CreateFileForWriting(PlatformHostSystem(), dir.File("back.bin"), reason,
                                          [&](const std::string& name, const std::string& text) {
                                            kept = name;
                                            note = text;
                                          });
    ASSERT_NE(out, nullptr) << reason;
    const std::vector<std::uint8_t> bytes(512, 9);
    ASSERT_TRUE(out->Write(bytes.data(), bytes.size()));
  }
  ASSERT_FALSE(kept.empty()) << note;
  EXPECT_EQ(kept.rfind(dir.File("back.bin.partial-"), 0), 0u) << kept;
  EXPECT_EQ(PlatformHostSystem().Inspect(kept, reason), PathKind::RegularFile);
  EXPECT_NE(note.find(kept), std::string::npos) << note;
  EXPECT_EQ(dir.Read("back.bin"), "old");
}

}  // namespace
}  // namespace rz::testing
