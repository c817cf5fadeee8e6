#include "tests/support/gbk_literals.h"

#include "runtime/gbk.h"

namespace test {

std::string Gbk(std::string_view utf8) {
  return rt::Utf8ToGbk(utf8);
}
std::string Utf8(std::string_view gbk) {
  return rt::GbkToUtf8(gbk);
}

}  // namespace test
