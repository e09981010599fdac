// LC_UPDATE= end to end: the real tarnupd.exe applies scripts to the stand-in product
// installed in the test prefix; the journal shows each call, the committed state what stuck.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agent/worker.h"
#include "foundation/unique_handle.h"
#include "testtools/product_test.h"
#include "testtools/unix_link.h"
#include "testtools/update_test_support.h"
#include "update/record_tables.h"

namespace {

using namespace std::string_literals;
using product_test::Calls;
using product_test::SetFaults;
using test_registry::AgentSubkey;
using update_test::CountOf;

const std::string kEleven = "[11] Management Port function did not complete.";
const std::string kThirteen = "[13] The update script is not the one the management system named: nothing was done.";

// Every general-record key: texts "value of <key>", flags and numbers -1, 0, 1, 2, ... in row order.
std::string GeneralScript(const char* updateType) {
  std::string script = "[TARNUPDATE]\r\nUpdateType="s + updateType + "\r\n[CurrentVer]\r\n";
  int number = 0;
  ForEachField(GeneralRecordFields, [&](const char*, const char* key, FieldType type, std::size_t) {
    script += key + ("="s + (type == FieldType::kText ? "value of "s + key : std::to_string(++number - 2))) + "\r\n";
  });
  return script;
}

class UpdateE2eTest : public product_test::ProductTest {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    test_registry::SetDword(AgentSubkey("Debug"), "Output", 1);
  }

  static AgentRun Run(const std::string& script, DWORD timeoutMs = 120000) {
    const update_test::ScriptFile file(std::to_string(GetTickCount()) + ".ini", script);
    AgentRunOptions options;
    options.timeoutMs = timeoutMs;
    AgentRun run = RunToEnd("LC_UPDATE=" + file.Path(), options);
    EXPECT_EQ(test_registry::GetDword(AgentSubkey("TARNUPDATE"), "ReturnCode"), run.exitCode);
    EXPECT_EQ(standin::ProtocolErrorCount(), 0);
    return run;
  }

  static std::string CommittedText(std::size_t offset) {
    return product_test::State().FieldText(kAreaGeneralRecord, offset);
  }
};

