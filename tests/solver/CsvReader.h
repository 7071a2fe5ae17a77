#pragma once
// A small RFC 4180 reader for reading written CSV back in tests: quoted fields with
// doubled quotes, CRLF records, and every malformed record reported, not guessed at.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenmar::testing {

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of a document whose every record ends in CRLF, or nothing when it is not
// well formed (a bare CR or LF, a quote inside an unquoted field, an unterminated quote).
inline std::optional<CsvRecords> ReadCsv(std::string_view text) {
  CsvRecords records;
  std::vector<std::string> record;
  std::string field;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"') {
      if (!field.empty()) return {};
      for (++i;; ++i) {
        if (i >= text.size()) return {};
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += text[i];
        }
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\r') return {};
      continue;
    }
    if (text[i] == ',') {
      record.push_back(std::move(field));
      field.clear();
      ++i;
    } else if (text[i] == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') return {};
      record.push_back(std::move(field));
      field.clear();
      records.push_back(std::move(record));
      record.clear();
      i += 2;
    } else if (text[i] == '\n') {
      return {};
    } else {
      field += text[i++];
    }
  }
  if (!field.empty() || !record.empty()) return {};  // the last record lacks its CRLF
  return records;
}

}  // namespace quenmar::testing
