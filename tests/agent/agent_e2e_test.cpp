// The real tarnupd.exe as a management system sees it: a command line in; exit code, registry
// result, status lines and debugger output out; and what the stand-in product went through.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/sddl_security.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"
#include "testtools/product_test.h"
#include "testtools/trace_names.h"
#include "testtools/unix_link.h"

namespace {

using product_test::Calls;
using product_test::kProductKey;
using product_test::SetFaults;
using product_test::State;
using test_registry::AgentSubkey;
using test_registry::GetDword;
using test_registry::SetDword;
using test_registry::SetString;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

const std::string kFileVersionKey = AgentSubkey("LC_FILEVER");
const std::string kExecKey = AgentSubkey("LC_EXEC");
const char* const kVersionValues[] = {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"};
constexpr char kSilentPipe[] = "\\\\.\\pipe\\tarn-never-answers";
const Lines kUnchecked = {"(unchecked)"};
const Lines kNoWord = {"No command word was recognised in the command line: nothing was done.\n"};

// The status line of an argument taken from where its writer did not mean it.
std::string Misplaced(const std::string& word, const std::string& taken, const std::string& meant) {
  return "The argument of " + word + " was taken as \"" + taken +
         "\" (the text after the word's length from the line's start): write the word first, then the argument "
         "without quotes: " + word + meant + ".\n";
}

struct CommandCase {
  std::string commandLine;
  std::function<void()> before;
  DWORD result;
  std::string text;
  Lines commandLines;  // kUnchecked: not looked at
  std::function<void()> after;
};

const auto none = [] {};

class AgentE2eTest : public product_test::ProductTest {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    ASSERT_TRUE(standin::FindInstalledLibrary(&library_)) << "the stand-in product is not installed";
    port_ = {"LoadMSIDll \"" + library_ + "\"\n", "LoadSyncUtil returned 0\n",
             "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n", "Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n",
             "Unloading SYNCUTIL.DLL\n"};
  }

  // Each case from a clean start: its result and text, its status lines between the product's
  // version and the result, no debugger output (off by default), and what it left behind.
  void ExpectEach(const std::vector<CommandCase>& cases) {
    for (const CommandCase& each : cases) {
      SCOPED_TRACE(each.commandLine.substr(0, 60));
      Clean();
      each.before();
      const AgentRun run = RunToEnd(each.commandLine);
      ExpectAgentResult(run, each.result, each.text);
      if (each.commandLines != kUnchecked) {
        EXPECT_EQ(CommandLines(run), each.commandLines);
      }
      EXPECT_TRUE(run.debugOutput.empty());
      each.after();
      EXPECT_EQ(standin::ProtocolErrorCount(), 0);
    }
  }

  std::string library_;
  Lines port_;  // a product command's lines with the product's library
};

TEST_F(AgentE2eTest, CommandVersionComparesEachPartByItself) {
  ExpectEach({
      {"LC_VERSION=1.0.15", none, 0, kSuccess, {}, none},
      {"LC_VERSION=1.0.15.7", none, 0, kSuccess, {}, none},
      {"LC_VERSION= 1.0.14", none, 0, kSuccess, {Misplaced("LC_VERSION=", " 1.0.14", "1.0.14")}, none},
      {"LC_VERSION=1.0.16 /TRAILING", none, 12, "[12] TARNUPDATE version incorrect. Script requires version 1.0.16 /TRAILING.", {}, none},
      {"lc_version=2.0.0", none, 12, "[12] TARNUPDATE version incorrect. Script requires version 2.0.0.", {}, none},
      {"LC_VERSION=0.9.0", none, 12, "[12] TARNUPDATE version incorrect. Script requires version 0.9.0.", {}, none},
      {"LC_VERSION=1.0", none, 1, "[1] Missing or incorrect command line.", {}, none},
      {"LC_VERSION=ABC", none, 1, "[1] Missing or incorrect command line.", {}, none},
      {"LC_VERSION=1.0.15" + std::string(20, ' ') + "/TRAILING", none, 1, "[1] Missing or incorrect command line.",
       {"LC_VERSION= argument of 35 characters refused: at most 23 are allowed.\n"}, none},
  });
}

TEST_F(AgentE2eTest, CommandUpdateTakesItsPathWholeOrNotAtAll) {
  const std::string tooLong = "C:\\" + std::string(300, 'A') + ".INI";
  const std::string fitting = "C:\\" + std::string(252, 'B') + ".INI";  // 259 characters
  ExpectEach({
      {"LC_UPDATE=c:\\100%s.ini", none, 6, "[6] Configuration file C:\\100%S.INI is missing.", {}, none},
      {"LC_UPDATE=" + fitting, none, 6, "[6] Configuration file " + fitting + " is missing.", {}, none},
      // Quoted as any path with blanks, or not at the line's start: taken as ever, and said how.
      {"\"LC_UPDATE=C:\\My Scripts\\x.ini\"", none, 6, "[6] Configuration file =C:\\MY SCRIPTS\\X.INI\" is missing.",
       {Misplaced("LC_UPDATE=", "=C:\\MY SCRIPTS\\X.INI\"", "C:\\My Scripts\\x.ini")}, none},
      {"/S LC_UPDATE=c:\\x.ini", none, 6, "[6] Configuration file TE=C:\\X.INI is missing.",
       {Misplaced("LC_UPDATE=", "TE=C:\\X.INI", "c:\\x.ini")}, none},
      {"LC_UPDATE=" + tooLong, none, 1, "[1] Missing or incorrect command line.",
       {"LC_UPDATE= argument of 307 characters refused: at most 259 are allowed.\n"}, none},
      // LC_STOP is searched before LC_UPDATE=: a script named after it stops the product.
      {"LC_UPDATE=C:\\SCRIPTS\\LC_STOP.INI", none, 0, kSuccess, port_, [] { EXPECT_FALSE(State().running); }},
  });
}

TEST_F(AgentE2eTest, CommandProductControlCallsTheProductOnce) {
  const auto enabled = [](bool expected) { return [expected] { EXPECT_EQ(State().enabled, expected); }; };
  ExpectEach({
      // No command word: nothing done, the product untouched, and said so.
      {"HELLO WORLD", none, 0, kSuccess, kNoWord, none},
      {"LC_UPDTE=C:\\x.ini", none, 0, kSuccess, kNoWord, none},
      {"--help", none, 0, kSuccess, kNoWord, none},
      {"", none, 0, kSuccess, kNoWord, none},
      {"lc_start", none, 0, kSuccess, port_,
       [] {
         EXPECT_EQ(Calls(), (Lines{"AvSync_GetIFace", "StartLC", "ReleaseIFace"}));
         EXPECT_TRUE(State().running);
       }},
      {"LC_DISABLE", none, 0, kSuccess, port_, enabled(false)},
      {"LC_ENABLE",
       [] {
         ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
           state.enabled = false;
           return true;
         }));
       },
       0, kSuccess, port_, enabled(true)},
      {"LC_START",
       [] {
         SetFaults([](standin::Faults& faults) {
           faults.refuseInterface = true;
           faults.refusedInterfaceId = AVSIF_MANAGEMENTPORT;
           faults.refuseResult = 7;  // any answer but 0 is a refusal
         });
       },
       4, "[4] Call to AvSync_GetIFace failed.",
       {port_[0], port_[1], "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 7\n", port_[4]},
       [] { EXPECT_EQ(Calls(), Lines{"AvSync_GetIFace"}); }},
  });
}

