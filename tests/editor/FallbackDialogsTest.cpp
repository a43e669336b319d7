// The message box and file chooser drawn with our widgets, reached through the system desktop
// on a machine without zenity or kdialog, shown offscreen by a dialog host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TestSupport.h"
#include "editor/dialogs/DialogHost.h"
#include "editor/dialogs/FallbackDialogs.h"
#include "gui/Frame.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo::test {
namespace {

VstKeyCode key(std::uint8_t virt) {
    return VstKeyCode{0, virt, 0};
}

class FallbackDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A PATH without any dialog program.
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        setenv("PATH", emptyBin_.path().c_str(), 1);
        desktop = createSystemDesktop(0);
        setenv("PATH", savedPath_.c_str(), 1);
        host.attach(panel, 0, true);
        desktop->setFallbackDialogs(makeFallbackDialogs(host));
        for (const char* name : {"b.pat", "a.PAT", "notes.txt", "c.ph"}) {
            writeFile(files.file(name), "x");
        }
        std::filesystem::create_directory(files.file("sub"));
        writeFile(files.file("sub/inner.pat"), "x");
    }

    // Two of the editor's idle calls: dialogs served, answers delivered (a chooser's answer
    // passes the desktop's extension step first and arrives with the second poll).
    void idle() {
        for (int call = 0; call < 2; ++call) {
            host.idle(now += 10);
            desktop->poll();
        }
    }
    DialogFrame& topFrame() { return host.top()->frame(); }
    void type(const std::string& text) {
        for (char c : text) {
            topFrame().keyDown(VstKeyCode{c, 0, 0});
        }
    }

    TempDir emptyBin_;
    std::string savedPath_;
    TempDir files;
    CFrame panel{CRect(0, 0, 300, 200), nullptr};
    DialogHost host;
    std::unique_ptr<DesktopServices> desktop;
    std::uint32_t now = 1000;
};

TEST_F(FallbackDialogsTest, MessageBoxAnswersYesNoAndTheCancelButtonForEscape) {
    std::vector<MessageAnswer> answers;
    const MessageRequest question{"Are you sure you want to clear the pattern?", "Clear Pattern", MessageButtons::YesNo,
                                  MessageIcon::Information};
    desktop->messageBox(question, [&answers](MessageAnswer a) { answers.push_back(a); });
    idle();
    ASSERT_TRUE(host.active());
    EXPECT_EQ(host.top()->title(), "Clear Pattern");
    topFrame().keyDown(key(kVirtKeyEscape));
    idle();
    desktop->messageBox(question, [&answers](MessageAnswer a) { answers.push_back(a); });
    idle();
    topFrame().keyDown(key(kVirtKeyReturn));
    idle();
    desktop->messageBox({"Done", "Fernwave Vexo", MessageButtons::Ok, MessageIcon::Warning},
                        [&answers](MessageAnswer a) { answers.push_back(a); });
    idle();
    topFrame().cancel();  // the window's close box
    idle();
    EXPECT_EQ(answers, (std::vector<MessageAnswer>{MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Ok}));
    EXPECT_FALSE(host.active());
    EXPECT_FALSE(desktop->busy());
}

TEST_F(FallbackDialogsTest, OpenChooserFiltersEntersFoldersAndTakesSeveralFiles) {
    std::vector<std::vector<std::string>> answers;
    FileChooserRequest request{"Load Pattern", {{"Pattern (*.pat)", "*.pat"}}, "pat", files.path() + "/", false, true,
                               false};
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    auto* chooser = dynamic_cast<FileChooserDialog*>(host.top());
    ASSERT_NE(chooser, nullptr);
    std::vector<std::string> shown;
    for (const ListBox::Item& item : chooser->list().items()) {
        shown.push_back(item.text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"sub", "a.PAT", "b.pat"}));

    // Ctrl+click adds a second file; Open answers both.
    DialogFrame& frame = topFrame();
    const CRect rows = chooser->list().getViewSize();
    const auto rowPoint = [&rows](int row) {
        return CPoint(rows.left + 40, rows.top + 3 + row * ListBox::kItemHeight + 8);
    };
    frame.pointerDown(rowPoint(1), kLButton);
    frame.pointerUp(rowPoint(1), kLButton);
    EXPECT_EQ(chooser->nameField().text(), "a.PAT");
    frame.pointerDown(rowPoint(2), kLButton | kControl);
    frame.pointerUp(rowPoint(2), kLButton | kControl);
    EXPECT_EQ(chooser->nameField().text(), "\"a.PAT\" \"b.pat\"");
    frame.keyDown(key(kVirtKeyReturn));
    idle();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (std::vector<std::string>{files.file("a.PAT"), files.file("b.pat")}));

    // A double click on a folder enters it; a name typed there answers that file.
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    chooser = dynamic_cast<FileChooserDialog*>(host.top());
    topFrame().pointerDown(rowPoint(0), kLButton);
    topFrame().pointerDown(rowPoint(0), kLButton | kDoubleClick);
    EXPECT_EQ(chooser->folder(), files.file("sub"));
    topFrame().setFocus(&chooser->nameField());
    type("inner.pat");
    topFrame().keyDown(key(kVirtKeyReturn));
    idle();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1], (std::vector<std::string>{files.file("sub/inner.pat")}));
}

TEST_F(FallbackDialogsTest, SaveChooserAsksBeforeReplacingAndCancelAnswersNothing) {
    std::vector<std::vector<std::string>> answers;
    FileChooserRequest request{
        "Save Pattern", {{"Pattern (*.pat)", "*.pat"}}, "pat", files.file("b.pat"), true, false, true};
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    auto* chooser = dynamic_cast<FileChooserDialog*>(host.top());
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->folder(), files.path());
    EXPECT_EQ(chooser->nameField().text(), "b.pat");  // the start file's name
    topFrame().keyDown(key(kVirtKeyReturn));
    idle();
    // The question lies above the chooser and takes the input; No keeps the chooser open.
    ASSERT_NE(dynamic_cast<MessageBoxDialog*>(host.top()), nullptr);
    EXPECT_FALSE(chooser->frame().inputEnabled());
    topFrame().keyDown(key(kVirtKeyEscape));
    idle();
    EXPECT_EQ(host.top(), chooser);
    EXPECT_TRUE(answers.empty());
    topFrame().keyDown(key(kVirtKeyReturn));
    idle();
    topFrame().keyDown(key(kVirtKeyReturn));  // Yes
    idle();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (std::vector<std::string>{files.file("b.pat")}));

    // A new name is answered at once (with the default extension added); a cancelled chooser
    // answers nothing, also when the editor closes over it.
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    chooser = dynamic_cast<FileChooserDialog*>(host.top());
    chooser->nameField().setText("");
    topFrame().setFocus(&chooser->nameField());
    type("new");
    topFrame().keyDown(key(kVirtKeyReturn));
    idle();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1], (std::vector<std::string>{files.file("new.pat")}));
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    topFrame().keyDown(key(kVirtKeyEscape));
    idle();
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_TRUE(answers[2].empty());
    desktop->chooseFiles(request, [&answers](std::vector<std::string> paths) { answers.push_back(paths); });
    idle();
    host.detach();
    idle();
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_TRUE(answers[3].empty());
}

}  // namespace
}  // namespace vexo::test
