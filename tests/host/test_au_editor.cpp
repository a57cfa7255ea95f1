// The editor for hosts: the CocoaUI property, the view factory, the view in a stand-in
// window, and the Carbon view entry.
#include "au_fixture.h"

#include <Cocoa/Cocoa.h>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IGraphicsCocoa.h"
#include "WDL/IPlug/IPlugAU_ViewFactory.h"

#include <string>

namespace {

std::string Text(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

TEST_F(AUFixture, CocoaUINamesTheBundleAndTheFactoryClass) {
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof(info);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0,
                                 &info, &size),
            noErr);
  EXPECT_EQ(size, 16u);
  UInt8 path[4096];
  ASSERT_TRUE(
      CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true, path, sizeof(path)));
  EXPECT_EQ(std::string((const char*)path), TESTPLUG_BUNDLE);
  EXPECT_EQ(Text(info.mCocoaAUViewClass[0]), "TestPlug_View");
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);

  AudioComponentDescription ui{};
  size = sizeof(ui);
  ASSERT_EQ(AudioUnitGetProperty(Unit(), kAudioUnitProperty_GetUIComponentList,
                                 kAudioUnitScope_Global, 0, &ui, &size),
            noErr);
  EXPECT_EQ(ui.componentType, 0x61757677u); // 'auvw'
  EXPECT_EQ(ui.componentSubType, (OSType)kTestPlugSubtype);
  EXPECT_EQ(ui.componentManufacturer, (OSType)kTestPlugMfr);
}

TEST_F(AUFixture, ViewAtTheEditorsSizeInAWindow) {
  ASSERT_EQ(mHost.OpenEditor(100, 100), noErr);
  NSView* view = mHost.EditorView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame().size.width, kTestEditorW);
  EXPECT_EQ(view->frame().size.height, kTestEditorH);
  EXPECT_EQ(view->window(), mHost.EditorWindow());
  EXPECT_EQ(mPlug->mProbe.guiOpens, 1);
  auto* factory = static_cast<IPlugAUViewFactory*>(mHost.ViewFactory());
  EXPECT_EQ(factory->mPlug, static_cast<IPlugBase*>(mPlug));
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  NSAutoreleasePool* pool = (new NSAutoreleasePool)->init();
  EXPECT_STREQ(factory->description()->UTF8String(), "TestPlug View");
  pool->drain();

  // The panel is drawn into the window once the clock moves.
  PlatformTest_AdvanceRunLoop(200);
  int w = 0, h = 0;
  const uint32_t* px = PlatformTest_WindowPixels(mHost.EditorWindow(), &w, &h);
  ASSERT_NE(px, nullptr);
  ASSERT_EQ(w, kTestEditorW);
  EXPECT_EQ(px[(h / 2) * w + w / 2] & 0xFFFFFF, 0x285078u);
}

TEST_F(AUFixture, ASecondViewClosesTheFirst) {
  ASSERT_EQ(mHost.OpenEditor(), noErr);
  auto* factory = static_cast<IPlugAUViewFactory*>(mHost.ViewFactory());
  auto* first = static_cast<IGraphicsCocoa_vIPlugTessary2_au*>(mHost.EditorView());
  first->retain();
  NSView* second = factory->uiViewForAudioUnit(Unit(), NSMakeSize(10, 10));
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, static_cast<NSView*>(first));
  EXPECT_EQ(first->mGraphics, nullptr);
  EXPECT_EQ(first->superview(), nullptr);
  EXPECT_EQ(mPlug->GetGUI()->GetWindow(), second);
  first->release();
  mPlug->GetGUI()->CloseWindow();
}

TEST_F(AUFixture, FactoryGivesNothingForAUnitThatIsNotOurs) {
  ComponentInstance stranger = PlatformTest_NewComponentInstance();
  NSAutoreleasePool* pool = (new NSAutoreleasePool)->init();
  id obj = NSClassFromString(NSString::stringWithUTF8String("TestPlug_View"))->allocInit();
  pool->drain();
  auto* factory = static_cast<IPlugAUViewFactory*>(dynamic_cast<AUCocoaUIBase*>(obj));
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->uiViewForAudioUnit(stranger, NSMakeSize(100, 100)), nullptr);
  EXPECT_EQ(factory->mPlug, nullptr);
  factory->release();
  PlatformTest_DisposeComponentInstance(stranger);
}

TEST_F(AUFixture, CarbonViewEntry) {
  // An AudioUnit opened through the Component Manager keeps its object as storage.
  ComponentInstance unitCI = PlatformTest_NewComponentInstance();
  ASSERT_EQ(mHost.CallEntry(kComponentOpenSelect, {(long)unitCI}, nullptr), noErr);
  void* plug = GetComponentInstanceStorage(unitCI);
  ComponentInstance viewCI = PlatformTest_NewComponentInstance();
  ASSERT_EQ(mHost.CallEntry(kComponentOpenSelect, {(long)viewCI}, nullptr, true), noErr);
  void* view = GetComponentInstanceStorage(viewCI);
  ASSERT_NE(view, nullptr);

  ControlRef control = reinterpret_cast<ControlRef>(1);
  const Float32Point at{0, 0}, size{100, 100};
  auto create = [&](ComponentInstance edited) {
    return mHost.CallEntry(kAudioUnitCarbonViewCreateSelect,
                           {(long)edited, 0, 0, (long)&at, (long)&size, (long)&control}, view,
                           true);
  };
  ComponentInstance bare = PlatformTest_NewComponentInstance();
  EXPECT_EQ(create(bare), badComponentSelector);
  EXPECT_EQ(create(unitCI), noErr);
  EXPECT_EQ(control, nullptr);
  EXPECT_EQ(mHost.CallEntry(99, {}, view, true), badComponentSelector);
  // The AudioUnit goes first; closing the view must not reach into its editor.
  ASSERT_EQ(mHost.CallEntry(kComponentCloseSelect, {(long)unitCI}, plug), noErr);
  EXPECT_EQ(mHost.CallEntry(kComponentCloseSelect, {(long)viewCI}, view, true), noErr);
  EXPECT_EQ(mHost.CallEntry(kComponentCloseSelect, {(long)viewCI}, nullptr, true), paramErr);
  for (ComponentInstance ci : {unitCI, viewCI, bare}) PlatformTest_DisposeComponentInstance(ci);
}

} // namespace
