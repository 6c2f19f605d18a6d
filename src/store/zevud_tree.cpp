#include "store/zevud_tree.h"

#include <zlib.h>

#include "store/zevud_format.h"

namespace zeda {
namespace {

class TreeReader {
 public:
  explicit TreeReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ReadRecord(ZevudRecord& r) {
    if (!Have(kZevudEntrySize)) return Fail("an entry is cut off");
    r = *DecodeZevudRecord(bytes_.subspan(pos_, kZevudEntrySize));
    pos_ += kZevudEntrySize;
    return true;
  }

  bool ReadContent(const ZevudRecord& r, ZevudEntry& e, int depth) {
    e.name = r.name;
    e.time = r.time;
    e.folder = (r.flags & kZevudFolderFlag) != 0;
    if (!e.folder) return ReadFile(r, e);
    if (depth >= kZevudMaxDepth) return Fail("folders nest too deep");
    const size_t count = r.flags & kZevudCountMask;
    // Every child takes a record here: a count the bytes cannot hold is refused before
    // anything is allocated for it.
    if (!Have(count * kZevudEntrySize)) return Fail("a folder's child table is cut off");
    std::vector<ZevudRecord> records(count);
    for (ZevudRecord& c : records) ReadRecord(c);
    e.children.resize(count);
    for (size_t i = 0; i < count; ++i) {
      if (!ReadContent(records[i], e.children[i], depth + 1)) return false;
    }
    return true;
  }

  const std::string& Problem() const { return problem_; }

 private:
  bool ReadFile(const ZevudRecord& r, ZevudEntry& e) {
    if (r.size > kZevudMaxFileSize) return Fail("a file is larger than 5 MiB");
    if (r.packed > r.size) return Fail("a packed file is larger than its content");
    e.size = r.size;
    e.packed = r.packed;
    const size_t stored = r.packed ? r.packed : r.size;
    if (!Have(stored)) return Fail("a file's data is cut off");
    e.data.assign(bytes_.begin() + static_cast<ptrdiff_t>(pos_),
                  bytes_.begin() + static_cast<ptrdiff_t>(pos_ + stored));
    pos_ += stored;
    return true;
  }

  bool Have(size_t n) const { return n <= bytes_.size() - pos_; }
  bool Fail(const char* why) {
    if (problem_.empty()) problem_ = why;
    return false;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  std::string problem_;
};

void WriteChildren(const ZevudEntry& folder, std::string& out, size_t base) {
  // First every child's record, then each child's content; the records get the content
  // offsets once those are known.
  const size_t table = out.size();
  for (size_t i = 0; i < folder.children.size(); ++i) out.append(kZevudEntrySize, '\0');
  for (size_t i = 0; i < folder.children.size(); ++i) {
    const ZevudEntry& c = folder.children[i];
    ZevudRecord r;
    r.name = c.name;
    r.offset = static_cast<uint32_t>(out.size() - base);
    r.time = c.time;
    if (c.folder) {
      r.size = ZevudTableCapacity(c.children.size());
      r.flags = static_cast<uint16_t>(kZevudFolderFlag | (c.children.size() & kZevudCountMask));
      WriteChildren(c, out, base);
    } else {
      r.size = c.size;
      r.packed = c.packed;
      out.append(reinterpret_cast<const char*>(c.data.data()), c.data.size());
    }
    std::string rec;
    EncodeZevudRecord(r, rec);
    out.replace(table + i * kZevudEntrySize, kZevudEntrySize, rec);
  }
}

}  // namespace

ZevudLoadResult LoadZevudTree(std::span<const uint8_t> bytes) {
  ZevudLoadResult result;
  TreeReader reader(bytes);
  ZevudRecord root;
  if (!reader.ReadRecord(root)) {
    result.problem = reader.Problem();
    return result;
  }
  if ((root.flags & kZevudFolderFlag) == 0) {
    result.problem = "the root is not a folder";
    return result;
  }
  if (!reader.ReadContent(root, result.root, 0)) {
    result.problem = reader.Problem();
    result.root = ZevudEntry{};
    result.root.folder = true;
    return result;
  }
  result.state = ZevudLoad::Loaded;
  return result;
}

std::string SerializeZevudTree(const ZevudEntry& root) {
  std::string out;
  ZevudRecord r;
  r.name = root.name;
  r.offset = static_cast<uint32_t>(kZevudEntrySize);
  r.size = ZevudTableCapacity(root.children.size());
  r.time = root.time;
  r.flags = static_cast<uint16_t>(kZevudFolderFlag | (root.children.size() & kZevudCountMask));
  EncodeZevudRecord(r, out);
  WriteChildren(root, out, 0);
  return out;
}

ZevudPacked PackZevudData(std::span<const uint8_t> content) {
  ZevudPacked p;
  if (content.size() > kZevudPlainLimit) {
    uLongf len = compressBound(static_cast<uLong>(content.size()));
    std::vector<uint8_t> z(len);
    if (compress2(z.data(), &len, content.data(), static_cast<uLong>(content.size()),
                  Z_DEFAULT_COMPRESSION) == Z_OK &&
        len <= content.size()) {
      z.resize(len);
      p.data = std::move(z);
      p.packed = static_cast<uint32_t>(len);
      return p;
    }
  }
  p.data.assign(content.begin(), content.end());
  return p;
}

bool UnpackZevudData(const ZevudEntry& file, std::vector<uint8_t>& out) {
  out.clear();
  if (file.packed == 0) {
    if (file.data.size() != file.size) return false;
    out = file.data;
    return true;
  }
  if (file.size == 0 || file.size > kZevudMaxFileSize) return false;
  out.resize(file.size);
  uLongf len = file.size;
  const int rc =
      uncompress(out.data(), &len, file.data.data(), static_cast<uLong>(file.data.size()));
  if (rc != Z_OK || len != file.size) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace zeda
