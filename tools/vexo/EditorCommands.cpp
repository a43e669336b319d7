// vexo screenshot and vexo edit: the plug-in's editor, offscreen into a PNG or in a window
// of its own, with the sequencer running at real-time pace (no audio device needed).
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

#include "ArgumentChecks.h"
#include "Command.h"
#include "Session.h"
#include "host/VendorRequests.h"

namespace vexo::cli {
namespace {

constexpr int kMaxEditStep = 63;
// Blocks rendered before a screenshot so that the sequencer stands on its pattern.
constexpr int kScreenshotBlocks = 8;

volatile std::sig_atomic_t stopRequested = 0;

struct ScreenshotOptions {
    SessionOptions session;
    std::string out;
    std::string skin;
    std::string dialog;
    int editStep = -1;
    bool running = false;
    bool learn = false;
};

int screenshot(const ScreenshotOptions& options) {
    const char* kName = "screenshot";
    Session session;
    if (!session.open(options.session, kName)) {
        return kExitFailed;
    }
    // The key selects the pattern; held on, the sequencer runs.
    const long long frames = static_cast<long long>(options.session.blockSize) * kScreenshotBlocks;
    const long long release = options.running ? frames + 1 : options.session.blockSize;
    session.renderHeld(frames, release, [](const float*, const float*, int) { return true; });

    ScreenshotRequest request;
    request.path = options.out.c_str();
    request.skin = options.skin.empty() ? nullptr : options.skin.c_str();
    request.dialog = options.dialog.empty() ? nullptr : options.dialog.c_str();
    request.editStep = options.editStep;
    request.learn = options.learn ? 1 : 0;
    if (session.host().dispatch(effVendorSpecific, kScreenshotRequest, 0, &request) != 1) {
        return fail(kName, "the plug-in could not write " + options.out);
    }
    return kExitSuccess;
}

Command setupScreenshot(CLI::App& tool) {
    auto options = std::make_shared<ScreenshotOptions>();
    CLI::App* app = tool.add_subcommand("screenshot", "Render the plug-in's editor offscreen into a PNG file");
    app->add_option("--out", options->out, "PNG file to write")->type_name("FILE")->required();
    options->session.addPluginOptions(*app);
    app->add_option("--pattern", options->session.pattern, "Pattern shown")->check(CLI::Range(0, 127));
    app->add_option("--skin", options->skin, "Skin name (a .skn file of the plug-in folder, without extension)");
    app->add_option("--step", options->editStep, "Edit step shown, 0..63")->check(CLI::Range(0, kMaxEditStep));
    app->add_flag("--running", options->running, "The sequencer runs (its key held)");
    app->add_flag("--learn", options->learn, "MIDI learn on: the learn labels show");
    app->add_option("--dialog", options->dialog, "A dialog instead of the panel")
        ->check(CLI::IsMember({"preferences", "analyze"}));
    return {app, [options] { return screenshot(*options); }};
}

struct EditOptions {
    SessionOptions session;
    bool hold = false;
};

int edit(const EditOptions& options) {
    const char* kName = "edit";
    Session session;
    if (!session.open(options.session, kName)) {
        return kExitFailed;
    }
    PluginHost& host = session.host();
    // A top-level window of the editor's own (parent 0).
    if (host.dispatch(effEditOpen, 0, 0, nullptr) != 1) {
        return fail(kName, "the editor could not open a window (is DISPLAY set?)");
    }
    stopRequested = 0;
    std::signal(SIGINT, [](int) { stopRequested = 1; });
    std::signal(SIGTERM, [](int) { stopRequested = 1; });

    const auto blockTime = std::chrono::duration<double>(options.session.blockSize / options.session.sampleRate);
    auto next = std::chrono::steady_clock::now();
    const long long forever = static_cast<long long>(kMaxHeldSeconds * options.session.sampleRate);
    session.renderHeld(forever, options.hold ? forever : 0, [&](const float*, const float*, int) {
        host.clearReceived();
        host.dispatch(effEditIdle);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
        std::this_thread::sleep_until(next);
        return stopRequested == 0 && host.dispatch(effVendorSpecific, kEditorWindowAliveRequest) == 1;
    });
    host.dispatch(effEditClose);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return kExitSuccess;
}

Command setupEdit(CLI::App& tool) {
    auto options = std::make_shared<EditOptions>();
    CLI::App* app =
        tool.add_subcommand("edit", "Open the plug-in and its editor in a window; the sequencer runs in real time");
    options->session.addPluginOptions(*app);
    app->add_option("--pattern", options->session.pattern, "Pattern selected at start")->check(CLI::Range(0, 127));
    app->add_flag("--hold", options->hold, "Hold the pattern's key, so the sequencer runs from the start");
    return {app, [options] { return edit(*options); }};
}

const Registration screenshotRegistration(setupScreenshot);
const Registration editRegistration(setupEdit);

}  // namespace
}  // namespace vexo::cli
