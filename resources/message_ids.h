// String-table ids of the agent's messages (language 1033).
#pragma once

#define IDS_START_BANNER 1
#define IDS_TOLVR_TEMPLATE 2
#define IDS_TOLVRSIL_TEMPLATE 3
#define IDS_RESULT_FIRST 4 /* result code c has its message at c + 4, for c from 0 to 13 */
#define IDS_UNRECOGNISED_ERROR 100
#define IDS_SCRIPT_UNREADABLE 101 /* result 6 for a script that is there but cannot be held or copied */
