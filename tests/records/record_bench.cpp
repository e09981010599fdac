// record_bench: the benchmark's helper for the on-access record (see tools/benchmark).
//   record_bench script PATH ITEMS   writes an OAS script that sets every general-record and
//                                    on-access key to a value of its own, with ITEMS excluded
//                                    items
//   record_bench reads PATH          reads what an OAS run of the script reads, each key once,
//                                    through the profile functions; prints the number of
//                                    excluded items, the milliseconds of their reads and of all
//                                    reads: what the profile functions cost by themselves
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "general_record.h"
#include "oas_record.h"
#include "record_test_support.h"

namespace {

int WriteFullScript(const char* path, int items) {
  records_test::Script script("OAS");
  for (const RecordTable* table : {&GeneralRecordFields, &OASTaskFields}) {
    script.SetAll(records_test::DistinctValues(records_test::Flatten(*table)));
  }
  const ItemListRow& list = OASExcludedItems;
  for (int i = 0; i < items; ++i) {
    char item[64];
    std::snprintf(item, sizeof item, "C:\\EXCLUDED\\FOLDER%05d\\*.*", i);
    script.Set(list.section, std::string(list.stem) + "_" + std::to_string(i), item);
  }
  std::ofstream file(path, std::ios::binary);
  file << script.Text();
  return file ? 0 : 1;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

// One read as the agent's text readers make it; false when the key is absent.
bool Read(const char* path, const char* section, const std::string& key) {
  char value[512];
  GetPrivateProfileStringA(section, key.c_str(), "$#@NONE@#$", value, sizeof value, path);
  return std::strcmp(value, "$#@NONE@#$") != 0;
}

// Reads what an OAS run reads, once each: the update type, every key of both records, and the
// excluded items up to the first missing one.
int TimeReads(const char* path) {
  LARGE_INTEGER started;
  LARGE_INTEGER listStarted;
  LARGE_INTEGER ended;
  QueryPerformanceCounter(&started);
  Read(path, "TARNUPDATE", "UpdateType");
  for (const RecordTable* table : {&GeneralRecordFields, &OASTaskFields}) {
    for (const records_test::Field& field : records_test::Flatten(*table)) Read(path, field.section.c_str(), field.key);
  }
  QueryPerformanceCounter(&listStarted);
  int count = 0;
  while (Read(path, OASExcludedItems.section, std::string(OASExcludedItems.stem) + "_" + std::to_string(count))) ++count;
  QueryPerformanceCounter(&ended);
  std::printf("%d %.1f %.1f\n", count, Milliseconds(listStarted, ended), Milliseconds(started, ended));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "script") == 0) return WriteFullScript(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "reads") == 0) return TimeReads(argv[2]);
  std::fprintf(stderr, "usage: record_bench script PATH ITEMS | record_bench reads PATH\n");
  return 2;
}
