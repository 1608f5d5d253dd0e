// The real main dialog driven through its messages: frame list, info panel,
// delay and loop, building through Save As, help and web, closing.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "win/app_state.h"
#include "win/main_dialog.h"
#include "dialog_plan.h"
#include "gif/build_plan.h"
#include "gif_fixture.h"
#include "res/resource.h"
#include "res/ui_texts.h"
#include "tests/win/file_io_fault_win32.h"
#include "tests/win/harness.h"

namespace {

// Texts the user sees, written out here rather than taken from the sources.
const char kNotAGif[] = "Not a GIF file, or incorrect version number.";
const char kCouldNotOpen[] = "Could not open file.";
const char kPrematureEnd[] = "Premature end of file encountered; no GIF image data present.";
const char kBuildCouldNotOpen[] = "Could not open file. GIF creation aborted.";
const char kCouldNotWrite[] = "Could not write output file. GIF creation aborted.";
const char kWebFailed[] = "Error opening web browser. You may manually surf to https://zorvane.example/.";
const char kHelpMissing[] =
    "Couldn't find the help file! Please make sure help.chm is in the same folder as the executable and try again.";
const char kWideSummary[] = "100 x 50\nglobal (8 bpp)";

constexpr size_t kHeaderSize = 6;
constexpr size_t kScreenSize = 7;
constexpr unsigned char kExtension = 0x21;
constexpr unsigned char kApplicationLabel = 0xFF;
constexpr unsigned char kTrailer = 0x3B;

std::string WideGif(const std::string& name) { return WriteBytes(name, OnePixelGif("89a", 100, 50, 0xF7, 0x00)); }
std::string TextFile(const std::string& name) {
    const std::string text = "These are notes, not a picture.\r\n";
    return WriteBytes(name, Bytes(text.begin(), text.end()));
}

// The same build done through the engine directly, without the dialog.
Bytes BuildDirectly(const std::string& name, const std::vector<std::string>& frames, bool loop, unsigned delay) {
    const BuildPlan plan = DialogPlan(WorkPath(name), frames, delay, loop);
    const BuildResult result = BuildAnimation(plan);
    if (!result.ok) ADD_FAILURE() << "direct build: " << result.message;
    return ReadFileBytes(plan.output);
}

std::string BesideTests(const char* name) {
    char module[MAX_PATH];
    const std::string path(module, GetModuleFileNameA(nullptr, module, sizeof module));
    return path.substr(0, path.rfind('\\') + 1) + name;
}

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Clicks "Make Animated GIF" with Save As answered by `output` ("" cancels).
void BuildThroughDialog(HWND dialog, const std::string& output) {
    SetSaveAsReply(output);
    ClearModalEvents();
    Click(dialog, IDC_MAKE_GIF);
    SetSaveAsReply("");
}

// The last modal window was a message box owned by the dialog, captioned
// "Error", with this text and icon; `before` windows came first. No text: no
// modal window at all.
void ExpectMessage(HWND dialog, const char* text, bool warning, size_t before = 0) {
    const std::vector<ModalEvent> events = ModalEvents();
    ASSERT_EQ(events.size(), text ? before + 1 : 0);
    if (!text) return;
    const ModalEvent& box = events.back();
    EXPECT_FALSE(box.save_as);
    EXPECT_EQ(box.owner, dialog);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.any_icon, warning);
    EXPECT_EQ(box.warning_icon, warning);
}

}  // namespace

TEST_F(MainDialog, StartState) {
    char caption[64] = "";
    EXPECT_EQ(std::string(caption, GetWindowTextA(dialog, caption, sizeof caption)), ZORVANE_WINDOW_TITLE);
    EXPECT_EQ(ListCount(dialog), 0);
    EXPECT_TRUE(!IsWindowEnabled(GetDlgItem(dialog, IDC_MAKE_GIF)));
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_LOOP) == BST_CHECKED);
    for (int id : {IDC_FRAME_NAME, IDC_FRAME_INFO, IDC_DELAY}) EXPECT_EQ(ControlText(dialog, id), "");
    EXPECT_TRUE(GetFocus() == GetDlgItem(dialog, IDC_FRAME_LIST));
    EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(g_app.main_icon && g_app.help_icon && g_app.main_icon != g_app.help_icon);
    EXPECT_TRUE(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)) == g_app.main_icon);
    EXPECT_TRUE(reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, IDC_WEB, BM_GETIMAGE, IMAGE_ICON, 0)) ==
                g_app.main_icon);
    EXPECT_TRUE(reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, IDC_HELP, BM_GETIMAGE, IMAGE_ICON, 0)) ==
                g_app.help_icon);
}

