// Files: whole-file reads and safe replacement, plus the text-file format of
// the program (ANSI code page, CR LF after every line).
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trova {

struct FileResult {
  bool ok = true;
  std::wstring reason;  // a plain Chinese explanation when !ok
  explicit operator bool() const { return ok; }
  static FileResult failure(std::wstring why) { return {false, std::move(why)}; }
};

// A new file written piece by piece; closed when destroyed.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  virtual FileResult append(const std::string& bytes) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when a file is there, hidden and system files included.
  virtual bool exists(const std::wstring& path) = 0;
  virtual std::optional<std::string> read(const std::wstring& path, FileResult* why = nullptr) = 0;
  // Writes a temporary file beside the target and then replaces the target, so a
  // failed write leaves an existing file as it was.
  virtual FileResult replace(const std::wstring& path, const std::string& bytes) = 0;
  // Renames a file; refused when `to` already exists.
  virtual FileResult move(const std::wstring& from, const std::wstring& to) = 0;
  // Copies a file, attributes and all; refused when `to` already exists.
  virtual FileResult copy(const std::wstring& from, const std::wstring& to) = 0;
  // Deletes a file; one that is not there is no error.
  virtual FileResult remove(const std::wstring& path) = 0;
  // Creates the folder and every missing folder along its path.
  virtual FileResult makeFolders(const std::wstring& path) = 0;
  // The names of the files in a folder (not of its folders), in no set order.
  virtual std::vector<std::wstring> list(const std::wstring& folder) = 0;
  // Creates a new file to be written at its end, piece by piece; nothing (and
  // the reason) when it cannot, or when the file already exists.
  virtual std::unique_ptr<AppendFile> create(const std::wstring& path, FileResult* why = nullptr) = 0;
};

// The lines encoded in the ANSI code page, each followed by CR LF; in UTF-8
// after a byte-order mark when the code page lacks a character of them.
std::string encodeTextLines(const std::vector<std::wstring>& lines);
// Lines split at CR LF or LF; a last line without a line end counts. A
// byte-order mark before the first line means UTF-8.
std::vector<std::wstring> decodeTextLines(const std::string& bytes);

FileResult writeTextLines(FileSystem& fs, const std::wstring& path,
                          const std::vector<std::wstring>& lines);
std::optional<std::vector<std::wstring>> readTextLines(FileSystem& fs, const std::wstring& path,
                                                       FileResult* why = nullptr);

// Joins a folder and a file name with one backslash.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace trova
