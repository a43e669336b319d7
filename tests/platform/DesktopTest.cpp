// Desktop services: the scripted stand-in, and the system one driving fake dialog programs
// (shell scripts that record their arguments and answer as told).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "TestSupport.h"
#include "platform/ChildProcess.h"
#include "platform/DialogCommands.h"
#include "platform/ScriptedDesktop.h"

namespace vexo {
namespace {

TEST(ScriptedDesktop, AnswersInPollAndRecordsEveryCall) {
    ScriptedDesktop desktop;
    desktop.queueMessageAnswer(MessageAnswer::Yes);
    desktop.queueChosenFiles({"/p/a.pat", "/p/b.pat"});
    std::vector<MessageAnswer> answers;
    std::vector<std::vector<std::string>> chosen;
    desktop.messageBox({"Clear?", "Clear Pattern", MessageButtons::YesNo, MessageIcon::Information},
                       [&](MessageAnswer a) { answers.push_back(a); });
    desktop.chooseFiles({"Load Pattern", {{"Pattern (*.pat)", "*.pat"}}, "pat", "/p/", false, true, false},
                        [&](std::vector<std::string> p) { chosen.push_back(p); });
    desktop.messageBox({"Unanswered", "Fernwave Vexo"}, [&](MessageAnswer a) { answers.push_back(a); });
    desktop.chooseFiles({"Save Pattern"}, [&](std::vector<std::string> p) { chosen.push_back(p); });
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(desktop.busy());
    desktop.poll();
    EXPECT_FALSE(desktop.busy());
    EXPECT_EQ(answers, (std::vector<MessageAnswer>{MessageAnswer::Yes, MessageAnswer::Closed}));
    EXPECT_EQ(chosen, (std::vector<std::vector<std::string>>{{"/p/a.pat", "/p/b.pat"}, {}}));

    EXPECT_TRUE(desktop.openInTextEditor({"/c/Config.ini", "/c/Gui.ini"}));
    desktop.setLaunchesSucceed(false);
    EXPECT_FALSE(desktop.openFolderOrUrl("https://example.org"));
    const auto& calls = desktop.calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].message.caption, "Clear Pattern");
    EXPECT_EQ(calls[0].message.buttons, MessageButtons::YesNo);
    EXPECT_EQ(calls[1].chooser.filters[0].patterns, "*.pat");
    EXPECT_TRUE(calls[1].chooser.multiple);
    EXPECT_EQ(desktop.callsOf(ScriptedDesktop::CallKind::OpenInTextEditor)[0].paths.size(), 2u);
    EXPECT_EQ(calls[5].paths, std::vector<std::string>{"https://example.org"});

    desktop.messageBox({"Dropped"}, [&](MessageAnswer a) { answers.push_back(a); });
    desktop.cancelAll();
    desktop.poll();
    EXPECT_EQ(answers.size(), 2u);
}

TEST(DialogCommands, DefaultExtensionAndChooserOutput) {
    EXPECT_EQ(withDefaultExtension("/a/b/bank", "pat"), "/a/b/bank.pat");
    EXPECT_EQ(withDefaultExtension("/a/b.d/bank", "pat"), "/a/b.d/bank.pat");
    EXPECT_EQ(withDefaultExtension("/a/song.mid", "pat"), "/a/song.mid");
    EXPECT_EQ(withDefaultExtension("/a/bank", ""), "/a/bank");
    EXPECT_EQ(chosenPathsFromOutput("/a/one\n/b/two words\n", true),
              (std::vector<std::string>{"/a/one", "/b/two words"}));
    EXPECT_EQ(chosenPathsFromOutput("/a/x y.pat\n", false), std::vector<std::string>{"/a/x y.pat"});
    EXPECT_TRUE(chosenPathsFromOutput("\n", true).empty());
}

