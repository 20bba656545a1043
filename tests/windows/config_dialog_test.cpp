// The configuration dialog made from the program's own template and driven with the messages a
// user's clicks and keys produce, and the other resources the program carries. Under Wine the
// Windows directory is the prefix's drive_c/windows; every test puts back the emberhall.dat it
// found there.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "seams/data_files.h"
#include "settings/settings.h"
#include "windows/config_dialog.h"
#include "windows/resources/resource.h"
#include "windows/windows_data_files.h"

namespace {
// The dialog's settings file lives in the Windows directory, as in the saver.
class WindowsDirectory : public ::testing::Environment {
    void SetUp() override { useDataFiles(windowsDataFiles()); }
};
const auto* const windowsDirectory = ::testing::AddGlobalTestEnvironment(new WindowsDirectory);

using Bytes = std::vector<uint8_t>;

constexpr UINT boxPollMilliseconds = 20;

std::string settingsPath() {
    return dataFilePath("emberhall.dat");
}
std::string temporaryPath() {
    return settingsPath() + ".new";
}

std::optional<Bytes> readFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    Bytes bytes;
    for (int c; (c = std::fgetc(file)) != EOF;)
        bytes.push_back(uint8_t(c));
    std::fclose(file);
    return bytes;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    if (!bytes.empty()) // an empty vector has no data pointer to give fwrite
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Takes the settings file out of the way for one test and puts it back afterwards, together with
// the start values of the process-wide flags.
class SettingsFileGuard {
  public:
    SettingsFileGuard() : saved_(readFile(settingsPath())) {
        std::remove(settingsPath().c_str());
        resetSettings();
    }
    ~SettingsFileGuard() {
        RemoveDirectoryA(temporaryPath().c_str());
        std::remove(settingsPath().c_str());
        if (saved_)
            writeFile(settingsPath(), *saved_);
        resetSettings();
    }
    SettingsFileGuard(const SettingsFileGuard&) = delete;
    SettingsFileGuard& operator=(const SettingsFileGuard&) = delete;

  private:
    std::optional<Bytes> saved_;
};

// A message box that a click opened: found from a timer while its own modal loop runs, read and
// closed with OK.
struct SeenBox {
    bool seen = false;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
};

HWND boxOwner = nullptr;
SeenBox* boxSeen = nullptr;

BOOL CALLBACK collectStaticText(HWND child, LPARAM target) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    if (_stricmp(className, "Static") == 0 && text[0] != '\0')
        reinterpret_cast<std::string*>(target)->append(text);
    return TRUE;
}

BOOL CALLBACK findOwnedBox(HWND window, LPARAM found) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && GetWindow(window, GW_OWNER) == boxOwner) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK closeOwnedBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&box));
    if (!box || boxSeen->seen)
        return;
    boxSeen->seen = true;
    boxSeen->owner = GetWindow(box, GW_OWNER);
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    boxSeen->caption = caption;
    EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&boxSeen->text));
    SendMessageA(box, WM_COMMAND, IDOK, 0);
}

// Runs `action`, closing with OK any message box owned by `owner` that it shows.
template <typename Action> SeenBox whileClosingBoxes(HWND owner, Action action) {
    SeenBox seen;
    boxOwner = owner;
    boxSeen = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, boxPollMilliseconds, closeOwnedBox);
    action();
    KillTimer(nullptr, timer);
    boxSeen = nullptr;
    return seen;
}

class ConfigDialog : public ::testing::Test {
  protected:
    void TearDown() override {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        pumpMessages();
    }

    void open() {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG),
                                    GetDesktopWindow(), configDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        quitPosted = false;
    }

    void click(int control) { SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0); }

    // What the dialog's own modal loop would do with a key pressed in it.
    void pressKey(WPARAM key) {
        MSG message = {dialog, WM_KEYDOWN, key, 0, GetTickCount(), {0, 0}};
        IsDialogMessageA(dialog, &message);
    }

    bool checked(int control) const { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

    // Serves what was posted, as the host's loop would, and notes the quit message.
    void pumpMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitPosted = true;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    // The dialog is gone and the configuration mode's loop would end.
    void expectClosed() {
        pumpMessages();
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(quitPosted);
    }

    SettingsFileGuard guard;
    HWND dialog = nullptr;
    bool quitPosted = false;
};

