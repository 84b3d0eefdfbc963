// MultiByteToWideChar over iconv. Windows replaces what a code page can't
// decode with U+FFFD instead of failing; glibc's iconv stops there, so the
// loop below steps over the offending byte and goes on.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/system.h"

namespace platform {

namespace {

constexpr int kActiveCodePage = 0;  // CP_ACP: the system's own
constexpr int kUtf8CodePage = 65001;
constexpr char16_t kReplacement = 0xFFFD;

std::string IconvName(int codePage) {
  if (codePage == kActiveCodePage) codePage = SystemCodePage();
  if (codePage == kUtf8CodePage) return "UTF-8";
  // glibc knows Windows code pages as CPnnn; its CP936 is Windows' GBK, the
  // euro sign at 0x80 included.
  return "CP" + std::to_string(codePage);
}

class Converter {
 public:
  explicit Converter(int codePage) : handle_(iconv_open("UTF-16LE", IconvName(codePage).c_str())) {}
  ~Converter() {
    if (Valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  std::u16string Convert(const char* bytes, std::size_t size) {
    std::u16string units;
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = size;
    char buffer[1024];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
      Append(units, buffer, out);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ: no character starts here; EINVAL: one starts but the text
      // ends inside it. Either way this byte stands for one replacement.
      units.push_back(kReplacement);
      ++in;
      --inLeft;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return units;
  }

 private:
  static void Append(std::u16string& units, const char* from, const char* to) {
    for (; from + 1 < to; from += 2) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(from[0]) |
                                            static_cast<unsigned char>(from[1]) << 8));
    }
  }

  iconv_t handle_;
};

}  // namespace

int MultiByteToWideChar(int codePage, const char* bytes, char16_t* output, int capacity) {
  if (!bytes || capacity < 0) return 0;
  Converter converter(codePage);
  if (!converter.Valid()) return 0;
  std::u16string units = converter.Convert(bytes, std::strlen(bytes));
  units.push_back(u'\0');
  const auto needed = static_cast<int>(units.size());
  if (!output || capacity == 0) return needed;
  if (capacity < needed) return 0;  // as Windows: nothing partial
  std::memcpy(output, units.data(), units.size() * sizeof(char16_t));
  return needed;
}

std::size_t TextLength(const char* bytes) { return std::strlen(bytes); }

}  // namespace platform