TEST_F(AgentE2eTest, CommandFileVersionReadsFourPartsOrSaysWhyNot) {
  const KernelHandle pipe(CreateNamedPipeA(kSilentPipe, PIPE_ACCESS_DUPLEX, 0, 1, 0, 0, 0, nullptr));
  // A pipe by an ordinary file name, that no device check of the name sees.
  const std::string fifo = TemporaryPath("tarn_fifo.dll");
  RemoveUnixTree(fifo);
  ASSERT_TRUE(MakeUnixFifo(fifo));
  const std::string version = "GetFileVer - MsiGetFileVersionA() ";
  ExpectEach({
      {"LC_FILEVER", [] { SetString(kFileVersionKey, "FilePath", ProgramBesideTest("tarnupd.exe")); }, 0, kSuccess,
       {version + "returned 1.0.15.0.\n"},
       [] {
         const DWORD parts[] = {1, 0, 15, 0};
         for (int i = 0; i < 4; ++i) EXPECT_EQ(GetDword(kFileVersionKey, kVersionValues[i]), parts[i]);
       }},
      {"LC_FILEVER",
       [] {
         for (const char* value : kVersionValues) SetDword(kFileVersionKey, value, 99);
         SetString(kFileVersionKey, "FilePath", ProgramBesideTest("syncutil.msi"));  // no version information
       },
       8, "[8] Installer Dll failed to load.", {version + "function failed.\n"},
       [] { for (const char* value : kVersionValues) EXPECT_EQ(GetDword(kFileVersionKey, value), 0u) << value; }},
      {"LC_FILEVER", [] { SetString(kFileVersionKey, "FilePath", "COM1"); }, 8, "[8] Installer Dll failed to load.",
       {"GetFileVer - COM1 is no file on a disk.\n"}, none},
      {"LC_FILEVER", [] { SetString(kFileVersionKey, "FilePath", kSilentPipe); }, 8, "[8] Installer Dll failed to load.",
       {"GetFileVer - "s + kSilentPipe + " is no file on a disk.\n"}, none},
      {"LC_FILEVER", [&] { SetString(kFileVersionKey, "FilePath", fifo); }, 8, "[8] Installer Dll failed to load.",
       {"GetFileVer - " + fifo + " is no file on a disk.\n"}, none},
      {"LC_FILEVER", none, 8, "[8] Installer Dll failed to load.", kUnchecked,
       [] { EXPECT_EQ(GetDword(kFileVersionKey, "FileVersionExtra"), 0u); }},
  });
  RemoveUnixTree(fifo);
}

