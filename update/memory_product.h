// The product's records as copies in memory: an update run against it changes the copies and
// nothing else, so a run can be tried out and its outcome compared with what was there.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "product_api/sync_library.h"
#include "update/product_target.h"

class MemoryProduct : public ProductTarget {
 public:
  struct Records {
    std::vector<BYTE> general = std::vector<BYTE>(kGeneralRecordExtent);
    std::vector<BYTE> oasTask = std::vector<BYTE>(kOASTaskRecordExtent);
    DWORD optionsSize = kOptionsAreaSize;  // what GetOptions reports
    bool optionsReadable = true;           // false: GetOptions fails
    std::map<DWORD, std::vector<std::string>> lists;
    int consoleAnswer = kGetIFaceOk;  // what obtaining the console gives
    std::vector<TaskRecord> tasks;
    std::optional<ODSTaskRecord> odsTask;  // none: GetODSTask fails
    bool committed = false;                // SetOptions was called
    int strayWrites = 0;                   // field writes that named no byte of a record
  };

  MemoryProduct() = default;
  explicit MemoryProduct(Records records) : records_(std::move(records)) {}
  const Records& records() const { return records_; }
  Records& records() { return records_; }

  BOOL GetOptions(OptionsBlock* block, DWORD* size) override;
  void SetFieldValue(const FieldWriteEntry& entry) override;
  void SetFieldString(const FieldWriteEntry& entry) override;
  void SetFieldBytes(const FieldWriteEntry& entry) override;
  void SetOptions() override { records_.committed = true; }

  int GetItemCount(DWORD listId) override { return static_cast<int>(records_.lists[listId].size()); }
  void AddItem(DWORD listId, const char* text) override { records_.lists[listId].emplace_back(text); }
  void RemoveItem(DWORD listId, DWORD index) override;
  void GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index) override;

  int OpenConsole() override { return records_.consoleAnswer; }
  void ReleaseConsole() override {}
  int GetTaskCount() override { return static_cast<int>(records_.tasks.size()); }
  BOOL GetTask(TaskRecord* task, DWORD index) override;
  BOOL SetTask(const TaskRecord& task, DWORD index) override;
  BOOL GetODSTask(ODSTaskRecord* task) override;
  void SetODSTask(ODSTaskRecord* task) override { records_.odsTask = *task; }

 private:
  // The bytes [field, field + count) when they lie inside one record; null otherwise.
  BYTE* RecordBytes(void* field, std::size_t count);
  void Write(const FieldWriteEntry& entry, const void* source, std::size_t count);

  Records records_;
};
