// In-process harness for the main dialog under Wine: creates the real IDD_MAIN
// with the real MainDialogProc, sends it real messages, answers its modal
// windows from a watcher thread and answers the dialog's ShellExecuteA calls
// itself. The tests are GoogleTest tests; main() is the harness's own.
#ifndef ZORVANE_TESTS_WIN_HARNESS_H
#define ZORVANE_TESTS_WIN_HARNESS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "gif_fixture.h"

std::string WorkPath(const std::string& name);                        // in the folder the tests may write into
std::string CorpusPath(const std::string& name);                      // in the public GIF corpus
std::string HostPath(const std::string& windows_path);                // Z:\x\y -> /x/y
std::string WriteBytes(const std::string& name, const Bytes& bytes);  // in the work folder; returns the path
bool FileExists(const std::string& path);

HWND OpenDialog();
// Closes the dialog as the close box does and destroys it; true when a quit
// message with code 0 was posted.
bool CloseDialog(HWND dialog);
void DropFiles(HWND dialog, const std::vector<std::string>& paths);
void Click(HWND dialog, int id);
void ClickListEntry(HWND dialog, int index);                  // with the mouse
void TypeText(HWND dialog, int id, const std::string& text);  // replaces the text, key by key
bool PumpMessages();                                          // true when a quit message with code 0 was among them
std::string ControlText(HWND dialog, int id);
int ListCount(HWND dialog);
std::string ListText(HWND dialog, int index);
std::string ListPath(HWND dialog, int index);
int LiveHeapBlocks();  // allocations alive on the frame list's heap

struct ModalEvent {
    bool save_as;  // a Save As dialog, else a message box
    HWND owner;
    std::string caption;
    std::string text;  // message text; for Save As: the file type shown
    bool any_icon, warning_icon;
};
// What the watcher types into Save As: a full path, or "" to cancel. Message
// boxes are answered OK (Yes for a question).
void SetSaveAsReply(const std::string& path);
void ClearModalEvents();
std::vector<ModalEvent> ModalEvents();

struct ShellCall {
    HWND owner;
    bool extra_arguments;  // verb, parameters or directory given
    std::string file;
    int show;
};
constexpr INT_PTR kShellOpened = 42;  // any result above 32 is success
// What every ShellExecuteA call returns from now on: `result`, or, with
// kShellOpensExistingFiles, kShellOpened for a file that exists (a relative
// name resolved against the current folder, as the shell does) and
// SE_ERR_FNF for anything else. Reset to kShellOpened by every MainDialog test.
constexpr INT_PTR kShellOpensExistingFiles = -1;
void SetShellResult(INT_PTR result);
std::vector<ShellCall> TakeShellCalls();

// Every test of the dialog gets a fresh one, closed afterwards if the test
// did not close it; the fake shell opens everything and has recorded nothing.
class MainDialog : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Reopen();  // closes the dialog and opens a fresh one, as for the next test
    HWND dialog = nullptr;
};

// The window as the documentation shows it: three frames dropped, the second
// selected, delay 10 (screenshot.cpp); and its picture, as a 24-bit BMP.
void ShowDocumentedState(HWND dialog);
bool TakeScreenshot(const char* bmp_path);

#endif  // ZORVANE_TESTS_WIN_HARNESS_H