TEST_F(AgentE2eTest, StartUpLinesSettingsAndResultsCarryOverAsTheyShould) {
  // Exact messages: sequence byte, prefix, text, NUL.
  SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 30000);
  const AgentRun first = RunToEnd("");
  EXPECT_EQ(first.statusMessages, (Lines{std::string("\x01[TarnUpdate] Tarnwell Configuration Agent - v1.0.15\n") + '\0',
                                         std::string("\x02[TarnUpdate] Lumicor Version = v\n") + '\0',
                                         "\x03[TarnUpdate] " + kNoWord[0] + '\0',
                                         std::string("\x04[TarnUpdate] [0] Command successful.\n") + '\0'}));
  EXPECT_EQ(GetDword(AgentSubkey("SyncUtil"), "Func Timeout"), 240000u);  // an old default, replaced
  SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 0);
  RunToEnd("");
  EXPECT_EQ(GetDword(AgentSubkey("SyncUtil"), "Func Timeout"), 0u);
  SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 240000);

  // The product's version only from a plain string.
  SetString(kProductKey, "szCurrentVersionNumber", "4.5.0.534");
  EXPECT_EQ(RunToEnd("").StatusLines()[1], "Lumicor Version = v4.5.0.534\n");
  SetString(kProductKey, "szCurrentVersionNumber", "%ProgramFiles%", REG_EXPAND_SZ);
  EXPECT_EQ(RunToEnd("").StatusLines()[1], "Lumicor Version = v\n");

  // LC_DEBUG turns debugger output over for this and later runs; the mailslot always gets its lines.
  const AgentRun on = RunToEnd("LC_DEBUG");
  EXPECT_EQ(GetDword(AgentSubkey("Debug"), "Output"), 1u);
  EXPECT_EQ(on.debugOutput, (Lines{"Debug State = ON\n", "[0] Command successful.\n"}));
  SetDword(AgentSubkey("Debug"), "Output", 1);
  const AgentRun stop = RunToEnd("LC_STOP");
  const auto before = std::find(stop.debugOutput.begin(), stop.debugOutput.end(), "Before StopLC...\n");
  ASSERT_NE(before, stop.debugOutput.end());
  EXPECT_EQ(Lines(before - 1, before + 3),
            (Lines{"AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n", "Before StopLC...\n", "After StopLC\n",
                   "Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n"}));
  const AgentRun off = RunToEnd("lc_debug");
  EXPECT_EQ(GetDword(AgentSubkey("Debug"), "Output"), 0u);
  EXPECT_EQ(off.debugOutput.back(), "Debug State = OFF\n");
  EXPECT_EQ(off.StatusLines().size(), 3u);

  // Every run replaces the previous result.
  RunToEnd("LC_VERSION=9.0.0");
  ExpectAgentResult(RunToEnd("LC_VERSION=1.0.0"), 0, kSuccess);
}

