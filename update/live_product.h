// The installed product as an update target: every call goes to its sync library.
#pragma once

#include "product_api/sync_library.h"
#include "update/product_target.h"

class LiveProduct : public ProductTarget {
 public:
  // `port` is the AVSIF_MANAGEMENTPORT table already obtained; `getIFace` obtains the console.
  LiveProduct(AvSyncGetIFaceFn getIFace, const ManagementPortTable& port) : getIFace_(getIFace), port_(port) {}

  BOOL GetOptions(OptionsBlock* block, DWORD* size) override;
  void SetFieldValue(const FieldWriteEntry& entry) override { port_.SetFieldValue(&entry, 1); }
  void SetFieldString(const FieldWriteEntry& entry) override { port_.SetFieldString(&entry, 1); }
  void SetFieldBytes(const FieldWriteEntry& entry) override { port_.SetFieldBytes(&entry, 1); }
  void SetOptions() override { port_.SetOptions(); }

  int GetItemCount(DWORD listId) override { return lists_.GetItemCount(listId); }
  void AddItem(DWORD listId, const char* text) override { lists_.AddItem(listId, text); }
  void RemoveItem(DWORD listId, DWORD index) override { lists_.RemoveItem(listId, index); }
  void GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index) override {
    lists_.GetItem(listId, buffer, bufferSize, index);
  }

  int OpenConsole() override { return getIFace_(AVSIF_AVCONSOL, &console_); }
  void ReleaseConsole() override { console_.ReleaseIFace(); }
  int GetTaskCount() override { return console_.GetTaskCount(); }
  BOOL GetTask(TaskRecord* task, DWORD index) override { return console_.GetTask(task, index); }
  BOOL SetTask(const TaskRecord& task, DWORD index) override { return console_.SetTask(task, index); }
  BOOL GetODSTask(ODSTaskRecord* task) override { return console_.GetODSTask(task); }
  void SetODSTask(ODSTaskRecord* task) override { console_.SetODSTask(task); }

 private:
  AvSyncGetIFaceFn getIFace_;
  ManagementPortTable port_;
  AvConsoleTable console_ = {};
  OptionsBlock lists_ = {};  // the list operations of the latest GetOptions
};
