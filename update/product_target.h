// Where an update reads the product's records and sends its changes. One call here is one
// call of the product's sync library, in the same order with the same values: the live
// product takes them as they are; a copy in memory applies them to its own records, so that
// a run can be tried out without touching the product.
#pragma once

#include <windows.h>

#include "product_api/sync_library.h"

class ProductTarget {
 public:
  virtual ~ProductTarget() = default;

  // AVSIF_MANAGEMENTPORT, already obtained by whoever made the target.
  virtual BOOL GetOptions(OptionsBlock* block, DWORD* size) = 0;
  virtual void SetFieldValue(const FieldWriteEntry& entry) = 0;
  virtual void SetFieldString(const FieldWriteEntry& entry) = 0;
  virtual void SetFieldBytes(const FieldWriteEntry& entry) = 0;
  virtual void SetOptions() = 0;

  // The item lists of the options area, as GetOptions hands them out.
  virtual int GetItemCount(DWORD listId) = 0;
  virtual void AddItem(DWORD listId, const char* text) = 0;
  virtual void RemoveItem(DWORD listId, DWORD index) = 0;
  virtual void GetItem(DWORD listId, char* buffer, DWORD bufferSize, DWORD index) = 0;

  // AVSIF_AVCONSOL: OpenConsole gives AvSync_GetIFace's answer, 0 when the console is ready.
  virtual int OpenConsole() = 0;
  virtual void ReleaseConsole() = 0;
  virtual int GetTaskCount() = 0;
  virtual BOOL GetTask(TaskRecord* task, DWORD index) = 0;
  virtual BOOL SetTask(const TaskRecord& task, DWORD index) = 0;
  virtual BOOL GetODSTask(ODSTaskRecord* task) = 0;
  virtual void SetODSTask(ODSTaskRecord* task) = 0;
};
