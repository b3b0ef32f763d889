#include "storage/dbase/internal/dbase_table.h"

#include <algorithm>
#include <cerrno>

#include "runtime/date_time.h"
#include "storage/file_sharing.h"

namespace zelvo {
namespace {

bool zeroY2K = false;

constexpr int kWriteFailure = -201;
constexpr int kReadFailure = -202;
constexpr int kOutOfRange = -204;
constexpr int kHeaderLength = -219;

bool IsBuffering(AccessMode mode, int buffers) {
  switch (mode.SharingPart()) {
    case Sharing::DenyNone: return false;
    case Sharing::DenyWrite:
    case Sharing::DenyRead: return true;
    default: return buffers != 0;
  }
}

}  // namespace

void SetDbaseZeroY2K(bool on) { zeroY2K = on; }
bool DbaseZeroY2K() { return zeroY2K; }

void StampDbaseHeader(DbaseHeader& header) {
  const DayNumber today = TODAY();
  const int year = Year(today) - 1900;
  header.year = static_cast<std::uint8_t>(zeroY2K ? year % 100 : year);
  header.month = static_cast<std::uint8_t>(Month(today));
  header.day = static_cast<std::uint8_t>(Day(today));
}

int DbaseOpenFailure(ErrorCode code) {
  switch (Number(code)) {
    case 302: return -205;
    case 303: return -239;
    case 304: return -208;
    case 305:
    case 332: return -240;
    case 312: return -241;
    default: return Number(code);
  }
}

DbaseOpenResult DbaseTable::Open(const std::string& path, AccessMode mode, int buffers) {
  if (!mode.IsValid()) return {-241, nullptr};
  OpenResult opened = CurrentFileSystem().Open(path, {.read = true, .write = mode.AllowsWriting()});
  if (Failed(opened.code)) return {DbaseOpenFailure(opened.code), nullptr};
  std::unique_ptr<DbaseTable> table(new DbaseTable);
  table->os_ = std::move(opened.file);
  table->mode_ = mode;
  table->readOnly_ = mode.AccessPart() == Access::ReadOnly;
  table->shared_ = mode.IsShared();
  table->buffered_ = IsBuffering(mode, buffers);
  // Shared: others read and write beside us; any other mode denies them both.
  const bool exclusive = !table->shared_;
  if (Failed(ClaimSharing(*table->os_, {.reads = true, .writes = mode.AllowsWriting(),
                                        .deniesRead = exclusive, .deniesWrite = exclusive})))
    return {-240, nullptr};

  std::array<std::uint8_t, kDbaseHeaderBytes> head{};
  const ReadResult read = table->os_->ReadAt(0, head);
  if (Failed(read.code)) return {kReadFailure, nullptr};
  if (read.bytes < head.size()) return {kHeaderLength, nullptr};
  table->header_ = DecodeDbaseHeader(head);
  if (const int code = CheckDbaseHeader(table->header_); code != 0) return {code, nullptr};

  std::vector<std::uint8_t> descriptors(table->header_.ColumnCount() * kDbaseDescriptorBytes + 1);
  const ReadResult described = table->os_->ReadAt(kDbaseHeaderBytes, descriptors);
  if (Failed(described.code)) return {kReadFailure, nullptr};
  descriptors.resize(described.bytes);
  DbaseColumnsResult columns = DecodeDbaseDescriptors(table->header_, descriptors);
  if (columns.code != 0) return {columns.code, nullptr};
  table->columns_ = std::move(columns.columns);
  return {0, std::move(table)};
}

DbaseTable::~DbaseTable() {
  if (os_) (void)Close();
}

void DbaseTable::SetStreaming(bool on) { streaming_ = on && !shared_; }

std::size_t DbaseTable::WindowRows() const {
  const std::size_t length = std::max<std::size_t>(header_.recordLength, 1);
  if (8 * length > 16384) return std::max<std::size_t>(16384 / length, 1);
  if (8 * length < 1024) return 2048 / length;
  return 8;
}

int DbaseTable::RefreshRecords() {
  if (!shared_) return 0;
  std::array<std::uint8_t, kDbaseHeaderBytes> head{};
  const ReadResult read = os_->ReadAt(0, head);
  if (Failed(read.code) || read.bytes < head.size()) return kReadFailure;
  header_.records = DecodeDbaseHeader(head).records;
  return 0;
}

int DbaseTable::ReadRow(std::uint32_t number, std::span<std::uint8_t> row) {
  if (number == 0 || number > Records()) return kOutOfRange;
  const std::size_t length = header_.recordLength;
  if (number > header_.records) {
    const std::size_t at = (number - header_.records - 1) * length;
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(at), length, row.begin());
    return 0;
  }
  const bool inWindow = windowFirst_ != 0 && number >= windowFirst_ && number < windowFirst_ + windowCount_;
  if (!inWindow) {
    const bool readAhead = (buffered_ || streaming_) && !shared_;
    const std::uint32_t count =
        readAhead ? std::min<std::uint32_t>(static_cast<std::uint32_t>(WindowRows()), header_.records - number + 1) : 1;
    window_.resize(std::size_t{count} * length);
    const ReadResult read = os_->ReadAt(header_.RecordOffset(number), window_);
    windowFirst_ = 0;
    if (Failed(read.code)) return kReadFailure;
    if (read.bytes < length) return kReadFailure;  // the file ends inside the row
    windowFirst_ = number;
    windowCount_ = static_cast<std::uint32_t>(read.bytes / length);
  }
  const std::size_t at = (number - windowFirst_) * length;
  std::copy_n(window_.begin() + static_cast<std::ptrdiff_t>(at), length, row.begin());
  if (shared_) windowFirst_ = 0;  // another station may change it before the next read
  return 0;
}

