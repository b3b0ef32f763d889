// Transactions of the indexed record file driver over several files: LOGOUT
// joins a file, COMMIT makes every joined file's changes final together,
// ROLLBACK drops them.
//
// While a file is in the transaction its changes stay in its page cache and
// its station keeps the write lock. COMMIT of one changed file is an ordinary
// two-phase write. Of several, a transaction control file (itself an indexed
// record file, holding one record keyed by the transaction number, 4 bytes
// little-endian, with an empty data part) says whether the transaction is
// complete: the number goes into every control file first, each changed file
// gets a transaction marker (key 0xFF; the number, 4 bytes little-endian,
// then the control file's path and a zero byte) and its phase one; removing
// the number from the control files is the point after which the transaction
// is complete; phase two follows. An interrupted write found later is undone
// while its marker's number is still in the control file (or the control file
// cannot be opened), else finished.
#include "storage/vxr/internal/vxr_transaction.h"

#include <ctime>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/vxr_file_name.h"
#include "storage/vxr/internal/vxr_table_state.h"

namespace zelvo::vxr {
namespace {

using Op = FileOperation;

constexpr std::size_t kMostControlFiles = 100;
const std::string kMarkerKey(1, '\xFF');

struct Transaction {
  std::vector<std::shared_ptr<VxrOpenFile>> files;
  std::vector<std::string> controlFiles;
};

Transaction& ProcessTransaction() {
  static Transaction transaction;
  return transaction;
}

std::string NumberKey(std::uint32_t number) {
  std::string key(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) key[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return key;
}

std::string ControlFileOf(const File& file) {
  if (!TcfOption().empty()) return TcfOption();
  const std::string path = SplitVxrName(file.Name()).path;
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "quillset.tcf" : path.substr(0, slash + 1) + "quillset.tcf";
}

// The current local date and time in seconds.
std::uint32_t LocalSeconds() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(now) + local.tm_gmtoff);
}

// An open control file, in the writing state (or reading, to look only).
struct ControlFile {
  std::unique_ptr<VxrPageStore> store;
  std::unique_ptr<VxrStation> station;
  std::unique_ptr<VxrTree> tree;

  ~ControlFile() {
    if (station) station->Leave(false);
  }

