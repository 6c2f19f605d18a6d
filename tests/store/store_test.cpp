#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "store/czevud.h"
#include "store/store_command.h"
#include "store/zevud_format.h"
#include "store/zevud_tree.h"

namespace zeda {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f << data;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

std::string MarkerText() {
  const ZevudMarker m = MakeZevudMarker();
  return std::string(reinterpret_cast<const char*>(m.data()), m.size());
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zeda-store-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs zedactl in the test folder; returns its exit code, output in out.txt/err.txt.
  int Ctl(const std::string& args) {
    const std::string cmd =
        "cd '" + dir_ + "' && '" + ZEDA_CTL_PATH + "' " + args + " >out.txt 2>err.txt";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_;
};

TEST(ZevudFormat, MarkerIsTheHeaderTextThenTheCountingBytes) {
  const std::string m = MarkerText();
  EXPECT_EQ(m.substr(0, 16), "##ZEVUD_HEADER##");
  for (int i = 0; i < 14; ++i) EXPECT_EQ(static_cast<uint8_t>(m[16 + i]), 0x21 + i);
  EXPECT_EQ(static_cast<uint8_t>(m[30]), 0x3A);
  EXPECT_EQ(static_cast<uint8_t>(m[31]), 0x3E);
}

TEST(ZevudFormat, ProgramFilesDoNotCarryTheMarkerInOnePiece) {
  // zedactl scans its own kind of file; a marker baked into the program would be found there.
  for (const char* path : {ZEDA_CTL_PATH, "/proc/self/exe"}) {
    CZevud store;
    EXPECT_EQ(store.OpenStore(path), ZevudOpen::NoStore) << path;
    EXPECT_TRUE(store.Empty());
  }
}

TEST(ZevudFormat, RecordRoundTripsAndLongNamesAreCut) {
  ZevudRecord r;
  r.name = std::string(60, 'n');
  r.offset = 0x01020304;
  r.size = 5000;
  r.packed = 77;
  r.time = 0x0102030405060708ULL;
  r.flags = kZevudFolderFlag | 12;
  std::string bytes;
  EncodeZevudRecord(r, bytes);
  ASSERT_EQ(bytes.size(), kZevudEntrySize);
  EXPECT_EQ(bytes[52], '\0');
  const auto back =
      DecodeZevudRecord(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, std::string(52, 'n'));
  EXPECT_EQ(back->offset, r.offset);
  EXPECT_EQ(back->size, r.size);
  EXPECT_EQ(back->packed, r.packed);
  EXPECT_EQ(back->time, r.time);
  EXPECT_EQ(back->flags, r.flags);
  EXPECT_EQ(static_cast<uint8_t>(bytes[57]), 5000 & 0xFF);  // little-endian
}

TEST(ZevudCompression, SizeAndContentDecideHowAFileIsStored) {
  struct Case {
    const char* what;
    std::string content;
    bool packed;
  } cases[] = {
      {"100 repeated bytes stay plain", std::string(100, 'a'), false},
      {"101 repeated bytes are packed", std::string(101, 'a'), true},
      {"101 random bytes stay plain", RandomBytes(101, 7), false},
      {"empty file", std::string(), false},
  };
  for (const Case& c : cases) {
    CZevud store;
    const std::vector<uint8_t> content(c.content.begin(), c.content.end());
    ASSERT_TRUE(store.AddFile("", "f.bin", content, 1)) << c.what;
    const ZevudEntry& e = store.Root().children.at(0);
    EXPECT_EQ(e.size, c.content.size()) << c.what;
    EXPECT_EQ(e.packed != 0, c.packed) << c.what;
    if (c.packed) {
      EXPECT_EQ(e.data.size(), e.packed) << c.what;
      EXPECT_LE(e.packed, e.size) << c.what;
    } else {
      EXPECT_EQ(e.packed, 0u) << c.what;
    }
    std::vector<uint8_t> out;
    ASSERT_TRUE(store.Extract("f.bin", out, nullptr)) << c.what;
    EXPECT_EQ(out, content) << c.what;
  }
}

TEST(ZevudCompression, FilesAbove5MiBAreRefused) {
  CZevud store;
  std::vector<uint8_t> big(kZevudMaxFileSize + 1, 1);
  EXPECT_FALSE(store.AddFile("", "big", big, 1));
  EXPECT_TRUE(store.Empty());
  big.pop_back();
  EXPECT_TRUE(store.AddFile("", "big", big, 1));
}

TEST(StoreCommand, SplitsKeywordAndQuotedArguments) {
  auto c = SplitStoreCommand("  import \"../a b\"\t\"\"   ");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->keyword, "IMPORT");
  ASSERT_EQ(c->args.size(), 2u);
  EXPECT_EQ(c->args[0], "../a b");
  EXPECT_EQ(c->args[1], "");
  EXPECT_FALSE(SplitStoreCommand("   "));
  EXPECT_FALSE(SplitStoreCommand("IMPORT \"open"));
}

TEST_F(StoreTest, HostWithoutMarkerGivesAnEmptyStoreAndItsLengthAsOffset) {
  WriteAll(Path("host"), std::string(1000, 'x'));
  CZevud store;
  EXPECT_EQ(store.OpenStore(Path("host")), ZevudOpen::NoStore);
  EXPECT_TRUE(store.Empty());
  EXPECT_EQ(store.MarkerOffset(), 1000);
  EXPECT_EQ(CZevud().OpenStore(Path("missing")), ZevudOpen::NoHost);
}

TEST_F(StoreTest, WrittenStoreIsFoundAtA256BoundaryAfterTheHostContent) {
  const std::string own = RandomBytes(1000, 3);
  WriteAll(Path("host"), own);
  CZevud store;
  ASSERT_TRUE(store.CreateFolder("", "docs", 5));
  ASSERT_TRUE(store.AddFile("docs", "a.txt", std::vector<uint8_t>(300, 'z'), 6));
  ASSERT_TRUE(store.WriteToHost(Path("host"), nullptr));
  const std::string host = ReadAll(Path("host"));
  EXPECT_EQ(host.substr(0, 1000), own);
  EXPECT_EQ(host.substr(1024, 32), MarkerText());

  CZevud again;
  ASSERT_EQ(again.OpenStore(Path("host")), ZevudOpen::Loaded);
  EXPECT_EQ(again.MarkerOffset(), 1024);
  std::vector<uint8_t> out;
  ASSERT_TRUE(again.Extract("\\docs\\a.txt", out, nullptr));
  EXPECT_EQ(out, std::vector<uint8_t>(300, 'z'));
  EXPECT_EQ(again.Root().children[0].time, 5u);

  // Written back again, the old store is replaced, not stacked behind it.
  ASSERT_TRUE(again.WriteToHost(Path("host"), nullptr));
  EXPECT_EQ(ReadAll(Path("host")), host);
}

TEST_F(StoreTest, MarkerOffA256BoundaryIsNotFound) {
  CZevud store;
  ASSERT_TRUE(store.AddFile("", "x", {1, 2, 3}, 1));
  const std::string tree = SerializeZevudTree(store.Root());
  for (size_t at : {size_t{100}, size_t{255}, size_t{257}, size_t{262144 + 128}}) {
    WriteAll(Path("host"), std::string(at, '\0') + MarkerText() + tree);
    CZevud probe;
    EXPECT_EQ(probe.OpenStore(Path("host")), ZevudOpen::NoStore) << at;
  }
  // The same bytes on a boundary, also past the first scan chunk, are found.
  for (size_t at : {size_t{256}, size_t{262144 + 256}}) {
    WriteAll(Path("host"), std::string(at, '\0') + MarkerText() + tree);
    CZevud probe;
    EXPECT_EQ(probe.OpenStore(Path("host")), ZevudOpen::Loaded) << at;
    EXPECT_EQ(probe.MarkerOffset(), static_cast<int64_t>(at));
  }
}

TEST_F(StoreTest, ImportTwiceReplacesFilesAndReusesFolders) {
  fs::create_directories(Path("src/sub"));
  fs::create_directories(Path("src/.hidden"));
  WriteAll(Path("src/one.txt"), "first");
  WriteAll(Path("src/sub/two.bin"), std::string(500, 'q'));
  WriteAll(Path("src/.dot"), "skipped");
  CZevud store;
  ASSERT_TRUE(store.RunStoreCommand("IMPORT \"" + Path("src") + "\" \"\""));
  EXPECT_EQ(store.ItemsAffected(), 2);
  WriteAll(Path("src/one.txt"), "second version");
  ASSERT_TRUE(store.RunStoreCommand("import " + Path("src")));

  const auto lines = store.List();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines[0].folder);
  EXPECT_EQ(lines[0].path, "src");
  EXPECT_EQ(lines[0].size, 2u);  // one.txt and sub, nothing hidden
  EXPECT_EQ(lines[1].path, "src\\one.txt");
  EXPECT_EQ(lines[2].path, "src\\sub");
  EXPECT_EQ(lines[3].path, "src\\sub\\two.bin");
  EXPECT_NE(lines[3].packed, 0u);
  std::vector<uint8_t> out;
  ASSERT_TRUE(store.Extract("SRC\\ONE.TXT", out, nullptr));  // names compare in any case
  EXPECT_EQ(std::string(out.begin(), out.end()), "second version");
}

