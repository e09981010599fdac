// The on-access record as data: one row per script key, in the order the fields are updated
// (the trailing comment is that order), with the offset from the start of the record.
#include "update/record_checks.h"
#include "update/record_tables.h"
#include "update/report_block.h"
#include "product_api/sync_library.h"

namespace {

using T = FieldType;

// What the product's documentation says of keys that are easily taken for something else.
constexpr char kSecondCopy[] = "the second copy, a field of its own: never copied from the key without `CC_`";
constexpr char kReadFromReport[] = "a button flag, read from this section: `[INetFltrActionOptions]` has none";

constexpr FieldRow kOASTaskRows[] = {
    {"DetectionOptions", "szProgramExtensions", T::kExtensionText, 0},                 // 1
    {"DetectionOptions", "szDefaultProgramExtensions", T::kExtensionText, 512},        // 2
    {"DetectionOptions", "szEngineCommandLineOptions", T::kText, 1024},                // 3
    {"DetectionOptions", "bMacroHeuristics", T::kBoolean, 1536},                       // 4
    {"DetectionOptions", "bProgFileHeuristics", T::kBoolean, 1540},                    // 5
    {"DetectionOptions", "bRemoveAllMacros", T::kBoolean, 1544},                       // 6
    {"DetectionOptions", "bFindAllMacros", T::kBoolean, 1548},                         // 7
    {"DetectionOptions", "bScanCompressed", T::kBoolean, 1556},                        // 8
    {"DetectionOptions", "bDetectTrojans", T::kBoolean, 1560},                         // 9
    {"DetectionOptions", "bDetectJoke", T::kBoolean, 1564},                            // 10
    {"DetectionOptions", "bDetectCorrupted", T::kBoolean, 1568},                       // 11
    {"DetectionOptions", "bDetectMaybe", T::kBoolean, 1572},                           // 12
    {"DetectionOptions", "bScanAllFiles", T::kBoolean, 1576},                          // 13
    {"DetectionOptions", "bScanOnExecute", T::kBoolean, 1580},                         // 14
    {"DetectionOptions", "bScanOnOpen", T::kBoolean, 1584},                            // 15
    {"DetectionOptions", "bScanOnCreate", T::kBoolean, 1588},                          // 16
    {"DetectionOptions", "bScanOnRename", T::kBoolean, 1592},                          // 17
    {"DetectionOptions", "bScanOnShutdown", T::kBoolean, 1596},                        // 18
    {"DetectionOptions", "bScanOnBootAccess", T::kBoolean, 1600},                      // 19
    {"DetectionOptions", "bScanIncoming", T::kBoolean, 1604},                          // 20
    {"DetectionOptions", "bScanOutgoing", T::kBoolean, 1608},                          // 21
    {"DetectionOptions", "bNetworkScanEnabled", T::kBoolean, 1612},                    // 22
    {"DetectionOptions", "bFileCacheEnabled", T::kBoolean, 1616},                      // 23
    {"DetectionOptions", "bScanAllOLE", T::kBoolean, 1552},                            // 24
    {"DetectionOptions", "bScanArchive", T::kBoolean, 1620},                           // 25
    {"DetectionOptions", "bScanArchiveFindAll", T::kBoolean, 1624},                    // 26
    {"DetectionOptions", "uScanArchiveTimeout", T::kUInt, 1628},                       // 27
    {"DetectionOptions", "uScannerThreadTimeout", T::kUInt, 1632},                     // 28
    {"AlertOptions", "bNetworkAlert", T::kBoolean, 1636},                              // 29
    {"AlertOptions", "bSoundAlert", T::kBoolean, 1640},                                // 30
    {"ActionOptions", "szMoveToFolder", T::kText, 1648},                               // 31
    {"ActionOptions", "szCustomMessage", T::kText, 2160},                              // 32
    {"ActionOptions", "bDisplayMessage", T::kBoolean, 2672},                           // 33
    {"ActionOptions", "bButtonClean", T::kBoolean, 2676},                              // 34
    {"ActionOptions", "bButtonDelete", T::kBoolean, 2680},                             // 35
    {"ActionOptions", "bButtonMove", T::kBoolean, 2684},                               // 36
    {"ActionOptions", "bButtonExclude", T::kBoolean, 2688},                            // 37
    {"ActionOptions", "bButtonContinue", T::kBoolean, 2692},                           // 38
    {"ActionOptions", "bButtonStop", T::kBoolean, 2696},                               // 39
    {"ActionOptions", "bGUIPrompt", T::kBoolean, 2700},                                // 40
    {"ActionOptions", "uPalisorAction", T::kUInt, 2704},                               // 41
    {"ActionOptions", "szDisconnectMessage", T::kText, 2708},                          // 42
    {"ActionOptions", "bDisconnectUser", T::kBoolean, 3220},                           // 43
    {"ActionOptions", "bSendDisconnectMessage", T::kBoolean, 3224},                    // 44
    {"ReportOptions", nullptr, T::kBlock, 3228, nullptr, &ReportBlock},                // 45-56
    {"SecurityOptions", "uPasswordCRC", T::kUInt, 3784, kTakenAsWritten},              // 57
    {"SecurityOptions", "bPasswordProtect", T::kBoolean, 3788},                        // 58
    {"SecurityOptions", "bPasswordEnabled", T::kBoolean, 3792},                        // 59
    {"SecurityOptions", "bProtectAllOptions", T::kBoolean, 3796},                      // 60
    {"General", "bEnabled", T::kBoolean, 3800},                                        // 61
    {"General", "bCanBeDisabled", T::kBoolean, 3804},                                  // 62
    {"General", "bShowTaskbarIcon", T::kBoolean, 3808},                                // 63
    {"General", "uLastModified", T::kUInt, 3812, kTakenAsWritten},                     // 64
    {"EMailGeneralOptions", "bMailType", T::kBoolean, 3816},                           // 65
    {"EMailGeneralOptions", "bCanBeDisabled", T::kBoolean, 3820},                      // 66
    {"EMailGeneralOptions", "bEnabled", T::kBoolean, 3824},                            // 67
    {"EMailGeneralOptions", "bEnabledDummy", T::kBoolean, 3828},                       // 68
    {"EMailDetectionOptions", "szProgramExtensions", T::kExtensionText, 3832},         // 69
    {"EMailDetectionOptions", "szDefaultProgramExtensions", T::kExtensionText, 4344},  // 70
    {"EMailDetectionOptions", "szEngineCommandLineOptions", T::kText, 4856},           // 71
    {"EMailDetectionOptions", "bScanAllMails", T::kBoolean, 5368},                     // 72
    {"EMailDetectionOptions", "bScanInternetMail", T::kBoolean, 5372},                 // 73
    {"EMailDetectionOptions", "bScanAllFiles", T::kBoolean, 5376},                     // 74
    {"EMailDetectionOptions", "bScanAllOLE", T::kBoolean, 5420},                       // 75
    {"EMailDetectionOptions", "bScanCompressed", T::kBoolean, 5380},                   // 76
    {"EMailDetectionOptions", "bDetectTrojans", T::kBoolean, 5384},                    // 77
    {"EMailDetectionOptions", "bDetectJoke", T::kBoolean, 5388},                       // 78
    {"EMailDetectionOptions", "bDetectCorrupted", T::kBoolean, 5392},                  // 79
    {"EMailDetectionOptions", "bProgFileHeuristics", T::kBoolean, 5396},               // 80
    {"EMailDetectionOptions", "bMacroHeuristics", T::kBoolean, 5400},                  // 81
    {"EMailDetectionOptions", "bDetectMaybe", T::kBoolean, 5404},                      // 82
    {"EMailDetectionOptions", "bRemoveAllMacros", T::kBoolean, 5412},                  // 83
    {"EMailDetectionOptions", "bFindAllMacros", T::kBoolean, 5416},                    // 84
    {"EMailDetectionOptions", "uPollInterval", T::kUInt, 5408},                        // 85
    {"EMailActionOptions", "szMoveFolder", T::kText, 5424},                            // 86
    {"EMailActionOptions", "CC_szMoveFolder", T::kText, 5936, kSecondCopy},            // 87
    {"EMailActionOptions", "bDisplayMessage", T::kBoolean, 6448},                      // 88
    {"EMailActionOptions", "bButtonClean", T::kBoolean, 6452},                         // 89
    {"EMailActionOptions", "bButtonDelete", T::kBoolean, 6456},                        // 90
    {"EMailActionOptions", "bButtonExclude", T::kBoolean, 6460},                       // 91
    {"EMailActionOptions", "bButtonMove", T::kBoolean, 6464},                          // 92
    {"EMailActionOptions", "bButtonContinue", T::kBoolean, 6468},                      // 93
    {"EMailActionOptions", "bButtonStop", T::kBoolean, 6472},                          // 94
    {"EMailActionOptions", "biMoveToFolderData", T::kBytes, 6476,                      // 95
     "set apart from `uMoveToFolderCb`: neither is derived from the other"},
    {"EMailActionOptions", "uMoveToFolderCb", T::kUInt, 6988,                          // 96
     "a number of its own, never derived from the bytes of `biMoveToFolderData`"},
    {"EMailActionOptions", "dwScanAction", T::kDWord, 6992},                           // 97
    {"EMailAlertOptions", "szCustomMessage", T::kText, 6996},                          // 98
    {"EMailAlertOptions", "szReturnCc", T::kText, 7508},                               // 99
    {"EMailAlertOptions", "szReturnSubject", T::kText, 8020},                          // 100
    {"EMailAlertOptions", "szReturnBody", T::kText, 8532},                             // 101
    {"EMailAlertOptions", "szSendTo", T::kText, 9044},                                 // 102
    {"EMailAlertOptions", "szSendCc", T::kText, 9556},                                 // 103
    {"EMailAlertOptions", "szSendSubject", T::kText, 10068},                           // 104
    {"EMailAlertOptions", "szSendBody", T::kText, 10580},                              // 105
    {"EMailAlertOptions", "CC_szReturnCc", T::kText, 11092, kSecondCopy},              // 106
    {"EMailAlertOptions", "CC_szReturnSubject", T::kText, 11604, kSecondCopy},         // 107
    {"EMailAlertOptions", "CC_szReturnBody", T::kText, 12116, kSecondCopy},            // 108
    {"EMailAlertOptions", "CC_szSendTo", T::kText, 12628, kSecondCopy},                // 109
    {"EMailAlertOptions", "CC_szSendCc", T::kText, 13140, kSecondCopy},                // 110
    {"EMailAlertOptions", "CC_szSendSubject", T::kText, 13652, kSecondCopy},           // 111
    {"EMailAlertOptions", "CC_szSendBody", T::kText, 14164, kSecondCopy},              // 112
    {"EMailAlertOptions", "bNetworkAlert", T::kBoolean, 14676},                        // 113
    {"EMailAlertOptions", "bSoundAlert", T::kBoolean, 14680},                          // 114
    {"EMailAlertOptions", "bReturnMail", T::kBoolean, 14684},                          // 115
    {"EMailAlertOptions", "bSendMailToUser", T::kBoolean, 14688},                      // 116
    {"EMailAlertOptions", "CC_bReturnMail", T::kBoolean, 14692, kSecondCopy},          // 117
    {"EMailAlertOptions", "CC_bSendMailToUser", T::kBoolean, 14696, kSecondCopy},      // 118
    {"EMailReportOptions", nullptr, T::kBlock, 14704, nullptr, &ReportBlock},          // 119-130
    {"DownloadGeneralOptions", "bEnabled", T::kBoolean, 15260},                        // 131
    {"DownloadGeneralOptions", "bCanBeDisabled", T::kBoolean, 15264},                  // 132
    {"DownloadDetectionOptions", "szProgramExtensions", T::kExtensionText, 15268},     // 133
    {"DownloadDetectionOptions", "szEngineCommandLineOptions", T::kText, 15780},       // 134
    {"DownloadDetectionOptions", "bScanAllFiles", T::kBoolean, 16292},                 // 135
    {"DownloadDetectionOptions", "bScanAllOLE", T::kBoolean, 16308},                   // 136
    {"DownloadDetectionOptions", "bScanCompressed", T::kBoolean, 16296},               // 137
    {"DownloadDetectionOptions", "bRemoveAllMacros", T::kBoolean, 16300},              // 138
    {"DownloadDetectionOptions", "bProgFileHeuristics", T::kBoolean, 16312},           // 139
    {"DownloadDetectionOptions", "bMacroHeuristics", T::kBoolean, 16316},              // 140
    {"DownloadDetectionOptions", "bDetectTrojans", T::kBoolean, 16320},                // 141
    {"DownloadDetectionOptions", "bDetectJoke", T::kBoolean, 16324},                   // 142
    {"DownloadDetectionOptions", "bDetectCorrupted", T::kBoolean, 16328},              // 143
    {"DownloadDetectionOptions", "bDetectMaybe", T::kBoolean, 16332},                  // 144
    {"DownloadActionOptions", "szMoveToFolder", T::kText, 16336},                      // 145
    {"DownloadActionOptions", "szCustomMessage", T::kText, 16848},                     // 146
    {"DownloadActionOptions", "bButtonClean", T::kBoolean, 17360},                     // 147
    {"DownloadActionOptions", "bButtonDelete", T::kBoolean, 17364},                    // 148
    {"DownloadActionOptions", "bButtonExclude", T::kBoolean, 17368},                   // 149
    {"DownloadActionOptions", "bButtonMove", T::kBoolean, 17372},                      // 150
    {"DownloadActionOptions", "bButtonContinue", T::kBoolean, 17376},                  // 151
    {"DownloadActionOptions", "bButtonStop", T::kBoolean, 17380},                      // 152
    {"DownloadActionOptions", "dwScanAction", T::kDWord, 17384},                       // 153
    {"DownloadAlertOptions", "bNetworkAlert", T::kBoolean, 17388},                     // 154
    {"DownloadAlertOptions", "bSoundAlert", T::kBoolean, 17392},                       // 155
    {"DownloadAlertOptions", "bDisplayMessage", T::kBoolean, 17396,                    // 156
     "read from this section: `[DownloadActionOptions]` has no `bDisplayMessage`"},
    {"DownloadReportOptions", nullptr, T::kBlock, 17404, nullptr, &ReportBlock},       // 157-168
    {"INetFltrGeneralOptions", "bEnabled", T::kBoolean, 17960},                        // 169
    {"INetFltrGeneralOptions", "bCanBeDisabled", T::kBoolean, 17964},                  // 170
    {"INetFltrDetectionOptions", "bScanIP", T::kBoolean, 17968},                       // 171
    {"INetFltrDetectionOptions", "bScanHost", T::kBoolean, 17972},                     // 172
    {"INetFltrDetectionOptions", "bScanJava", T::kBoolean, 17976},                     // 173
    {"INetFltrDetectionOptions", "bScanActiveX", T::kBoolean, 17980},                  // 174
    {"INetFltrAlertOptions", "szCustomMessage", T::kText, 17984},                      // 175
    {"INetFltrAlertOptions", "bNetworkAlert", T::kBoolean, 18496},                     // 176
    {"INetFltrAlertOptions", "bDisplayMessage", T::kBoolean, 18500},                   // 177
    {"INetFltrAlertOptions", "bSoundAlert", T::kBoolean, 18504},                       // 178
    {"INetFltrActionOptions", "dwScanAction", T::kDWord, 18512},                       // 179
    {"INetFltrReportOptions", "szLogFileName", T::kText, 18516},                       // 180
    {"INetFltrReportOptions", "bButtonDeny", T::kBoolean, 19028, kReadFromReport},     // 181
    {"INetFltrReportOptions", "bButtonContinue", T::kBoolean, 19032, kReadFromReport},  // 182
    {"INetFltrReportOptions", "bLogToFile", T::kBoolean, 19036},                       // 183
    {"INetFltrReportOptions", "bLimitSize", T::kBoolean, 19040},                       // 184
    {"INetFltrReportOptions", "bLogDetection", T::kBoolean, 19044},                    // 185
    {"INetFltrReportOptions", "bLogClean", T::kBoolean, 19048},                        // 186
    {"INetFltrReportOptions", "bLogDelete", T::kBoolean, 19052},                       // 187
    {"INetFltrReportOptions", "bLogMove", T::kBoolean, 19056},                         // 188
    {"INetFltrReportOptions", "bLogSettings", T::kBoolean, 19060},                     // 189
    {"INetFltrReportOptions", "bLogSummary", T::kBoolean, 19064},                      // 190
    {"INetFltrReportOptions", "bLogDateTime", T::kBoolean, 19068},                     // 191
    {"INetFltrReportOptions", "bLogUserName", T::kBoolean, 19072},                     // 192
    {"INetFltrReportOptions", "uMaxKilobytes", T::kUInt, 19076},                       // 193
};

constexpr RecordTable kOASTaskTable = MakeTable(kOASTaskRows, kOASTaskRecordExtent);

// The 4-byte areas between fields that belong to the product alone.
constexpr ByteRange kOASUnwritten[] = {{1644, 4}, {14700, 4}, {16304, 4}, {17400, 4}, {18508, 4}};

static_assert(FieldCount(kOASTaskTable) == 193, "the on-access record has 193 fields");
static_assert(RowsInside(kOASTaskTable) && RowsDisjoint(kOASTaskTable), "on-access fields overlap or stick out");
// Fields follow one another without trailers: apart from the five unwritten areas, every
// byte up to the end of the last field belongs to exactly one field.
static_assert(RowsTile<kOASTaskRecordExtent>(kOASTaskTable, 0, kOASUnwritten),
              "on-access layout has a hole or overlap");

}  // namespace

const RecordTable OASTaskFields = kOASTaskTable;

const ItemListRow OASExcludedItems = {kListOASExcludedItems, "ExcludedItems", "ExcludedItem", kNoItemCount};
