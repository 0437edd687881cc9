// The registry service. Every subsystem reads and writes the registry through
// these interfaces; the Win32 backend calls the wide-character API and the
// in-memory backend stands in for it in tests.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trova {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

// The two views of the registry on 64-bit Windows: what 64-bit programs see,
// and what 32-bit programs (for years the browser itself, and most
// installers) see. In the 32-bit view HKEY_LOCAL_MACHINE\SOFTWARE is
// SOFTWARE\Wow6432Node of the 64-bit view, and HKEY_CLASSES_ROOT\CLSID is
// Wow6432Node\CLSID; everything else, HKEY_CURRENT_USER included, is shared.
enum class RegView { Bits64, Bits32 };

// Where a path starts: a root key as one of the views sees it. A Hive alone is
// its 64-bit view.
struct RegRoot {
  Hive hive;
  RegView view = RegView::Bits64;
  RegRoot(Hive h, RegView v = RegView::Bits64) : hive(h), view(v) {}  // NOLINT: a Hive is a root
  bool operator==(const RegRoot&) const = default;
};

// Every view the program reaches, the 64-bit one first. Trova is built for
// x86_64, which runs only on 64-bit Windows, where both views always exist;
// this is the one place that says so.
const std::vector<RegView>& registryViews();

// Whether a key of this root and path lies in a part of the registry that
// each view has on its own, and the path it has in the 64-bit view (with
// "Wow6432Node" where the 32-bit view keeps it).
bool isSplitByView(Hive hive, std::wstring_view path);
std::wstring pathIn64BitView(const RegRoot& root, std::wstring_view path);

// The most characters one key name may have (a value name may have 16,383).
inline constexpr std::size_t kLongestKeyName = 255;

// Windows error codes: 0 is success, anything else a failure.
using RegStatus = long;
namespace regerr {
constexpr RegStatus Ok = 0;
constexpr RegStatus FileNotFound = 2;
constexpr RegStatus AccessDenied = 5;
constexpr RegStatus InvalidHandle = 6;
constexpr RegStatus InvalidParameter = 87;
constexpr RegStatus MoreData = 234;
constexpr RegStatus NoMoreItems = 259;
// A key that still has sub-keys cannot be deleted. Windows says "access
// denied" then, which would wrongly blame the user's rights; the registry
// layer answers this instead.
constexpr RegStatus KeyHasChildren = 1020;
// The change history could not record a change, so it was not made.
constexpr RegStatus HistoryUnavailable = 0x20000001;
}  // namespace regerr

enum class RegType : std::uint32_t {
  None = 0, Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4, MultiSz = 7, Qword = 11,
};

// A value as the registry holds it: its type and raw bytes. Strings are UTF-16LE
// with their terminator, as the wide-character API stores them.
struct RegValue {
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;

  static RegValue text(std::wstring_view s, RegType t = RegType::Sz);
  static RegValue dword(std::uint32_t v);
  bool isText() const { return type == RegType::Sz || type == RegType::ExpandSz; }
  // The text up to its first NUL, whatever the type says.
  std::wstring asText() const;
  // The first four bytes as a little-endian number, when there are four.
  std::optional<std::uint32_t> asDword() const;
  bool operator==(const RegValue&) const = default;
};

class RegKey;
using KeyPtr = std::unique_ptr<RegKey>;

// An open key. Destroying it closes it; it cannot be copied.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  virtual ~RegKey() = default;

  // Opens an existing key below this one; never creates. `out` is reset on failure.
  virtual RegStatus openSubKey(std::wstring_view path, KeyPtr& out) = 0;
  // Opens or creates the key and every missing key along the path. `created`,
  // when given, tells whether the key itself was made by this call (so a new
  // key need not be asked for values it cannot have).
  virtual RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created = nullptr) = 0;
  // Name of the sub-key / value at `index` (from 0); NoMoreItems after the last.
  virtual RegStatus enumSubKey(std::uint32_t index, std::wstring& name) = 0;
  virtual RegStatus enumValue(std::uint32_t index, std::wstring& name) = 0;
  // Reads a whole value whatever its size; an empty name is the default value.
  virtual RegStatus queryValue(std::wstring_view name, RegValue& out) = 0;
  virtual RegStatus setValue(std::wstring_view name, const RegValue& value) = 0;
  virtual RegStatus deleteValue(std::wstring_view name) = 0;
  // Removes that one sub-key; refused with KeyHasChildren while it has
  // sub-keys of its own.
  virtual RegStatus deleteSubKey(std::wstring_view name) = 0;
};

// Keys opened from a root keep its view: their sub-keys and deletes are in it.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) = 0;
  // As RegKey::createSubKey, from the root.
  virtual RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created = nullptr) = 0;
};

// The text of a value, or empty when it is missing or unreadable.
std::wstring readText(RegKey& key, std::wstring_view valueName);
// The default value of a sub-key ("" = the key itself), or empty.
std::wstring readDefault(RegKey& key, std::wstring_view subKey);
// True when the key at `path` exists (can be opened).
bool keyExists(Registry& reg, RegRoot root, std::wstring_view path);
// Whether a key holds anything: Ok when it has a value or a sub-key,
// NoMoreItems when it is empty, any other status when it cannot be looked into.
RegStatus lookIntoKey(RegKey& key);
// A plain Chinese explanation of a failure code, for the program's messages.
std::wstring describeFailure(RegStatus status);
// Why the change history last failed, which describeFailure(HistoryUnavailable) tells.
void noteHistoryFailure(std::wstring why);

}  // namespace trova
