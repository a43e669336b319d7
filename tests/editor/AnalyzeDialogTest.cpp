#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../patterns/DetectTestAudio.h"
#include "EditorFixture.h"
#include "PluginFixture.h"
#include "XTestDriver.h"
#include "XvfbServer.h"
#include "editor/controls/FolderMenu.h"
#include "editor/dialogs/AnalyzeDialog.h"
#include "editor/dialogs/AnalyzeDialogWindow.h"
#include "editor/dialogs/WaveformView.h"
#include "gui/X11Clipboard.h"
#include "gui/dialog/DialogWidgets.h"
#include "patterns/AnalyzeOperations.h"
#include "patterns/PatternText.h"
#include "platform/Clipboard.h"
#include "platform/ScriptedDesktop.h"

namespace vexo::test {
namespace {

using Id = AnalyzeDialog;
using Column = AnalyzeDialog::RowColumn;

class AnalyzeDialogTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
        dialog = std::make_unique<AnalyzeDialog>(*plugin, desktop, clipboard, session);
    }

    // A 16-bit WAV of 5000 samples per step: cycles of the given period, or silence for 0.
    std::string writeSteps(const std::string& name, const std::vector<int>& periods) {
        std::vector<float> x;
        for (const int period : periods) {
            const std::size_t end = x.size() + 5000;
            if (period != 0) {
                appendCycles(x, period, 5000 / period);
            }
            x.resize(end, 0.0f);
        }
        writeFile(folder.file(name), asString(wavFile(toPcm(x))));
        return folder.file(name);
    }

    // "Detect from Wave" with the chooser answering path.
    void detect(const std::string& path) {
        desktop.queueChosenFiles({path});
        dialog->command(Id::kDetectFromWave);
        desktop.poll();
    }

    Pattern& current() { return plugin->bank().current(); }

    ScriptedDesktop desktop;
    ScriptedClipboard clipboard;
    AnalyzeSession session;
    std::unique_ptr<AnalyzeDialog> dialog;
};

TEST_F(AnalyzeDialogTest, DetectThroughTheChooserAndCancelRestoresTheWholeBank) {
    const auto original = plugin->bank().patterns();
    desktop.queueChosenFiles({writeSteps("bass_4step.wav", {400, 0, 100, 400})});
    dialog->command(Id::kDetectFromWave);
    EXPECT_TRUE(dialog->waiting());
    EXPECT_EQ(current().length(), 16) << "the answer comes in poll()";
    desktop.poll();
    const auto choosers = desktop.callsOf(ScriptedDesktop::CallKind::ChooseFiles);
    ASSERT_EQ(choosers.size(), 1u);
    EXPECT_EQ(choosers[0].chooser.title, "Select audio file");
    EXPECT_EQ(choosers[0].chooser.filters.at(0).description, "Wave file (*.wav)");
    EXPECT_EQ(current().length(), 4);
    EXPECT_EQ(dialog->text(Id::kSteps), "4");
    EXPECT_EQ(dialog->text(Id::rowControl(Column::Note, 0)), "a-3");
    EXPECT_TRUE(dialog->checked(Id::rowControl(Column::Gate, 0)));
    EXPECT_FALSE(dialog->checked(Id::rowControl(Column::Gate, 1)));
    EXPECT_EQ(dialog->wave().count(), 20000u);
    EXPECT_EQ(dialog->waveRevision(), 1u);

    plugin->bank().pattern(90).setTriplet(true);
    dialog->command(Id::kCancel);
    EXPECT_EQ(dialog->outcome(), AnalyzeDialog::Outcome::Cancelled);
    EXPECT_EQ(plugin->bank().patterns(), original);
    dialog->command(Id::kUpdate);
    EXPECT_EQ(plugin->bank().patterns(), original) << "a finished dialog takes no more commands";
}

TEST_F(AnalyzeDialogTest, AnEightBitWaveIsRefusedWithTheMessageAndChangesNothing) {
    detect(writeSteps("good_2step.wav", {400, 400}));
    const Pattern before = current();
    writeFile(folder.file("eight.wav"), asString(wavFile({1, 2, 3}, {.bits = 8})));
    desktop.clearCalls();
    detect(folder.file("eight.wav"));
    const auto boxes = desktop.callsOf(ScriptedDesktop::CallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message.caption, "Unsupported wave format");
    EXPECT_EQ(boxes[0].message.text,
              "Must be uncompressed 16-bit .wav or .aiff.\nPlease try opening in a sample editor and resaving.\n");
    EXPECT_EQ(current(), before);
    EXPECT_EQ(dialog->wave().count(), 10000u);
    EXPECT_EQ(dialog->waveRevision(), 1u);
}

