#pragma once
// Loads the test plug-in bundle through the stand-in host and opens an instance.

#include <gtest/gtest.h>

#include <PlatformTestHooks.h>

#include "host/auhost.h"
#include "testplug/TestPlug.h"

// A string of the test's own, released at the end of the scope.
struct TestCFString {
  CFStringRef s;
  explicit TestCFString(const char* text)
      : s(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8)) {}
  ~TestCFString() { CFRelease(s); }
  TestCFString(const TestCFString&) = delete;
  TestCFString& operator=(const TestCFString&) = delete;
};

inline AudioComponentDescription TestPlugDesc() {
  return AudioComponentDescription{0x61756D66 /* 'aumf' */, (OSType)kTestPlugSubtype,
                                   (OSType)kTestPlugMfr, 0, 0};
}

class AUFixture : public ::testing::Test {
protected:
  void SetUp() override {
    // The main bundle and its identifier live for the whole process.
    CFBundleGetMainBundle();
    PlatformTest_SetMainBundleIdentifier("com.example.host");
    // One host keeps the bundle loaded for the whole process, so the objects its libraries
    // make once (fonts, colour spaces) are made before the first count and never again.
    static auhost::Host* keeper = [] {
      auto* h = new auhost::Host;
      if (h->Load(TESTPLUG_BUNDLE, "TestPlug", TestPlugDesc())) {
        h->RegisterBundle(kTestPlugBundleID);
        h->Open();
        h->Close();
      }
      return h;
    }();
    (void)keeper;
    ASSERT_TRUE(mHost.Load(TESTPLUG_BUNDLE, "TestPlug", TestPlugDesc())) << mHost.Error();
    mHost.RegisterBundle(kTestPlugBundleID); // a registered bundle stays for the process
    mBaseline = PlatformTest_LiveObjectCount();
    ASSERT_EQ(mHost.Open(), noErr);
    mPlug = static_cast<TestPlug*>(static_cast<IPlugAU*>(mHost.PlugObject()));
    ASSERT_NE(mPlug, nullptr);
  }
  void TearDown() override {
    mHost.Unload();
    EXPECT_EQ(PlatformTest_LiveObjectCount(), mBaseline);
  }
  // Sample rate, block size, callbacks and Initialize, as a host prepares to render.
  void Prepare(uint32_t frames = 256) {
    ASSERT_EQ(mHost.SetSampleRate(48000.0), noErr);
    ASSERT_EQ(mHost.SetMaxFrames(frames), noErr);
    ASSERT_EQ(mHost.InstallHostCallbacks(), noErr);
    ASSERT_EQ(mHost.InstallMidiOutput(), noErr);
    ASSERT_EQ(mHost.Initialize(), noErr);
  }
  AudioUnit Unit() { return mHost.Unit(); }

  auhost::Host mHost;
  TestPlug* mPlug = nullptr;
  long mBaseline = 0;
};