TEST_F(ConfigDialog, opensWithTheStartValuesWhenNoFileExistsAndOkWritesThem) {
    open();
    EXPECT_TRUE(checked(IDC_STANDARD));
    EXPECT_FALSE(checked(IDC_YELLOW));
    EXPECT_FALSE(checked(IDC_CYCLE));
    EXPECT_TRUE(checked(IDC_SOUND));
    EXPECT_FALSE(checked(IDC_MUSIC));
    EXPECT_FALSE(checked(IDC_SPARKS));
    EXPECT_EQ(readFile(settingsPath()), std::nullopt) << "opening writes nothing";
    click(IDOK);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{1, 0, 0, 1, 0, 0}));
}

TEST_F(ConfigDialog, enterActsAsOk) {
    open();
    click(IDC_SPARKS);
    pressKey(VK_RETURN);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{1, 0, 0, 1, 0, 1}));
}

TEST_F(ConfigDialog, theLastColourClickedIsStoredAlone) {
    open();
    click(IDC_YELLOW);
    EXPECT_EQ(yellowColor(), 1) << "a click goes into the flags at once";
    EXPECT_EQ(standardColor(), 0);
    click(IDC_CYCLE);
    EXPECT_FALSE(checked(IDC_STANDARD));
    EXPECT_FALSE(checked(IDC_YELLOW));
    EXPECT_TRUE(checked(IDC_CYCLE));
    click(IDOK);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0, 0, 1, 1, 0, 0}));
}

TEST_F(ConfigDialog, clickingTheCheckedColourSetsTheSameStatesAgain) {
    writeFile(settingsPath(), {0, 1, 0, 1, 0, 0});
    open();
    click(IDC_YELLOW);
    EXPECT_TRUE(checked(IDC_YELLOW));
    EXPECT_EQ(standardColor(), 0);
    EXPECT_EQ(yellowColor(), 1);
    EXPECT_EQ(cycleColors(), 0);
}

TEST_F(ConfigDialog, boxesFollowEachClickAndStandardWinsOverYellow) {
    writeFile(settingsPath(), {1, 1, 0, 0, 0, 0});
    open();
    EXPECT_TRUE(checked(IDC_STANDARD));
    EXPECT_FALSE(checked(IDC_YELLOW));
    EXPECT_FALSE(checked(IDC_SOUND));
    click(IDC_SOUND);
    click(IDC_MUSIC);
    click(IDC_SPARKS);
    click(IDC_SPARKS);
    EXPECT_EQ(soundEffects(), 1);
    EXPECT_EQ(musicPlaylist(), 1);
    EXPECT_EQ(randomSparks(), 0);
    click(IDOK);
    expectClosed();
    // Showing the colours changed no flag: both colour bytes go back as they came.
    EXPECT_EQ(readFile(settingsPath()), (Bytes{1, 1, 0, 1, 1, 0}));
}

TEST_F(ConfigDialog, allColourBytesZeroShowsNoRadioAndIsWrittenBack) {
    writeFile(settingsPath(), {0, 0, 0, 0, 0, 0});
    open();
    EXPECT_FALSE(checked(IDC_STANDARD));
    EXPECT_FALSE(checked(IDC_YELLOW));
    EXPECT_FALSE(checked(IDC_CYCLE));
    click(IDOK);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0, 0, 0, 0, 0, 0}));
}

TEST_F(ConfigDialog, unusualBytesShowUncheckedAndGoBackUnchangedUnlessClicked) {
    writeFile(settingsPath(), {0x02, 0xFF, 0x01, 0x02, 0xFF, 0x02});
    open();
    EXPECT_FALSE(checked(IDC_STANDARD));
    EXPECT_FALSE(checked(IDC_YELLOW));
    EXPECT_TRUE(checked(IDC_CYCLE));
    EXPECT_FALSE(checked(IDC_SOUND));
    EXPECT_FALSE(checked(IDC_MUSIC));
    EXPECT_FALSE(checked(IDC_SPARKS));
    click(IDC_MUSIC);
    click(IDOK);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0x02, 0xFF, 0x01, 0x02, 0x01, 0x02}));
}

