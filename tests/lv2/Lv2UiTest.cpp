// The LV2 UI in a real X server (Xvfb): it needs the plug-in instance, opens the editor in
// the host's window, reports its size, and hands knob moves to the host's write function.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "Lv2Host.h"
#include "TestSupport.h"
#include "XTestDriver.h"
#include "XvfbServer.h"
#include "editor/skin/SkinElements.h"
#include "editor/skin/SkinSelection.h"
#include "lv2/Lv2Ports.h"

namespace vexo::test {
namespace {

// What the UI told the host.
struct HostSide {
    Lv2Host* plugin = nullptr;
    std::vector<std::pair<std::uint32_t, float>> writes;
    int width = 0, height = 0;

    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t protocol,
                      const void* buffer) {
        auto* self = static_cast<HostSide*>(controller);
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(protocol, 0u);
        const float value = *static_cast<const float*>(buffer);
        self->writes.emplace_back(port, value);
        self->plugin->setControl(port, value);
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height) {
        auto* self = static_cast<HostSide*>(handle);
        self->width = width;
        self->height = height;
        return 0;
    }
};

TEST(Lv2Ui, NeedsTheInstanceShowsItsEditorAndPassesKnobMovesToTheHost) {
    if (!XvfbServer::available()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.start());
    XTestDriver x;
    ASSERT_TRUE(x.connected());

    TempDir dir;
    const std::string bundle = dir.file(lv2::kBundleName);
    std::filesystem::copy(VEXO_LV2_DIR, bundle, std::filesystem::copy_options::recursive);
    Lv2Host plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(bundle, lv2::kPluginUri, error) && plugin.instantiate(44100.0, error)) << error;
    plugin.activate();

    void* module = dlopen(plugin.description().binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using UiEntry = const LV2UI_Descriptor* (*)(std::uint32_t);
    const auto entry = reinterpret_cast<UiEntry>(dlsym(module, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    const LV2UI_Descriptor* ui = entry(0);
    ASSERT_NE(ui, nullptr);
    EXPECT_STREQ(ui->URI, lv2::kUiUri);
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);

    SkinDefinition skin;
    int width = 0, height = 0;
    ASSERT_TRUE(selectSkin(skin, bundle + "/", kFallbackSkinName, width, height));
    const unsigned long parent = x.createWindow(width, height, 0x303030);

    HostSide host;
    host.plugin = &plugin;
    LV2UI_Resize resize{&host, &HostSide::resize};
    LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    LV2_Feature resizeFeature{LV2_UI__resize, &resize};
    LV2_Feature instanceFeature{LV2_INSTANCE_ACCESS_URI, plugin.handle()};
    const LV2_Feature* withoutInstance[] = {&parentFeature, &resizeFeature, nullptr};
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &instanceFeature, nullptr};
    LV2UI_Widget widget = nullptr;

    // A host without instance-access gets no UI and shows its own controls.
    EXPECT_EQ(ui->instantiate(ui, lv2::kPluginUri, bundle.c_str(), &HostSide::write, &host, &widget, withoutInstance),
              nullptr);

    LV2UI_Handle handle =
        ui->instantiate(ui, lv2::kPluginUri, bundle.c_str(), &HostSide::write, &host, &widget, features);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(widget, nullptr);
    EXPECT_EQ(host.width, width);
    EXPECT_EQ(host.height, height);
    // One editor per instance.
    LV2UI_Widget second = nullptr;
    EXPECT_EQ(ui->instantiate(ui, lv2::kPluginUri, bundle.c_str(), &HostSide::write, &host, &second, features),
              nullptr);

    std::vector<float> left(512), right(512);
    auto idleFor = [&](int milliseconds) {
        for (int t = 0; t < milliseconds; t += 10) {
            EXPECT_EQ(idle->idle(handle), 0);
            plugin.run(left.data(), right.data(), 512);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    idleFor(100);
    EXPECT_TRUE(x.hasViewableChild(parent));

    const CRect knob = skin.elementRect(kCutoffKnob);
    const float before = plugin.control(lv2::kFirstParameterPort + kCutoff);
    x.pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2);
    x.button(1, true);
    idleFor(30);
    x.pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2 - 30);
    idleFor(30);
    x.button(1, false);
    idleFor(30);
    ASSERT_FALSE(host.writes.empty());
    EXPECT_EQ(host.writes.back().first, lv2::kFirstParameterPort + kCutoff);
    EXPECT_GT(host.writes.back().second, before);

    ui->cleanup(handle);
    EXPECT_FALSE(x.hasViewableChild(parent));
    // The instance is free for the next UI.
    handle = ui->instantiate(ui, lv2::kPluginUri, bundle.c_str(), &HostSide::write, &host, &widget, features);
    EXPECT_NE(handle, nullptr);
    if (handle != nullptr) {
        ui->cleanup(handle);
    }
    plugin.deactivate();
    dlclose(module);
}

}  // namespace
}  // namespace vexo::test
