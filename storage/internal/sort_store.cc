#include "storage/sort_store.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace zelvo {
namespace {

constexpr std::size_t kLengthBytes = 4;

void AppendLength(std::string& out, std::size_t length) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((length >> shift) & 0xFF);
}

std::size_t ReadLength(std::string_view bytes) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < kLengthBytes; ++i)
    length |= std::size_t{static_cast<std::uint8_t>(bytes[i])} << (8 * i);
  return length;
}

std::string TemporaryDirectory() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

std::string TemporaryName(const std::string& directory) {
  static std::atomic<unsigned> serial{0};
  return directory + "/TMP" + std::to_string(getpid()) + "_" + std::to_string(++serial);
}

}  // namespace

// Reads one sorted run back, an item at a time, through a block-sized buffer.
class SortStore::RunReader {
 public:
  RunReader(OsFile& file, Run run) : file_(file), offset_(run.offset), end_(run.offset + run.length) {}

  std::string current;
  bool done = false;

  ErrorCode Advance() {
    if (ErrorCode c = Ensure(kLengthBytes); Failed(c)) return c;
    if (Buffered() == 0) {
      done = true;
      return ErrorCode::Ok;
    }
    if (Buffered() < kLengthBytes) return ErrorCode::FileSystemError;  // a run cut short
    const std::size_t length = ReadLength(std::string_view(buffer_).substr(at_));
    if (ErrorCode c = Ensure(kLengthBytes + length); Failed(c)) return c;
    if (Buffered() < kLengthBytes + length) return ErrorCode::FileSystemError;
    current.assign(buffer_, at_ + kLengthBytes, length);
    at_ += kLengthBytes + length;
    return ErrorCode::Ok;
  }

 private:
  std::size_t Buffered() const { return buffer_.size() - at_; }

  ErrorCode Ensure(std::size_t bytes) {
    if (Buffered() >= bytes) return ErrorCode::Ok;
    buffer_.erase(0, at_);
    at_ = 0;
    while (buffer_.size() < bytes && offset_ < end_) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, end_ - offset_));
      const std::size_t had = buffer_.size();
      buffer_.resize(had + want);
      const ReadResult read = file_.ReadAt(
          offset_, {reinterpret_cast<std::uint8_t*>(buffer_.data()) + had, want});
      if (Failed(read.code)) return read.code;
      if (read.bytes != want) return ErrorCode::FileSystemError;
      offset_ += want;
    }
    return ErrorCode::Ok;
  }

  OsFile& file_;
  std::uint64_t offset_, end_;
  std::string buffer_;
  std::size_t at_ = 0;
};

SortStore::SortStore(std::string directory, std::size_t memoryLimit, FileSystem& fileSystem)
    : directory_(directory.empty() ? TemporaryDirectory() : std::move(directory)),
      memoryLimit_(memoryLimit),
      fileSystem_(fileSystem) {}

SortStore::~SortStore() {
  readers_.clear();
  if (file_) (void)file_->Close();
  if (!path_.empty()) (void)fileSystem_.Remove(path_);
}

ErrorCode SortStore::Add(std::string_view item) {
  if (Failed(failure_)) return failure_;
  if (reading_) return ErrorCode::UnsupportedFileDriverFunction;
  const std::size_t cost = item.size() + kLengthBytes;
  if (!memory_.empty() && memoryBytes_ + cost > memoryLimit_) {
    if (ErrorCode c = Spill(); Failed(c)) return Fail(c);
  }
  memory_.emplace_back(item);
  memoryBytes_ += cost;
  ++count_;
  return ErrorCode::Ok;
}

ErrorCode SortStore::Spill() {
  if (!file_) {
    path_ = TemporaryName(directory_);
    OpenResult opened = fileSystem_.Open(path_, {.read = true, .write = true, .create = true,
                                                 .truncate = true});
    if (Failed(opened.code)) {
      path_.clear();
      return opened.code;
    }
    file_ = std::move(opened.file);
  }
  std::sort(memory_.begin(), memory_.end());
  std::string run;
  run.reserve(memoryBytes_);
  for (const std::string& item : memory_) {
    AppendLength(run, item.size());
    run += item;
  }
  for (std::size_t at = 0; at < run.size(); at += kBlock) {
    const std::size_t n = std::min(kBlock, run.size() - at);
    const ErrorCode c = file_->WriteAt(
        fileEnd_ + at, {reinterpret_cast<const std::uint8_t*>(run.data()) + at, n});
    if (Failed(c)) return c;
  }
  runs_.push_back({fileEnd_, run.size()});
  fileEnd_ += run.size();
  memory_.clear();
  memoryBytes_ = 0;
  return ErrorCode::Ok;
}

ErrorCode SortStore::StartReading() {
  reading_ = true;
  if (runs_.empty()) {
    std::sort(memory_.begin(), memory_.end());
    return ErrorCode::Ok;
  }
  if (!memory_.empty()) {
    if (ErrorCode c = Spill(); Failed(c)) return c;
  }
  for (const Run& run : runs_) {
    readers_.push_back(std::make_unique<RunReader>(*file_, run));
    if (ErrorCode c = readers_.back()->Advance(); Failed(c)) return c;
    if (!readers_.back()->done) heap_.push_back(readers_.size() - 1);
  }
  std::make_heap(heap_.begin(), heap_.end(), [this](std::size_t a, std::size_t b) {
    return readers_[a]->current > readers_[b]->current;
  });
  return ErrorCode::Ok;
}

SortedItem SortStore::Next() {
  if (Failed(failure_)) return {failure_, false, {}};
  if (!reading_) {
    if (ErrorCode c = StartReading(); Failed(c)) return {Fail(c), false, {}};
  }
  if (runs_.empty()) {
    if (nextInMemory_ == memory_.size()) return {ErrorCode::Ok, true, {}};
    return {ErrorCode::Ok, false, std::move(memory_[nextInMemory_++])};
  }
  if (heap_.empty()) return {ErrorCode::Ok, true, {}};
  const auto later = [this](std::size_t a, std::size_t b) {
    return readers_[a]->current > readers_[b]->current;
  };
  std::pop_heap(heap_.begin(), heap_.end(), later);
  RunReader& reader = *readers_[heap_.back()];
  SortedItem out{ErrorCode::Ok, false, std::move(reader.current)};
  if (ErrorCode c = reader.Advance(); Failed(c)) return {Fail(c), false, {}};
  if (reader.done) {
    heap_.pop_back();
  } else {
    std::push_heap(heap_.begin(), heap_.end(), later);
  }
  return out;
}

}  // namespace zelvo
