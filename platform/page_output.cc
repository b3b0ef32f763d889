#include "platform/page_output.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/page_listing.h"

namespace zelvo {
namespace {

std::atomic<PageOutput*> installed{nullptr};

bool NamesPdf(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
  return end == ".pdf";
}

std::string WriteListing(const ReportPages& pages, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  out << PageListing(pages);
  out.close();
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  return {};
}

}  // namespace

void InstallPageOutput(PageOutput* output) { installed = output; }
PageOutput* InstalledPageOutput() { return installed; }

std::string SavePages(const ReportPages& pages, const std::string& path) {
  // The temporary name keeps the extension: the PDF writer may go by it.
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string temporary = folder + ".~" + std::to_string(getpid()) + "." + name;
  std::string why;
  if (NamesPdf(path)) {
    PageOutput* output = installed;
    why = output ? output->WritePdf(pages, temporary) : "PDF cannot be written without the Qt back end";
  } else {
    why = WriteListing(pages, temporary);
  }
  if (why.empty() && std::rename(temporary.c_str(), path.c_str()) != 0)
    why = "cannot write " + path + ": " + std::strerror(errno);
  if (!why.empty()) std::remove(temporary.c_str());
  return why;
}

}  // namespace zelvo