// Group Policy's key is read first: a value there wins, whatever its type, and once it is gone
// the agent's own counts again. The old default is replaced in the agent's own key only when it
// was read from there.
TEST_F(AgentE2eTest, APolicyValueWinsOverTheAgentsOwnUntilItIsRemoved) {
  const std::string own = AgentSubkey("SyncUtil"), policy = std::string(kAgentPolicyKeyPath) + "\\SyncUtil";
  const auto text = [](const std::string& key) { return [key] { SetString(key, "Func Timeout", "1000"); }; };
  const auto number = [](const std::string& key, DWORD value) {
    return [key, value] { SetDword(key, "Func Timeout", value); };
  };
  const auto wrongType = [](const std::string& name) {
    return Lines{"The setting " + name + " is a REG_SZ, not a REG_DWORD: the default 240000 is used.\n"};
  };
  struct PolicyCase {
    const char* what;
    std::function<void()> ownValue, policyValue;
    Lines withPolicy;
    std::optional<DWORD> ownAfter;  // the agent's own value after the run with the policy
    Lines withoutPolicy;
  };
  const PolicyCase cases[] = {
      {"over the agent's own of the wrong type", text(own), number(policy, 1000), {}, std::nullopt,
       wrongType("SyncUtil\\Func Timeout")},
      {"of the wrong type", number(own, 1000), text(policy), wrongType("HKLM\\" + policy + "\\Func Timeout"), 1000u, {}},
      {"the old default", number(own, 30000), number(policy, 30000), {}, 30000u, {}},
  };
  // The settings' status lines: between the banner and the product's version.
  const auto settingLines = [](const AgentRun& run) {
    const Lines lines = run.StatusLines();
    return lines.size() < 3 ? Lines{} : Lines(lines.begin() + 1, lines.end() - 2);
  };
  for (const PolicyCase& each : cases) {
    SCOPED_TRACE(each.what);
    Clean();
    each.ownValue();
    each.policyValue();
    const AgentRun withPolicy = RunToEnd("LC_VERSION=1.0.0");
    ExpectAgentResult(withPolicy, 0, kSuccess);
    EXPECT_EQ(settingLines(withPolicy), each.withPolicy);
    EXPECT_EQ(GetDword(own, "Func Timeout"), each.ownAfter);
    test_registry::DeleteTree(kAgentPolicyKeyPath);
    EXPECT_EQ(settingLines(RunToEnd("LC_VERSION=1.0.0")), each.withoutPolicy);
  }
}

// Anyone may hold the status mailslot and never read it; the agent must not wait for room.
TEST_F(AgentE2eTest, ACollectorThatNeverReadsHoldsNoRunUp) {
  const KernelHandle slot(CreateMailslotA(kTestMailslotName, 0, 0, nullptr));
  ASSERT_TRUE(slot);
  int posted = 0;
  while (posted < 5000 && PostStatusMessage("filler %d", posted)) ++posted;  // until no room is left
  EXPECT_LT(posted, 5000);
  AgentRunOptions options;
  options.createMailslot = false;
  options.timeoutMs = 20000;
  const AgentRun run = RunToEnd("LC_VERSION=9.0.0", options);
  EXPECT_EQ(run.exitCode, 12u);
  EXPECT_EQ(GetDword(AgentSubkey("TARNUPDATE"), "ReturnCode"), 12u);
}

// A command line that the system code page cannot show is refused, not turned into another.
TEST_F(AgentE2eTest, ACommandLineThatDoesNotConvertExactlyIsRefused) {
  const std::string program = ProgramBesideTest("tarnupd.exe");
  std::wstring line(program.begin(), program.end());  // the build's path is plain ASCII
  line = L"\"" + line + L"\" LC_UPDATE=C:\\\xFF33.INI";  // a fullwidth S, which the code page shows as S
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  const KernelHandle process(info.hProcess), thread(info.hThread);
  EXPECT_EQ(WaitForExit(process, 30000), 1u);
  EXPECT_EQ(test_registry::GetString(AgentSubkey("TARNUPDATE"), "ReturnString"), "[1] Missing or incorrect command line.");
}

// Lets everyone read the key and nobody write it, or (readOnly false) everyone do anything.
void SetKeyReadOnly(const std::string& path, bool readOnly) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &opened), ERROR_SUCCESS);
  const RegistryKey key(opened);
  SddlSecurity access(readOnly ? "D:(A;;KR;;;WD)" : "D:(A;;KA;;;WD)");
  ASSERT_NE(access.get(), nullptr);
  EXPECT_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, access.get()->lpSecurityDescriptor), ERROR_SUCCESS);
}

