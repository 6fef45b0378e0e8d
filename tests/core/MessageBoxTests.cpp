// The replaceable message-box handler.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
WideText GText, GCaption;
tvULong GFlags = 0;
int GCalls = 0;
void Record(const tvWChar* Text, const tvWChar* Caption, tvULong Flags)
{
    GText = Text;
    GCaption = Caption;
    GFlags = Flags;
    ++GCalls;
}
} // namespace

TEST(MessageBox, HandlerReplacesTheDefaultAndHandsItBack)
{
    const FMessageBoxHandler Default = appSetMessageBoxHandler(&Record);
    ASSERT_NE(Default, nullptr);
    GCalls = 0;
    appMessageBox(TVTEXT("text"), TVTEXT("Caption"), MESSAGEBOX_IconInformation);
    EXPECT_EQ(GCalls, 1);
    EXPECT_EQ(GText, TVTEXT("text"));
    EXPECT_EQ(GCaption, TVTEXT("Caption"));
    EXPECT_EQ(GFlags, MESSAGEBOX_IconInformation);
    EXPECT_EQ(appSetMessageBoxHandler(nullptr), &Record);
    EXPECT_EQ(appSetMessageBoxHandler(Default), Default) << "null installs the default again";

    // The default writes caption and text to standard error.
    testing::internal::CaptureStderr();
    appMessageBox(TVTEXT("disk full \u00e9"), TVTEXT("Error"), MESSAGEBOX_Ok);
    appMessageBox(nullptr, nullptr, MESSAGEBOX_Ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: disk full \xc3\xa9\n: \n");
}
