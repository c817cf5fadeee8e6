// Quote records as the end-to-end suites serve and expect them: answers split
// at "~", the cells and value labels a record fills, records made to order.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace app_test {

using Fields = std::vector<std::string>;

inline Fields Split(const std::string& answer) {
  Fields fields;
  for (size_t start = 0; start < answer.size();) {
    const size_t tilde = std::min(answer.find('~', start), answer.size());
    fields.push_back(answer.substr(start, tilde - start));
    start = tilde + 1;
  }
  return fields;
}

// Field n of the full form and its value label: buy levels 1 to 5 in fields
// 10 to 19, sell levels in 20 to 29, two values a level; first values in
// labels 20-24 (buy) and 19-15 (sell), second ones in 32-36 and 31-27.
inline std::map<int, int> LabelOfField() {
  std::map<int, int> labels;
  for (int level = 0; level < 5; ++level) {
    labels[10 + 2 * level] = 20 + level;
    labels[11 + 2 * level] = 32 + level;
    labels[20 + 2 * level] = 19 - level;
    labels[21 + 2 * level] = 31 - level;
  }
  return labels;
}

// The five cells of a short answer: fields 2, 4, 6, the volume (field 7) in
// ten thousands, the market value (field 10) up to the quote mark (empty
// without one).
inline Fields RowOf(const Fields& f) {
  char volume[32];
  std::snprintf(volume, sizeof volume, "%.13g", std::atoll(f[6].c_str()) / 10000.0);
  const size_t quote = f[9].find('"');
  return {f[1], f[3], f[5], volume, quote == std::string::npos ? "" : f[9].substr(0, quote)};
}

// `count` fields, each naming its code and number ("600000:4"), digits in
// field 7, the closing quote after the last one.
inline std::string Record(const std::string& code, int count) {
  std::string record = "v_" + code + "=\"1";
  for (int n = 2; n <= count; ++n) {
    record += "~" + (n == 7 ? std::to_string(n * 12345) : code + ":" + std::to_string(n));
  }
  return record + "\";\n";
}

inline std::string Answer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\n\r\n" + body;
}

inline std::string Exchange(const std::string& code) {
  return code.starts_with('0') ? "sz" : "sh";
}

}  // namespace app_test