// Drops of any kind, in order, duplicates kept; Remove Frame with and without
// a selection; Clear All; each entry's path living in one heap block.
TEST_F(MainDialog, FrameList) {
    Click(dialog, IDC_REMOVE_FRAME);  // on an empty list: nothing happens
    const std::string folder = WorkPath("a folder.gif");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string wide = WideGif("list-wide.gif"), text = TextFile("notes.txt");
    DropFiles(dialog, {"C:\\a\\x.gif", wide, folder});
    DropFiles(dialog, {"C:\\a\\x.gif", text, "C:\\"});
    const char* names[] = {"x.gif", "list-wide.gif", "a folder.gif", "x.gif", "notes.txt", ""};
    const std::string paths[] = {"C:\\a\\x.gif", wide, folder, "C:\\a\\x.gif", text, "C:\\"};
    EXPECT_EQ(ListCount(dialog), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ListText(dialog, i), names[i]);
        EXPECT_EQ(ListPath(dialog, i), paths[i]);
        const void* path =
            reinterpret_cast<const void*>(SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_GETITEMDATA, i, 0));
        EXPECT_EQ(HeapSize(g_app.heap, 0, path), paths[i].size() + 1);
    }
    EXPECT_EQ(LiveHeapBlocks(), 6);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MAKE_GIF)));
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_NAME), "");  // a drop neither selects nor inspects

    Click(dialog, IDC_REMOVE_FRAME);  // nothing selected: nothing removed
    EXPECT_EQ(ListCount(dialog), 6);
    ClickListEntry(dialog, 1);
    Click(dialog, IDC_REMOVE_FRAME);
    EXPECT_EQ(ListCount(dialog), 5);
    EXPECT_EQ(ListText(dialog, 1), "a folder.gif");
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(LiveHeapBlocks(), 5);
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_INFO), kWideSummary);  // the panel keeps the removed frame
    for (int left = 4; left >= 0; --left) {
        SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(left), 0);
        Click(dialog, IDC_REMOVE_FRAME);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_MAKE_GIF)) != 0, left > 0);
    }
    EXPECT_EQ(LiveHeapBlocks(), 0);
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_NAME), "list-wide.gif");

    DropFiles(dialog, {wide, "C:\\x.gif"});
    ClickListEntry(dialog, 0);
    Click(dialog, IDC_CLEAR_ALL);
    EXPECT_EQ(ListCount(dialog), 0);
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_NAME), "");
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_INFO), "");
    EXPECT_TRUE(!IsWindowEnabled(GetDlgItem(dialog, IDC_MAKE_GIF)));
    EXPECT_EQ(LiveHeapBlocks(), 0);
    EXPECT_TRUE(ModalEvents().empty());
}

TEST_F(MainDialog, DropOfTwoThousandFiles) {
    std::vector<std::string> paths;
    for (int i = 0; i < 2000; ++i)
        paths.push_back("C:\\frames\\" + std::to_string(i) + "\\f" + std::to_string(i) + ".gif");
    DropFiles(dialog, paths);
    EXPECT_EQ(ListCount(dialog), 2000);
    EXPECT_EQ(LiveHeapBlocks(), 2000);
    int misplaced = 0;
    for (int i = 0; i < 2000; ++i)
        misplaced += ListText(dialog, i) != "f" + std::to_string(i) + ".gif" || ListPath(dialog, i) != paths[i];
    EXPECT_EQ(misplaced, 0);
    Click(dialog, IDC_CLEAR_ALL);
    EXPECT_EQ(LiveHeapBlocks(), 0);
}