TEST_F(AnalyzeDialogTest, StepRowsEditTheStepsTheyShowAndShiftAppliesToAllSteps) {
    current().setLength(64);
    current().clear(false);
    current().setLength(20);
    dialog->setScrollOffset(4);
    const int gate0 = Id::rowControl(Column::Gate, 0);
    dialog->command(gate0);
    EXPECT_TRUE(current().step(4).has(StepFlags::Gate));
    EXPECT_FALSE(current().step(5).has(StepFlags::Gate));
    EXPECT_EQ(dialog->text(Id::rowControl(Column::StepNumber, 0)), "05") << "Firststep 1 counts from 01";

    dialog->command(Id::rowControl(Column::Gate, 1), true);
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(current().step(i).has(StepFlags::Gate)) << "step " << i;
    }
    EXPECT_FALSE(current().step(20).has(StepFlags::Gate)) << "past the pattern's length";
    dialog->command(Id::rowControl(Column::Accent, 2), true);
    dialog->command(Id::rowControl(Column::Accent, 2), true);
    EXPECT_FALSE(current().step(0).has(StepFlags::Accent)) << "the clicked box's new state, everywhere";

    dialog->setText(Id::rowControl(Column::Note, 3), "D#4");
    EXPECT_EQ(current().step(7), (Step{3, StepFlags::Gate | StepFlags::Up}));
    dialog->setText(Id::rowControl(Column::Note, 3), "x4");
    EXPECT_EQ(current().step(7), (Step{3, StepFlags::Gate | StepFlags::Up})) << "no step name";
    EXPECT_EQ(dialog->text(Id::rowControl(Column::Note, 3)), "d#4");

    dialog->setScrollOffset(60);
    EXPECT_EQ(dialog->scrollOffset(), 48);
    EXPECT_EQ(dialog->text(Id::rowControl(Column::StepNumber, 15)), "64");
    dialog->setScrollOffset(-3);
    EXPECT_EQ(dialog->scrollOffset(), 0);
}

TEST_F(AnalyzeDialogTest, StepsUpDownTripletAndPlayLabels) {
    dialog->upDown(Id::kStepsUpDown, -1);
    EXPECT_EQ(dialog->text(Id::kSteps), "15");
    current().setLength(64);
    dialog->upDown(Id::kStepsUpDown, 1);
    EXPECT_EQ(current().length(), 64);
    current().setLength(1);
    dialog->upDown(Id::kStepsUpDown, -1);
    EXPECT_EQ(current().length(), 1);

    dialog->command(Id::kTriplet);
    EXPECT_TRUE(current().isTriplet() && dialog->checked(Id::kTriplet));

    EXPECT_EQ(dialog->text(Id::kPlayWave), "Play Wave");
    EXPECT_EQ(dialog->text(Id::kPlayPattern), "Play Pattern");
    dialog->command(Id::kPlayWave);
    dialog->command(Id::kPlayPattern);
    EXPECT_EQ(dialog->text(Id::kPlayWave), "Stop Wave");
    EXPECT_EQ(dialog->text(Id::kPlayPattern), "Stop Pattern");
    dialog->command(Id::kPlayPattern);
    EXPECT_EQ(dialog->text(Id::kPlayPattern), "Play Pattern");
}

TEST_F(AnalyzeDialogTest, MatchTempoOnFollowsTheWaveAndOffPutsTheTempoBack) {
    plugin->settings().syncMode = 1;
    plugin->setTempo(100.0);
    dialog.reset();  // reopened with these in force
    dialog = std::make_unique<AnalyzeDialog>(*plugin, desktop, clipboard, session);
    detect(writeSteps("m_4step.wav", {400, 400, 400, 400}));
    dialog->command(Id::kMatchTempo);
    EXPECT_TRUE(dialog->checked(Id::kMatchTempo));
    EXPECT_EQ(plugin->settings().syncMode, 0);
    process(1);
    EXPECT_NEAR(plugin->stepClock().samplesPerStep, 5000.0, 1e-6);
    dialog->upDown(Id::kStepsUpDown, -1);
    process(1);
    EXPECT_NEAR(plugin->stepClock().samplesPerStep, 6666.0, 1e-6) << "applied again at the refresh";

    dialog->command(Id::kMatchTempo);
    EXPECT_EQ(plugin->settings().syncMode, 1);
    EXPECT_DOUBLE_EQ(plugin->stepClock().tempo, 100.0);
}

