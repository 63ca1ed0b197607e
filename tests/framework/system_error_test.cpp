#include "framework/system_error.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemErrorTest, CarriesCodeAndTheSystemsText) {
  const HRESULT code = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  try {
    framework::CheckHResult(code);
    FAIL() << "no error raised";
  } catch (const framework::ESystemError& error) {
    EXPECT_EQ(error.Code(), code);
    EXPECT_FALSE(error.Message().empty());
    EXPECT_EQ(error.Message(), framework::SystemErrorText(code));
    // The system's own text, without the line break FormatMessage ends it with.
    EXPECT_NE(error.Message().back(), L'\n');
    EXPECT_NE(error.Message().back(), L'\r');
  }
  EXPECT_NO_THROW(framework::CheckHResult(S_FALSE));
}

TEST(SystemErrorTest, LastOsErrorAndUnknownCodes) {
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    framework::RaiseLastOSError();
  } catch (const framework::ESystemError& error) {
    EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  }
  // A code the system has no text for still gets a message naming it.
  EXPECT_EQ(framework::SystemErrorText(static_cast<HRESULT>(0xA0FE1234)), L"System error 0xA0FE1234");
}

TEST(SystemErrorTest, WhatGivesTheMessageInUtf8) {
  const framework::Exception error(L"\u6210\u529f gamelist");
  EXPECT_STREQ(error.what(), "\xE6\x88\x90\xE5\x8A\x9F gamelist");
}

}  // namespace
