/*
 * qndbgc.h - the interface between a Quendle script engine (the host) and
 * QNDBGC.DLL, the interactive debugger of Quendle installation scripts.
 *
 * The host loads the library, calls QNdbgInit once before the script's first
 * statement, QNdbgBreak at breakpoints and (while tracing is on) before every
 * statement, and QNdbgExit once at the end. The debugger reaches the running
 * script only through the twelve HostCallbacks.
 *
 * Every value that passes between host and debugger is an INT_PTR: 32 bits
 * for a 32-bit host, pointer-sized for a 64-bit one. This ABI is fixed; hosts
 * written against it keep working.
 *
 * The header does not include <windows.h>: it declares the few Windows types
 * it needs in the same way <windows.h> does, so that it can be included before
 * or after it, and also outside Windows (the debugger's window-free core is
 * built and tested natively).
 */
#ifndef QNDBGC_H
#define QNDBGC_H

#if defined(_WIN32)
#  include <basetsd.h> /* INT_PTR */
#  ifndef WINAPI
#    define WINAPI __stdcall
#  endif
typedef long LONG;
#else
#  include <stdint.h>
typedef intptr_t INT_PTR;
typedef int32_t LONG;
#  ifndef WINAPI
#    define WINAPI
#  endif
#endif
struct HWND__;
typedef struct HWND__* HWND;

#ifdef __cplusplus
extern "C" {
#endif

/* Twelve slots, in this order; any of them may be null. A missing slot is not
 * an error: the debugger carries on as if the call had answered -1. */
typedef struct HostCallbacks {
  /* Writes the variable's value as text (at most 1024 characters with the terminator). */
  INT_PTR (WINAPI* GetVarText)(INT_PTR index, char* buffer1024);
  INT_PTR (WINAPI* SetVarText)(INT_PTR index, const char* text);
  INT_PTR (WINAPI* GetVarNumber)(INT_PTR index, LONG* value);
  INT_PTR (WINAPI* SetVarNumber)(INT_PTR index, LONG value);
  /* on = 1: call QNdbgBreak(2, block, offset) before every statement. */
  INT_PTR (WINAPI* SetTrace)(INT_PTR hostContext, INT_PTR on);
  /* persistent 1: a user breakpoint, 0: one-shot. set 0 with block = offset
   * = -1 clears every user breakpoint. */
  INT_PTR (WINAPI* SetBreakpoint)(INT_PTR hostContext, INT_PTR persistent,
                                  INT_PTR set, INT_PTR block, INT_PTR offset);
  /* Statement class 1..6 of the statement at (block, offset); anything else: none. */
  INT_PTR (WINAPI* GetStatementClass)(INT_PTR hostContext, INT_PTR block, INT_PTR offset);
  INT_PTR (WINAPI* GetPosition)(INT_PTR hostContext, LONG* block, LONG* offset);
  INT_PTR (WINAPI* GetCallDepth)(INT_PTR hostContext);
  /* The debugger stopped the script at the current statement. */
  INT_PTR (WINAPI* Suspend)(INT_PTR hostContext);
  /* The user lets the script run on, once the debugger's command handler has
   * returned to the host's message loop. */
  INT_PTR (WINAPI* Resume)(INT_PTR hostContext);
  INT_PTR (WINAPI* ExitScript)(INT_PTR hostContext);
} HostCallbacks;

/* Opens the debugging session: 1 when the main window is shown, 0 on failure
 * (the host then still calls QNdbgExit). The callback table is copied. */
INT_PTR WINAPI QNdbgInit(INT_PTR hostContext, const HostCallbacks* callbacks,
                         INT_PTR hostArg3, INT_PTR hostArg4,
                         const char* debugFileName, HWND* outMainWindow);

/* mode 1: a breakpoint was reached; mode 2: tracing, before a statement.
 * Answers 0 when the debugger stopped the script there, 1 when it may go on. */
INT_PTR WINAPI QNdbgBreak(INT_PTR mode, INT_PTR block, INT_PTR offset);

/* Ends the session; always 1. */
INT_PTR WINAPI QNdbgExit(void);

/* Library exit procedure; always 1. */
INT_PTR WINAPI WEP(INT_PTR code);

/* Types of the three exports, for hosts that load the library at run time. */
typedef INT_PTR (WINAPI* QNdbgInitProc)(INT_PTR, const HostCallbacks*, INT_PTR, INT_PTR,
                                        const char*, HWND*);
typedef INT_PTR (WINAPI* QNdbgBreakProc)(INT_PTR, INT_PTR, INT_PTR);
typedef INT_PTR (WINAPI* QNdbgExitProc)(void);

#ifdef __cplusplus
}
#endif

#endif /* QNDBGC_H */