TEST_F(AnalyzeDialogTest, CopyPasteAndViewGoThroughTheScratchFiles) {
    current().setLength(3);
    current().setStep(1, Step{15, StepFlags::Gate | StepFlags::Slide | StepFlags::Up});
    const Pattern copied = current();
    dialog->command(Id::kCopy);
    ASSERT_TRUE(clipboard.contents().has_value());
    EXPECT_EQ(*clipboard.contents(), readFile(folder.file("clipboard.pat")));
    EXPECT_NE(clipboard.contents()->find("d#5 1 1 0\n"), std::string::npos);

    current().setLength(9);
    current().setStep(1, Step{});
    dialog->command(Id::kPaste);
    EXPECT_EQ(current().length(), 9) << "the answer comes in poll()";
    clipboard.poll();
    EXPECT_EQ(current().length(), 3);
    EXPECT_EQ(current().step(1), copied.step(1));

    // Text from another program passes through the file as it is.
    clipboard.setContents("; VEXO Meta tag: 2\r\nc-2 1 0 1\r\ng-3 0 0 0\r\n");
    dialog->command(Id::kPaste);
    clipboard.poll();
    EXPECT_EQ(readFile(folder.file("clipboard.pat")), *clipboard.contents());
    EXPECT_EQ(current().length(), 2);
    EXPECT_EQ(current().step(0), (Step{0, StepFlags::Gate | StepFlags::Accent | StepFlags::Down}));

    clipboard.setContents(std::nullopt);
    dialog->command(Id::kPaste);
    clipboard.poll();
    EXPECT_EQ(current().length(), 2) << "no text: nothing happens";

    dialog->command(Id::kView);
    const auto opened = desktop.callsOf(ScriptedDesktop::CallKind::OpenInTextEditor);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].paths, std::vector<std::string>{plugin->configPath("pattern.pat")});
    EXPECT_EQ(readFile(folder.file("pattern.pat")), patternToText(current()));

    dialog->command(Id::kPaste);
    dialog.reset();
    clipboard.poll();  // the answer finds the dialog gone and does nothing
    EXPECT_EQ(current().length(), 2);
}

