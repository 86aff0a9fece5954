// The stand-in auto-focus program: a plain window whose title Orvik's main
// frame finds it by. It appends "start <pid>" to its log when it starts and
// "close <pid>" when asked to close (WM_CLOSE), then ends. The log is the
// file named by the environment variable TOLMIRA_LOG, else "Tolmira.log"
// beside the program; one line each, CR LF.
#pragma once

#define TOLMIRA_WINDOW_TITLE L"Tolmira Auto Focus"
#define TOLMIRA_WINDOW_CLASS L"TolmiraAutoFocus"
#define TOLMIRA_LOG_VARIABLE L"TOLMIRA_LOG"
