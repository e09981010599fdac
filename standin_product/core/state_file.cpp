#include "standin_product/core/state_file.h"

#include "standin_product/core/state_paths.h"

#include <cstring>
#include <string>

namespace standin {
namespace {

constexpr char kMutexName[] = "StandinSyncutilStateLock";
constexpr DWORD kMagic = 0x31545353;  // "SST1"
constexpr DWORD kLockTimeoutMs = 30000;

struct FileHeader {
  DWORD magic;
  DWORD running;
  DWORD enabled;
  DWORD taskCount;
};

class Writer {
 public:
  void Put(const void* data, std::size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
  }
  void PutDword(DWORD value) { Put(&value, sizeof value); }
  const std::vector<BYTE>& Bytes() const { return buffer_; }

 private:
  std::vector<BYTE> buffer_;
};

class Reader {
 public:
  explicit Reader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
  bool Get(void* out, std::size_t size) {
    if (bytes_.size() - at_ < size) {
      return false;
    }
    std::memcpy(out, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  bool GetDword(DWORD* value) { return Get(value, sizeof *value); }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<BYTE>& bytes_;
  std::size_t at_ = 0;
};

bool ReadWholeFile(const std::string& path, std::vector<BYTE>* bytes, bool* missing) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return false;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) {
    return false;
  }
  bytes->resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  return bytes->empty() || (ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                            read == bytes->size());
}

bool WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

StateLock::StateLock() : mutex_(CreateMutexA(nullptr, FALSE, kMutexName)) {
  if (mutex_) {
    const DWORD wait = WaitForSingleObject(mutex_.get(), kLockTimeoutMs);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
}

StateLock::~StateLock() {
  if (held_) {
    ReleaseMutex(mutex_.get());
  }
}

bool LoadState(ProductState* state) {
  std::vector<BYTE> bytes;
  bool missing = false;
  if (!ReadWholeFile(StateFilePath(), &bytes, &missing)) {
    if (missing) {
      *state = DefaultState();
    }
    return missing;
  }
  Reader in(bytes);
  FileHeader header;
  if (!in.Get(&header, sizeof header) || header.magic != kMagic || header.taskCount > 1000) {
    return false;
  }
  ProductState loaded;
  loaded.running = header.running != 0;
  loaded.enabled = header.enabled != 0;
  loaded.tasks.resize(header.taskCount);
  bool ok = in.Get(loaded.options.data(), loaded.options.size()) && in.Get(loaded.odsTask.data(), loaded.odsTask.size());
  for (TaskRecord& task : loaded.tasks) {
    ok = ok && in.Get(task.bytes, sizeof task.bytes);
  }
  for (std::vector<std::string>& list : loaded.lists) {
    DWORD count = 0;
    ok = ok && in.GetDword(&count);
    for (DWORD i = 0; ok && i < count; ++i) {
      DWORD length = 0;
      ok = in.GetDword(&length) && length <= kMaxItemLength;
      std::string item(ok ? length : 0, '\0');
      ok = ok && in.Get(&item[0], length);
      list.push_back(std::move(item));
    }
  }
  if (!ok || !in.AtEnd()) {
    return false;
  }
  *state = std::move(loaded);
  return true;
}

bool SaveState(const ProductState& state) {
  if (!EnsureStateDirectory()) {
    return false;
  }
  Writer out;
  const FileHeader header = {kMagic, state.running ? 1u : 0u, state.enabled ? 1u : 0u,
                             static_cast<DWORD>(state.tasks.size())};
  out.Put(&header, sizeof header);
  out.Put(state.options.data(), state.options.size());
  out.Put(state.odsTask.data(), state.odsTask.size());
  for (const TaskRecord& task : state.tasks) {
    out.Put(task.bytes, sizeof task.bytes);
  }
  for (const std::vector<std::string>& list : state.lists) {
    out.PutDword(static_cast<DWORD>(list.size()));
    for (const std::string& item : list) {
      out.PutDword(static_cast<DWORD>(item.size()));
      out.Put(item.data(), item.size());
    }
  }
  const std::string path = StateFilePath();
  const std::string temporary = path + ".new";
  return WriteWholeFile(temporary, out.Bytes()) &&
         MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace standin
