// The product's editor as a host finds it: through the CocoaUI property and its own view
// factory class.

#include "IPlugTessary2/IPlugTessary2.h"
#include "WDL/IPlug/IPlugAU_ViewFactory.h"
#include "host/Session.h"
#include "host/auhost.h"

#include <Cocoa/Cocoa.h>
#include <PlatformTestHooks.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProductView, TheFactoryDescribesAndOpensTheProductsEditor) {
  CFBundleGetMainBundle();
  PlatformTest_SetMainBundleIdentifier("com.example.host");
  // Left loaded: the GDI emulation in the bundle keeps process-wide pools.
  static auhost::Host* host = new auhost::Host;
  ASSERT_TRUE(host->Load(std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component",
                         auhost::kProductEntryPrefix, auhost::kProductDesc))
      << host->Error();
  host->RegisterBundle(auhost::kProductBundleID);
  ASSERT_EQ(host->Open(), noErr);
  ASSERT_EQ(host->Initialize(), noErr);

  ASSERT_EQ(host->OpenEditor(300, 200), noErr);
  auto* factory = dynamic_cast<IPlugAUViewFactory*>(host->ViewFactory());
  ASSERT_NE(factory, nullptr);
  NSAutoreleasePool* pool = (new NSAutoreleasePool)->init();
  EXPECT_STREQ(factory->description()->UTF8String(), "Quorlen-VUDE View");
  pool->drain();
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  EXPECT_EQ(factory->mPlug, static_cast<IPlugBase*>(static_cast<IPlugAU*>(host->PlugObject())));
  // The editor's own size, not the one the host preferred.
  EXPECT_EQ(host->EditorView()->frame().size.width, kEditorWidth);
  EXPECT_EQ(host->EditorView()->frame().size.height, kEditorHeight);

  host->CloseEditor();
  EXPECT_EQ(host->Uninitialize(), noErr);
  EXPECT_EQ(host->Close(), noErr);

  // Older hosts open the unit and its Carbon view through the Component Manager entries.
  ComponentInstance unit = PlatformTest_NewComponentInstance();
  ComponentInstance view = PlatformTest_NewComponentInstance();
  ASSERT_EQ(host->CallEntry(kComponentOpenSelect, {(long)unit}, nullptr), noErr);
  void* plug = GetComponentInstanceStorage(unit);
  EXPECT_EQ(host->CallEntry(kComponentVersionSelect, {}, plug), 0x00010004);
  ASSERT_EQ(host->CallEntry(kComponentOpenSelect, {(long)view}, nullptr, true), noErr);
  void* carbon = GetComponentInstanceStorage(view);
  EXPECT_NE(carbon, nullptr);
  EXPECT_EQ(host->CallEntry(kComponentCloseSelect, {(long)view}, carbon, true), noErr);
  EXPECT_EQ(host->CallEntry(kComponentCloseSelect, {(long)unit}, plug), noErr);
  PlatformTest_DisposeComponentInstance(view);
  PlatformTest_DisposeComponentInstance(unit);
}

} // namespace
