// The built-in catalogue of known ActiveX controls (module cisid). The data is
// kept in catalogue.tsv and compiled into kCatalogue by generated.cmake;
// knownControls is the table the immunity page reads at start-up.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace trova {

// One control: the list it belongs to, its display name and its CLSID text as
// a registry key name. The same record is the record of cisid.dat.
struct KnownControl {
  std::int16_t category = 0;
  std::wstring name;
  std::wstring clsid;
};

// The lists of the immunity page; a category is also the index of its list and tab.
namespace category {
constexpr std::int16_t Domestic = 0;
constexpr std::int16_t Foreign = 1;
constexpr std::int16_t Everyday = 2;
constexpr std::int16_t UserDefined = 3;
}  // namespace category

// How sure the catalogue is of a row's CLSID (the status column of catalogue.tsv).
// A Placeholder is Trova's own deterministic stand-in for a control whose real
// CLSID is not known: its kill-bit is harmless but protects nothing.
enum class CatalogueStatus : std::uint8_t { Given, Confirmed, Doubtful, Placeholder };

struct CatalogueRow {
  std::int16_t category;
  const wchar_t* name;
  const wchar_t* clsid;
  CatalogueStatus status;
};

inline constexpr int kCatalogueRows = 782;
// The table has room for seven more rows; they stay empty and are never read.
inline constexpr int kKnownControlSlots = 789;

extern const CatalogueRow kCatalogue[kCatalogueRows];
extern std::array<KnownControl, kKnownControlSlots> knownControls;

// Fills rows 0 to 781 of knownControls from the catalogue and empties the
// spare rows; running it again gives the same table.
void InitKnownControls();

}  // namespace trova
