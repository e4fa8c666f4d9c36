#pragma once
// Dictionary images: the tables a reading dictionary is indexed into, kept in a file of their
// own folder (dictionaryImageFolder), so that the next run maps them instead of reading and
// indexing the dictionary again. An image names the file it was made from (its size and time of change) and
// the program that made it; any other file or program makes it again. The platform parts (the
// file's stamp, the mapping, the folder) are in the _posix and _win32 files.
#include <cstdint>
#include <string>
#include <string_view>

namespace obel {

// What tells one state of a file from another: its size and its time of last change.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the platform's own units
  bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at path; false when it cannot be found.
bool fileStamp(const char* path, FileStamp& stamp);
// The stamp of the running program's file; false when it cannot be found.
bool programStamp(FileStamp& stamp);

// The bytes of a file, mapped read-only for as long as the object lives; empty when the file
// cannot be opened or mapped.
class MappedFile {
 public:
  explicit MappedFile(const char* path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

 private:
  const void* data_ = nullptr;
  std::size_t size_ = 0;
  void* mapping_ = nullptr;  // the mapping object, on Windows
};

// The full path of a file (for its image's name); empty when it cannot be made.
std::string fullPathOf(const char* path);

// The folder of the images (with its closing separator), made when missing: "obel" in the user's
// cache folder, or on Windows "ObelImages" beside the program; empty when there is none or it
// cannot be made.
std::string dictionaryImageFolder();

// The file in folder that holds the image of the dictionary at sourcePath: one name a path.
std::string imagePathFor(const std::string& folder, std::string_view sourcePath);

// Writes bytes to a new file beside path and moves it over path: a reader of path finds the old
// file or the whole new one, never a part. False, with path untouched and nothing left behind,
// when it cannot.
bool replaceFileWith(const std::string& path, std::string_view bytes);

// A checksum of bytes whose size is a multiple of 8, that any one changed bit changes.
std::uint64_t imageChecksum(std::string_view bytes);

}  // namespace obel
