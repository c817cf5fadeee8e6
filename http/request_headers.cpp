#include "http/request_headers.h"

#include "runtime/app_routines.h"
#include "runtime/core_commands.h"

namespace http {
namespace {

struct DefaultHeader {
  const char* searched_name;
  const char* line;
};

constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n"},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n"},
};

bool Mentions(const rt::Text& headers, const char* name) {
  return rt::FindText(headers, name, 1, true) != -1;
}

}  // namespace

rt::Text BuildRequestHeaders(rt::TextRef extra_headers, rt::TextRef cookies) {
  rt::Text headers = rt::Text::Copy(extra_headers.view());
  for (const DefaultHeader& header : kDefaultHeaders) {
    if (!Mentions(headers, header.searched_name)) {
      headers = rt::ConcatTexts({headers, header.line});
    }
  }
  if (!Mentions(headers, "Cookie: ") && !cookies.view().empty()) {
    headers = rt::ConcatTexts({headers, "Cookie: ", cookies, "\r\n"});
  }
  return headers;
}

}  // namespace http