TEST_F(ConfigDialog, aShortFileIsWrittenBackWithItsMissingBytesAsFF) {
    writeFile(settingsPath(), {0, 1, 0});
    open();
    EXPECT_TRUE(checked(IDC_YELLOW));
    EXPECT_FALSE(checked(IDC_SOUND));
    click(IDOK);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0, 1, 0, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ConfigDialog, cancelEscapeAndTheCloseBoxWriteNothing) {
    const Bytes before = {0, 1, 0, 0, 0, 0};
    writeFile(settingsPath(), before);
    open();
    click(IDC_CYCLE);
    click(IDC_SPARKS);
    click(IDCANCEL);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), before);

    open();
    click(IDC_SOUND);
    pressKey(VK_ESCAPE);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), before);

    open();
    click(IDC_MUSIC);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), before);
}

TEST_F(ConfigDialog, cancelWithoutAFileLeavesNone) {
    open();
    click(IDCANCEL);
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), std::nullopt);
}

TEST_F(ConfigDialog, aboutShowsItsOwnBoxAndChangesNothing) {
    writeFile(settingsPath(), {0, 0, 1, 0, 1, 2});
    open();
    const SeenBox box = whileClosingBoxes(dialog, [&] { click(IDC_ABOUT); });
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.owner, dialog);
    EXPECT_EQ(box.caption, "About");
    EXPECT_NE(box.text.find("Emberhall"), std::string::npos) << box.text;
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(standardColor(), 0);
    EXPECT_EQ(yellowColor(), 0);
    EXPECT_EQ(cycleColors(), 1);
    EXPECT_EQ(soundEffects(), 0);
    EXPECT_EQ(musicPlaylist(), 1);
    EXPECT_EQ(randomSparks(), 2);
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0, 0, 1, 0, 1, 2}));
}