int DbaseTable::WriteHeader() {
  StampDbaseHeader(header_);
  const auto bytes = EncodeDbaseHeader(header_);
  if (Failed(os_->WriteAt(0, bytes))) return kWriteFailure;
  headerDirty_ = false;
  return 0;
}

int DbaseTable::WriteRow(std::uint32_t number, std::span<const std::uint8_t> row) {
  if (readOnly_) return -236;
  if (number == 0 || number > Records()) return kOutOfRange;
  const std::size_t length = header_.recordLength;
  if (number > header_.records) {
    std::copy(row.begin(), row.end(),
              pending_.begin() + static_cast<std::ptrdiff_t>((number - header_.records - 1) * length));
    return 0;
  }
  const ByteRange lock = DbaseRecordLock(number);
  const bool lockHere = shared_ && !locks_.Holds(lock);
  if (lockHere)
    if (const int code = locks_.Take(*os_, lock); code != 0) return code;
  auto release = [&](int code) {
    if (lockHere) locks_.Release(*os_, lock);
    return code;
  };
  const std::uint64_t offset = header_.RecordOffset(number);
  std::vector<std::uint8_t> before(length);
  const ReadResult old = os_->ReadAt(offset, before);
  windowFirst_ = 0;
  if (Failed(os_->WriteAt(offset, row))) {
    if (!Failed(old.code) && old.bytes == length) (void)os_->WriteAt(offset, before);
    return release(kWriteFailure);
  }
  headerDirty_ = true;
  if (buffered_ || streaming_) return release(0);
  return release(WriteHeader());
}

// Writes rows `first`.. at the end with the end-of-file byte after them; on a
// failure the file is cut back to where it ended.
int DbaseTable::WriteAtEnd(std::uint32_t first, std::span<const std::uint8_t> rows) {
  const std::uint64_t offset = header_.RecordOffset(first);
  const SizeResult size = os_->Size();
  if (Failed(size.code)) return kReadFailure;
  std::uint8_t oldByte = 0;
  const ReadResult old = os_->ReadAt(offset, {&oldByte, 1});
  std::vector<std::uint8_t> bytes(rows.begin(), rows.end());
  bytes.push_back(kDbaseEndOfFile);
  windowFirst_ = 0;
  if (Failed(os_->WriteAt(offset, bytes))) {
    (void)os_->Truncate(size.size);
    if (!Failed(old.code) && old.bytes == 1) (void)os_->WriteAt(offset, {&oldByte, 1});
    return kWriteFailure;
  }
  return 0;
}

int DbaseTable::AppendRow(std::span<const std::uint8_t> row, std::uint32_t& number) {
  if (readOnly_) return -236;
  if (buffered_ || streaming_) {
    pending_.insert(pending_.end(), row.begin(), row.end());
    number = header_.records + ++pendingCount_;
    return pendingCount_ >= WindowRows() ? FlushPending() : 0;
  }
  // Under the whole-file lock the header byte is ours already; locking it
  // again and releasing it would give back part of the file lock.
  const bool lockHeader = shared_ && !locks_.Holds(kDbaseFileLock);
  if (lockHeader)
    if (const int code = locks_.Take(*os_, kDbaseHeaderLock); code != 0) return code;
  if (const int code = RefreshRecords(); code != 0) {
    if (lockHeader) locks_.Release(*os_, kDbaseHeaderLock);
    return code;
  }
  int code = WriteAtEnd(header_.records + 1, row);
  if (code == 0) {
    ++header_.records;
    code = WriteHeader();
    if (code != 0) --header_.records;  // the row lies beyond the count: not in the table
    else number = header_.records;
  }
  if (lockHeader) locks_.Release(*os_, kDbaseHeaderLock);
  return code;
}

int DbaseTable::FlushPending() {
  if (pendingCount_ == 0) return 0;
  if (const int code = WriteAtEnd(header_.records + 1, pending_); code != 0) return code;
  header_.records += pendingCount_;
  if (const int code = WriteHeader(); code != 0) {
    header_.records -= pendingCount_;  // kept; the next flush writes them again
    return code;
  }
  pending_.clear();
  pendingCount_ = 0;
  return 0;
}

int DbaseTable::Flush() {
  if (const int code = FlushPending(); code != 0) return code;
  if (headerDirty_ && !readOnly_) return WriteHeader();
  return 0;
}

int DbaseTable::Close() {
  if (!os_) return 0;
  const int flushed = Flush();
  locks_.ReleaseAll(*os_);
  const ErrorCode closed = os_->Close();
  os_.reset();
  if (flushed != 0) return flushed;
  return Failed(closed) ? Number(closed) : 0;
}

}  // namespace zelvo
