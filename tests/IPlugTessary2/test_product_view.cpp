// The product's editor as a host finds it: through the CocoaUI property and its own view
// factory class.

#include "IPlugTessary2/IPlugTessary2.h"
#include "WDL/IPlug/IPlugAU_ViewFactory.h"
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
  auto* host = new auhost::Host;
  ASSERT_TRUE(host->Load(std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component", "IPlugTessary2",
                         AudioComponentDescription{0x61756D66, 0x51726C4D, 0x5A76656B, 0, 0}))
      << host->Error();
  host->RegisterBundle("com.Ostrevane.audiounit.Quorlen-VUDE");
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
}

} // namespace