// Another program holding the file open without sharing it for writing refuses both ways of
// saving: the replacing and the writing in place.
TEST_F(ConfigDialog, aFailedSaveIsReportedNamingTheFileAndKeepsTheOldOne) {
    const Bytes before = {0, 1, 0, 1, 0, 0};
    writeFile(settingsPath(), before);
    open();
    click(IDC_SPARKS);
    const HANDLE holder = CreateFileA(settingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const SeenBox box = whileClosingBoxes(dialog, [&] { click(IDOK); });
    CloseHandle(holder);
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.owner, dialog);
    EXPECT_EQ(box.caption, "Emberhall");
    EXPECT_NE(box.text.find(settingsPath()), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("Cannot replace the old file"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("cannot write into " + settingsPath()), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("Any settings saved before are kept."), std::string::npos) << box.text;
    EXPECT_EQ(box.text.find(".,"), std::string::npos) << "one sentence: " << box.text;
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), before);
    EXPECT_EQ(GetFileAttributesA(temporaryPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "no temporary file is left behind";
}

// Where no new file can be made beside it, OK writes into the file itself, and nothing is shown.
TEST_F(ConfigDialog, okSavesIntoTheFileItselfWhenNoFileCanBeMadeBesideIt) {
    writeFile(settingsPath(), {0, 1, 0, 1, 0, 0, 5, 5});
    ASSERT_TRUE(CreateDirectoryA(temporaryPath().c_str(), nullptr));
    open();
    click(IDC_SPARKS);
    const SeenBox box = whileClosingBoxes(dialog, [&] { click(IDOK); });
    EXPECT_FALSE(box.seen) << box.text;
    expectClosed();
    EXPECT_EQ(readFile(settingsPath()), (Bytes{0, 1, 0, 1, 0, 1}));
}

TEST_F(ConfigDialog, selectColorIgnoresAChoiceOutsideTheThree) {
    writeFile(settingsPath(), {0, 1, 0, 1, 0, 0});
    open();
    selectColor(dialog, 3);
    selectColor(dialog, -1);
    EXPECT_TRUE(checked(IDC_YELLOW));
    EXPECT_FALSE(checked(IDC_STANDARD));
    EXPECT_EQ(yellowColor(), 1);
    EXPECT_EQ(standardColor(), 0);
}

// The template as it must stand, control by control in tab order.
struct ControlSpec {
    int id;
    const char* caption;
    DWORD kind; // the BS_ type
    int x, y, width, height;
    bool tabStop;
};

constexpr ControlSpec expectedControls[] = {
    {IDOK, "OK", BS_DEFPUSHBUTTON, 219, 12, 50, 14, true},
    {IDCANCEL, "Cancel", BS_PUSHBUTTON, 219, 29, 50, 14, true},
    {IDC_STATIC, "Fire Color", BS_GROUPBOX, 7, 7, 201, 25, false},
    {IDC_STANDARD, "Standard", BS_AUTORADIOBUTTON, 14, 17, 52, 10, false},
    {IDC_YELLOW, "Yellow", BS_AUTORADIOBUTTON, 77, 17, 56, 10, false},
    {IDC_CYCLE, "Cycle Colors", BS_AUTORADIOBUTTON, 139, 17, 68, 10, false},
    {IDC_STATIC, "Effects", BS_GROUPBOX, 7, 36, 201, 39, false},
    {IDC_SOUND, "Play Sound Effects", BS_AUTOCHECKBOX, 16, 48, 76, 10, true},
    {IDC_MUSIC, "Play Music Playlist", BS_AUTOCHECKBOX, 107, 48, 81, 10, true},
    {IDC_ABOUT, "About", BS_PUSHBUTTON, 219, 46, 50, 14, true},
    {IDC_SPARKS, "Random Sparks", BS_AUTOCHECKBOX, 16, 61, 91, 10, true},
};

DWORD expectedControlStyle(const ControlSpec& control) {
    return WS_CHILD | WS_VISIBLE | control.kind | (control.tabStop ? WS_TABSTOP : 0);
}

// Reads a classic dialog template (DLGTEMPLATE and its items) as the resource holds it.
class TemplateReader {
  public:
    explicit TemplateReader(const void* start) : p_(static_cast<const uint8_t*>(start)) {}

    uint16_t word() {
        uint16_t value;
        std::memcpy(&value, p_, 2);
        p_ += 2;
        return value;
    }
    uint32_t dword() { return word() | uint32_t(word()) << 16; }
    int16_t coordinate() { return int16_t(word()); }

    // A name or ordinal field: 0 (none), 0xFFFF and an ordinal, or a UTF-16 text.
    std::string text() {
        std::string out;
        uint16_t c = word();
        if (c == 0xFFFF)
            return "#" + std::to_string(word());
        for (; c != 0; c = word())
            out.push_back(char(c)); // every text in this template is ASCII
        return out;
    }

    void alignToDword(const void* base) {
        const auto offset = p_ - static_cast<const uint8_t*>(base);
        p_ += (4 - offset % 4) % 4;
    }

  private:
    const uint8_t* p_;
};

const void* resourceData(LPCSTR name, LPCSTR type, WORD language) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, name, language);
    if (!found)
        return nullptr;
    return LockResource(LoadResource(module, found));
}

constexpr WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