// Selecting shows name and summary; an unusable frame names itself, keeps the
// previous summary and says why. A 300-byte name is cut at 255 bytes.
TEST_F(MainDialog, SelectionShowsNameAndSummary) {
    Bytes cut = OnePixelGif("89a", 5, 5, 0x00, 0x00);
    cut.resize(kHeaderSize + kScreenSize);
    cut.push_back(kTrailer);
    std::string long_name(296, 'n');
    for (size_t i = 0; i < long_name.size(); i += 10) long_name[i] = static_cast<char>('0' + (i / 10) % 10);
    long_name += ".gif";
    struct Case {
        std::string path, name, summary;
        const char* message;
    };
    const Case cases[] = {
        {WideGif("wide.gif"), "wide.gif", kWideSummary, nullptr},
        {WriteBytes("local.gif", OnePixelGif("89a", 7, 9, 0x91, 0x83)), "local.gif", "7 x 9\nlocal (4 bpp)", nullptr},
        {TextFile("sel-notes.txt"), "sel-notes.txt", "7 x 9\nlocal (4 bpp)", kNotAGif},
        {WriteBytes("bare.gif", OnePixelGif("87a", 3, 4, 0x00, 0x00)), "bare.gif", "3 x 4\nnone (1 bpp)", nullptr},
        {WorkPath("no such file.gif"), "no such file.gif", "3 x 4\nnone (1 bpp)", kCouldNotOpen},
        {WriteBytes("cut.gif", cut), "cut.gif", "3 x 4\nnone (1 bpp)", kPrematureEnd},
        {"C:\\deep\\" + long_name, long_name.substr(0, 255), "3 x 4\nnone (1 bpp)", kCouldNotOpen},
    };
    std::vector<std::string> paths;
    for (const Case& c : cases) paths.push_back(c.path);
    DropFiles(dialog, paths);
    for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
        ClearModalEvents();
        ClickListEntry(dialog, i);
        EXPECT_EQ(ControlText(dialog, IDC_FRAME_NAME), cases[i].name);
        EXPECT_EQ(ControlText(dialog, IDC_FRAME_INFO), cases[i].summary);
        ExpectMessage(dialog, cases[i].message, true);
    }
    EXPECT_EQ(ListText(dialog, 6), long_name);  // nothing around the name buffer was overwritten
    EXPECT_EQ(ListPath(dialog, 6), "C:\\deep\\" + long_name);
    EXPECT_EQ(ListCount(dialog), 7);
}

TEST_F(MainDialog, SpinnerStopsAtItsRangeAndTypedTextDoesNot) {
    HWND edit = GetDlgItem(dialog, IDC_DELAY);
    EXPECT_TRUE(reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, IDC_DELAY_SPIN, UDM_GETBUDDY, 0, 0)) == edit);
    struct Step {
        const char* typed;
        WPARAM key;
        const char* shown;
    };
    const Step steps[] = {{"999", VK_UP, "1000"},  {nullptr, VK_UP, "1000"}, {"1", VK_DOWN, "0"},
                          {nullptr, VK_DOWN, "0"}, {"70000", 0, "70000"},    {"soon", 0, "soon"},
                          {"1000", VK_UP, "1000"}, {"1000", VK_DOWN, "999"}, {"-5", 0, "-5"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << (step.typed ? step.typed : "(nothing typed)") << ", key " << step.key);
        if (step.typed) TypeText(dialog, IDC_DELAY, step.typed);
        if (step.key) SendMessageA(edit, WM_KEYDOWN, step.key, 0);
        EXPECT_EQ(ControlText(dialog, IDC_DELAY), step.shown);
    }
    Click(dialog, IDC_LOOP);
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_LOOP) == BST_UNCHECKED);
}

