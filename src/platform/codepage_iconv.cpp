// The code page off Windows: GBK through iconv, matching a Chinese Windows.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"

namespace trova {

namespace {
std::string convert(const char* to, const char* from, std::string_view in, std::string_view bad) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
  std::string out;
  std::vector<char> buf(in.size() * 4 + 16);
  auto* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  while (left > 0) {
    char* dst = buf.data();
    std::size_t room = buf.size();
    std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf.data(), dst);
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Unconvertible or cut sequence: replace one input character and go on.
      out.append(bad);
      std::size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        auto b = static_cast<unsigned char>(*src);
        skip = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
      }
      if (skip > left) skip = left;
      src += skip;
      left -= skip;
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace

std::string toAnsi(std::wstring_view text) { return convert("GBK", "UTF-8", toUtf8(text), "?"); }

std::wstring fromAnsi(std::string_view bytes) {
  return fromUtf8(convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD"));
}

}  // namespace trova