// The window only presents the logic: a Shift-click on a Gate box of the window, the play
// label and Escape as Cancel, seen through the widgets.
TEST_F(AnalyzeDialogTest, TheWindowPassesClicksAndKeysToTheLogic) {
    dialog.reset();
    const auto original = plugin->bank().patterns();
    AnalyzeDialogWindow window(*plugin, desktop, clipboard);
    window.showOffscreen();
    window.idle(1000);
    DialogFrame& frame = window.frame();
    const auto click = [&](int id, CButtonState modifiers = 0) {
        const CRect r = window.control(id)->getViewSize();
        const CPoint where{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        frame.pointerDown(where, kLButton | modifiers);
        frame.pointerUp(where, kLButton | modifiers);
    };
    desktop.queueChosenFiles({writeSteps("w_2step.wav", {0, 400})});
    click(Id::kDetectFromWave);
    desktop.poll();
    window.idle(1060);  // the timer shows what the answer changed
    EXPECT_EQ(current().length(), 2);
    EXPECT_EQ(static_cast<UpDownNumber*>(window.control(Id::kStepsUpDown))->number(), 2);
    EXPECT_FALSE(static_cast<CheckBox*>(window.control(Id::rowControl(Column::Gate, 0)))->isChecked());

    click(Id::rowControl(Column::Gate, 1), kShift);
    EXPECT_FALSE(current().step(0).has(StepFlags::Gate) || current().step(1).has(StepFlags::Gate));
    EXPECT_TRUE(current().step(2).has(StepFlags::Gate)) << "past the pattern's length";
    click(Id::kPlayWave);
    EXPECT_EQ(static_cast<PushButton*>(window.control(Id::kPlayWave))->title(), "Stop Wave");

    frame.keyDown(VstKeyCode{0, kVirtKeyEscape, 0});
    EXPECT_TRUE(window.isClosed());
    EXPECT_EQ(plugin->bank().patterns(), original);
}

TEST(WaveEnvelope, EachColumnSpansItsSamplesAndShortWavesRepeatTheirSamples) {
    const std::vector<float> wave = {0.0f, 0.5f, -0.25f, 1.0f, -1.0f, 0.1f};
    EXPECT_EQ(waveEnvelope(wave, 2), (std::vector<ColumnRange>{{-0.25f, 0.5f}, {-1.0f, 1.0f}}));
    EXPECT_EQ(waveEnvelope(std::vector<float>{0.3f, -0.2f}, 4),
              (std::vector<ColumnRange>{{0.3f, 0.3f}, {0.3f, 0.3f}, {-0.2f, -0.2f}, {-0.2f, -0.2f}}));
    EXPECT_TRUE(waveEnvelope({}, 485).empty());
}

// Two programs on one X server: the text of the one that copied last is what the other reads.
TEST(X11ClipboardTest, TextPassesBetweenConnectionsAndTheLastCopyOwnsIt) {
    if (!XvfbServer::available()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.start());
    std::unique_ptr<X11Clipboard> first = X11Clipboard::open();
    std::unique_ptr<X11Clipboard> second = X11Clipboard::open();
    ASSERT_TRUE(first && second);

    const auto read = [&](X11Clipboard& reader) {
        std::optional<std::optional<std::string>> got;
        reader.requestText([&](std::optional<std::string> text) { got = std::move(text); });
        for (int i = 0; i < 2000 && !got; ++i) {
            first->poll();
            second->poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return got.value_or(std::optional<std::string>("no answer"));
    };

    EXPECT_EQ(read(*second), std::nullopt) << "nobody owns the clipboard";
    ASSERT_TRUE(first->setText("; VEXO Meta tag: 1\nc-3 1 0 0\n"));
    EXPECT_EQ(read(*second), "; VEXO Meta tag: 1\nc-3 1 0 0\n");
    ASSERT_TRUE(second->setText("caf\xC3\xA9"));
    EXPECT_EQ(read(*first), "caf\xC3\xA9");
    EXPECT_FALSE(first->ownsSelection()) << "taken by the second copy";
    EXPECT_EQ(read(*second), "caf\xC3\xA9") << "our own text, without asking the server";
}

// Opened from the pattern menu in a real X server: a click on a box, Copy served to another
// program through the desktop clipboard from the editor's idle calls, Cancel.
class AnalyzeX11Test : public EditorFixture {
protected:
    void SetUp() override {
        if (!XvfbServer::available()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(server_.start("1280x1024x24"));
        EditorFixture::SetUp();
        x_ = std::make_unique<XTestDriver>();
        ASSERT_TRUE(x_->connected());
    }
    void TearDown() override {
        EditorFixture::TearDown();
        x_.reset();
        server_.stop();
    }
    void idleFor(EditorPlugin& effect, int milliseconds) {
        for (int t = 0; t < milliseconds; t += 10) {
            effect.getAeffect()->dispatcher(effect.getAeffect(), effEditIdle, 0, 0, nullptr, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    XvfbServer server_;
    std::unique_ptr<XTestDriver> x_;
};

TEST_F(AnalyzeX11Test, OpensFromThePatternMenuCopiesToOtherProgramsAndCancels) {
    auto& effect = create<EditorPlugin>();
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    const unsigned long hostWindow = x_->createWindow(rect->right, rect->bottom, 0x303030);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(hostWindow)), 1);
    BassEditor& bass = *effect.bassEditor();
    idleFor(effect, 100);
    const auto original = effect.bank().patterns();

    auto& menu = *bass.control<FolderMenu>(BassEditor::kPatternMenuTag);
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        if (menu.getEntry(i) == "Analyze Pattern...") {
            menu.choose(i);
        }
    }
    idleFor(effect, 150);
    auto* window = bass.dialogs().find<AnalyzeDialogWindow>();
    ASSERT_NE(window, nullptr);
    // Without a window manager the dialog stands centred over the host's window.
    const CPoint origin(std::max((rect->right - AnalyzeDialogWindow::kWidth) / 2, 0),
                        std::max((rect->bottom - AnalyzeDialogWindow::kHeight) / 2, 0));
    const auto clickOn = [&](int id) {
        const CRect r = window->control(id)->getViewSize();
        x_->pointerTo(origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2);
        x_->button(1, true);
        x_->button(1, false);
        idleFor(effect, 60);
    };

    const bool gated = effect.bank().current().step(0).has(StepFlags::Gate);
    clickOn(Id::rowControl(Column::Gate, 0));
    EXPECT_NE(effect.bank().current().step(0).has(StepFlags::Gate), gated);

    clickOn(Id::kCopy);
    std::unique_ptr<X11Clipboard> reader = X11Clipboard::open();
    ASSERT_TRUE(reader);
    std::optional<std::optional<std::string>> pasted;
    reader->requestText([&](std::optional<std::string> text) { pasted = std::move(text); });
    for (int i = 0; i < 300 && !pasted; ++i) {
        idleFor(effect, 10);
        reader->poll();
    }
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(*pasted, patternToText(effect.bank().current()));

    clickOn(Id::kCancel);
    EXPECT_FALSE(bass.dialogs().active());
    EXPECT_EQ(effect.bank().patterns(), original);
    dispatch(effEditClose);
}

}  // namespace
}  // namespace vexo::test