// A result the registry refuses is said in a status line; the exit code still tells.
TEST_F(AgentE2eTest, AResultTheRegistryRefusesIsSaidInAStatusLine) {
  const std::string resultKey = AgentSubkey("TARNUPDATE");
  SetString(resultKey, "ReturnString", kSuccess);
  SetKeyReadOnly(resultKey, true);
  const AgentRun run = RunToEnd("LC_VERSION=9.0.0");
  SetKeyReadOnly(resultKey, false);
  EXPECT_EQ(run.exitCode, 12u);
  EXPECT_EQ(test_registry::GetString(resultKey, "ReturnString"), kSuccess);
  const Lines lines = run.StatusLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "The previous result could not be deleted from the registry.\n");
  EXPECT_EQ(lines[3], "The result could not be written to the registry.\n");
  EXPECT_EQ(lines[4], "[12] TARNUPDATE version incorrect. Script requires version 9.0.0.\n");
}

// A thread the product left behind faults while the run ends, before, during or after the
// result is written: whoever claims the result first, the exit code, ReturnCode and ReturnString
// are one result.
TEST_F(AgentE2eTest, AFaultWhileTheResultIsWrittenStillLeavesOneResult) {
  const std::string resultKey = AgentSubkey("TARNUPDATE");
  int eleven = 0;
  // Under load every fault may come after the end; only then is the sweep run again.
  for (int sweep = 0; sweep < 3 && eleven == 0; ++sweep) {
    for (const DWORD delay : {0, 3, 6, 10, 15, 25, 40}) {
      SCOPED_TRACE(delay);
      SetFaults([delay](standin::Faults& f) { f.lateFault = true, f.lateFaultMs = Slowed(delay); });
      SetDword(resultKey, "ReturnCode", 1234);
      SetString(resultKey, "ReturnString", "stale");
      AgentRunOptions options;
      options.asDebuggee = false;
      const AgentRun run = RunAgent("LC_START", options);
      ASSERT_TRUE(run.finished);
      ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 11) << run.exitCode;
      EXPECT_EQ(GetDword(resultKey, "ReturnCode"), run.exitCode);
      EXPECT_EQ(test_registry::GetString(resultKey, "ReturnString"),
                run.exitCode == 0 ? kSuccess : "[11] Management Port function did not complete.");
      eleven += run.exitCode == 11 ? 1 : 0;
    }
  }
  EXPECT_GT(eleven, 0) << "no fault came before the end: the delays no longer cover the run";
}

// Windows' own MSI.DLL, never one planted beside a copy of the agent or in its current folder.
// Wine would take its built-in one for that name anyway; its per-program override makes it look
// for a native one first, as Windows does for any library name.
TEST_F(AgentE2eTest, APlantedMsiDllIsNeverLoaded) {
  const std::string folder = "C:\\TARN-PLANTED";
  const std::string current = folder + "\\CURRENT";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(current.c_str(), nullptr);
  const std::string planted = ProgramBesideTest("..\\planted\\MSI.DLL");
  const std::string agent = folder + "\\tarnupd.exe";
  ASSERT_TRUE(CopyFileA(ProgramBesideTest("tarnupd.exe").c_str(), agent.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "\\MSI.DLL").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(planted.c_str(), (current + "\\MSI.DLL").c_str(), FALSE));
  char previousFolder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previousFolder);
  SetCurrentDirectoryA(current.c_str());
  const char overridesKey[] = "Software\\Wine\\AppDefaults\\tarnupd.exe\\DllOverrides";
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, overridesKey, "msi", REG_SZ, "native,builtin", 15), ERROR_SUCCESS);
  const AgentRun run = RunProgram(agent, "LC_START");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\tarnupd.exe");
  SetCurrentDirectoryA(previousFolder);
  ExpectAgentResult(run, 0, kSuccess);
  EXPECT_EQ(std::count(run.debugOutput.begin(), run.debugOutput.end(), "planted MSI.DLL loaded\n"), 0);
  RemoveFolder(current);
  RemoveFolder(folder);
}

TEST_F(AgentE2eTest, AHungProductCallEndsTheRunAfterFuncTimeout) {
  SetFaults([](standin::Faults& f) { f.hangIn = standin::ControlCall::kStartLC; });
  SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(1500));
  const ULONGLONG started = GetTickCount64();
  const AgentRun run = RunToEnd("LC_START");
  const ULONGLONG elapsed = GetTickCount64() - started;
  ExpectAgentResult(run, 11, "[11] Management Port function did not complete.");
  EXPECT_GE(elapsed, Slowed(1500) - 100);
  EXPECT_LT(elapsed, Slowed(10000));
  const Lines lines = CommandLines(run);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n");
}

