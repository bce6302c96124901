// HostCall turns operation codes into callback calls; an empty slot or an
// unknown operation answers -1 without calling anything.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/DebugSession.h"
#include "session/HostLink.h"

namespace {

std::vector<std::string> gCalls;

void Record(const std::string& call) { gCalls.push_back(call); }
std::string Args(INT_PTR a, INT_PTR b) { return std::to_string(a) + "," + std::to_string(b); }

INT_PTR WINAPI GetVarText(INT_PTR index, char* buffer) {
  Record("GetVarText " + std::to_string(index));
  std::strcpy(buffer, "C:\\TARGET");
  return 5;
}
INT_PTR WINAPI SetVarText(INT_PTR index, const char* text) {
  Record("SetVarText " + std::to_string(index) + " " + text);
  return 6;
}
INT_PTR WINAPI GetVarNumber(INT_PTR index, LONG* value) {
  Record("GetVarNumber " + std::to_string(index));
  *value = -123;
  return 99;  // the result is not what HostCall answers
}
INT_PTR WINAPI SetVarNumber(INT_PTR index, LONG value) {
  Record("SetVarNumber " + Args(index, value));
  return 7;
}
INT_PTR WINAPI SetTrace(INT_PTR context, INT_PTR on) {
  Record("SetTrace " + Args(context, on));
  return 8;
}
INT_PTR WINAPI SetBreakpoint(INT_PTR context, INT_PTR persistent, INT_PTR set, INT_PTR block, INT_PTR offset) {
  Record("SetBreakpoint " + Args(context, persistent) + "," + Args(set, block) + "," + std::to_string(offset));
  return 9;
}
INT_PTR WINAPI GetStatementClass(INT_PTR context, INT_PTR block, INT_PTR offset) {
  Record("GetStatementClass " + std::to_string(context) + "," + Args(block, offset));
  return 5;
}
INT_PTR WINAPI GetPosition(INT_PTR context, LONG* block, LONG* offset) {
  Record("GetPosition " + std::to_string(context));
  *block = 3;
  *offset = 14;
  return 10;
}
INT_PTR WINAPI GetCallDepth(INT_PTR context) {
  Record("GetCallDepth " + std::to_string(context));
  return 2;
}
INT_PTR WINAPI Suspend(INT_PTR context) {
  Record("Suspend " + std::to_string(context));
  return 11;
}
INT_PTR WINAPI Resume(INT_PTR context) {
  Record("Resume " + std::to_string(context));
  return 12;
}
INT_PTR WINAPI ExitScript(INT_PTR context) {
  Record("ExitScript " + std::to_string(context));
  return 13;
}

constexpr HostCallbacks kAllCallbacks = {GetVarText,        SetVarText,  GetVarNumber, SetVarNumber,
                                         SetTrace,          SetBreakpoint, GetStatementClass, GetPosition,
                                         GetCallDepth,      Suspend,     Resume,       ExitScript};

class HostLink : public ::testing::Test {
 protected:
  void SetUp() override {
    gCalls.clear();
    session.hostContext = 77;
    session.callbacks = kAllCallbacks;
  }
  DebugSession session{};
};

TEST_F(HostLink, EachOperationCallsItsSlotWithTheContext) {
  EXPECT_EQ(HostCall(&session, kHostGetStatementClass, 1, 2), 5);
  EXPECT_EQ(HostCall(&session, kHostSetBreakpoint, 1, 4, 5), 9);
  EXPECT_EQ(HostCall(&session, kHostSuspend), 11);
  EXPECT_EQ(HostCall(&session, kHostResume), 12);
  EXPECT_EQ(HostCall(&session, kHostGetVarNumber, 65435), -123);
  char buffer[1024] = "";
  EXPECT_EQ(HostCall(&session, kHostGetVarText, 4, reinterpret_cast<INT_PTR>(buffer)), 5);
  EXPECT_STREQ(buffer, "C:\\TARGET");
  EXPECT_EQ(HostCall(&session, kHostExitScript), 13);
  EXPECT_EQ(HostCall(&session, kHostSetTrace, 1), 8);
  LONG block = 0, offset = 0;
  EXPECT_EQ(HostCall(&session, kHostGetPosition, reinterpret_cast<INT_PTR>(&block),
                     reinterpret_cast<INT_PTR>(&offset)), 10);
  EXPECT_EQ(block, 3);
  EXPECT_EQ(offset, 14);
  EXPECT_EQ(HostCall(&session, kHostSetOneShot, 0, 0), 9);
  HostCall(&session, kHostSetVarNumber, 2, -5);
  EXPECT_EQ(HostCall(&session, kHostSetVarText, 1, reinterpret_cast<INT_PTR>("abc")), 6);
  EXPECT_EQ(HostCall(&session, kHostGetCallDepth), 2);
  EXPECT_EQ(gCalls, (std::vector<std::string>{
                        "GetStatementClass 77,1,2", "SetBreakpoint 77,1,1,4,5", "Suspend 77", "Resume 77",
                        "GetVarNumber 65435", "GetVarText 4", "ExitScript 77", "SetTrace 77,1", "GetPosition 77",
                        "SetBreakpoint 77,0,1,0,0", "SetVarNumber 2,-5", "SetVarText 1 abc", "GetCallDepth 77"}));
}

TEST_F(HostLink, OperationFiveAndUnknownOperationsAnswerMinusOne) {
  for (int operation : {0, 5, 15, -1, 1000}) EXPECT_EQ(HostCall(&session, operation, 1, 2, 3), -1) << operation;
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(HostLink, EmptySlotsAnswerMinusOneWithoutACall) {
  session.callbacks = HostCallbacks{};
  for (int operation = 1; operation <= 14; operation++) {
    char buffer[1024];
    LONG a = 0, b = 0;
    INT_PTR pa = operation == kHostGetPosition ? reinterpret_cast<INT_PTR>(&a) : 0;
    INT_PTR pb = operation == kHostGetPosition ? reinterpret_cast<INT_PTR>(&b)
                 : operation == kHostGetVarText ? reinterpret_cast<INT_PTR>(buffer)
                                                : 0;
    EXPECT_EQ(HostCall(&session, operation, pa, pb, 0), -1) << operation;
  }
  EXPECT_EQ(HostCall(nullptr, kHostSuspend), -1);
}

TEST_F(HostLink, UserBreakpointWrapper) {
  EXPECT_EQ(HostSetUserBreakpoint(&session, 0, -1, -1), 9);
  EXPECT_EQ(gCalls.back(), "SetBreakpoint 77,1,0,-1,-1");
  EXPECT_EQ(HostSetUserBreakpoint(nullptr, 1, 2, 3), 0);
  session.callbacks.SetBreakpoint = nullptr;
  EXPECT_EQ(HostSetUserBreakpoint(&session, 1, 2, 3), -1);
}

}  // namespace