// Builds through Save As, each compared byte for byte with the engine's own
// build of the same frames and handed to the giflib check.
TEST_F(MainDialog, BuildsMatchTheEngine) {
    const std::vector<std::string> frames = {CorpusPath("all-reds.gif"),    CorpusPath("high-color.gif"),
                                             CorpusPath("gif87a.gif"),      CorpusPath("local-color-table.gif"),
                                             CorpusPath("transparent.gif"), CorpusPath("interlace.gif")};
    struct Case {
        const char* delay_text;
        bool loop;
        unsigned delay;
    };
    // The delay is the platform's unsigned reading of the text. At a minus sign
    // Windows' stops (0); Wine's reads on (2^32 - 5, whose low 16 bits are 65531).
    const unsigned minus_five = RunningUnderWine() ? 65531 : 0;
    const Case cases[] = {
        {"10", true, 10}, {"", false, 0}, {"70000", true, 4464}, {"soon", true, 0}, {"-5", true, minus_five},
    };
    FILE* checks = std::fopen(WorkPath("giflib-checks.txt").c_str(), "ab");
    for (size_t n = 0; n < std::size(cases); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(c.delay_text);
        if (n > 0) Reopen();
        DropFiles(dialog, {frames[0], frames[1], frames[2]});
        DropFiles(dialog, {frames[3], frames[4], frames[5]});
        ClickListEntry(dialog, 1);
        TypeText(dialog, IDC_DELAY, c.delay_text);
        if (!c.loop) Click(dialog, IDC_LOOP);
        const std::string output = WorkPath("dialog-build-" + std::to_string(n) + ".gif");
        DeleteFileA(output.c_str());
        BuildThroughDialog(dialog, output);
        const std::vector<ModalEvent> events = ModalEvents();
        EXPECT_EQ(events.size(), 1u);  // Save As and nothing else
        if (events.size() == 1) {
            EXPECT_TRUE(events[0].save_as && events[0].owner == dialog);
            EXPECT_EQ(events[0].caption, "Make Animated GIF");
            EXPECT_EQ(events[0].text, "GIF Files (*.gif)");
        }
        const Bytes built = ReadFileBytes(output);
        EXPECT_TRUE(!built.empty() && built == BuildDirectly("direct.gif", frames, c.loop, c.delay));
        if (checks) {
            std::fprintf(checks, "%s\t%u\t%d", HostPath(output).c_str(), c.delay, c.loop ? 1 : 0);
            for (const std::string& frame : frames) std::fprintf(checks, "\t%s", HostPath(frame).c_str());
            std::fprintf(checks, "\n");
        }
        // A finished build changes nothing in the dialog.
        EXPECT_EQ(ListCount(dialog), 6);
        EXPECT_EQ(ControlText(dialog, IDC_FRAME_NAME), "high-color.gif");
        EXPECT_EQ(ControlText(dialog, IDC_DELAY), c.delay_text);
    }
    EXPECT_TRUE(checks != nullptr);
    if (checks) std::fclose(checks);
}

TEST_F(MainDialog, SaveAsCancelWritesNothingAndAddsTheExtension) {
    DropFiles(dialog, {CorpusPath("all-greens.gif")});
    const std::string folder = WorkPath("cancel");
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    BuildThroughDialog(dialog, "");
    EXPECT_EQ(ModalEvents().size(), 1u);
    WIN32_FIND_DATAA found;
    EXPECT_TRUE(FindFirstFileA((folder + "\\*.gif").c_str(), &found) == INVALID_HANDLE_VALUE);
    const std::string bare = folder + "\\no-extension";
    BuildThroughDialog(dialog, bare);
    EXPECT_TRUE(FileExists(bare + ".gif") && !FileExists(bare));
}

TEST_F(MainDialog, BuildFailures) {
    DropFiles(dialog, {CorpusPath("all-reds.gif"), TextFile("build-notes.txt"), CorpusPath("all-greens.gif")});
    const std::string output = WorkPath("partial.gif");
    DeleteFileA(output.c_str());
    BuildThroughDialog(dialog, output);
    ExpectMessage(dialog, kNotAGif, true, 1);
    // Header, a zero screen descriptor, the looping block and exactly the first
    // frame, without trailer.
    const Bytes partial = ReadFileBytes(output);
    const Bytes single = BuildDirectly("single.gif", {CorpusPath("all-reds.gif")}, true, 0);
    const size_t start = kHeaderSize + kScreenSize;
    EXPECT_TRUE(single.size() > start && partial.size() + 1 == single.size());
    if (partial.size() + 1 == single.size()) {
        EXPECT_TRUE(std::memcmp(partial.data(), "GIF89a", kHeaderSize) == 0);
        EXPECT_TRUE(Bytes(partial.begin() + kHeaderSize, partial.begin() + start) == Bytes(kScreenSize, 0));
        EXPECT_TRUE(partial[start] == kExtension && partial[start + 1] == kApplicationLabel);
        EXPECT_TRUE(Bytes(partial.begin() + start, partial.end()) == Bytes(single.begin() + start, single.end() - 1));
    }
    // A frame that cannot be opened: the plain message.
    SendDlgItemMessageA(dialog, IDC_FRAME_LIST, LB_SETCURSEL, 1, 0);
    Click(dialog, IDC_REMOVE_FRAME);
    DropFiles(dialog, {WorkPath("vanished.gif")});
    BuildThroughDialog(dialog, WorkPath("partial-2.gif"));
    ExpectMessage(dialog, kBuildCouldNotOpen, false, 1);
    // An output naming one of the frames: Save As, its replace question, the refusal.
    const Bytes original = ReadFileBytes(CorpusPath("all-blues.gif"));
    const std::string precious = WriteBytes("precious.gif", original);
    DropFiles(dialog, {precious});
    BuildThroughDialog(dialog, precious);
    ExpectMessage(dialog, kMsgOutputIsFrame, true, 2);
    EXPECT_TRUE(ReadFileBytes(precious) == original);
    EXPECT_EQ(ListCount(dialog), 4);
}