TEST_F(AgentE2eTest, AMissingProductOrExportMeansTheLibraryDidNotLoad) {
  struct Reinstall {
    ~Reinstall() {
      standin::UninstallProduct();
      standin::InstallPackage(ProgramBesideTest("syncutil.msi"));
    }
  } reinstall;
  ASSERT_EQ(standin::UninstallProduct(), 0);
  AgentRun run = RunToEnd("LC_START");
  ExpectAgentResult(run, 5, "[5] Management Port Dll failed to load.");
  EXPECT_EQ(CommandLines(run), (Lines{"LoadMSIDll - SYNCUTIL.DLL missing.\n", "LoadSyncUtil returned 2\n"}));

  ASSERT_EQ(standin::InstallPackage(ProgramBesideTest("syncutil-noexport.msi")), 0);
  run = RunToEnd("LC_START");
  ExpectAgentResult(run, 5, "[5] Management Port Dll failed to load.");
  const Lines lines = CommandLines(run);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("LoadMSIDll \"", 0), 0u);
  EXPECT_EQ(lines[1], "LoadSyncUtil returned 1\n");
}

// Followed as a debuggee (as tarnmon and the tests follow the agent), a program keeps every
// breakpoint but the loader's first: with nothing to catch it, it ends as it would alone.
TEST_F(AgentE2eTest, AFollowedProgramGetsItsOwnBreakpoints) {
  EXPECT_EQ(RunProgram(ProgramBesideTest("exit_with.exe"), "break").exitCode, static_cast<DWORD>(EXCEPTION_BREAKPOINT));
}

TEST_F(AgentE2eTest, ExecRunsTheProgramAndRecordsItsExitCode) {
  const std::string program = ProgramBesideTest("exit_with.exe");
  const std::string notAProgram = ProgramBesideTest("tarn_not_a_program.txt");
  std::ofstream(notAProgram) << "not a program\n";
  const std::string quoted = "\"" + program + "\"";  // quotes are part of the path
  // An unquoted path with a blank, and a program the system would find first in front of it.
  const std::string blank = "C:\\TARN TEST\\EXIT_WITH.EXE";
  CreateDirectoryA("C:\\TARN TEST", nullptr);
  ASSERT_TRUE(CopyFileA(program.c_str(), blank.c_str(), FALSE) && CopyFileA(program.c_str(), "C:\\TARN.EXE", FALSE));
  const struct {
    std::string path;
    std::string arguments;
    DWORD result;
    std::string text;
    DWORD recorded;  // LC_EXEC\ReturnCode afterwards; 1234 left as it was
  } cases[] = {
      {program, "3", 0, kSuccess, 3},
      {program, "", 0, kSuccess, 100},  // only the trailing blank: the program sees no argument
      {program, "-2", 0, kSuccess, static_cast<DWORD>(-2)},
      {program, "5 100%s%n", 0, kSuccess, 100},  // a percent sign is text, never a format
      {blank, "3", 0, kSuccess, 3},
      {notAProgram, "3", 8, "[8] Installer Dll failed to load.", 1234},
      {quoted, "3", 7, "[7] Executable file " + Upper(quoted) + " is missing.", 1234},
      {"c:\\no\\such.exe", "3", 7, "[7] Executable file C:\\NO\\SUCH.EXE is missing.", 1234},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.path + " " + each.arguments);
    SetString(kExecKey, "ExecFilePath", each.path);
    SetString(kExecKey, "ExecCmdLine", each.arguments);
    SetDword(kExecKey, "ReturnCode", 1234);
    const AgentRun run = RunToEnd("LC_EXEC");
    ExpectAgentResult(run, each.result, each.text);
    EXPECT_EQ(GetDword(kExecKey, "ReturnCode"), each.recorded);
    if (each.result == 0) {
      EXPECT_EQ(CommandLines(run), (Lines{"Executing \"" + Upper(each.path) + " " + each.arguments + "\"\n",
                                          "Execution Returned " + std::to_string(static_cast<int>(each.recorded)) + "\n"}));
    }
  }
  for (const char* file : {notAProgram.c_str(), blank.c_str(), "C:\\TARN.EXE"}) DeleteFileA(file);
  RemoveDirectoryA("C:\\TARN TEST");
}

}  // namespace