// A fault in one field write loses that field alone, whatever was raised. One the library
// handles itself (in its own frame, with IsBadReadPtr, in GetOptions) is its own business: the
// update goes on and commits. One that nothing handles, of any code, on the worker or on a thread
// the library runs of its own while the worker stands in a guarded field write, replaces the
// previous result with 11 and a status line naming it, with or without a debugger (as a
// management system starts the agent), stack overflow included.
TEST_F(UpdateE2eTest, OnlyTheFaultedFieldIsLostAndOnlyAFaultThatNothingHandlesEndsTheRun) {
  using standin::FieldFault;
  using standin::ControlCall;
  const struct {
    std::function<void(standin::Faults&)> set;
    bool asDebuggee;
    DWORD result;
    std::string code;     // of the exception that ended the run
    bool lost;            // the write of szDAT
    std::string command;  // "": the update
  } cases[] = {
      {[](standin::Faults& f) { f.crashKind = FieldFault::kAccessViolation; }, true, 0, "", true, ""},
      {[](standin::Faults& f) { f.crashKind = FieldFault::kForeignException; }, true, 0, "", true, ""},
      {[](standin::Faults& f) { f.crashKind = FieldFault::kStackOverflow; }, true, 0, "", true, ""},
      {[](standin::Faults& f) { f.crashKind = FieldFault::kHandled; }, true, 0, "", false, ""},
      {[](standin::Faults& f) { f.crashKind = FieldFault::kBadPointerProbe; }, true, 0, "", false, ""},
      {[](standin::Faults& f) { f.crashOnField = false, f.handledFault = true; }, true, 0, "", false, ""},
      {[](standin::Faults& f) { f.crashOnField = false, f.handledFault = true; }, false, 0, "", false, ""},
      {[](standin::Faults& f) { f.crashOnField = false, f.threadFaultOnField = true; }, false, 11, "0xC0000005", false,
       ""},
      {[](standin::Faults& f) {
         f.crashOnField = false, f.threadFaultOnField = true, f.threadFaultKind = FieldFault::kForeignException;
       },
       false, 11, "0xE06D7363", false, ""},
      {[](standin::Faults& f) {
         f.crashOnField = false, f.threadFaultOnField = true, f.threadFaultKind = FieldFault::kStackOverflow;
       },
       false, 11, "0xC00000FD", false, ""},
      // A product that says yes to the interface but fills nothing.
      {[](standin::Faults& f) { f.emptyInterface = true, f.emptyInterfaceId = AVSIF_MANAGEMENTPORT; }, true, 11,
       "0xC0000005", false, "LC_START"},
      {[](standin::Faults& f) { f.raiseIn = ControlCall::kStartLC, f.raiseKind = FieldFault::kForeignException; },
       true, 11, "0xE06D7363", false, "LC_START"},
      {[](standin::Faults& f) { f.raiseIn = ControlCall::kStartLC, f.raiseKind = FieldFault::kStackOverflow; }, false,
       11, "0xC00000FD", false, "LC_START"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&each - cases));
    ASSERT_TRUE(standin::ResetState());
    SetFaults([&](standin::Faults& f) {
      f.crashOnField = true, f.crashArea = kAreaGeneralRecord, f.crashOffset = 512;  // szDAT
      each.set(f);
    });
    test_registry::SetDword(AgentSubkey("TARNUPDATE"), "ReturnCode", 1234);
    test_registry::SetString(AgentSubkey("TARNUPDATE"), "ReturnString", "stale");
    const update_test::ScriptFile script("faults.ini", GeneralScript("ODS"));
    AgentRunOptions options;
    options.asDebuggee = each.asDebuggee;
    const AgentRun run = RunToEnd(each.command.empty() ? "LC_UPDATE=" + script.Path() : each.command, options);
    ExpectAgentResult(run, each.result, each.result == 0 ? kSuccess : kEleven);
    EXPECT_EQ(standin::ProtocolErrorCount(), 0);
    EXPECT_EQ(CountOf(run.debugOutput, "UpdateString Exception [CurrentVer] szDAT\n"), each.lost ? 1 : 0);
    EXPECT_EQ(CommittedText(512) == "value of szDAT", each.result == 0 && !each.lost);
    EXPECT_EQ(CommittedText(1024) == "value of szECClient", each.result == 0);
    if (each.asDebuggee && each.result == 0) {
      EXPECT_EQ(CountOf(run.debugOutput, "[CurrentVer] szDAT = value of szDAT\n"), each.lost ? 0 : 1);
      EXPECT_EQ(CountOf(run.debugOutput, "[CurrentVer] dwDelayStartup = 3\n"), 1);
    }
    // Detail lines reach the debugger only, never the mailslot.
    EXPECT_EQ(CountOf(run.StatusLines(), "[CurrentVer] dwDelayStartup = 3\n"), 0);
    const std::vector<std::string> lines = run.StatusLines();
    ASSERT_GE(lines.size(), 2u);
    const std::string& beforeResult = lines[lines.size() - (each.result == 11 ? 3 : 2)];  // then the cause of 11
    EXPECT_EQ(beforeResult.rfind("The run ended on an unhandled exception " + each.code + " at ", 0) == 0, each.result == 11)
        << beforeResult;
    auto record = RunRecord();
    EXPECT_EQ(record["retryable"], "0");
    EXPECT_EQ(record["keysFailed"], each.lost ? "1" : "0");
  }
}

// Deletes the script named by `path` once the agent has written a field, half-way through its
// writes, and keeps what that gave.
DWORD WINAPI DeleteHalfWay(LPVOID path) {
  for (const ULONGLONG end = GetTickCount64() + Slowed(60000); GetTickCount64() < end; Sleep(20)) {
    std::vector<standin::JournalEntry> journal;
    standin::ReadJournal(&journal);  // unread while the product writes it: looked at again
    if (std::any_of(journal.begin(), journal.end(), [](const auto& e) { return e.call == "SetFieldString"; })) break;
  }
  return DeleteFileA(static_cast<const char*>(path)) ? 0 : GetLastError();
}