// The disk fills in the middle of the frame: the write that is cut short
// ends the build with a message.
TEST_F(MainDialog, ShortWriteOnAFullDiskIsAFailure) {
    DropFiles(dialog, {CorpusPath("all-reds.gif")});
    FillDiskAfter(40);
    BuildThroughDialog(dialog, WorkPath("full-disk.gif"));
    FillDiskAfter(-1);
    ExpectMessage(dialog, kCouldNotWrite, true, 1);
}

TEST_F(MainDialog, EnterAndEscDoNotCloseButClosingClearsEveryEntry) {
    DropFiles(dialog, {"C:\\x.gif", "C:\\y.gif"});
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG message = {};
        message.hwnd = GetDlgItem(dialog, IDC_FRAME_LIST);
        message.message = WM_KEYDOWN;
        message.wParam = key;
        IsDialogMessageA(dialog, &message);
    }
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(ListCount(dialog), 2);
    EXPECT_TRUE(ModalEvents().empty());
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(ListCount(dialog), 0);
    EXPECT_EQ(LiveHeapBlocks(), 0);
    EXPECT_TRUE(!IsWindowVisible(dialog));
    EXPECT_TRUE(!(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES));
    EXPECT_TRUE(CloseDialog(dialog));  // a quit message with code 0 is waiting
}

TEST_F(MainDialog, HelpFoundAfterBuildIntoAnotherFolderAndWeb) {
    const std::string help = BesideTests("help.chm");
    EXPECT_TRUE(FileExists(help));
    const std::string elsewhere = WorkPath("elsewhere");
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    DropFiles(dialog, {CorpusPath("all-reds.gif")});
    BuildThroughDialog(dialog, elsewhere + "\\anim.gif");
    EXPECT_TRUE(FileExists(elsewhere + "\\anim.gif"));
    SetCurrentDirectoryA(elsewhere.c_str());   // whatever Save As did, the current folder is elsewhere now
    SetShellResult(kShellOpensExistingFiles);  // the shell opens what exists, as the real one does
    ClearModalEvents();
    TakeShellCalls();
    Click(dialog, IDC_HELP);
    SetShellResult(kShellOpened);
    Click(dialog, IDC_WEB);
    EXPECT_TRUE(ModalEvents().empty());
    std::vector<ShellCall> calls = TakeShellCalls();
    const std::string targets[] = {help, "https://zorvane.example/"};  // help by its full name
    EXPECT_EQ(calls.size(), 2u);
    for (size_t i = 0; i < calls.size() && i < 2; ++i) {
        EXPECT_EQ(calls[i].file, targets[i]);
        EXPECT_TRUE(calls[i].owner == dialog && !calls[i].extra_arguments && calls[i].show == SW_SHOWNORMAL);
    }
    // Gone from beside the program, with another help.chm in the current
    // folder: the message, for the file beside the program.
    const std::string decoy = WriteBytes("elsewhere\\help.chm", {'I', 'T', 'S', 'F'});
    const std::string moved = help + ".away";
    ASSERT_TRUE(MoveFileA(help.c_str(), moved.c_str()));
    SetShellResult(kShellOpensExistingFiles);
    ClearModalEvents();
    Click(dialog, IDC_HELP);
    EXPECT_TRUE(MoveFileA(moved.c_str(), help.c_str()));
    DeleteFileA(decoy.c_str());
    ExpectMessage(dialog, kHelpMissing, true);
    calls = TakeShellCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, help);
    // Shell results up to 32 are failures, from 33 on success.
    struct ShellCase {
        INT_PTR result;
        int button;
        const char* message;  // nullptr: none
    };
    const ShellCase shell_cases[] = {
        {0, IDC_WEB, kWebFailed}, {SE_ERR_NOASSOC, IDC_WEB, kWebFailed}, {32, IDC_WEB, kWebFailed},
        {33, IDC_WEB, nullptr},   {SE_ERR_FNF, IDC_HELP, kHelpMissing},  {32, IDC_HELP, kHelpMissing},
        {33, IDC_HELP, nullptr},
    };
    for (const ShellCase& c : shell_cases) {
        SCOPED_TRACE(testing::Message() << "shell result " << c.result << ", button " << c.button);
        SetShellResult(c.result);
        ClearModalEvents();
        Click(dialog, c.button);
        ExpectMessage(dialog, c.message, true);
    }
    EXPECT_EQ(ListCount(dialog), 1);
}

