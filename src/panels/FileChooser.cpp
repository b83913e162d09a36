#include "panels/FileChooser.h"

namespace mirvo {

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    const std::size_t bar = filter.find('|', start);
    const std::size_t end = bar == std::string::npos ? filter.size() : bar;
    parts.push_back(filter.substr(start, end - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<FileFilterEntry> entries;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].empty() && !parts[i + 1].empty()) entries.push_back({parts[i], parts[i + 1]});
  return entries;
}

}  // namespace mirvo