// The script is the agent's while it runs: neither deleted nor rewritten half-way.
TEST_F(UpdateE2eTest, TheScriptCannotBeDeletedWhileTheUpdateReadsIt) {
  SetFaults([](standin::Faults& f) { f.fieldWriteDelayMs = Slowed(40); });  // the writes take over a second
  const update_test::ScriptFile file("held.ini", GeneralScript("OAS"));
  const KernelHandle deleter(
      CreateThread(nullptr, 0, DeleteHalfWay, const_cast<char*>(file.Path().c_str()), 0, nullptr));
  const AgentRun run = RunAgent("LC_UPDATE=" + file.Path());
  DWORD deleteError = 0;
  WaitForSingleObject(deleter.get(), INFINITE);
  GetExitCodeThread(deleter.get(), &deleteError);
  ExpectAgentResult(run, 0, kSuccess);
  EXPECT_EQ(deleteError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(CommittedText(9216 - 512), "value of szWebSupport");  // the last text of the script
}

// The agent's private copies of scripts in its own folder.
std::size_t ScriptCopies() { return FilesMatching(kScriptCopies + "\\*"s).size(); }

struct AgentOnThread {
  std::string arguments;
  AgentRun run;
};
DWORD WINAPI RunAgentOn(LPVOID agent) {
  static_cast<AgentOnThread*>(agent)->run = RunAgent(static_cast<AgentOnThread*>(agent)->arguments);
  return 0;
}

// While the agent waits for the product, a user who can write the script's folder rewrites the
// script and turns the folder the path names (a link) to a script of their own: what reaches
// the product is the script the agent held when it recognised the command.
TEST_F(UpdateE2eTest, TheScriptAppliedIsTheOneHeldWhenTheRunBegan) {
  const std::string root = TemporaryPath("tarn_swap\\");
  const std::string script = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=";
  RemoveUnixTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  for (const char* folder : {"HELD", "EVIL"}) {
    CreateDirectoryA((root + folder).c_str(), nullptr);
    std::ofstream(root + folder + "\\S.INI", std::ios::binary) << script + folder + "\r\n";
  }
  ASSERT_TRUE(MakeUnixLink(root + "HELD", root + "DIR"));
  const ProductMutex product;
  ASSERT_EQ(WaitForSingleObject(product.get(), INFINITE), WAIT_OBJECT_0);
  AgentOnThread update{"LC_UPDATE=" + root + "DIR\\S.INI", {}};
  const KernelHandle agent(CreateThread(nullptr, 0, RunAgentOn, &update, 0, nullptr));
  // The agent holds the script once a writer is refused: a few seconds at most.
  DWORD refused = ERROR_SUCCESS;
  for (const ULONGLONG end = GetTickCount64() + Slowed(5000); refused != ERROR_SHARING_VIOLATION && GetTickCount64() < end;) {
    Sleep(20);
    const KernelHandle writer(CreateFileA((root + "HELD\\S.INI").c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    refused = writer ? ERROR_SUCCESS : GetLastError();
  }
  EXPECT_EQ(refused, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  std::ofstream(root + "HELD\\S.INI", std::ios::binary) << script + "EVIL\r\n";
  ASSERT_TRUE(MakeUnixLink(root + "EVIL", root + "DIR"));
  ReleaseMutex(product.get());
  WaitForSingleObject(agent.get(), INFINITE);
  ExpectAgentResult(update.run, 0, kSuccess);
  EXPECT_EQ(CommittedText(512), "HELD");
  RemoveUnixTree(root);
}

// A worker that goes on tracing after the entry thread gave up on it must not spoil the end:
// the result is 11, written and traced, and the process ends at once.
TEST_F(UpdateE2eTest, AWorkerStillTracingAfterTheTimeOutLeavesResultElevenAndNoCommit) {
  SetFaults([](standin::Faults& f) { f.fieldWriteDelayMs = Slowed(40); });  // the writes take over a second
  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(300));
  const ULONGLONG started = GetTickCount64();
  const AgentRun run = Run(GeneralScript("OAS"), 30000);
  EXPECT_LT(GetTickCount64() - started, Slowed(10000));
  ExpectAgentResult(run, 11, kEleven);
  EXPECT_EQ(CountOf(Calls(), "SetOptions"), 0);
  // The private copy of the script it could not remove goes with the next run, and so does that
  // one's; one that somebody holds stays, and holds up no run.
  ASSERT_EQ(ScriptCopies(), 1u);
  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(60000));
  {
    const KernelHandle held(CreateFileA((kScriptCopies + "\\" + FilesMatching(kScriptCopies + "\\*")[0]).c_str(),
                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ExpectAgentResult(Run(GeneralScript("OAS")), 0, kSuccess);
    EXPECT_EQ(ScriptCopies(), 1u);
  }
  ExpectAgentResult(Run(GeneralScript("OAS")), 0, kSuccess);
  EXPECT_EQ(ScriptCopies(), 0u);
}

// Whether one of the run's status lines holds `text`.
bool SaidLineWith(const AgentRun& run, const std::string& text) {
  const std::vector<std::string> lines = run.StatusLines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != line.npos; });
}

// LC_UPDATE\ScriptSha256 pins the script: only exactly those bytes reach the product; any other,
// or a pin that is no SHA-256, is refused before the product is touched at all. So is a script
// whose RequiresAgent is newer than the agent (compared as LC_VERSION= compares) or no a.b.c.
TEST_F(UpdateE2eTest, APinnedScriptIsAppliedOnlyWhenItsSha256IsThePin) {
  const std::string script = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=pinned\r\n";
  // As sha256sum gives them, of the script and of the script changed.
  const std::string pin = "6273050ad56e1ab7bc518bee569a4c849acb69a280315119790d5882ded8e46c", pinUpper = Upper(pin);
  const std::string changedPin = "8FDAE59CCE3E202FF02E58D0208C3CEB9AC56C1CC34A610BE73F23D70D55531E";
  const auto requiring = [&](const char* version) { return "[TARNUPDATE]\r\nRequiresAgent="s + version + "\r\n" + script.substr(14); };
  const struct {  // the pin of `type`, the script given to the agent, a text of a status line, the result
    std::string pin; DWORD type; std::string applied, said; DWORD result;
  } cases[] = {
      {pin, REG_SZ, script, "The script's SHA-256 is the one LC_UPDATE\\ScriptSha256 names.", 0},
      {pinUpper, REG_SZ, script, "The script's SHA-256 is the one", 0},
      {pin, REG_SZ, script + "szFaxForm=changed\r\n",
       "The script's SHA-256 is " + changedPin + ", not " + pinUpper + " as LC_UPDATE\\ScriptSha256 names: nothing", 13},
      {pin.substr(1), REG_SZ, script, "LC_UPDATE\\ScriptSha256 \"" + pin.substr(1) + "\" is no SHA-256", 13},
      {"g" + pin.substr(1), REG_SZ, script, "LC_UPDATE\\ScriptSha256 \"g", 13},
      {pin, REG_EXPAND_SZ, script, "LC_UPDATE\\ScriptSha256 is a REG_EXPAND_SZ, not a REG_SZ, so the script", 13},
      {"", REG_SZ, requiring("1.0.16"), "Script requires version 1.0.16.", 12},
      {"", REG_SZ, requiring("1.0.15"), "", 0},
      {"", REG_SZ, requiring("1.0.14"), "", 0},
      {"", REG_SZ, requiring("1.x"),
       "[TARNUPDATE] RequiresAgent \"1.x\" is no version a.b.c: nothing was done.", 1},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&each - cases));
    ASSERT_TRUE(standin::ResetState());
    test_registry::SetString(AgentSubkey("LC_UPDATE"), "ScriptSha256", each.pin, each.type);
    const AgentRun run = Run(each.applied);
    if (each.result % 13 == 0) ExpectAgentResult(run, each.result, each.result == 0 ? kSuccess : kThirteen);
    EXPECT_EQ(run.exitCode, each.result);
    EXPECT_TRUE(SaidLineWith(run, each.said)) << each.said;
    const std::string digest = each.applied == script ? pinUpper : changedPin;
    EXPECT_EQ(RunRecord()["lastScriptSha256"] == digest, !each.pin.empty());
    EXPECT_EQ(CommittedText(512) == "pinned", each.result == 0);
    EXPECT_EQ(Calls().empty(), each.result != 0);
  }
}