namespace {

// The static texts that do not fit their controls, as "text (needs W x H,
// has W x H)": measured in each control's font and wrapped as it wraps them.
std::vector<std::string> TextsNotFitting(HWND dialog) {
    std::vector<std::string> misfits;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        char class_name[16] = "", text[512] = "";
        GetClassNameA(control, class_name, sizeof class_name);
        GetWindowTextA(control, text, sizeof text);
        if (lstrcmpiA(class_name, "Static") != 0 || text[0] == '\0') continue;
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP)
            continue;  // icons, frames, bitmaps: no text
        UINT format = DT_EXPANDTABS | DT_CALCRECT | (type == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK) |
                      (type == SS_CENTER ? DT_CENTER : 0) | (type == SS_RIGHT ? DT_RIGHT : 0);
        if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
        if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
        RECT client = {}, needed = {};
        GetClientRect(control, &client);
        needed.right = client.right;
        HDC dc = GetDC(control);
        const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
        DrawTextA(dc, text, -1, &needed, format);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        if (needed.right > client.right || needed.bottom > client.bottom)
            misfits.push_back(std::string(text) + " (needs " + std::to_string(needed.right) + " x " +
                              std::to_string(needed.bottom) + ", has " + std::to_string(client.right) + " x " +
                              std::to_string(client.bottom) + ")");
    }
    return misfits;
}

}  // namespace

// Every static text fits its control: in the window the documentation shows
// (the screenshot run repeats this test) and with the widest frame summary.
class DialogLayout : public MainDialog {};

TEST_F(DialogLayout, EveryStaticTextFitsItsRectangle) {
    ShowDocumentedState(dialog);
    EXPECT_EQ(TextsNotFitting(dialog), std::vector<std::string>());
    DropFiles(dialog, {WriteBytes("widest.gif", OnePixelGif("89a", 65535, 65535, 0xF7, 0x00))});
    ClickListEntry(dialog, 3);
    EXPECT_EQ(ControlText(dialog, IDC_FRAME_INFO), "65535 x 65535\nglobal (8 bpp)");
    EXPECT_EQ(TextsNotFitting(dialog), std::vector<std::string>());
}

TEST(ZorvaneExe, ProgramShowsTheDialogAndEndsWithZero) {
    const std::string program = BesideTests("..\\..\\win\\Zorvane.exe");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::string command = "\"" + program + "\"";
    ASSERT_TRUE(
        CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    DWORD owner = 0;
    for (int i = 0; i < 500 && owner != child.dwProcessId; ++i) {  // up to 10 s for the window to appear
        Sleep(20);
        HWND window = FindWindowA("#32770", ZORVANE_WINDOW_TITLE);
        GetWindowThreadProcessId(window, &owner);
        if (owner == child.dwProcessId) PostMessageA(window, WM_CLOSE, 0, 0);  // the close box
    }
    EXPECT_TRUE(owner == child.dwProcessId);
    EXPECT_TRUE(WaitForSingleObject(child.hProcess, 10000) == WAIT_OBJECT_0);
    DWORD exit_code = STILL_ACTIVE;
    GetExitCodeProcess(child.hProcess, &exit_code);
    EXPECT_EQ(exit_code, 0u);
    if (exit_code == STILL_ACTIVE) TerminateProcess(child.hProcess, 1);
}