TEST_F(StoreTest, FailedItemsLeaveTheStoreAsItWasAndTheRestIsImported) {
  fs::create_directories(Path("src"));
  WriteAll(Path("src/a.txt"), "a");
  WriteAll(Path("src/big"), std::string(kZevudMaxFileSize + 1, 'b'));
  WriteAll(Path("src/c.txt"), "c");
  CZevud store;
  EXPECT_FALSE(store.Import(Path("src"), ""));
  ASSERT_EQ(store.FailedItems().size(), 1u);
  const auto lines = store.List();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].path, "src\\a.txt");
  EXPECT_EQ(lines[2].path, "src\\c.txt");
  // A file where a folder of the name is, and the other way round, are errors.
  ASSERT_TRUE(store.CreateFolder("src", "dir", 1));
  EXPECT_FALSE(store.AddFile("src", "DIR", {1}, 1));
  EXPECT_FALSE(store.CreateFolder("src", "a.txt", 1));
  EXPECT_FALSE(store.AddFile("nowhere", "x", {1}, 1));
}

TEST_F(StoreTest, AFolderTakesAtMost4095Entries) {
  CZevud store;
  for (uint32_t i = 0; i < kZevudMaxChildren; ++i)
    ASSERT_TRUE(store.AddFile("", std::to_string(i), {}, 1));
  EXPECT_FALSE(store.AddFile("", "one more", {}, 1));
  EXPECT_FALSE(store.CreateFolder("", "one more", 1));
  EXPECT_TRUE(store.AddFile("", "17", {9}, 1));  // replacing still works
  const std::string tree = SerializeZevudTree(store.Root());
  const auto back =
      LoadZevudTree(std::span(reinterpret_cast<const uint8_t*>(tree.data()), tree.size()));
  ASSERT_EQ(back.state, ZevudLoad::Loaded);
  EXPECT_EQ(back.root.children.size(), kZevudMaxChildren);
}