// With LC_UPDATE\TrustedSigners set, a script reaches the product only with a valid signature
// of a listed signer beside it, or as the agent's own undo point from its own undo folder.
TEST_F(UpdateE2eTest, WithTrustedSignersOnlySignedScriptsAndTheAgentsOwnUndoPointsAreApplied) {
  const std::string thumbprint(64, 'A'), undoFolder = TemporaryPath("tarn-signed-undo");
  // Certificates and signatures made with openssl for this build: the signer's, a stranger's.
  const std::string made = ProgramBesideTest("signatures\\"), signer = ReadBytes(made + "signer.sha256").substr(0, 64);
  enum Signature { kNone, kGarbage, kFifo, kSigner, kSignerWithoutAttributes, kStranger };
  enum Script { kPlain, kOwnUndoPoint, kUndoPointCopiedElsewhere };
  // LC_UPDATE\TrustedSigners of `type` ("signer": the signer's thumbprint), the script and its
  // signature, whether the signed script was changed after, the result, a text of a status line.
  const struct {
    std::string signers; DWORD type; Script script; Signature signature; bool changed; DWORD result; std::string said;
  } cases[] = {
      {thumbprint, REG_MULTI_SZ, kPlain, kNone, false, 13, "The script has no signature "},
      {thumbprint, REG_MULTI_SZ, kPlain, kGarbage, false, 13, "The script's signature is not valid: "},
      {thumbprint, REG_MULTI_SZ, kPlain, kFifo, false, 13, "SIGNED.INI.p7s cannot be held and read: it is no file on a disk"},
      {"a thumbprint\0" + thumbprint.substr(1) + "\0"s, REG_MULTI_SZ, kPlain, kGarbage, false, 13,
       "No entry of LC_UPDATE\\TrustedSigners is a thumbprint, so no signer is trusted: nothing"},
      {thumbprint, REG_SZ, kPlain, kNone, false, 13, "LC_UPDATE\\TrustedSigners is a REG_SZ, not a REG_MULTI_SZ"},
      {"\0"s, REG_MULTI_SZ, kPlain, kNone, false, 0, ""},  // an empty list asks for no signature
      {"no thumbprint\0"s + thumbprint, REG_MULTI_SZ, kOwnUndoPoint, kNone, false, 0,
       "The script is an undo point of the agent's own, in its own undo folder: it needs no signature."},
      {thumbprint, REG_MULTI_SZ, kUndoPointCopiedElsewhere, kNone, false, 13, "The script has no signature "},
      {thumbprint + "\0signer"s, REG_MULTI_SZ, kPlain, kSigner, false, 0, "The script is signed by "},
      {"signer", REG_MULTI_SZ, kPlain, kSignerWithoutAttributes, false, 0, "The script is signed by "},
      {"signer", REG_MULTI_SZ, kPlain, kSigner, true, 13, "The script's signature is not valid: "},
      {"signer", REG_MULTI_SZ, kPlain, kSignerWithoutAttributes, true, 13, "The script's signature is not valid: "},
      {"signer", REG_MULTI_SZ, kPlain, kStranger, false, 13, "The script's signature is not valid: "},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&each - cases));
    ASSERT_TRUE(standin::ResetState());
    test_registry::DeleteTree(AgentSubkey("LC_UPDATE"));
    RemoveFolder(undoFolder);
    std::string path, content = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=signed\r\n";
    if (each.script != kPlain) {
      // The undo point of a run before, which put szDAT back as it was.
      test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", undoFolder);
      ExpectAgentResult(Run(content), 0, kSuccess);
      path = undoFolder + "\\LAST-OAS.INI";
      content = ReadBytes(path);
      ASSERT_TRUE(standin::ResetState());
    }
    if (each.signature >= kSigner) {
      content = ReadBytes(made + "script.ini");
      if (each.changed) content.back() = ' ';
    }
    const update_test::ScriptFile file("signed.ini", content);
    if (each.script == kPlain) path = file.Path();
    if (each.script == kUndoPointCopiedElsewhere) {
      path = TemporaryPath("LAST-OAS.INI");
      std::ofstream(path, std::ios::binary) << content;
    }
    if (each.signature == kGarbage) std::ofstream(path + ".p7s", std::ios::binary) << "0\x82 not DER";
    ASSERT_TRUE(each.signature != kFifo || MakeUnixFifo(path + ".p7s"));
    if (each.signature >= kSigner) {
      const char* made_by[] = {"signer-attributes.p7s", "signer-no-attributes.p7s", "stranger-attributes.p7s"};
      std::ofstream(path + ".p7s", std::ios::binary) << ReadBytes(made + made_by[each.signature - kSigner]);
    }
    std::string signers = each.signers;
    if (const std::size_t at = signers.find("signer"); at != std::string::npos) signers.replace(at, 6, signer);
    test_registry::SetString(AgentSubkey("LC_UPDATE"), "TrustedSigners", signers, each.type);
    const AgentRun run = RunToEnd("LC_UPDATE=" + path);
    RemoveUnixTree(path + ".p7s");
    if (each.script == kUndoPointCopiedElsewhere) RemoveUnixTree(path);
    ExpectAgentResult(run, each.result, each.result == 0 ? kSuccess : kThirteen);
    EXPECT_TRUE(SaidLineWith(run, each.said)) << each.said;
    EXPECT_EQ(Calls().empty(), each.result != 0);
  }
  RemoveFolder(undoFolder);
}

