#pragma once
// Loading and saving the cache table, and the temporary file beside the executable. The file
// operations sit behind FileOps: POSIX and Win32 implementations, and fakes in tests.
#include <cstdint>
#include <string_view>

#include "revconv/cache.h"

namespace obel {

struct LocalTime {
  std::uint32_t day, hour, minute, second, milliseconds;
};

class FileOps {
 public:
  using Handle = void*;  // nullptr: no file
  virtual ~FileOps() = default;
  // The executable's full path (at most 259 bytes); false when unknown.
  virtual bool modulePath(char* path, std::uint32_t capacity) = 0;
  virtual Handle openForReading(const char* path) = 0;
  // Creates the file for reading and writing, shared with nobody, only if it does not exist.
  virtual Handle createNew(const char* path) = 0;
  // Bytes transferred.
  virtual std::uint32_t read(Handle file, void* buffer, std::uint32_t bytes) = 0;
  virtual std::uint32_t write(Handle file, const void* buffer, std::uint32_t bytes) = 0;
  virtual void close(Handle file) = 0;
  // Moves from over to in one step, replacing an existing file: to is then either the old
  // file or the new one, never a mix or a part (a rename within one folder).
  virtual bool replaceFile(const char* from, const char* to) = 0;
  virtual bool deleteFile(const char* path) = 0;
  virtual LocalTime localTime() = 0;
};

// The platform's file operations (Win32 on Windows, POSIX elsewhere).
FileOps& platformFileOps();

// The process's cache (process::revConvCache()) loaded from and saved to ObelCache.dat through
// the platform's files: at start-up and at exit when UseRevConvCache is on. Windows only.
void loadRevConvCache();
void saveRevConvCache();

// The path of the executable with everything after its last backslash or slash replaced by
// name; false when it does not fit into 260 bytes.
bool pathBesideProgram(FileOps& ops, const char* name, char* out);

// The 32-bit stamp of a temporary name: day in bits 0-4, hour 5-9, minute 10-15, second
// 16-21, milliseconds 22-31.
std::uint32_t timeStamp(const LocalTime& time);

// Creates "<folder of the executable><prefix>%08x.tmp" for the stamp of the local time plus
// 0..255, the first name that does not exist yet; nullptr after 256 failures. path receives
// the file's path (260 bytes).
FileOps::Handle createUniqueTempFile(FileOps& ops, const char* prefix, char* path);

// The table from the bytes of a cache file. Bytes that are not exactly of the cache layout,
// or that hold a write position of 65536 or more, give an empty table and false: a damaged
// file never leaves a half-filled table nor an index outside it.
bool readCacheBytes(std::string_view bytes, ReverseConversionCache& cache);
// The table as the bytes of a cache file: CacheFileBytes of them into out.
void writeCacheBytes(const ReverseConversionCache& cache, char* out);

// Reads "ObelCache.dat" into the table (readCacheBytes); a missing file gives an empty table
// and false.
bool loadCache(FileOps& ops, ReverseConversionCache& cache);
// Writes the table to a new temporary file and moves that over "ObelCache.dat", so the cache
// file is only ever replaced by a complete copy. False (and the cache file untouched) when no
// temporary file could be made, the whole table could not be written to it (a full disk) or
// it could not replace the cache file; the temporary file is then deleted.
bool saveCache(FileOps& ops, const ReverseConversionCache& cache);

}  // namespace obel
