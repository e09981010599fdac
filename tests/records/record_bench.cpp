// record_bench, for tools/benchmark: `record_bench script PATH ITEMS` writes an OAS script that
// sets every general-record and on-access key to a value of its own, with ITEMS excluded items;
// `record_bench reads PATH` reads what an OAS run of it reads, through the profile functions
// alone, and prints the number of excluded items and the milliseconds of their reads and of all.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "testtools/record_script.h"

namespace {

// One read as the agent's text readers make it; false when the key is absent.
bool Read(const char* path, const char* section, const std::string& key) {
  char value[512];
  GetPrivateProfileStringA(section, key.c_str(), "$#@NONE@#$", value, sizeof value, path);
  return std::strcmp(value, "$#@NONE@#$") != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "script") == 0) {
    const auto general = records_test::ValuesOf(GeneralRecordFields);
    records_test::Script script("OAS");
    script.Set(general).Set(records_test::ValuesOf(OASTaskFields, general.size()));
    std::vector<std::string> items;
    for (int i = 0; i < std::atoi(argv[3]); ++i) {
      items.push_back("C:\\EXCLUDED\\FOLDER" + std::to_string(10000 + i) + "\\*.*");
    }
    std::ofstream file(argv[2], std::ios::binary);
    file << script.SetList(OASExcludedItems.section, OASExcludedItems.stem, items).Text();
    return file ? 0 : 1;
  }
  if (argc != 3 || std::strcmp(argv[1], "reads") != 0) {
    std::fprintf(stderr, "usage: record_bench script PATH ITEMS | record_bench reads PATH\n");
    return 2;
  }
  // The update type, every key of both records, the excluded items up to the first missing one.
  LARGE_INTEGER frequency, started, listStarted, ended;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  Read(argv[2], "TARNUPDATE", "UpdateType");
  for (const RecordTable* table : {&GeneralRecordFields, &OASTaskFields}) {
    ForEachField(*table, [&](const char* section, const char* key, FieldType, std::size_t) {
      Read(argv[2], section, key);
    });
  }
  QueryPerformanceCounter(&listStarted);
  int count = 0;
  while (Read(argv[2], OASExcludedItems.section, OASExcludedItems.stem + ("_" + std::to_string(count)))) ++count;
  QueryPerformanceCounter(&ended);
  const double ms = 1000.0 / frequency.QuadPart;
  std::printf("%d %.1f %.1f\n", count, (ended.QuadPart - listStarted.QuadPart) * ms,
              (ended.QuadPart - started.QuadPart) * ms);
  return 0;
}