  VxrStatus Open(const std::string& path, bool writing) {
    OpenResult opened = CurrentFileSystem().Open(path, {.read = true, .write = writing, .create = writing});
    if (Failed(opened.code)) return {opened.code};
    OsFile& file = *opened.file;
    auto stationed = std::make_unique<VxrStation>(file, true, 0);
    if (const ErrorCode entered = stationed->Enter(writing); Failed(entered)) return {entered};
    station = std::move(stationed);  // leaves the lock when this goes, even if the store fails
    VxrPageStore::Opened made = VxrPageStore::Open(std::move(opened.file), writing, {.shared = true, .undoInterrupted = nullptr});
    if (!made.status.Ok()) {
      station.reset();  // the file is closed, and its locks with it
      return made.status;
    }
    store = std::move(made.store);
    store->SetRepairs(writing);
    if (const VxrStatus fresh = store->RefreshIfChanged(); !fresh.Ok()) return fresh;
    tree = std::make_unique<VxrTree>(*store);
    return {};
  }
};

std::vector<std::unique_ptr<ControlFile>> OpenControlFiles(const std::vector<std::string>& paths, VxrStatus& status) {
  std::vector<std::unique_ptr<ControlFile>> opened;
  for (const std::string& path : paths) {
    auto control = std::make_unique<ControlFile>();
    status = control->Open(path, true);
    if (!status.Ok()) return {};
    opened.push_back(std::move(control));
  }
  return opened;
}

// Removes the number from every control file (best effort after a failure).
VxrStatus ClearNumber(std::vector<std::unique_ptr<ControlFile>>& controls, std::uint32_t number) {
  VxrStatus first;
  for (auto& control : controls) {
    VxrStatus status = control->tree->Erase(NumberKey(number));
    if (status.code == ErrorCode::RecordNotFound) status = {};
    if (status.Ok()) status = control->tree->Write();
    if (!status.Ok() && first.Ok()) first = status;
  }
  return first;
}

// Step 1: a number none of the control files holds, put into each of them.
VxrStatus Announce(const std::vector<std::string>& paths, std::vector<std::unique_ptr<ControlFile>>& controls,
                   std::uint32_t& number) {
  number = LocalSeconds();
  for (;; ++number) {
    VxrStatus status;
    controls = OpenControlFiles(paths, status);
    if (!status.Ok()) return status;
    bool taken = false;
    for (auto& control : controls) {
      const VxrLookup found = control->tree->Find(NumberKey(number));
      if (found.Found()) taken = true;
      if (!found.Found() && found.status.code != ErrorCode::RecordNotFound) return found.status;
    }
    if (taken) {
      controls.clear();
      continue;
    }
    for (auto& control : controls) {
      status = control->tree->Insert(NumberKey(number), "");
      if (status.Ok()) status = control->tree->Write();
      if (!status.Ok()) {
        (void)ClearNumber(controls, number);
        return status;
      }
    }
    return {};
  }
}

VxrStatus CommitSeveral(const std::vector<VxrOpenFile*>& changed) {
  std::vector<std::string> paths;
  for (const VxrOpenFile* file : changed) {
    if (std::find(paths.begin(), paths.end(), file->controlFile) == paths.end()) paths.push_back(file->controlFile);
  }
  std::vector<std::unique_ptr<ControlFile>> controls;
  std::uint32_t number = 0;
  if (const VxrStatus announced = Announce(paths, controls, number); !announced.Ok()) return announced;

  // Step 2: the markers and phase one; a failure returns every file prepared
  // so far to its committed state.
  std::vector<VxrOpenFile*> prepared;
  auto abandon = [&](VxrStatus failure) {
    for (VxrOpenFile* file : prepared) (void)file->store->AbandonPhaseOne();
    for (VxrOpenFile* file : changed) (void)file->tree->Discard();
    (void)ClearNumber(controls, number);
    return failure;
  };
  for (VxrOpenFile* file : changed) {
    std::string marker = NumberKey(number) + file->controlFile + '\0';
    VxrStatus status = file->tree->Find(kMarkerKey).Found() ? file->tree->Update(kMarkerKey, marker)
                                                             : file->tree->Insert(kMarkerKey, marker);
    if (status.Ok()) status = file->tree->WritePhaseOne();
    if (!status.Ok()) return abandon(status);
    prepared.push_back(file);
  }
  // Step 3: the transaction is complete once the number is gone.
  if (const VxrStatus cleared = ClearNumber(controls, number); !cleared.Ok()) {
    for (VxrOpenFile* file : prepared) (void)file->store->AbandonPhaseOne();
    for (VxrOpenFile* file : changed) (void)file->tree->Discard();
    return cleared;
  }
  controls.clear();  // step 4
  // Step 5: what fails now is finished by the next refresh of the file.
  VxrStatus first;
  for (VxrOpenFile* file : changed) {
    const VxrStatus two = file->tree->WritePhaseTwo();
    if (!two.Ok() && first.Ok()) first = two;
  }
  return first;
}

// Takes every file out of the transaction; each returns to the reading state.
void EndTransaction(Transaction& t) {
  for (const auto& file : t.files) {
    file->inTransaction = false;
    file->putOff = 0;
    EndOperation(*file);
  }
  t.files.clear();
  t.controlFiles.clear();
}

ErrorCode Logout(File& file, VxrFileState& s, OperationAnswer& answer) {
  Transaction& t = ProcessTransaction();
  VxrOpenFile& open = *s.open;
  if (!open.store->Writable()) return ErrorCode::AccessDenied;
  const std::string control = ControlFileOf(file);
  const bool known = std::find(t.controlFiles.begin(), t.controlFiles.end(), control) != t.controlFiles.end();
  if (!known && t.controlFiles.size() >= kMostControlFiles) return Answer(VxrStatus::Corrupt(kVxrControlFiles), answer);
  if (open.inTransaction) return ErrorCode::Ok;
  // Changes put off by streaming are written first: they are not the transaction's.
  if (open.store->HasChanges()) {
    if (const VxrStatus written = open.tree->Write(); !written.Ok()) return Answer(written, answer);
  }
  if (!known) t.controlFiles.push_back(control);
  open.inTransaction = true;
  open.controlFile = control;
  t.files.push_back(s.open);
  return ErrorCode::Ok;
}

ErrorCode Commit(OperationAnswer& answer) {
  Transaction& t = ProcessTransaction();
  std::vector<VxrOpenFile*> changed;
  for (const auto& file : t.files) {
    if (file->store->HasChanges()) changed.push_back(file.get());
  }
  VxrStatus status;
  if (changed.size() == 1) {
    status = changed.front()->tree->Write();
  } else if (changed.size() > 1) {
    status = CommitSeveral(changed);
  }
  // A failed commit leaves no change behind to be written later.
  if (!status.Ok()) {
    for (VxrOpenFile* file : changed) {
      if (file->store->HasChanges()) (void)file->tree->Discard();
    }
  }
  EndTransaction(t);
  return Answer(status, answer);
}

void Rollback() {
  Transaction& t = ProcessTransaction();
  for (const auto& file : t.files) (void)file->tree->Discard();
  EndTransaction(t);
}

}  // namespace

ErrorCode PerformTransaction(Op op, File& file, VxrFileState& s, OperationAnswer& answer) {
  switch (op) {
    case Op::LOGOUT: return Logout(file, s, answer);
    case Op::COMMIT: return Commit(answer);
    case Op::ROLLBACK: Rollback(); return ErrorCode::Ok;
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

bool TransactionIncomplete(VxrPageStore& store) {
  VxrTree tree(store);
  const VxrLookup marker = tree.Find(kMarkerKey);
  if (!marker.Found()) return false;
  const std::string& data = marker.record.data;
  if (data.size() < 6 || data.back() != '\0') return true;  // a marker that cannot say: the old state is safe
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < 4; ++i) number |= std::uint32_t{static_cast<std::uint8_t>(data[i])} << (8 * i);
  ControlFile control;
  if (!control.Open(data.substr(4, data.size() - 5), false).Ok()) return true;
  return control.tree->Find(NumberKey(number)).status.code != ErrorCode::RecordNotFound;
}

}  // namespace zelvo::vxr