TEST_F(StoreTest, DamagedStoresAreRefusedWithoutReadingPastTheirEnd) {
  CZevud store;
  ASSERT_TRUE(store.CreateFolder("", "d", 1));
  ASSERT_TRUE(store.AddFile("d", "big", std::vector<uint8_t>(4000, 'k'), 1));
  ASSERT_TRUE(store.AddFile("d", "small", {1, 2, 3}, 1));
  const std::string tree = SerializeZevudTree(store.Root());
  auto load = [](const std::string& bytes) {
    return LoadZevudTree(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  };
  ASSERT_EQ(load(tree).state, ZevudLoad::Loaded);
  // Every cut of the tree is refused (a sanitizer build checks the reads).
  for (size_t n = 0; n < tree.size(); ++n) {
    EXPECT_EQ(load(tree.substr(0, n)).state, ZevudLoad::Damaged) << n;
  }
  // A child count larger than the bytes can hold.
  std::string many = tree;
  many[73] = static_cast<char>(0xFF);
  many[74] = static_cast<char>(0x8F);
  EXPECT_EQ(load(many).state, ZevudLoad::Damaged);
  // A file claiming more than 5 MiB, a packed size above the content size.
  std::string huge = tree;
  const size_t bigRecord = kZevudEntrySize * 2;  // root, d, then d's first child
  huge[bigRecord + 60] = 0x7F;
  EXPECT_EQ(load(huge).state, ZevudLoad::Damaged);
  // Garbled packed data loads but does not extract.
  std::string garbled = tree;
  const size_t dataAt = kZevudEntrySize * 4;
  for (size_t i = 0; i < 8; ++i) garbled[dataAt + i] = 0x55;
  auto r = load(garbled);
  ASSERT_EQ(r.state, ZevudLoad::Loaded);
  std::vector<uint8_t> out;
  EXPECT_FALSE(UnpackZevudData(r.root.children[0].children[0], out));
  EXPECT_TRUE(out.empty());
}

TEST_F(StoreTest, ZedactlListsImportsAndExtracts) {
  fs::create_directories(Path("NEW/docs"));
  WriteAll(Path("NEW/readme.txt"), std::string(150, 'r'));
  WriteAll(Path("NEW/docs/p.bin"), RandomBytes(120, 9));
  const std::string own = RandomBytes(777, 1);
  WriteAll(Path("host"), own);

  EXPECT_EQ(Ctl("store list host"), 0);
  EXPECT_EQ(ReadAll(Path("out.txt")), "");  // a host without a store lists nothing

  ASSERT_EQ(Ctl("store import host NEW"), 0) << ReadAll(Path("err.txt"));
  EXPECT_EQ(ReadAll(Path("host")).substr(0, 777), own);
  ASSERT_EQ(Ctl("store list host"), 0);
  const std::string listed = ReadAll(Path("out.txt"));
  EXPECT_EQ(listed.substr(0, 10), "d\tNEW\t2\t0\n");
  EXPECT_NE(listed.find("d\tNEW\\docs\t1\t0\n"), std::string::npos) << listed;
  EXPECT_NE(listed.find("f\tNEW\\docs\\p.bin\t120\t0\n"), std::string::npos) << listed;
  EXPECT_NE(listed.find("f\tNEW\\readme.txt\t150\t"), std::string::npos) << listed;
  EXPECT_EQ(listed.find("f\tNEW\\readme.txt\t150\t0\n"), std::string::npos);  // packed

  // A single file into a named folder.
  ASSERT_EQ(Ctl("store import host NEW/docs/p.bin 'NEW\\docs'"), 0);
  ASSERT_EQ(Ctl("store extract host 'NEW\\readme.txt' out.bin"), 0) << ReadAll(Path("err.txt"));
  EXPECT_EQ(ReadAll(Path("out.bin")), std::string(150, 'r'));

  EXPECT_EQ(Ctl("store extract host 'NEW\\none' out2.bin"), 1);
  EXPECT_FALSE(fs::exists(Path("out2.bin")));
  EXPECT_EQ(Ctl("store extract host NEW out2.bin"), 1);  // a folder
  EXPECT_EQ(Ctl("store list"), 2);
  EXPECT_EQ(Ctl("store list missing"), 1);
  EXPECT_EQ(Ctl("store import host missing-folder"), 1);
}

TEST_F(StoreTest, ZedactlWritesNothingOverADamagedStore) {
  WriteAll(Path("host"), std::string(256, 'h') + MarkerText() + std::string(40, '\x01'));
  const std::string before = ReadAll(Path("host"));
  fs::create_directories(Path("NEW"));
  WriteAll(Path("NEW/a"), "a");
  EXPECT_EQ(Ctl("store list host"), 4);
  EXPECT_EQ(Ctl("store import host NEW"), 4);
  EXPECT_NE(ReadAll(Path("err.txt")).find("damaged"), std::string::npos);
  EXPECT_EQ(ReadAll(Path("host")), before);
}

}  // namespace
}  // namespace zeda
