// emberhall.scr started with the command lines a screen-saver host (or a user) gives it. The
// letter decides: the saver runs (its window appears; the test then closes it), or the program
// ends at once with exit code 0 and creates no window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
// The saver under test, as a Windows path (ctest passes the Linux path).
std::string saverPath() {
    const char* path = std::getenv("EH_SAVER");
    if (!path)
        return {};
    std::string windowsPath = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    return windowsPath;
}

struct Outcome {
    bool windowSeen = false;
    bool exited = false;
    DWORD exitCode = 1;
};

// Starts `commandLine` (with `application` as the file to run) and watches it for up to
// `seconds`: an "Emberhall" window that appears is closed with WM_CLOSE, which the saver takes
// as its quit exit.
Outcome launch(const std::string& application, std::string commandLine, int seconds = 20) {
    SetCursorPos(0, 0); // the first mouse reading must not look like movement
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    Outcome outcome;
    if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << application << ": " << GetLastError();
        return outcome;
    }
    for (int waited = 0; waited < seconds * 10; ++waited) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            outcome.exited = true;
            break;
        }
        if (HWND window = FindWindowA("Emberhall", "Emberhall")) {
            outcome.windowSeen = true;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    if (!outcome.exited)
        TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        saver = saverPath();
        if (saver.empty())
            GTEST_SKIP() << "EH_SAVER names no saver";
    }
    std::string saver;
};
} // namespace

TEST_F(CommandLine, slashSRunsTheSaverAndAQuitMessageEndsItWithZero) {
    const Outcome outcome = launch(saver, "\"" + saver + "\" /s");
    EXPECT_TRUE(outcome.windowSeen);
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.exitCode, 0u);
}

TEST_F(CommandLine, theSwitchMarkIsNotLookedAtAndNoLetterRunsTheSaver) {
    for (const std::string& tail : {std::string(" -S"), std::string("")}) {
        const Outcome outcome = launch(saver, "\"" + saver + "\"" + tail);
        EXPECT_TRUE(outcome.windowSeen) << tail;
        EXPECT_EQ(outcome.exitCode, 0u) << tail;
    }
}

TEST_F(CommandLine, previewPasswordAndUnknownLettersEndAtOnceWithoutAWindow) {
    for (const char* tail : {" /p 1234", " /a", " /x", "  /s"}) {
        const Outcome outcome = launch(saver, "\"" + saver + "\"" + tail, 10);
        EXPECT_TRUE(outcome.exited) << tail;
        EXPECT_FALSE(outcome.windowSeen) << tail;
        EXPECT_EQ(outcome.exitCode, 0u) << tail;
    }
}

TEST_F(CommandLine, aPathWithABlankWorksQuotedButNotUnquoted) {
    const std::string folder = "C:\\My Savers";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\emberhall.scr";
    ASSERT_TRUE(CopyFileA(saver.c_str(), copy.c_str(), FALSE));

    const Outcome quoted = launch(copy, "\"" + copy + "\" /s");
    EXPECT_TRUE(quoted.windowSeen);
    EXPECT_EQ(quoted.exitCode, 0u);

    // Unquoted, the letter is taken two places after the first blank: the a of "Savers".
    const Outcome unquoted = launch(copy, copy + " /s", 10);
    EXPECT_TRUE(unquoted.exited);
    EXPECT_FALSE(unquoted.windowSeen);
    EXPECT_EQ(unquoted.exitCode, 0u);

    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}