bool processGone(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

class SystemDesktopTest : public ::testing::Test {
protected:
    // A program in the fake folder; "DIR" in the body stands for that folder.
    void writeProgram(const std::string& name, std::string body) {
        for (std::size_t at = body.find("DIR"); at != std::string::npos;
             at = body.find("DIR", at + dir_.path().size())) {
            body.replace(at, 3, dir_.path());
        }
        test::writeFile(dir_.file(name), "#!/bin/sh\n" + body);
        chmod(dir_.file(name).c_str(), 0755);
    }
    // The desktop sees only the fake folder on PATH.
    std::unique_ptr<DesktopServices> createDesktop(unsigned long parentWindowId = 0) {
        const std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        setenv("PATH", dir_.path().c_str(), 1);
        std::unique_ptr<DesktopServices> desktop = createSystemDesktop(parentWindowId);
        setenv("PATH", saved.c_str(), 1);
        return desktop;
    }
    template <typename Condition>
    bool pollUntil(DesktopServices& desktop, Condition condition) {
        for (int i = 0; i < 2000 && !condition(); ++i) {
            desktop.poll();
            usleep(5000);
        }
        return condition();
    }
    std::vector<std::string> chooseAndWait(DesktopServices& desktop, const FileChooserRequest& request) {
        std::vector<std::string> result{"not answered"};
        desktop.chooseFiles(request, [&](std::vector<std::string> paths) { result = std::move(paths); });
        EXPECT_TRUE(pollUntil(desktop, [&] { return !desktop.busy(); }));
        return result;
    }
    MessageAnswer askAndWait(DesktopServices& desktop, const MessageRequest& request) {
        MessageAnswer result = MessageAnswer::Ok;
        int calls = 0;
        desktop.messageBox(request, [&](MessageAnswer answer) {
            result = answer;
            ++calls;
        });
        EXPECT_TRUE(pollUntil(desktop, [&] { return !desktop.busy(); }));
        EXPECT_EQ(calls, 1);
        return result;
    }
    // Arguments the fakes recorded, each as "[argument]".
    std::string recorded() const { return test::readFile(dir_.file("args")); }
    static bool passed(const std::string& args, const std::string& argument) {
        return args.find("[" + argument + "]\n") != std::string::npos;
    }
    pid_t fakePid() const {
        std::istringstream in(test::readFile(dir_.file("pid")));
        pid_t pid = 0;
        return in >> pid ? pid : 0;
    }

    test::TempDir dir_;
    const std::string sleepProgram_ = findProgramOnPath("sleep");
    static constexpr const char* recordArguments = "printf '[%s]\\n' \"$@\" >> DIR/args\n";
};

TEST_F(SystemDesktopTest, OpenChooserPassesTheRequestAndReadsSeveralFiles) {
    writeProgram("zenity", std::string(recordArguments) + "printf '/p/one.pat\\n/p/two words.pat\\n'\n");
    auto desktop = createDesktop(4711);
    FileChooserRequest request{
        "Load Pattern", {{"Pattern (*.pat)", "*.pat"}, {"Rebirth (*.rbs) and Ph (*.ph) files", "*.rbs;*.ph"}},
        "pat",          dir_.path(),
        false,          true,
        false};
    EXPECT_EQ(chooseAndWait(*desktop, request), (std::vector<std::string>{"/p/one.pat", "/p/two words.pat"}));
    const std::string args = recorded();
    for (const std::string& argument :
         {std::string("--file-selection"), std::string("--title=Load Pattern"), std::string("--multiple"),
          std::string("--separator=\n"), "--filename=" + dir_.path() + "/",
          std::string("--file-filter=Pattern (*.pat) | *.pat"),
          std::string("--file-filter=Rebirth (*.rbs) and Ph (*.ph) files | *.rbs *.ph"),
          std::string("--attach=4711")}) {
        EXPECT_TRUE(passed(args, argument)) << argument << " not in\n" << args;
    }
    EXPECT_FALSE(passed(args, "--save"));
}

TEST_F(SystemDesktopTest, CancelledChooserAnswersNothing) {
    writeProgram("zenity", "exit 1\n");
    auto desktop = createDesktop();
    EXPECT_TRUE(chooseAndWait(*desktop, {"Import Patterns", {{"Patterns (*.pat)", "*.pat"}}, "pat"}).empty());
}

TEST_F(SystemDesktopTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    writeProgram("zenity", std::string(recordArguments) +
                               "if [ \"$1\" = --question ]; then read code < DIR/answer; exit $code; fi\n"
                               "printf '%s\\n' DIR/bank\n");
    auto desktop = createDesktop();
    const FileChooserRequest request{"Export Patterns", {{"Patterns (*.pat)", "*.pat"}}, "pat", "", true, false, true};
    const std::vector<std::string> bank{dir_.file("bank.pat")};
    EXPECT_EQ(chooseAndWait(*desktop, request), bank);
    EXPECT_TRUE(passed(recorded(), "--save"));
    EXPECT_TRUE(passed(recorded(), "--confirm-overwrite"));
    EXPECT_FALSE(passed(recorded(), "--question"));

    test::writeFile(bank[0], "existing");
    test::writeFile(dir_.file("answer"), "1\n");
    EXPECT_TRUE(chooseAndWait(*desktop, request).empty());
    EXPECT_TRUE(passed(recorded(), "--question"));
    test::writeFile(dir_.file("answer"), "0\n");
    EXPECT_EQ(chooseAndWait(*desktop, request), bank);
}

TEST_F(SystemDesktopTest, MessageBoxShowsTextLiterallyAndReadsTheButton) {
    writeProgram("zenity", std::string(recordArguments) + "read code < DIR/answer; exit $code\n");
    auto desktop = createDesktop();
    const MessageRequest question{"Are you sure you want to clear the pattern?", "Clear Pattern", MessageButtons::YesNo,
                                  MessageIcon::Information};
    const std::pair<const char*, MessageAnswer> cases[] = {
        {"0", MessageAnswer::Yes}, {"1", MessageAnswer::No}, {"5", MessageAnswer::Closed}};
    for (const auto& [code, answer] : cases) {
        test::writeFile(dir_.file("answer"), std::string(code) + "\n");
        EXPECT_EQ(askAndWait(*desktop, question), answer) << code;
    }
    EXPECT_TRUE(passed(recorded(), "--question"));
    EXPECT_TRUE(passed(recorded(), "--title=Clear Pattern"));

    test::writeFile(dir_.file("answer"), "0\n");
    EXPECT_EQ(askAndWait(*desktop, {"Saved <b>a & b</b>\nnext line", "Fernwave Vexo"}), MessageAnswer::Ok);
    EXPECT_TRUE(passed(recorded(), "--info"));
    EXPECT_TRUE(passed(recorded(), "--text=Saved <b>a & b</b>\nnext line"));
    EXPECT_TRUE(passed(recorded(), "--no-markup"));
}

TEST_F(SystemDesktopTest, PollDoesNotWaitForTheDialog) {
    writeProgram("zenity", "echo $$ > DIR/pid\n" + sleepProgram_ + " 1\nprintf '/p/late.pat\\n'\n");
    auto desktop = createDesktop();
    std::vector<std::string> result;
    bool answered = false;
    desktop->chooseFiles({"Load Pattern"}, [&](std::vector<std::string> paths) {
        result = std::move(paths);
        answered = true;
    });
    desktop->poll();
    EXPECT_FALSE(answered);
    EXPECT_TRUE(desktop->busy());
    ASSERT_TRUE(pollUntil(*desktop, [&] { return answered; }));
    EXPECT_EQ(result, std::vector<std::string>{"/p/late.pat"});
    EXPECT_TRUE(processGone(fakePid()));  // reaped, not left as a zombie
}

TEST_F(SystemDesktopTest, CancelAllClosesTheDialogAndDropsItsAnswer) {
    writeProgram("zenity", "echo $$ > DIR/pid\n" + sleepProgram_ + " 30\nprintf '/p/never.pat\\n'\n");
    auto desktop = createDesktop();
    bool answered = false;
    desktop->chooseFiles({"Load Pattern"}, [&](std::vector<std::string>) { answered = true; });
    ASSERT_TRUE(pollUntil(*desktop, [&] { return fakePid() > 0; }));
    const pid_t pid = fakePid();
    desktop->cancelAll();
    EXPECT_FALSE(desktop->busy());
    EXPECT_TRUE(pollUntil(*desktop, [&] { return processGone(pid); }));
    EXPECT_FALSE(answered);
}

TEST_F(SystemDesktopTest, LaunchedProgramsGetTheirTargetAndAreReaped) {
    writeProgram("xdg-open", "echo \"$$ $1\" >> DIR/opened\n");
    auto desktop = createDesktop();
    EXPECT_TRUE(desktop->openInTextEditor({"/c/Config.ini", "/c/Gui.ini"}));
    EXPECT_TRUE(desktop->openFolderOrUrl("-odd name"));
    auto lines = [&] {
        std::vector<std::pair<pid_t, std::string>> result;
        std::istringstream in(test::readFile(dir_.file("opened")));
        pid_t pid = 0;
        std::string target;
        while (in >> pid && std::getline(in >> std::ws, target)) {
            result.emplace_back(pid, target);
        }
        return result;
    };
    ASSERT_TRUE(pollUntil(*desktop, [&] { return lines().size() == 3; }));
    std::vector<std::string> targets;
    for (const auto& [pid, target] : lines()) {
        targets.push_back(target);
        EXPECT_TRUE(pollUntil(*desktop, [pid = pid] { return processGone(pid); })) << target;
    }
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, (std::vector<std::string>{"./-odd name", "/c/Config.ini", "/c/Gui.ini"}));
}