TEST(ConfigDialogTemplate, holdsTheDialogAndEveryControlAsDesigned) {
    const void* data = resourceData(MAKEINTRESOURCEA(IDD_CONFIG), RT_DIALOG, usEnglish);
    ASSERT_NE(data, nullptr) << "template 101 in US English";
    TemplateReader reader(data);
    EXPECT_EQ(reader.dword(),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(reader.dword(), 0u) << "no extended styles";
    const uint16_t count = reader.word();
    ASSERT_EQ(count, std::size(expectedControls));
    EXPECT_EQ(reader.coordinate(), 0);
    EXPECT_EQ(reader.coordinate(), 0);
    EXPECT_EQ(reader.coordinate(), 276);
    EXPECT_EQ(reader.coordinate(), 82);
    EXPECT_EQ(reader.text(), "") << "no menu";
    EXPECT_EQ(reader.text(), "") << "the standard dialog class";
    EXPECT_EQ(reader.text(), "Emberhall - ScreenSaver");
    EXPECT_EQ(reader.word(), 8) << "point size";
    EXPECT_EQ(reader.text(), "MS Sans Serif");
    for (const ControlSpec& control : expectedControls) {
        SCOPED_TRACE(control.caption);
        reader.alignToDword(data);
        EXPECT_EQ(reader.dword(), expectedControlStyle(control));
        EXPECT_EQ(reader.dword(), 0u) << "no extended styles";
        EXPECT_EQ(reader.coordinate(), control.x);
        EXPECT_EQ(reader.coordinate(), control.y);
        EXPECT_EQ(reader.coordinate(), control.width);
        EXPECT_EQ(reader.coordinate(), control.height);
        EXPECT_EQ(reader.word(), uint16_t(control.id));
        const std::string className = reader.text();
        EXPECT_TRUE(className == "#128" || _stricmp(className.c_str(), "Button") == 0) << className;
        EXPECT_EQ(reader.text(), control.caption);
        EXPECT_EQ(reader.word(), 0) << "no creation data";
    }
}

TEST_F(ConfigDialog, laysOutTheControlsInTabOrderAtTheirPlaces) {
    open();
    // The system adds DS_3DLOOK to every dialog it creates.
    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK),
              LONG(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Emberhall - ScreenSaver");
    RECT frame;
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlSpec& control : expectedControls) {
        SCOPED_TRACE(control.caption);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(LOWORD(GetDlgCtrlID(child)), uint16_t(control.id));
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_STREQ(className, "Button");
        char text[64] = {};
        GetWindowTextA(child, text, sizeof text);
        EXPECT_STREQ(text, control.caption);
        const DWORD style = DWORD(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(style & BS_TYPEMASK, control.kind);
        // A radio button takes the tab stop when it is checked and gives it up when not.
        const bool radio = control.kind == BS_AUTORADIOBUTTON;
        EXPECT_EQ((style & WS_TABSTOP) != 0, radio ? checked(control.id) : control.tabStop);
        EXPECT_EQ(style & WS_GROUP, 0u);
        // The system converts place and size each on its own, so convert them the same way.
        RECT expected = {control.x, control.y, control.width, control.height};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no further controls";
}

// --- the other resources ---

std::string versionString(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(missing)";
    return value;
}

TEST(ProgramResources, versionNamesTheProduct) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(versionString(info, "ProductName"), "Emberhall");
    EXPECT_EQ(versionString(info, "FileDescription"), "Emberhall fire screen saver");
    EXPECT_EQ(versionString(info, "FileVersion"), "1.0.0");
    EXPECT_EQ(versionString(info, "ProductVersion"), "1.0.0");
}

TEST(ProgramResources, stringOneIsTheNameInTheScreenSaverList) {
    char text[64] = {};
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_DESCRIPTION, text, sizeof text), 0);
    EXPECT_STREQ(text, "Emberhall");
}

BOOL CALLBACK collectGroupNames(HMODULE, LPCSTR, LPSTR name, LONG_PTR target) {
    auto& names = *reinterpret_cast<std::vector<std::string>*>(target);
    names.push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(uintptr_t(name)) : name);
    return TRUE;
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD iconId;
};
#pragma pack(pop)

// The sizes of a group icon and the bytes of each of its pictures.
std::vector<std::pair<int, Bytes>> iconPictures(LPCSTR group) {
    std::vector<std::pair<int, Bytes>> pictures;
    const auto* header =
        static_cast<const uint16_t*>(resourceData(group, RT_GROUP_ICON, usEnglish));
    if (!header)
        return pictures;
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 3);
    HMODULE module = GetModuleHandleA(nullptr);
    for (int i = 0; i < header[2]; ++i) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(entries[i].iconId), RT_ICON);
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        const int size = entries[i].width == 0 ? 256 : entries[i].width;
        pictures.emplace_back(size, Bytes(bytes, bytes + SizeofResource(module, found)));
    }
    return pictures;
}

TEST(ProgramResources, iconsOneHundredTwoAndIdiMainHoldTheSameFlameInEverySize) {
    HMODULE module = GetModuleHandleA(nullptr);
    EXPECT_NE(LoadIconA(module, "IDI_MAIN"), nullptr);
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(IDI_EMBERHALL)), nullptr);

    const auto numbered = iconPictures(MAKEINTRESOURCEA(IDI_EMBERHALL));
    std::vector<int> sizes;
    for (const auto& picture : numbered)
        sizes.push_back(picture.first);
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
    EXPECT_EQ(iconPictures("IDI_MAIN"), numbered);

    // Explorer shows the first group; a named one always sorts first, hence the same pictures.
    std::vector<std::string> groups;
    EnumResourceNamesA(module, RT_GROUP_ICON, collectGroupNames,
                       reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, (std::vector<std::string>{"IDI_MAIN", "#102"}));
}
} // namespace