// The run record counts what changed: the same script again changes nothing, one other value
// one key.
TEST_F(UpdateE2eTest, TheRunRecordCountsTheKeysThatChanged) {
  const std::string one = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=another\r\n";
  const struct {
    std::string script;
    std::string changed, written, lists;
  } cases[] = {{GeneralScript("OAS"), "26", "27", "1"}, {GeneralScript("OAS"), "0", "27", "1"}, {one, "1", "1", "1"}};
  for (const auto& each : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&each - cases));
    ExpectAgentResult(Run(each.script), 0, kSuccess);
    auto record = RunRecord();
    EXPECT_EQ(record["keysChanged"], each.changed);
    EXPECT_EQ(record["keysWritten"], each.written);
    EXPECT_EQ(record["listsReplaced"], each.lists);
    EXPECT_EQ(record["lastUpdateType"], "OAS");
  }
}

// Each way a run ends leaves a whole record, nothing of an earlier run's, and says whether the
// same run may succeed later. Without its state folder the agent still writes the registry's.
TEST_F(UpdateE2eTest, EachWayARunEndsLeavesTheRecordAndWhetherToTryAgain) {
  std::unique_ptr<ProductMutex> held;
  const struct {
    const char* what;
    std::function<void()> before;
    std::string arguments;  // "": the script
    DWORD result;
    std::string retryable, said;
    bool file = true;  // the state folder can be made
  } cases[] = {
      {"busy", [&] { held = std::make_unique<ProductMutex>(); WaitForSingleObject(held->get(), INFINITE); }, "", 11, "1",
       "because another run of the agent held the product for Func Timeout: the same run may succeed later."},
      {"time-out", [] { SetFaults([](standin::Faults& f) { f.hangIn = standin::ControlCall::kStartLC; }); }, "LC_START",
       11, "1", "because the product did not answer within Func Timeout: the same run may succeed later."},
      {"bad command line", [] {}, "LC_UPDATE=" + std::string(300, 'x'), 1, "0", ""},
      {"fault", [] { SetFaults([](standin::Faults& f) { f.emptyInterface = true, f.emptyInterfaceId = AVSIF_MANAGEMENTPORT; }); },
       "LC_START", 11, "0", "because the run ended on an unhandled exception"},
      {"no state folder",
       [] {
         RemoveUnixTree(kAgentStateFolder);
         CreateDirectoryA(kAgentStateFolder.substr(0, kAgentStateFolder.rfind('\\')).c_str(), nullptr);
         std::ofstream(kAgentStateFolder) << "no folder";
       },
       "LC_VERSION=1.0.0", 0, "0", "LastRun.json is not written: the agent's state folder cannot be used (" +
       kAgentStateFolder + ": ", false},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    ASSERT_TRUE(standin::ResetState());
    for (const RunRecordField& field : kRunRecordFields) {  // an earlier run's, all to be replaced
      const std::string key = AgentSubkey("TARNUPDATE");
      if (field.type == RunRecordType::kNumber) test_registry::SetDword(key, field.value, 7);
      if (field.type == RunRecordType::kText) test_registry::SetString(key, field.value, "stale");
    }
    test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(500));
    each.before();
    const AgentRun run = each.arguments.empty() ? Run(GeneralScript("OAS")) : RunToEnd(each.arguments);
    held.reset();
    if (!each.file) DeleteFileA(kAgentStateFolder.c_str());
    EXPECT_EQ(run.exitCode, each.result);
    auto record = RunRecord(each.file);
    EXPECT_EQ(record["retryable"], each.retryable);
    for (const auto& value : record) EXPECT_TRUE(value.second != "stale" && value.second != "7") << value.first;
    EXPECT_TRUE(SaidLineWith(run, each.said)) << each.said;
    EXPECT_EQ(record["lastRunTime"].substr(19, 1) + record["lastRunTime"].back(), ".Z");
  }
}

}  // namespace