TEST_F(SystemDesktopTest, KdialogServesWhenZenityIsMissing) {
    writeProgram("kdialog",
                 std::string(recordArguments) + "case \"$*\" in *--getsavefilename*) printf '/k/song\\n' ;; esac\n");
    auto desktop = createDesktop(99);
    EXPECT_EQ(askAndWait(*desktop, {"Are you sure?", "Clear Pattern", MessageButtons::YesNo}), MessageAnswer::Yes);
    EXPECT_NE(recorded().find("[--title]\n[Clear Pattern]\n[--attach]\n[99]\n[--yesno]\n[Are you sure?]\n"),
              std::string::npos)
        << recorded();
    const FileChooserRequest request{
        "Export MIDI File", {{"MIDI File (*.mid)", "*.mid"}}, "mid", dir_.path(), true, false, true};
    EXPECT_EQ(chooseAndWait(*desktop, request), std::vector<std::string>{"/k/song.mid"});
    EXPECT_NE(recorded().find("[--getsavefilename]\n[" + dir_.path() + "/]\n[*.mid|MIDI File (*.mid)]\n"),
              std::string::npos)
        << recorded();
}

TEST_F(SystemDesktopTest, WithoutDialogProgramsTheEditorsFallbackAnswers) {
    auto desktop = createDesktop();
    testing::internal::CaptureStderr();
    EXPECT_EQ(askAndWait(*desktop, {"Notice", "Fernwave Vexo"}), MessageAnswer::Closed);
    EXPECT_TRUE(chooseAndWait(*desktop, {"Load Pattern"}).empty());
    EXPECT_EQ(askAndWait(*desktop, {"Again", "Fernwave Vexo"}), MessageAnswer::Closed);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_NE(printed.find("zenity"), std::string::npos);
    EXPECT_FALSE(desktop->openFolderOrUrl("/some/folder"));

    MessageRequest shownMessage;
    MessageCallback messageDone;
    FileChooserRequest shownChooser;
    FilesCallback chooserDone;
    desktop->setFallbackDialogs({[&](const MessageRequest& r, MessageCallback done) {
                                     shownMessage = r;
                                     messageDone = std::move(done);
                                 },
                                 [&](const FileChooserRequest& r, FilesCallback done) {
                                     shownChooser = r;
                                     chooserDone = std::move(done);
                                 }});
    MessageAnswer answer = MessageAnswer::Closed;
    desktop->messageBox({"Clear?", "Clear Pattern", MessageButtons::YesNo}, [&](MessageAnswer a) { answer = a; });
    EXPECT_EQ(shownMessage.caption, "Clear Pattern");
    desktop->poll();
    EXPECT_TRUE(desktop->busy());
    messageDone(MessageAnswer::Yes);
    EXPECT_EQ(answer, MessageAnswer::Closed);  // only poll() delivers
    desktop->poll();
    EXPECT_EQ(answer, MessageAnswer::Yes);

    std::vector<std::string> saved;
    desktop->chooseFiles({"Export MIDI File", {}, "mid", "", true}, [&](std::vector<std::string> p) { saved = p; });
    EXPECT_TRUE(shownChooser.save);
    chooserDone({"/x/song"});
    EXPECT_TRUE(pollUntil(*desktop, [&] { return !desktop->busy(); }));
    EXPECT_EQ(saved, std::vector<std::string>{"/x/song.mid"});

    answer = MessageAnswer::Closed;
    desktop->messageBox({"Late"}, [&](MessageAnswer a) { answer = a; });
    desktop->cancelAll();
    messageDone(MessageAnswer::Ok);
    desktop->poll();
    EXPECT_EQ(answer, MessageAnswer::Closed);
    EXPECT_FALSE(desktop->busy());
}

}  // namespace
}  // namespace vexo
